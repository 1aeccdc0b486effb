#pragma once

// The decoded text under construction, and where each piece of it came from.
//
// Decoders append pieces of text: fixed text, values copied from the message,
// names looked up, hex dumps. On request the text keeps track of its lines (the
// text between two CR LF) and of the message bytes each line shows: every piece
// tells where it came from, and a line shows the bytes of all the pieces on it.
//
// A piece that is a view into the message (a field, a character of a field)
// says so by itself: it shows those bytes, character for character. A piece
// derived from message bytes (a name looked up, a dump, a number) is given the
// bytes it came from with TFrom::Bytes; fixed text comes from nowhere.
//
// Templates use "%s" (a string or a single character, inserted unchanged), "%d"
// (a decimal integer) and "%3s" (a string right-aligned in a width of three).
// Values are inserted verbatim: a "%" inside a value is just a "%", so message
// fields are never read as templates. Values are given as a braced list,
// PutFormat(t, {a, b, c}), whose elements are evaluated left to right: values
// that fetch message fields are computed in placeholder order, so the first
// missing field is the one named in the error.

#include "velquist/Decode.h"

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace velquist {

// Where a piece of decoded text came from in the message.
class TFrom {
public:
    // Fixed text, from nowhere in the message.
    constexpr TFrom() = default;

    // Character i of the piece shows byte i of `bytes`: a copy, a copy masked in
    // place, one digit per byte.
    static constexpr TFrom Chars(std::string_view bytes) { return TFrom(bytes, true); }

    // The piece as a whole comes from `bytes`: a name looked up, a hex dump, a
    // number read, text processed.
    static constexpr TFrom Bytes(std::string_view bytes) { return TFrom(bytes, false); }

    constexpr bool IsSet() const { return FSet; }
    constexpr bool IsCharwise() const { return FCharwise; }
    constexpr std::string_view View() const { return FBytes; }

private:
    constexpr TFrom(std::string_view bytes, bool charwise)
        : FBytes(bytes), FCharwise(charwise), FSet(true) {}

    std::string_view FBytes;
    bool FCharwise = false;
    bool FSet = false;
};

// One value of a template.
class TFmtArg {
public:
    TFmtArg(std::string_view text) : FText(text), FAuto(true) {}
    TFmtArg(const std::string& text) : FText(text), FAuto(true) {}
    TFmtArg(const char* text) : FText(text), FAuto(true) {}
    TFmtArg(std::int64_t number) : FNumber(number), FIsNumber(true) {}
    TFmtArg(int number) : TFmtArg(static_cast<std::int64_t>(number)) {}
    TFmtArg(std::string_view text, TFrom from) : FText(text), FFrom(from) {}
    TFmtArg(std::int64_t number, TFrom from) : FNumber(number), FIsNumber(true), FFrom(from) {}

    std::string_view Text() const { return FText; }
    std::int64_t Number() const { return FNumber; }
    bool IsNumber() const { return FIsNumber; }
    bool IsAuto() const { return FAuto; } // a view into the message speaks for itself
    const TFrom& From() const { return FFrom; }

private:
    std::string_view FText;
    std::int64_t FNumber = 0;
    bool FIsNumber = false;
    bool FAuto = false;
    TFrom FFrom;
};

// A value shown for the message bytes `from`: a name looked up, a dump.
inline TFmtArg Shown(std::string_view text, std::string_view from) {
    return TFmtArg(text, TFrom::Bytes(from));
}

class TTextOut {
public:
    // A text of its own, tied to no message: the lines are not kept.
    TTextOut() = default;

    // The text of `message`; with `keepLines` its lines and their byte ranges.
    TTextOut(std::string_view message, bool keepLines) : FMessage(message), FKeepLines(keepLines) {}

    // Fixed text, or a view into the message (a copy of those bytes).
    void Put(std::string_view text) { Put(text, TFrom::Chars(text)); }
    void Put(std::string_view text, const TFrom& from) {
        const std::size_t start = FText.size();
        FText.append(text);
        if (FKeepLines) {
            Note(start, from);
        }
    }

    // The template with its placeholders replaced, in order, by `args`. A
    // placeholder without a value is left out; "%%" stands for a single "%".
    void PutFormat(std::string_view templ, std::initializer_list<TFmtArg> args);

    // Text that `write` appends to the string it is given, from `from`.
    template <typename TWrite>
    void Write(const TFrom& from, TWrite&& write) {
        const std::size_t start = FText.size();
        write(FText);
        if (FKeepLines) {
            Note(start, from);
        }
    }

    // Room for `more` characters, and for a short text after them: a text of
    // gigabytes is never moved to make room for its last line.
    void Reserve(std::size_t more) { FText.reserve(FText.size() + more + kReserveSlack); }

    // Room for about `more` lines, where they are kept: a text of a hundred
    // thousand short lines is not moved to make room for them.
    void ReserveLines(std::size_t more) {
        if (FKeepLines) {
            FLines.reserve(FLines.size() + more + 1);
        }
    }
    std::size_t Size() const { return FText.size(); }
    bool KeepsLines() const { return FKeepLines; }

    // The text, and its lines (the last one closed), taken in either order.
    std::string TakeText();
    std::vector<TDecodedLine> TakeLines();

private:
    static constexpr std::size_t kReserveSlack = 256;

    // The message bytes `bytes` are, when they are some.
    bool Locate(std::string_view bytes, TByteRange& range) const;

    // Registers the text appended since `start`, where lines are kept: splits
    // it into lines and adds its source to each line it has characters on. A
    // view into the message, put as it is, shows those bytes.
    void Note(std::size_t start, const TFrom& from);
    void AddToLine(const TByteRange& range);
    void CloseLine(std::size_t end, std::size_t nextStart);
    void CloseLastLine();

    std::string_view FMessage;
    bool FKeepLines = false;
    std::string FText;

    // The lines closed so far, and the one being written.
    std::vector<TDecodedLine> FLines;
    std::size_t FLineStart = 0;
    std::size_t FLow = std::numeric_limits<std::size_t>::max(); // bytes the line shows
    std::size_t FHigh = 0;
    bool FAnchored = false; // the line shows an empty value at FAnchor
    std::size_t FAnchor = 0;
};

// The template filled, as a text of its own.
std::string Format(std::string_view templ, std::initializer_list<TFmtArg> args);

} // namespace velquist
