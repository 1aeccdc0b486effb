#include "velquist/InputPrep.h"

#include "HexText.h"
#include "velquist/UDiebold.h"

#include <algorithm>
#include <iterator>

namespace velquist {

namespace {

// The trace columns that carry the message bytes in a NETADRD block.
constexpr std::size_t kNetadrdFirstColumn = 15;
constexpr std::size_t kNetadrdColumns = 59; // columns 15 to 73

} // namespace

std::string HexPairsToBytes(std::string_view text) {
    const std::size_t count = text.size() / 2;
    std::string bytes(count, '\0');
    const char* in = text.data();
    char* out = bytes.data();
    for (std::size_t k = 0; k < count; ++k) {
        // Two hex digits is the common case; anything else the general rule.
        const int high = HexDigitValue(in[2 * k]);
        const int low = HexDigitValue(in[2 * k + 1]);
        out[k] = static_cast<char>((high | low) >= 0 ? high * 16 + low
                                                     : HexPairValue(text.substr(2 * k, 2)));
    }
    return bytes;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start =
            end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

std::string ExtractNetadrdHex(const std::vector<std::string_view>& lines) {
    std::string hex;
    for (const auto line : lines) {
        for (const char c : Mid(line, kNetadrdFirstColumn, kNetadrdColumns)) {
            if (c != ' ') {
                hex.push_back(c);
            }
        }
    }
    return hex;
}

std::string TildesToFieldSeparators(std::string_view text) {
    std::string message(text);
    std::replace(message.begin(), message.end(), '~', kFS);
    return message;
}

std::string PrepareMessage(std::string_view text, TInputMode mode) {
    switch (mode) {
    case TInputMode::AsciiHex: return HexPairsToBytes(text);
    case TInputMode::Netadrd: return HexPairsToBytes(ExtractNetadrdHex(SplitLines(text)));
    case TInputMode::String: return TildesToFieldSeparators(text);
    case TInputMode::None: break;
    }
    return std::string(text);
}

std::string RemoveSpaces(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(result),
                 [](char c) { return c != ' '; });
    return result;
}

} // namespace velquist
