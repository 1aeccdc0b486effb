#pragma once

// From the text an engineer pasted (or a file holds) to the decoded message: the
// one way every front end turns input into a decode.
//
//   ASCII Hex Mode           the bytes as hex pairs, nothing between them
//   Base24 NETADRD Hex Mode  a block of trace lines whose columns 15 to 73 hold
//                            the bytes as hex pairs, possibly with blanks
//   String Mode              plain text with "~" standing for FS
//   no mode                  the text is the message, unchanged
//   raw                      the input is the message's bytes, exactly
//
// A text is lines. In every mode but raw, each line break of the text (CR LF,
// LF, or a CR alone) counts as CR LF, as in the window's input area, which
// keeps lines rather than line-end bytes. Preparation never fails: characters
// that are not hex digits become 0x00 bytes.

#include "velquist/Decode.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velquist {

enum class TInputMode {
    None,     // no mode: the text is the message, its line breaks CR LF
    AsciiHex, // "ASCII Hex Mode"
    Netadrd,  // "Base24 NETADRD Hex Mode"
    String,   // "String Mode"
    Raw,      // the message's bytes, exactly as given
};

struct TInputOptions {
    TInputMode Mode = TInputMode::AsciiHex;

    // The text is what a file or a pipe held: one final line end (LF or CR LF)
    // closes its last line and is not part of the message. Not so in raw mode.
    bool FromFile = false;

    // Also the input map: where each message byte was written in the text.
    bool WithMap = false;
};

// Where the bytes of a message were written in its input text, the text's line
// breaks counted as CR LF (two characters) outside raw mode: in ASCII Hex Mode
// each byte by its pair of digits, in NETADRD mode by its pair of digits
// wherever the trace put them (blanks between, or split over two lines), in
// String Mode, with no mode and raw by its character ("~" for an FS).
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

struct TDecodedInput {
    std::string Message;   // the message bytes the text stands for
    TDecodeResult Decoded; // their decode
    TInputMap Map;         // with TInputOptions::WithMap
};

// Prepares the message that `text` stands for and decodes it. None for a text
// that holds nothing to decode (empty, or a file's final line end alone): a
// front end then leaves everything as it was. Never throws but for running out
// of memory while preparing; the decode reports that as its error.
std::optional<TDecodedInput> DecodeInput(std::string text, const TInputOptions& input,
                                         const TDecodeOptions& options = {});

// The message bytes `text` stands for: DecodeInput's message, without the decode.
std::string PrepareText(std::string text, const TInputOptions& input);

// Every blank (0x20) removed; tabs, line breaks and all else stay. For any
// character type, so the window cleans its text as it holds it.
template <typename TChar>
std::basic_string<TChar> RemoveSpaces(std::basic_string_view<TChar> text) {
    std::basic_string<TChar> result;
    result.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(result),
                 [](TChar c) { return c != TChar(' '); });
    return result;
}

inline std::string RemoveSpaces(std::string_view text) {
    return RemoveSpaces<char>(text);
}

} // namespace velquist
