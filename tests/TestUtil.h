#pragma once

// Shared helpers of the decoder tests.

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
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

// A JSON string's UTF-8 back to the bytes it stands for: each character U+0000
// to U+00FF is one byte (ISO 8859-1), as velquist-decode --json writes them.
inline std::string Latin1Bytes(std::string_view utf8) {
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        EXPECT_TRUE((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) << "beyond U+00FF";
        bytes.push_back(static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F)));
    }
    return bytes;
}

// A parameterised case's name, as test listings and ctest show it: its number,
// then the ASCII letters and digits of `text`, every other run of characters
// one "_", at most 40 characters of them ("3_List_index_out_of_bounds_5"). The
// number keeps apart cases whose texts differ only in other characters.
inline std::string CaseName(std::size_t index, std::string_view text) {
    std::string name = std::to_string(index);
    const std::size_t most = name.size() + 40;
    bool gap = true;
    for (const char c : text) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alnum) {
            gap = true;
            continue;
        }
        if (name.size() + (gap ? 2 : 1) > most) {
            break;
        }
        if (gap) {
            name.push_back('_');
            gap = false;
        }
        name.push_back(c);
    }
    return name;
}

// Names each case of a parameterised suite by CaseName of what `what` (a
// member or a function) gives of its parameter:
//   INSTANTIATE_TEST_SUITE_P(Table, Suite, ::testing::Values(...), NamedBy(&TCase::Line));
template <typename TWhat>
auto NamedBy(TWhat what) {
    return [what](const auto& info) { return CaseName(info.index, std::invoke(what, info.param)); };
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
