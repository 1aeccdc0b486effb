#pragma once

// The pieces of a trace text the trace reader recognises, each a pure function
// of one line: offset dump lines, NETADRD block lines, hex runs at the end of a
// line, timestamps. Positions are offsets in the line.

#include "Lines.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velquist::trace {

inline constexpr std::size_t kNone = std::string_view::npos;

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The number of line breaks in text[from, to): each LF, and each CR that no LF
// follows in text[..end).
std::uint64_t CountLineBreaks(std::string_view text, std::size_t from, std::size_t to,
                              std::size_t end);

// ---- Timestamps ------------------------------------------------------------------

inline constexpr std::int64_t kNanosecondsPerDay = 86'400'000'000'000;

// A time written in a line: HH:MM:SS, optionally a fraction of 1 to 9 digits
// after "." or "," (further digits are read and ignored), and optionally a date
// YYYY-MM-DD or YYYY/MM/DD before it, a blank or "T" between (a year from 1970
// to 2200; another date is no date).
struct TFoundTime {
    std::size_t Begin = 0;           // where the date, or else the hour, starts
    std::size_t End = 0;             // after the last digit
    std::int64_t TimeOfDay = 0;      // nanoseconds since midnight
    std::optional<std::int64_t> Day; // days since 1970-01-01 when a date is written
};

// The first time in the line. A time must stand apart: not inside a longer run
// of digits and colons (hex pairs joined by ":"), nor glued to a word.
std::optional<TFoundTime> FindTimestamp(std::string_view line);

// ---- Offset dumps ----------------------------------------------------------------

// A line of an offset dump: the offset, the hex bytes in groups, and the ASCII
// column after them if there is one.
struct TDumpLine {
    std::uint64_t Offset = 0;
    std::size_t HexBegin = 0; // the first group
    std::size_t HexEnd = 0;   // after the last group that holds bytes
    std::size_t Bytes = 0;    // whole bytes in the groups
    bool OddDigit = false;    // the last group has an odd number of digits
    // The ASCII column, where it shows exactly these bytes (surely a dump line
    // then): where the character of the line's first byte stands.
    std::size_t AsciiBegin = kNone;
};

// What ParseDumpLine needs between calls, so that a walk allocates nothing per line.
struct TDumpScratch {
    struct TToken {
        std::size_t Begin;
        std::size_t End;
    };
    std::vector<TToken> Tokens;
    std::vector<unsigned char> Bytes; // the bytes of the last line parsed, TDumpLine::Bytes of them
};

std::optional<TDumpLine> ParseDumpLine(std::string_view line, TDumpScratch& scratch);

// The closing line of a dump, its offset alone ("00000040").
std::optional<std::uint64_t> ParseOffsetOnly(std::string_view line);

// hexdump's "*": the line before it repeats up to the next offset.
bool IsRepeatLine(std::string_view line);

// ---- NETADRD blocks --------------------------------------------------------------

// A line of a NETADRD block: columns 15 to 73 hold hex digits and blanks, at
// least one digit, and the blank in column 14 sets them apart from what stands
// before (a header line of 15 characters is no block line).
struct TNetadrdLine {
    std::size_t HexEnd = 0; // after the last column of hex, 73 at most
    // Columns 1 to 14 give the block's offset twice, 4 and 8 hex digits of the
    // same value ("0010 00000010 "): a line no other layout writes.
    bool Signature = false;
    std::uint64_t Offset = 0;       // with the signature
    std::size_t AsciiBegin = kNone; // the text column after a "*" or "|" past column 73
};

std::optional<TNetadrdLine> ParseNetadrdLine(std::string_view line);

// ---- Hex runs at the end of a line -------------------------------------------------

// Hex pairs at the end of a line: one run of digits, or pairs with blanks
// between (the groups all as long as the first, the last possibly shorter), or
// pairs joined by "." or ":".
struct THexRun {
    std::size_t Begin = 0;
    std::size_t End = 0;
    std::size_t Digits = 0;
    bool OddDigit = false;
};

// The run that ends the line (blanks after it allowed) and starts at `notBefore`
// or later; none when the line does not end with hex.
std::optional<THexRun> FindHexRun(std::string_view line, std::size_t notBefore);

} // namespace velquist::trace
