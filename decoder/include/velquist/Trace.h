#pragma once

// Reading a whole trace: a host trace, a switch log or a terminal's journal that
// holds many messages, written in one of several layouts (block by block, so one
// text may mix them):
//
//   dump     offset dumps as hexdump -C, xxd, od -A x -t x1z and the hex dumps of
//            Java switch logs write them: an offset (4 to 8 hex digits, ":" after
//            it allowed), hex bytes singly or in groups of 2, 4 or 8 bytes, and an
//            ASCII column, which is ignored. A line whose offset is 0 starts a new
//            message, as does a line that is not part of a dump, a blank line and
//            a line whose offset does not continue the count. hexdump's "*" (the
//            line before repeats up to the next offset) and closing offset line
//            are understood.
//   netadrd  Base24 NETADRD trace blocks: hex digits and blanks in columns 15 to
//            73, a blank in column 14; a line whose columns 15 to 73 are anything
//            else ends the message.
//            Recognised by itself where columns 1 to 14 give the block offset
//            twice ("0010 00000010 "), which no dump writes.
//   lines    one message a line: hex pairs (together, with blanks between, or
//            joined by "." or ":") at the end of the line, after any prefix (a
//            time, a direction, a terminal name). A run of fewer than 4 bytes is
//            no message, and the digits of a time are never message bytes.
//   be2, le2, ascii4
//            a binary stream as saved from a TCP connection, each message behind
//            its length header (Framing.h). Never recognised by itself.
//
// A message's time comes from the prefix of its line (lines), or else from the
// nearest line before it, after the message before, that holds a time (its
// header): HH:MM:SS with a fraction of 1 to 9 digits after "." or "," allowed,
// and a date YYYY-MM-DD or YYYY/MM/DD, a blank or "T" between, before it. Times
// without a date roll over midnight: a time more than 12 hours earlier than the
// one before it is on the next day. Times never come from inside the hex.
//
// The reader never copies the text: a front end maps a file larger than memory
// and hands the reader a view of it. Any bytes are read without harm: NUL bytes,
// invalid UTF-8 or a line of a gigabyte are text like any other.

#include "velquist/Decode.h"
#include "velquist/Framing.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velquist {

enum class TTraceLayout : std::uint8_t { Auto, Dump, Netadrd, Lines, Be2, Le2, Ascii4 };

// "auto", "dump", "netadrd", "lines", "be2", "le2", "ascii4".
std::string_view TraceLayoutName(TTraceLayout layout);
std::optional<TTraceLayout> TraceLayoutFromName(std::string_view name);
std::span<const TTraceLayout> AllTraceLayouts();

// The length header of a binary stream's layout (be2, le2, ascii4); none for a
// text layout.
std::optional<TFraming> TraceLayoutFraming(TTraceLayout layout);

// A message's time on the trace's clock: nanoseconds since 1970-01-01 once the
// trace has written a date, else since the midnight before its first time (each
// midnight the times roll over adds a day).
struct TTraceTime {
    std::int64_t Nanoseconds = 0;
    bool HasDate = false; // the trace wrote a date with this time
    friend bool operator==(const TTraceTime&, const TTraceTime&) = default;
};

// "YYYY-MM-DDTHH:MM:SS.ffffff" with a date, else "HH:MM:SS.ffffff"; finer
// fractions truncated. `separator` goes between date and time.
std::string FormatTraceTime(TTraceTime time, char separator = 'T');

// A duration in seconds as a decimal number, to the microsecond (truncated),
// without trailing zeros ("0.273", "12", "-1.5"), or with all six decimals
// ("0.273000") for columns.
std::string FormatSeconds(std::chrono::nanoseconds duration, bool allDecimals = false);

// One message of a trace, as the reader yields it.
struct TTraceRecord {
    std::string Message; // its bytes
    // The text it was read from, its header line not included: hand it to
    // ReadTraceMessage to read the message again.
    std::size_t TextBegin = 0;
    std::size_t TextEnd = 0;
    // The first and last line (from 1) that hold its bytes.
    std::uint64_t FirstLine = 0;
    std::uint64_t LastLine = 0;
    std::optional<TTraceTime> Time;
    TTraceLayout Layout = TTraceLayout::Auto; // the layout it was read in, never Auto
    bool OddDigit = false;  // its hex has an odd digit, dropped: the whole pairs are kept
    bool Truncated = false; // the stream ends before the length its header announces
};

// Walks a trace text one message at a time.
class TTraceReader {
public:
    explicit TTraceReader(std::string_view text, TTraceLayout layout = TTraceLayout::Auto);
    TTraceReader(TTraceReader&&) noexcept;
    TTraceReader& operator=(TTraceReader&&) noexcept;
    ~TTraceReader();

    // The next message; false after the last.
    bool Next(TTraceRecord& record);

    // How far the walk has come, in bytes of the text.
    std::size_t Position() const;

private:
    std::unique_ptr<class TTraceParser> FParser;
};

// Where one message byte stands in the trace text: its two hex digits (one
// character for a binary layout, the "*" for a byte that hexdump's "*" repeats),
// and its character in an ASCII column where the layout has one.
struct TBytePlace {
    static constexpr std::size_t kNowhere = std::string_view::npos;
    std::size_t High = 0;
    std::size_t Low = 0;
    std::size_t Ascii = kNowhere;
};

// A message read again from the trace, with where each of its bytes stands.
class TTraceMessage {
public:
    std::string Message;
    std::uint64_t FirstLine = 0;
    std::uint64_t LastLine = 0;
    bool OddDigit = false;
    bool Truncated = false;

    // The trace characters that wrote message bytes `bytes` (clipped to the
    // message), as runs in text order: digits with only blanks between them are
    // one run; a run ends with its line.
    std::vector<TByteRange> TextSpans(TByteRange bytes) const;

    // The message byte the trace character at `position` wrote; none for a
    // character that wrote none (an offset, a blank, the ASCII column).
    std::optional<std::size_t> ByteAt(std::size_t position) const;

    std::span<const TBytePlace> Places() const { return FPlaces; }

private:
    friend TTraceMessage ReadTraceMessage(std::string_view, std::size_t, std::size_t, TTraceLayout,
                                          std::uint64_t, bool);

    std::string_view FText;
    std::vector<TBytePlace> FPlaces;
};

// The whole lines that text[begin, end) stands on (a message's text, whose
// first line may start before it): from the start of the first to the end of the
// last, line breaks not included.
TByteRange TraceLinesAround(std::string_view text, std::size_t begin, std::size_t end);

// Reads the message that text[begin, end) holds in `layout` (a record's
// TextBegin, TextEnd and Layout), whose first line is line `firstLine`; with
// `places`, also where each byte stands (else TextSpans and ByteAt find nothing).
TTraceMessage ReadTraceMessage(std::string_view text, std::size_t begin, std::size_t end,
                               TTraceLayout layout, std::uint64_t firstLine, bool places = true);

} // namespace velquist
