// What Wireshark looks for in a plugin: its version, the Wireshark version it was
// built for, the function that registers what it brings and, where Wireshark
// asks, the one that says what that is. These must be C symbols, and the only
// ones the plugin exports.

#include "D912Dissector.h"
#include "WiresharkCompat.h"

#define WS_BUILD_DLL
#include <epan/proto.h>
#include <epan/tap.h>
#include <ws_symbol_export.h>
#include <ws_version.h>

// Declared extern first: a const object defined in C++ would otherwise be local
// to this file.
extern "C" {
WS_DLL_PUBLIC const gchar plugin_version[];
WS_DLL_PUBLIC const int plugin_want_major;
WS_DLL_PUBLIC const int plugin_want_minor;
WS_DLL_PUBLIC void plugin_register(void);
#ifdef VELQUIST_WS_PLUGIN_DESCRIBE
WS_DLL_PUBLIC uint32_t plugin_describe(void);
#endif
}

const gchar plugin_version[] = VELQUIST_PLUGIN_VERSION;
const int plugin_want_major = WIRESHARK_VERSION_MAJOR;
const int plugin_want_minor = WIRESHARK_VERSION_MINOR;

void plugin_register(void) {
    static const proto_plugin dissector = {proto_register_d912, proto_reg_handoff_d912};
    static const tap_plugin statistics = {register_d912_stats};
    proto_register_plugin(&dissector);
    tap_register_plugin(&statistics);
}

#ifdef VELQUIST_WS_PLUGIN_DESCRIBE
// A dissector, and a tap listener for its statistics.
uint32_t plugin_describe(void) {
    return WS_PLUGIN_DESC_DISSECTOR | WS_PLUGIN_DESC_TAP_LISTENER;
}
#endif
