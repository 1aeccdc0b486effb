#pragma once

// velquist-decode --trace: every message of a trace listed, decoded, written as
// JSON Lines or counted, or the trace written back with its card data masked.

#include "CliOptions.h"

#include <functional>
#include <string_view>

namespace velquist::cli {

// Reads the trace that `options` name (TEXT, FILE or standard input, a regular
// file mapped) and runs the trace command over it. Returns the exit status: 0
// messages found, 1 none, 2 the trace cannot be read, 3 the output could not be
// written.
int RunTrace(const TCliOptions& options, const std::function<bool(std::string_view)>& write);

} // namespace velquist::cli
