#include "HexText.h"

#include <array>
#include <cstdio>

namespace velquist {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// The two upper-case hex digits of every byte value.
constexpr std::array<std::array<char, 2>, 256> MakeDigitPairs() {
    std::array<std::array<char, 2>, 256> pairs{};
    for (std::size_t b = 0; b < pairs.size(); ++b) {
        pairs[b] = {kHexDigits[b >> 4], kHexDigits[b & 0x0F]};
    }
    return pairs;
}

constexpr auto kDigitPairs = MakeDigitPairs();

// The shared walk of HexDump and NibbleDump: `digitsOf` appends one byte's digits.
template <typename DigitsOf>
void AppendDump(std::string& out, std::string_view bytes, std::string_view separator,
                std::size_t digitsPerByte, DigitsOf digitsOf) {
    if (bytes.empty()) {
        return;
    }
    out.reserve(out.size() + bytes.size() * digitsPerByte + (bytes.size() - 1) * separator.size());
    digitsOf(out, static_cast<unsigned char>(bytes.front()));
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        out.append(separator);
        digitsOf(out, static_cast<unsigned char>(bytes[i]));
    }
}

void AppendByteDigits(std::string& out, unsigned char byte) {
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
}

void AppendNibbleDigit(std::string& out, unsigned char byte) {
    out.push_back(kHexDigits[byte & 0x0F]);
}

} // namespace

void AppendHexDump(std::string& out, std::string_view bytes, std::string_view separator) {
    if (separator.size() > 1) {
        AppendDump(out, bytes, separator, 2, AppendByteDigits);
        return;
    }
    // No separator or one character (" " is what nearly every caller passes):
    // size the result once and fill it through the table of digit pairs.
    if (bytes.empty()) {
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + bytes.size() * (2 + separator.size()) - separator.size());
    char* dst = out.data() + start;
    const auto writePair = [&dst](char c) {
        const auto& pair = kDigitPairs[static_cast<unsigned char>(c)];
        dst[0] = pair[0];
        dst[1] = pair[1];
        dst += 2;
    };
    writePair(bytes.front());
    if (separator.empty()) {
        for (const char c : bytes.substr(1)) {
            writePair(c);
        }
        return;
    }
    const char sep = separator.front();
    for (const char c : bytes.substr(1)) {
        *dst++ = sep;
        writePair(c);
    }
}

std::string HexDump(std::string_view bytes, std::string_view separator) {
    std::string out;
    AppendHexDump(out, bytes, separator);
    return out;
}

std::string NibbleDump(std::string_view bytes, std::string_view separator) {
    std::string out;
    AppendDump(out, bytes, separator, 1, AppendNibbleDigit);
    return out;
}

std::string StrToHex(std::string_view bytes) {
    return HexDump(bytes, {});
}

int HexByteAt(std::string_view hexText, std::size_t n) {
    return HexPairValue(Mid(hexText, 2 * n + 1, 2));
}

bool IsBitSet(std::uint32_t value, unsigned bit) {
    if (bit > 7) {
        return false;
    }
    const std::uint32_t mask = 1u << bit;
    return (value & mask) == mask;
}

std::string DecTriplesToHex(std::string_view text) {
    std::string out;
    const std::size_t groups = text.size() / 3;
    out.reserve(groups * 2);
    for (std::size_t k = 0; k < groups; ++k) {
        const auto value = static_cast<std::uint32_t>(IntFromText(text.substr(3 * k, 3), 0));
        std::array<char, 16> buffer{};
        const int length = std::snprintf(buffer.data(), buffer.size(), "%02X", value);
        out.append(buffer.data(), static_cast<std::size_t>(length));
    }
    return out;
}

std::int32_t IntFromText(std::string_view text, std::int32_t defaultValue) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) {
        return defaultValue; // no digits at all
    }

    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (hex) {
            const int digit = HexDigitValue(text[i]);
            if (digit < 0) {
                return defaultValue;
            }
            magnitude = magnitude * 16 + static_cast<std::uint64_t>(digit);
            if (magnitude > 0xFFFFFFFFu) {
                return defaultValue;
            }
        } else {
            if (text[i] < '0' || text[i] > '9') {
                return defaultValue;
            }
            magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
            if (magnitude > 2147483648u) {
                return defaultValue;
            }
        }
    }

    if (hex) {
        // A hex number is a 32-bit pattern taken as is; the sign negates it.
        auto bits = static_cast<std::uint32_t>(magnitude);
        if (negative) {
            bits = 0u - bits;
        }
        return static_cast<std::int32_t>(bits);
    }
    if (!negative && magnitude > 2147483647u) {
        return defaultValue;
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string_view CharAt(std::string_view text, std::size_t pos) {
    return Mid(text, pos, 1);
}

std::string_view Mid(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos == 0 || pos > text.size()) {
        return text.substr(text.size()); // empty, where the text ends
    }
    return text.substr(pos - 1, count);
}

} // namespace velquist
