// RunProcess on Windows: CreateProcess with anonymous pipes. Anonymous pipes
// cannot be waited on together, so the input is written and standard error read
// by threads of their own while this one reads standard output.

#include "ProcessRunner.h"

#include "Io.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <utility>

namespace velquist::test {

namespace {

class THandle {
public:
    THandle() = default;
    explicit THandle(HANDLE handle) : FHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    THandle(THandle&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    THandle& operator=(THandle&& other) noexcept {
        std::swap(FHandle, other.FHandle);
        return *this;
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    ~THandle() { Close(); }

    HANDLE Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
    void Close() {
        if (FHandle != nullptr) {
            ::CloseHandle(std::exchange(FHandle, nullptr));
        }
    }

private:
    HANDLE FHandle = nullptr;
};

// A pipe whose end `childEnd` (0 the reading, 1 the writing end) the program
// inherits; the other end stays with this process.
struct TPipe {
    THandle Read;
    THandle Write;
};

TPipe OpenPipe(int childEnd) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherited, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    TPipe pipe{THandle(read), THandle(write)};
    ::SetHandleInformation(childEnd == 0 ? write : read, HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

// One argument in quotes, so that the C runtime's parser of the command line
// gives it back as it was: a quote is escaped with a backslash, and backslashes
// before a quote are doubled.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        line += c;
        backslashes = 0;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

std::wstring CommandLine(const std::vector<std::string>& argv) {
    std::wstring line;
    for (const std::string& argument : argv) {
        if (!line.empty()) {
            line += L' ';
        }
        AppendQuoted(line, platform::Wide(argument));
    }
    return line;
}

// Where the program writes its standard output, and the end this process reads
// it from (none when nothing is read).
struct TOutput {
    THandle ChildEnd;
    THandle Read;
};

TOutput OpenOutput(TStdout target) {
    switch (target) {
    case TStdout::Collected: {
        TPipe pipe = OpenPipe(1);
        return {std::move(pipe.Write), std::move(pipe.Read)};
    }
    case TStdout::DevFull: {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        THandle full(::CreateFileW(L"/dev/full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherited, OPEN_EXISTING, 0, nullptr));
        if (!full) {
            throw std::runtime_error("cannot open /dev/full");
        }
        return {std::move(full), THandle()};
    }
    case TStdout::ClosedPipe: {
        TPipe pipe = OpenPipe(1); // its reading end closes before the program starts
        return {std::move(pipe.Write), THandle()};
    }
    }
    throw std::logic_error("unknown output target");
}

// Everything the pipe end `from` gives until its writer closes it.
void ReadAll(const THandle& from, std::string& sink) {
    char buffer[1 << 16];
    DWORD got = 0;
    while (::ReadFile(from.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        sink.append(buffer, got);
    }
}

// As much of `input` as the program reads; then its standard input ends.
void WriteAll(THandle to, const std::string& input) {
    std::size_t written = 0;
    while (written < input.size()) {
        DWORD put = 0;
        const auto size =
            static_cast<DWORD>(std::min<std::size_t>(input.size() - written, 1 << 16));
        if (!::WriteFile(to.Get(), input.data() + written, size, &put, nullptr)) {
            break; // the program stopped reading
        }
        written += put;
    }
}

} // namespace

int CurrentProcessId() {
    return static_cast<int>(::GetCurrentProcessId());
}

TProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                          const TProcessOptions& options) {
    if (options.AddressSpaceLimit > 0) {
        throw std::logic_error("Windows cannot limit a program's address space");
    }
    TPipe in = OpenPipe(0);
    TOutput out = OpenOutput(options.Stdout);
    TPipe err = OpenPipe(1);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.Read.Get();
    startup.hStdOutput = out.ChildEnd.Get();
    startup.hStdError = err.Write.Get();
    std::wstring commandLine = CommandLine(argv);
    PROCESS_INFORMATION started{};
    // The tests start one program at a time: no other inheritable handle is open.
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &started)) {
        throw std::runtime_error("cannot start " + argv.front());
    }
    const THandle process(started.hProcess);
    ::CloseHandle(started.hThread);
    in.Read.Close();
    out.ChildEnd.Close();
    err.Write.Close();

    TProcessResult result;
    std::thread writer(WriteAll, std::move(in.Write), std::cref(input));
    std::thread errReader([&] { ReadAll(err.Read, result.Err); });
    if (out.Read) {
        ReadAll(out.Read, result.Out);
    }
    errReader.join();
    writer.join();

    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    result.ExitCode = static_cast<int>(code);
    return result;
}

} // namespace velquist::test
