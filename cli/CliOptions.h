#pragma once

// Command line of velquist-decode and the shaping of its input text.

#include "velquist/InputPrep.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velquist::cli {

struct TCliOptions {
    TInputMode Mode = TInputMode::AsciiHex;
    std::optional<std::string> Text; // --text TEXT
    std::optional<std::string> File; // FILE; absent or "-" for standard input
    bool Json = false;               // --json: the decode as one line of JSON
    bool Mask = false;               // --mask: card data masked
    bool Help = false;
    bool Version = false;
};

struct TParseResult {
    TCliOptions Options;
    std::string Error; // a one-line usage error; empty when the command line is good
};

// Parses the arguments after the program name.
TParseResult ParseArguments(std::span<const std::string_view> args);

// The input mode named on the command line: hex, netadrd, string or raw.
std::optional<TInputMode> ModeFromName(std::string_view name);

// The input as the message text, by the line-end rules of `mode`. In raw mode
// (TInputMode::None) the input is the message's bytes and stays exactly as it is.
// In the other modes it becomes the text the window's input area would hold: one
// final line end of a file or of standard input (`fromStream`) is dropped, and
// every line break is CR LF.
std::string ShapeInput(std::string input, TInputMode mode, bool fromStream);

// Drops exactly one final line end (LF or CR LF), as a message saved to a file
// or piped by echo ends with one.
void DropFinalLineEnd(std::string& text);

// Every LF not preceded by CR becomes CR LF, the line ends of the window's input
// area; a lone CR stays.
std::string ToCrLf(std::string text);

extern const char* const kUsage;

} // namespace velquist::cli
