#pragma once

// Runs a program with given standard input and collects what it writes, for the
// end-to-end tests of the command-line decoder and the tests that run tshark.
// On Windows the program starts with CreateProcess, its arguments turned from
// UTF-8 into UTF-16 and quoted the way the C runtime reads them back.

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace velquist::test {

// Where the program's standard output goes.
enum class TStdout {
    Collected,  // a pipe, read into TProcessResult::Out
    DevFull,    // /dev/full: every write fails with ENOSPC
    ClosedPipe, // a pipe nobody reads any more: every write fails with EPIPE
};

// The target's name in test output.
void PrintTo(TStdout target, std::ostream* out);

// Whether a program can be started with a limit on its address space. Windows
// has no such limit (a job object limits committed memory, which is another
// thing).
#ifdef _WIN32
inline constexpr bool kCanLimitAddressSpace = false;
#else
inline constexpr bool kCanLimitAddressSpace = true;
#endif

struct TProcessOptions {
    TStdout Stdout = TStdout::Collected;
    std::size_t AddressSpaceLimit = 0; // RLIMIT_AS of the program in bytes; 0 for none
};

// This process's id, for names of temporary files that no other test program
// running at the same time uses.
int CurrentProcessId();

struct TProcessResult {
    int ExitCode = -1; // the exit status, or 128 + signal number
    std::string Out;
    std::string Err;
};

// Runs argv[0] (a path) with `input` on its standard input. The program starts as
// from a shell, with the default action for SIGPIPE, whatever this process does
// with it. A limit on the address space where none can be set is a logic_error.
TProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                          const TProcessOptions& options = {});

// A file of the given content for a program to read, removed when it goes.
class TempFile {
public:
    explicit TempFile(const std::string& content) {
        static int counter = 0;
        FPath = std::filesystem::temp_directory_path() /
                ("velquist-e2e-" + std::to_string(CurrentProcessId()) + "-" +
                 std::to_string(counter++));
        std::ofstream(FPath, std::ios::binary) << content;
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { std::filesystem::remove(FPath); }
    std::string Path() const { return FPath.string(); }

private:
    std::filesystem::path FPath;
};

} // namespace velquist::test
