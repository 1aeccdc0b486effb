#pragma once

// Command line of velquist-decode.

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

extern const char* const kUsage;

} // namespace velquist::cli
