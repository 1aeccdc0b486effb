#pragma once

// Shared helpers of the decoder tests.

#include <gtest/gtest.h>

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

// A message that cannot be decoded, and the error that says why.
struct TDecodeErrorCase {
    std::string Message;
    std::string Error;
};

// The error cases of every message class: each test file instantiates this
// suite with the cases of its class.
class DecodeErrors : public ::testing::TestWithParam<TDecodeErrorCase> {};

} // namespace velquist::test
