# Wireshark's development files are found (pkg-config wireshark): the plugin is
# built for the Wireshark they belong to, and tested with its tshark.
set(velquist_turn_off "or configure with -DVELQUIST_BUILD_WIRESHARK=OFF to build without the plugin")
if(WIRESHARK_VERSION VERSION_LESS 4.0 OR WIRESHARK_VERSION VERSION_GREATER_EQUAL 4.5)
    message(FATAL_ERROR "Found the development files of Wireshark ${WIRESHARK_VERSION}, but the "
        "d912 plugin builds against Wireshark 4.0 to 4.4: install one of those, "
        "${velquist_turn_off}.")
endif()
find_program(VELQUIST_TSHARK tshark)
if(VELQUIST_BUILD_TESTS AND NOT VELQUIST_TSHARK)
    message(FATAL_ERROR "Found Wireshark's development files but no tshark to test the d912 "
        "plugin with: install tshark (Debian: apt-get install tshark), ${velquist_turn_off}.")
endif()
set(VELQUIST_WIRESHARK_FOUND ON)

# Wireshark loads plugins from a folder named after its version, major.minor
# ("plugins/4.0/epan" for 4.0.17), in its own folder and in a user's.
string(REGEX MATCH "^([0-9]+)\\.([0-9]+)" VELQUIST_WIRESHARK_MAJOR_MINOR "${WIRESHARK_VERSION}")
set(VELQUIST_WIRESHARK_VERSION_MAJOR ${CMAKE_MATCH_1})
set(VELQUIST_WIRESHARK_VERSION_MINOR ${CMAKE_MATCH_2})
set(VELQUIST_WIRESHARK_PLUGIN_SUBDIR "plugins/${VELQUIST_WIRESHARK_MAJOR_MINOR}/epan")
set(VELQUIST_WIRESHARK_PERSONAL_PLUGIN_DIR ".local/lib/wireshark/${VELQUIST_WIRESHARK_PLUGIN_SUBDIR}")
pkg_get_variable(WIRESHARK_PLUGIN_DIR wireshark plugindir)
set(VELQUIST_WIRESHARK_PLUGIN_DIR "${WIRESHARK_PLUGIN_DIR}/epan" CACHE PATH
    "Where cmake --install puts the dissector plugin")
message(STATUS "Wireshark ${WIRESHARK_VERSION}: the d912 plugin is built, for ${VELQUIST_WIRESHARK_PLUGIN_DIR}")
