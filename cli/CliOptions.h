#pragma once

// Command line of velquist-decode.

#include "velquist/InputPrep.h"
#include "velquist/Trace.h"
#include "velquist/TraceQuery.h"

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velquist::cli {

// What --trace does with the trace (TraceCommand.h).
struct TTraceOptions {
    TTraceLayout Layout = TTraceLayout::Auto; // --layout NAME
    bool Decode = false;                      // --decode: each message's decoded text too
    bool Stats = false;                       // --stats: the statistics instead of the messages
    bool Redact = false;                      // --redact: the trace back, card data masked
    TTraceFilter Filter;                      // --luno, --type, --match, --unanswered, --slower
};

struct TCliOptions {
    TInputMode Mode = TInputMode::AsciiHex;
    std::optional<TTraceOptions> Trace; // --trace: a whole trace, not one message
    std::optional<std::string> Text;    // --text TEXT
    std::optional<std::string> File;    // FILE; absent or "-" for standard input
    bool Json = false;                  // --json: the decode as one line of JSON
    bool Mask = false;                  // --mask: card data masked
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

// A number of seconds ("2", "0.25") as a duration, to the nanosecond.
std::optional<std::chrono::nanoseconds> SecondsFromText(std::string_view text);

extern const char* const kUsage;

// Exit status 3: standard output could not be written. Either command ends with it
// after OutputError(), which says why (errno) on standard error.
inline constexpr int kExitOutputError = 3;
int OutputError();

} // namespace velquist::cli
