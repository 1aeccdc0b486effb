#pragma once

// The steps of input preparation (InputPrep.h), each a pure function of its
// text.

#include "velquist/InputPrep.h"

#include <string>
#include <string_view>
#include <vector>

namespace velquist {

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

// Every line break (CR LF, LF, or a CR alone) as CR LF.
std::string WithCrLfBreaks(std::string text);

// Drops exactly one final line end (LF or CR LF), as a message saved to a file
// or piped by echo ends with one.
void DropFinalLineEnd(std::string& text);

// The text as the message is prepared from it: a file's final line end
// dropped and line breaks as CR LF, but in raw mode.
std::string ShapeText(std::string text, const TInputOptions& input);

// The message bytes for the shaped `text` written in `mode`.
std::string PrepareMessage(std::string_view text, TInputMode mode);

struct TPreparedInput {
    std::string Message;
    TInputMap Map;
};

// The message bytes for the shaped `text` written in `mode`, and where each byte
// was written. PrepareMessage is the same without the map.
TPreparedInput PrepareInput(std::string_view text, TInputMode mode);

} // namespace velquist
