#pragma once

// Turning the text an engineer pasted into the message bytes, by input mode.
//
//   ASCII Hex Mode           the bytes as hex pairs, nothing between them
//   Base24 NETADRD Hex Mode  a block of trace lines whose columns 15 to 73 hold
//                            the bytes as hex pairs, possibly with blanks
//   String Mode              plain text with "~" standing for FS
//
// With no mode selected the text is the message, unchanged. Preparation never
// fails: characters that are not hex digits become 0x00 bytes.

#include "velquist/Decode.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velquist {

// The input modes.
enum class TInputMode {
    None, // no mode: the text is the message, unchanged
    AsciiHex,
    Netadrd,
    String,
};

// Pair k of the text (characters 2k+1 and 2k+2) as one byte: two hex digits of
// either case give their value, any other pair 0x00. Every character counts,
// blanks and line ends included; an odd last character is dropped.
std::string HexPairsToBytes(std::string_view text);

// The lines of a text as separated by its line ends (CR LF, LF or CR).
std::vector<std::string_view> SplitLines(std::string_view text);

// Characters 15 to 73 of every line, joined, with every blank removed.
std::string ExtractNetadrdHex(const std::vector<std::string_view>& lines);

// The text with every "~" replaced by FS.
std::string TildesToFieldSeparators(std::string_view text);

// The message bytes for `text` written in `mode`.
std::string PrepareMessage(std::string_view text, TInputMode mode);

// Where the bytes of a prepared message were written in its input text: in
// ASCII Hex Mode each byte by its pair of digits, in NETADRD mode by its pair
// of digits wherever the trace put them (blanks between, or split over two
// lines), in String Mode and with no mode by its character ("~" for an FS).
class TInputMap {
public:
    // The input characters that wrote message bytes `bytes` (clipped to the
    // message), as runs in text order. Digits with only blanks between them are
    // one run; a run ends at the end of a trace line.
    std::vector<TByteRange> TextSpans(TByteRange bytes) const;

    // The message byte that the input character at `position` helped write;
    // none for a character that wrote no byte (an odd last digit, a NETADRD
    // column outside the hex, a blank).
    std::optional<std::size_t> ByteAt(std::size_t position) const;

private:
    friend struct TPreparedInput PrepareInput(std::string_view text, TInputMode mode);

    TInputMode FMode = TInputMode::None;
    std::size_t FBytes = 0;                // bytes of the message
    std::vector<std::size_t> FDigitPlaces; // NETADRD: where each hex digit kept stands
    std::vector<bool> FJoinsPrevious;      // NETADRD: only blanks since the digit before
};

struct TPreparedInput {
    std::string Message;
    TInputMap Map;
};

// The message bytes for `text` written in `mode`, and where each byte was
// written. PrepareMessage is the same without the map.
TPreparedInput PrepareInput(std::string_view text, TInputMode mode);

// Every blank (0x20) removed; tabs, line ends and all else stay.
std::string RemoveSpaces(std::string_view text);

} // namespace velquist
