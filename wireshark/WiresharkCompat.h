#pragma once

// What differs between the Wireshark versions the plugin builds against (4.0 to
// 4.4), in one place; the rest of the plugin is written once for all of them.
// Where a type changed, it is taken from the declaration itself, so no version
// number has to be known for it:
//  - GLib's gboolean gave way to bool in the API (a preference's variable, the
//    result of a memory scope's callback);
//  - format_text_wsp() takes the text as char instead of guchar;
//  - a plugin describes what it brings with plugin_describe() where Wireshark
//    asks (wsutil/plugins.h with its WS_PLUGIN_DESC_ flags, since 4.2).

#include <epan/prefs.h>
#include <epan/strutil.h> // format_text_wsp (later in wsutil/str_util.h, which it includes)
#include <wsutil/wmem/wmem.h>

#if __has_include(<wsutil/plugins.h>)
#include <wsutil/plugins.h>
#endif

#include <cstddef>
#include <tuple>
#include <type_traits>

namespace velquist::ws {

// The type of parameter `N` of the function `F`.
template <auto F, std::size_t N>
struct TParameterOf;
template <typename TResult, typename... TArgs, TResult (*F)(TArgs...), std::size_t N>
struct TParameterOf<F, N> {
    using Type = std::tuple_element_t<N, std::tuple<TArgs...>>;
};

// The variable a boolean preference writes.
using TPrefBool =
    std::remove_pointer_t<typename TParameterOf<&prefs_register_bool_preference, 4>::Type>;

// What a memory scope's callback (wmem_register_callback) returns: true to be
// called again at the scope's next event.
using TWmemCallbackResult =
    std::invoke_result_t<wmem_user_cb_t, wmem_allocator_t*, wmem_cb_event_t, void*>;

// format_text_wsp over a UTF-8 text: tabs and line ends as blanks, other
// control characters escaped.
inline char* FormatTextWsp(wmem_allocator_t* scope, const char* text, std::size_t size) {
    using TChar = std::remove_pointer_t<typename TParameterOf<&format_text_wsp, 1>::Type>;
    return reinterpret_cast<char*>(format_text_wsp(scope, reinterpret_cast<TChar*>(text), size));
}

} // namespace velquist::ws

#ifdef WS_PLUGIN_DESC_DISSECTOR
#define VELQUIST_WS_PLUGIN_DESCRIBE 1
#endif
