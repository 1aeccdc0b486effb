# Cross-building velquist-decode and its tests for 64-bit Windows with Debian's
# MinGW-w64 (package g++-mingw-w64-x86-64-posix); scripts/windows.sh does all of
# it, GoogleTest and the runs under Wine included:
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#       -DVELQUIST_BUILD_UI=OFF [-DVELQUIST_WINDOWS_PREFIX=<GoogleTest built for Windows>]
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELQUIST_MINGW_TARGET x86_64-w64-mingw32)
# The POSIX thread model: std::thread and std::mutex, which GCC 12's win32 model
# lacks.
set(CMAKE_C_COMPILER ${VELQUIST_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELQUIST_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELQUIST_MINGW_TARGET}-windres)

# Every program runs on a bare Windows: the C++ runtime, libgcc and the threads
# library are linked in, and no DLL but Windows' own is needed beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# The tests run under Wine (WINEPREFIX and WINEDEBUG as the caller sets them).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Header-only libraries (Boost.JSON in its header-only form, nlohmann-json) are
# the same for every target, but Debian installs them only among the host's
# headers, beside the C library's. A folder of links to them alone makes them
# visible to this build without the rest of /usr/include.
get_property(VELQUIST_IN_TRY_COMPILE GLOBAL PROPERTY IN_TRY_COMPILE)
set(VELQUIST_HOST_HEADERS "${CMAKE_BINARY_DIR}/host-headers")
if(NOT VELQUIST_IN_TRY_COMPILE)
    foreach(link include/boost include/nlohmann share/cmake/nlohmann_json)
        string(REPLACE "include/" "/usr/include/" target "${link}")
        string(REPLACE "share/" "/usr/share/" target "${target}")
        if(EXISTS "${target}" AND NOT EXISTS "${VELQUIST_HOST_HEADERS}/${link}")
            get_filename_component(folder "${VELQUIST_HOST_HEADERS}/${link}" DIRECTORY)
            file(MAKE_DIRECTORY "${folder}")
            file(CREATE_LINK "${target}" "${VELQUIST_HOST_HEADERS}/${link}" SYMBOLIC)
        endif()
    endforeach()
endif()

# Libraries are looked for in the MinGW-w64 folders, the header links, and the
# folders given in VELQUIST_WINDOWS_PREFIX (GoogleTest built for Windows);
# programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VELQUIST_MINGW_TARGET} "${VELQUIST_HOST_HEADERS}"
    ${VELQUIST_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
