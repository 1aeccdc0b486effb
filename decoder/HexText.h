#pragma once

// Text and hex helpers shared by the decoders and the input preparation.
//
// Every function here is pure: byte strings and numbers in, a new value out, no
// errors raised for bad input (it degrades as documented). Character positions in
// the protocol count from 1, so the positional helpers at the end take 1-based
// positions and clamp instead of failing: an absent character is an empty view.

#include "velquist/IntFromText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velquist {

// Each byte as two upper-case hex digits, `separator` between neighbours.
std::string HexDump(std::string_view bytes, std::string_view separator);

// Appends HexDump(bytes, separator) to `out` without building a temporary.
void AppendHexDump(std::string& out, std::string_view bytes, std::string_view separator);

// Each byte's low four bits as one upper-case hex digit, `separator` between
// neighbours. The terminal sends hex digits as the characters 0x30..0x3F
// ("0".."9", ":" ";" "<" "=" ">" "?"), and this is how they are shown.
std::string NibbleDump(std::string_view bytes, std::string_view separator);

// Each byte as two upper-case hex digits, nothing between.
std::string StrToHex(std::string_view bytes);

namespace detail {

constexpr std::array<std::int8_t, 256> MakeHexValueTable() {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i) {
        table['0' + i] = static_cast<std::int8_t>(i);
    }
    for (int i = 0; i < 6; ++i) {
        table['A' + i] = static_cast<std::int8_t>(10 + i);
        table['a' + i] = static_cast<std::int8_t>(10 + i);
    }
    return table;
}

inline constexpr std::array<std::int8_t, 256> kHexValue = MakeHexValueTable();

} // namespace detail

// The value of a hex digit of either case, -1 for any other byte.
constexpr int HexDigitValue(char c) {
    return detail::kHexValue[static_cast<unsigned char>(c)];
}

// The value of a text of at most two characters read as "$" followed by the
// text under IntFromText: the hex value of the digits before any NUL, or 0 when
// there are none or any of them is not a hex digit. Inline: the hex input mode
// calls it once per byte.
constexpr int HexPairValue(std::string_view pair) {
    if (pair.empty()) {
        return 0;
    }
    const int high = HexDigitValue(pair[0]);
    if (high < 0) {
        return 0;
    }
    if (pair.size() == 1 || pair[1] == '\0') {
        return high;
    }
    const int low = HexDigitValue(pair[1]);
    return low < 0 ? 0 : high * 16 + low;
}

// The n-th pair of characters (counted from 0) of a hex text as a number: 0..255
// for two hex digits of either case, a lone last digit's value, otherwise 0.
int HexByteAt(std::string_view hexText, std::size_t n);

// Whether bit `bit` (0 = 0x01 .. 7 = 0x80) of the low byte of `value` is set.
bool IsBitSet(std::uint32_t value, unsigned bit);

// Groups of three decimal digits, each written as upper-case hex of at least two
// digits: "001255016" gives "01FF10". A trailing group of one or two characters
// is ignored; a group that is not a number gives "00".
std::string DecTriplesToHex(std::string_view text);

// Character `pos` (1-based) of `text` as a view of one character, or an empty
// view at the end of the text when the text is shorter.
std::string_view CharAt(std::string_view text, std::size_t pos);

// Up to `count` characters of `text` from position `pos` (1-based); as much of
// the range as exists, possibly nothing (an empty view where the text ends).
std::string_view Mid(std::string_view text, std::size_t pos,
                     std::size_t count = std::string_view::npos);

} // namespace velquist
