#pragma once

// Runs a program with given standard input and collects what it writes, for the
// end-to-end tests of the command-line decoder.

#include <string>
#include <vector>

namespace velquist::test {

struct TProcessResult {
    int ExitCode = -1; // the exit status, or 128 + signal number
    std::string Out;
    std::string Err;
};

TProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input);

} // namespace velquist::test
