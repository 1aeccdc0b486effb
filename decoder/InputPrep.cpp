#include "Prepare.h"

#include "HexText.h"
#include "Lines.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace velquist {

namespace {

// The trace columns that carry the message bytes in a NETADRD block.

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
    TLineFinder finder(text, text.size());
    for (std::size_t at = 0; at < text.size();) {
        const TLine line = finder.At(at);
        lines.push_back(line.Text);
        at = line.Next;
    }
    return lines;
}

namespace {

// Calls `onDigit(c, place, startsLine)` for every character of columns 15 to
// 73 of the lines that is not a blank: a hex digit, or what stands in its place.
template <typename TOnDigit>
void ForEachNetadrdDigit(const std::vector<std::string_view>& lines, TOnDigit onDigit) {
    for (const auto line : lines) {
        const std::string_view columns =
            Mid(line, kNetadrdHexBegin + 1, kNetadrdHexEnd - kNetadrdHexBegin);
        bool startsLine = true;
        for (const char& c : columns) {
            if (c != ' ') {
                onDigit(c, &c, startsLine);
                startsLine = false;
            }
        }
    }
}

} // namespace

std::string ExtractNetadrdHex(const std::vector<std::string_view>& lines) {
    std::string hex;
    ForEachNetadrdDigit(lines, [&hex](char c, const char*, bool) { hex.push_back(c); });
    return hex;
}

std::string TildesToFieldSeparators(std::string_view text) {
    std::string message(text);
    std::replace(message.begin(), message.end(), '~', kFS);
    return message;
}

namespace {

// Calls `onBreak(at, length)` for each line break of the text, in order.
template <typename TOnBreak>
void ForEachLineBreak(std::string_view text, TOnBreak onBreak) {
    TLineFinder lines(text, text.size());
    for (std::size_t at = 0; at < text.size();) {
        const TLine line = lines.At(at);
        const std::size_t end = line.Begin + line.Text.size();
        if (line.Next > end) {
            onBreak(end, line.Next - end);
        }
        at = line.Next;
    }
}

} // namespace

std::string WithCrLfBreaks(std::string text) {
    // A line break that is not CR LF already adds one character.
    std::size_t added = 0;
    ForEachLineBreak(text, [&added](std::size_t, std::size_t length) { added += length == 1; });
    if (added == 0) {
        return text;
    }
    std::string result;
    result.reserve(text.size() + added);
    std::size_t copied = 0;
    ForEachLineBreak(text, [&](std::size_t at, std::size_t length) {
        result.append(text, copied, at - copied).append("\r\n");
        copied = at + length;
    });
    result.append(text, copied);
    return result;
}

void DropFinalLineEnd(std::string& text) {
    if (text.ends_with("\r\n")) {
        text.resize(text.size() - 2);
    } else if (text.ends_with('\n')) {
        text.pop_back();
    }
}

std::string ShapeText(std::string text, const TInputOptions& input) {
    if (input.Mode == TInputMode::Raw) {
        return text;
    }
    if (input.FromFile) {
        DropFinalLineEnd(text);
    }
    return WithCrLfBreaks(std::move(text));
}

std::string PrepareMessage(std::string_view text, TInputMode mode) {
    switch (mode) {
    case TInputMode::AsciiHex: return HexPairsToBytes(text);
    case TInputMode::Netadrd: return HexPairsToBytes(ExtractNetadrdHex(SplitLines(text)));
    case TInputMode::String: return TildesToFieldSeparators(text);
    case TInputMode::None:
    case TInputMode::Raw: break;
    }
    return std::string(text);
}

TPreparedInput PrepareInput(std::string_view text, TInputMode mode) {
    TPreparedInput prepared;
    TInputMap& map = prepared.Map;
    map.FMode = mode;
    if (mode == TInputMode::Netadrd) {
        std::string hex;
        ForEachNetadrdDigit(SplitLines(text), [&](char c, const char* place, bool startsLine) {
            hex.push_back(c);
            map.FDigitPlaces.push_back(static_cast<std::size_t>(place - text.data()));
            map.FJoinsPrevious.push_back(!startsLine);
        });
        prepared.Message = HexPairsToBytes(hex);
    } else {
        prepared.Message = PrepareMessage(text, mode);
    }
    map.FBytes = prepared.Message.size();
    return prepared;
}

std::vector<TByteRange> TInputMap::TextSpans(TByteRange bytes) const {
    const std::size_t first = std::min(bytes.Offset, FBytes);
    const std::size_t end = std::min(bytes.End(), FBytes);
    switch (FMode) {
    case TInputMode::AsciiHex:
        return first < end ? std::vector<TByteRange>{{2 * first, 2 * (end - first)}}
                           : std::vector<TByteRange>{};
    case TInputMode::String:
    case TInputMode::None:
    case TInputMode::Raw:
        return first < end ? std::vector<TByteRange>{{first, end - first}}
                           : std::vector<TByteRange>{};
    case TInputMode::Netadrd: break;
    }
    std::vector<TByteRange> spans;
    for (std::size_t digit = 2 * first; digit < 2 * end; ++digit) {
        const std::size_t place = FDigitPlaces[digit];
        if (!spans.empty() && digit > 2 * first && FJoinsPrevious[digit]) {
            spans.back().Length = place + 1 - spans.back().Offset;
        } else {
            spans.push_back({place, 1});
        }
    }
    return spans;
}

std::optional<std::size_t> TInputMap::ByteAt(std::size_t position) const {
    std::size_t byte = position;
    switch (FMode) {
    case TInputMode::AsciiHex: byte = position / 2; break;
    case TInputMode::String:
    case TInputMode::None:
    case TInputMode::Raw: break;
    case TInputMode::Netadrd: {
        const auto found = std::lower_bound(FDigitPlaces.begin(), FDigitPlaces.end(), position);
        if (found == FDigitPlaces.end() || *found != position) {
            return std::nullopt;
        }
        byte = static_cast<std::size_t>(found - FDigitPlaces.begin()) / 2;
        break;
    }
    }
    return byte < FBytes ? std::optional<std::size_t>(byte) : std::nullopt;
}

std::string PrepareText(std::string text, const TInputOptions& input) {
    const std::string shaped = ShapeText(std::move(text), input);
    return PrepareMessage(shaped, input.Mode);
}

std::optional<TDecodedInput> DecodeInput(std::string text, const TInputOptions& input,
                                         const TDecodeOptions& options) {
    TDecodedInput decoded;
    try {
        std::string shaped = ShapeText(std::move(text), input);
        if (shaped.empty()) {
            return std::nullopt; // nothing to decode
        }
        if (input.WithMap) {
            TPreparedInput prepared = PrepareInput(shaped, input.Mode);
            decoded.Message = std::move(prepared.Message);
            decoded.Map = std::move(prepared.Map);
        } else {
            decoded.Message = PrepareMessage(shaped, input.Mode);
        }
    } catch (const std::bad_alloc&) {
        decoded = TDecodedInput{};
        decoded.Decoded.Error = "Out of memory";
        return decoded;
    } catch (const std::length_error&) {
        decoded = TDecodedInput{};
        decoded.Decoded.Error = "Out of memory";
        return decoded;
    }
    // The shaped text is gone: a large decode reuses its memory.
    decoded.Decoded = DecodeMessage(decoded.Message, options);
    return decoded;
}

} // namespace velquist
