#pragma once

// Shared helpers of the decoder tests.

#include <initializer_list>
#include <string>
#include <string_view>

namespace velquist::test {

// Fields joined with FS, the way a message is written on the wire.
inline std::string Msg(std::initializer_list<std::string_view> fields) {
    std::string message;
    bool first = true;
    for (const auto field : fields) {
        if (!first) {
            message.push_back('\x1C');
        }
        message.append(field);
        first = false;
    }
    return message;
}

// Lines joined with CR LF, each one ending with CR LF.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const auto line : lines) {
        text.append(line);
        text.append("\r\n");
    }
    return text;
}

} // namespace velquist::test
