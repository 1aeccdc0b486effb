// velquist-decode: decodes one Diebold 911/912 message from the command line.
//
// The same decode action as the window's "Decode" button: the input text is
// prepared by the chosen mode, decoded by the library, and the decoded text is
// written byte for byte to standard output, or "Error: <message>" to standard
// error.

#include "CliOptions.h"
#include "velquist/UDiebold.h"
#include "velquist/Version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <malloc.h>
#include <memory>
#include <new>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using namespace velquist;

constexpr int kExitDecoded = 0;
constexpr int kExitDecodeError = 1;
constexpr int kExitUsage = 2;

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "velquist-decode: %s (see --help)\n", problem.c_str());
    return kExitUsage;
}

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// All bytes of a stream; false on a read error.
bool ReadAll(std::FILE* stream, std::string& data) {
    // A regular file is read into one buffer of its size; a pipe grows one.
    struct stat info {};
    if (::fstat(::fileno(stream), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        data.reserve(static_cast<std::size_t>(info.st_size) + 1);
    }
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
        data.append(buffer, got);
    }
    return std::ferror(stream) == 0;
}

// The input text as the window's input area would hold it; false with
// `problem` set when it cannot be read.
bool ReadInputText(const cli::TCliOptions& options, std::string& text, std::string& problem) {
    if (options.Text) {
        text = *options.Text;
    } else if (options.File.empty() || options.File == "-") {
        if (!ReadAll(stdin, text)) {
            problem = std::string("cannot read standard input: ") + std::strerror(errno);
            return false;
        }
        cli::DropFinalLineEnd(text);
    } else {
        const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(options.File.c_str(), "rb"));
        if (!file || !ReadAll(file.get(), text)) {
            problem = "cannot read '" + options.File + "': " + std::strerror(errno);
            return false;
        }
        cli::DropFinalLineEnd(text);
    }
    text = cli::ToCrLf(std::move(text));
    return true;
}

bool WriteAll(std::FILE* stream, std::string_view data) {
    return std::fwrite(data.data(), 1, data.size(), stream) == data.size() &&
           std::fflush(stream) == 0;
}

int Run(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    const auto parsed = cli::ParseArguments(args);
    if (!parsed.Error.empty()) {
        return UsageError(parsed.Error);
    }
    const auto& options = parsed.Options;
    if (options.Help) {
        std::fputs(cli::kUsage, stdout);
        return kExitDecoded;
    }
    if (options.Version) {
        std::printf("velquist-decode %s\n", kVersion);
        return kExitDecoded;
    }

    std::string text;
    if (std::string problem; !ReadInputText(options, text, problem)) {
        return UsageError(problem);
    }
    if (text.empty()) {
        return kExitDecoded; // like the button: nothing to decode, nothing changes
    }
    std::string message = PrepareMessage(text, options.Mode);
    std::string().swap(text); // large inputs: let the decode reuse the memory

    const TDecodeResult result = DecodeMessage(message);
    if (!result.Ok) {
        std::fprintf(stderr, "Error: %s\n", result.Error.c_str());
        return kExitDecodeError;
    }
    if (!WriteAll(stdout, result.Text)) {
        std::fprintf(stderr, "velquist-decode: cannot write the decoded text: %s\n",
                     std::strerror(errno));
        return kExitUsage;
    }
    return kExitDecoded;
}

} // namespace

int main(int argc, char** argv) {
    // The decoder builds a few strings of the input's size one after another;
    // keep freed memory in the heap for the next one instead of handing it back
    // to the system and taking fresh pages again.
    ::mallopt(M_MMAP_THRESHOLD, 256 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 512 << 20);
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        // Reading or preparing an input larger than memory.
        std::fputs("Error: Out of memory\n", stderr);
        return kExitDecodeError;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Error: %s\n", error.what());
        return kExitDecodeError;
    }
}
