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

// Every blank (0x20) removed; tabs, line ends and all else stay.
std::string RemoveSpaces(std::string_view text);

} // namespace velquist
