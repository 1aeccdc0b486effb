#pragma once

// Lookup tables of the protocol: a character and its text, searched in order;
// and bit maps, a text for each bit that is set.

#include "HexText.h"
#include "TextOut.h"
#include "velquist/CodeNames.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velquist {

// The text of the row whose key is the character `ch` (a view of one character),
// or `otherwise` when no row matches or the character is absent (empty view).
constexpr std::string_view LookupChar(std::span<const TCodeName> table, std::string_view ch,
                                      std::string_view otherwise = {}) {
    if (ch.empty()) {
        return otherwise;
    }
    for (const auto& row : table) {
        if (row.Code == ch.front()) {
            return row.Name;
        }
    }
    return otherwise;
}

// A text shown when bit `Bit` (0 = 0x01 .. 7 = 0x80) of byte `Byte` of a hex
// text is set.
struct TBitText {
    std::uint8_t Byte;
    std::uint8_t Bit;
    std::string_view Text;
};

// The characters of byte k of a hex text: its k-th pair (or what is left of it).
inline std::string_view PairChars(std::string_view hexText, std::size_t k) {
    return Mid(hexText, 2 * k + 1, 2);
}

// The text of every row whose bit is set in `hexText` (byte k is its k-th pair of
// hex digits; a missing or malformed pair reads 0), in table order. `chars` are
// the message characters the hex text stands for, one for one: each line shows
// the pair of characters its byte was read from.
inline void PutSetBits(TTextOut& out, std::string_view hexText, std::string_view chars,
                       std::span<const TBitText> table) {
    for (const auto& row : table) {
        if (IsBitSet(static_cast<std::uint32_t>(HexByteAt(hexText, row.Byte)), row.Bit)) {
            out.Put(row.Text, TFrom::Bytes(PairChars(chars, row.Byte)));
        }
    }
}

// Eight lines of a bit map, the line of bit 7 first.
using TBitLines = std::array<std::string_view, 8>;

// The line of every set bit of the low byte of `value`, from bit 7 down, each
// shown for the bytes `from`.
inline void PutBitLines(TTextOut& out, std::uint32_t value, const TBitLines& lines,
                        const TFrom& from) {
    for (unsigned bit = 8; bit-- > 0;) {
        if (IsBitSet(value, bit)) {
            out.Put(lines[7 - bit], from);
        }
    }
}

} // namespace velquist
