#pragma once

// One message as the dissector shows it: the decode (text, lines with their
// bytes, field table), the summary, and the line for the packet list. Pure C++
// over the decoding library, so it can be tested and fuzzed without Wireshark.

#include "velquist/Pairing.h"

#include "velquist/Decode.h"
#include "velquist/Summary.h"

#include <chrono>
#include <string>
#include <string_view>

namespace velquist::ws {

struct TMessageView {
    TDecodeResult Decoded;
    TMessageSummary Summary;
};

TMessageView ViewMessage(std::string_view message, const TDecodeOptions& options);

// The message's entry in the packet list's Info column: its type's display
// name, LUNO, MCN where it has one, its most telling item, and the error of a
// message that cannot be decoded, e.g. "Function Command LUNO=001 MCN=1: Deliver
// and print" or "Consumer Request LUNO=001 [List index out of bounds (9)]".
// Values are the message's bytes, unchanged.
std::string InfoLine(const TMessageView& view);

// A decoded line as the value of d912.line. Wireshark ends a string at a NUL,
// and its filters and exports are text: so every control byte (0x00 to 0x1F,
// 0x7F) is written as Wireshark writes it in a label, \a \b \t \n \v \f \r
// for those that have a letter, a backslash and three octal digits for the
// others (\000 for NUL, \033 for ESC). Every other byte stays, a backslash
// too. A line without control bytes is its own value.
//
// The length of the line's value, and the value written to `out`, which has
// room for that many bytes. They work on a buffer of Wireshark's, as the
// dissector's code that calls them may be left by a longjmp.
//
// A label escapes the same bytes but for the blanks of a line: \t \n \v \f \r
// stay, for format_text_wsp to show each as a blank (the decoded text indents
// with tabs, and an indented line reads as one).
enum class TEscapes { Value, Label };
std::size_t EscapedLength(std::string_view line, TEscapes escapes = TEscapes::Value);
void WriteEscaped(std::string_view line, char* out, TEscapes escapes = TEscapes::Value);

// What pairing needs to know of the message, captured at `time`.
TPairingInput PairingInputOf(const TMessageView& view, std::chrono::nanoseconds time);

} // namespace velquist::ws
