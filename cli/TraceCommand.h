#pragma once

// velquist-decode --trace: every message of a trace listed, decoded, written as
// JSON Lines or counted, or the trace written back with its card data masked.

#include "CliOptions.h"

#include <functional>
#include <string_view>

namespace velquist::cli {

// Runs the trace command over `text` (the trace; `source` names it in messages,
// e.g. "'day.log'" or "standard input") and writes its output in pieces to
// `write`, which returns false when it cannot. Returns the exit status:
// 0 messages found, 1 none, 3 the output could not be written.
int RunTraceCommand(const TCliOptions& options, std::string_view text, std::string_view source,
                    const std::function<bool(std::string_view)>& write);

// Reads the trace that `options` name (TEXT, FILE or standard input, a regular
// file mapped) and runs the trace command over it; 2 when it cannot be read.
int RunTrace(const TCliOptions& options, const std::function<bool(std::string_view)>& write);

} // namespace velquist::cli
