#pragma once

// Where the things a decode ties together stand in the window's two text areas.
//
// A decode ties each decoded line to the message bytes it shows, and the input
// preparation ties each message byte to the characters of the prepared input
// text that wrote it. The text areas count neither in bytes: the input area
// holds the text as characters (a surrogate pair is one Windows-1252 byte "?",
// a line break is the two bytes CR LF) cut into paragraphs (a long line goes on
// in the next paragraph), and the output area shows the decoded bytes with marks
// of several characters for control bytes and continued display lines. These
// maps take a position in an area to the bytes and back, each in logarithmic
// time, so the highlighting can follow the caret through a message of megabytes.

#include "velquist/Decode.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <optional>
#include <vector>

namespace velquist::ui {

// A run of positions in a text area's document, [Start, End).
struct TPositionRun {
    int Start = 0;
    int End = 0;
    friend bool operator==(const TPositionRun&, const TPositionRun&) = default;
};

// Positions in the input area's document and bytes of the prepared input text
// (the input as Windows-1252 bytes, CR LF for each line break). Most characters
// are one byte at one position; the map keeps the others:
//   a line break       CR LF, 2 bytes, at 1 position (the end of its paragraph)
//   a cut              no byte, 1 position: the end of a paragraph that the next
//                      paragraph continues
//   a surrogate pair   1 byte ("?"), 2 positions (3 with a cut between them)
class TInputPlaces {
public:
    TInputPlaces() = default;

    // The places of `text` (the input, "\n" for each line break) in a document
    // that cuts it into paragraphs at `cuts` (offsets into the text, ascending,
    // where a paragraph continuing a line starts).
    TInputPlaces(QStringView text, const std::vector<qsizetype>& cuts);

    // The bytes of the prepared text.
    std::size_t Bytes() const { return FBytes; }

    // The positions of the characters that hold `bytes` (clipped to the text);
    // an empty run for no bytes.
    TPositionRun RunOf(TByteRange bytes) const;

    // The first byte of the character at `position`: of the character after a
    // cut, of a line break its CR, Bytes() at or past the end.
    std::size_t ByteAt(int position) const;

    // The byte under a caret at `position`: the character after the caret, or
    // at the end of a line the character before it, or on an empty line its
    // line break (the CR). None in an empty text.
    std::optional<std::size_t> ByteUnderCaret(int position) const;

private:
    // Characters that are not one byte at one position.
    struct TUnit {
        std::size_t Byte = 0; // its first byte
        int Position = 0;     // its first position
        std::size_t Bytes = 0;
        int Positions = 0;
        bool LineBreak = false;
    };

    void Add(std::size_t bytes, int positions, bool lineBreak);
    void AddPlain(int characters);
    // The last unit starting at or before `byte` / `position`; null for none.
    const TUnit* UnitByByte(std::size_t byte) const;
    const TUnit* UnitByPosition(int position) const;
    int StartOf(std::size_t byte) const;
    int EndOf(std::size_t byte) const;
    bool InLineBreak(std::size_t byte) const;

    std::vector<TUnit> FUnits; // in document order
    std::size_t FBytes = 0;
    int FPositions = 0;
};

// Which of a set of byte ranges contain a given byte, found in time that grows
// with the logarithm of their number and with the ranges found.
class TRangeIndex {
public:
    struct TEntry {
        TByteRange Range;
        std::size_t Id = 0;
    };

    TRangeIndex() = default;
    explicit TRangeIndex(std::vector<TEntry> entries); // empty ranges are left out

    // The ids of the ranges that contain `byte`, ascending.
    std::vector<std::size_t> Containing(std::size_t byte) const;

private:
    std::vector<TEntry> FEntries;       // by offset
    std::vector<std::size_t> FFurthest; // a tree over FEntries: the furthest end below each node
    std::size_t FLeaves = 0;
};

// The lines of a decoded text as the output area shows them: where each starts
// and ends in the shown text, the message bytes it shows, and which lines show
// a byte.
class TShownLines {
public:
    TShownLines() = default;

    // `places` are the shown positions of the offsets of LineBounds(lines), as
    // ShowBytes finds them.
    TShownLines(const std::vector<TDecodedLine>& lines, const std::vector<qsizetype>& places);

    // The offsets in the decoded text where each line starts and ends (its
    // CR LF, or the end of the text), two for each line, ascending.
    static std::vector<std::size_t> LineBounds(const std::vector<TDecodedLine>& lines);

    // The line shown at `position` of the shown text: its display lines and the
    // line break after it count; none after the last line.
    std::optional<std::size_t> LineAt(int position) const;

    // The message bytes line `line` shows; none for a line without them or an
    // empty range.
    std::optional<TByteRange> BytesOf(std::size_t line) const;

    // Where line `line` is shown: from its first character to its line break
    // (the end of the text for the last line).
    TPositionRun RunOf(std::size_t line) const;

    // The lines that show message byte `byte`, in the order of the text.
    std::vector<std::size_t> LinesShowing(std::size_t byte) const;

private:
    struct TLine {
        TPositionRun Run;
        std::optional<TByteRange> Bytes;
    };

    std::vector<TLine> FLines;
    TRangeIndex FShowing;
};

} // namespace velquist::ui
