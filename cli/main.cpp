// velquist-decode: decodes one Diebold 911/912 message from the command line.
//
// The same decode action as the window's "Decode" button: the input text is
// prepared by the chosen mode, decoded by the library, and the decoded text is
// written byte for byte to standard output, or "Error: <message>" to standard
// error.

#include "CliOptions.h"
#include "Heap.h"
#include "Io.h"
#include "JsonOutput.h"
#include "TraceCommand.h"
#include "velquist/InputPrep.h"
#include "velquist/Version.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace velquist;
using cli::OutputError;

constexpr int kExitDecoded = 0;
constexpr int kExitDecodeError = 1;
constexpr int kExitUsage = 2;

// The heap a decode can take per input byte: a listing takes three characters per
// message byte besides the input, the message and its fields, and printer data
// can expand two bytes into 207 blanks. The room set aside is address space only
// until the decode uses it.
constexpr std::size_t kHeapPerInputByte = 128;

// A stream of unknown size (a pipe, a terminal) is read in pieces of this size to
// start with; one that fills the first piece is taken for a large input, of at
// least kLargeStreamSize bytes.
constexpr std::size_t kFirstReadSize = std::size_t{64} << 10;
constexpr std::size_t kLargeStreamSize = std::size_t{4} << 20;

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "velquist-decode: %s (see --help)\n", problem.c_str());
    return kExitUsage;
}

// Makes the heap ready for the decode of an input of `size` bytes, so that the
// input buffer and everything the decode builds land on memory mapped cheaply.
void PrepareHeapForInput(std::size_t size) {
    constexpr std::size_t kLargest = std::numeric_limits<std::size_t>::max() / kHeapPerInputByte;
    platform::PrepareHeap(std::min(size, kLargest) * kHeapPerInputByte);
}

// The size of the input buffer once `used` bytes fill it: a regular file's size
// and one byte more, to see its end with the next read; for a stream a first
// piece, then a large input.
std::size_t NextBufferSize(std::size_t used, std::optional<std::size_t> fileBytes) {
    if (used == 0 && fileBytes) {
        return *fileBytes + 1;
    }
    if (used < kFirstReadSize) {
        return kFirstReadSize;
    }
    return std::max(2 * used, kLargeStreamSize);
}

// All bytes of `file`: a regular file with one read into a buffer of its size. The
// heap is made ready for the decode of the input before the buffer takes its
// memory. False with errno set on a read error.
bool ReadAll(platform::TInputFile& file, std::string& data) {
    const std::optional<std::size_t> fileBytes = file.BytesLeft();
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) {
            const std::size_t size = NextBufferSize(used, fileBytes);
            if (fileBytes || used > 0) { // a stream's first piece is often all of it
                PrepareHeapForInput(size);
            }
            data.resize(size);
        }
        const std::ptrdiff_t got = file.Read(data.data() + used, data.size() - used);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            return false;
        }
        used += static_cast<std::size_t>(got);
    }
    data.resize(used);
    return true;
}

// The input's bytes: TEXT, the contents of FILE or standard input. False with
// `problem` set when they cannot be read.
bool ReadInput(const cli::TCliOptions& options, std::string& input, std::string& problem) {
    if (options.Text) {
        input = *options.Text;
        return true;
    }
    if (!options.File || *options.File == "-") {
        if (platform::TInputFile in = platform::TInputFile::StandardInput(); !ReadAll(in, input)) {
            problem = std::string("cannot read standard input: ") + std::strerror(errno);
            return false;
        }
        return true;
    }
    platform::TInputFile file(*options.File);
    if (!file.IsOpen() || !ReadAll(file, input)) {
        problem = "cannot read '" + *options.File + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

// Writes all of `data` to standard output, with one write where the system takes
// it whole. False with errno set when it cannot.
bool WriteOut(std::string_view data) {
    while (!data.empty()) {
        const std::ptrdiff_t put = platform::WriteStandardOutput(data);
        if (put <= 0) {
            errno = put == 0 ? EIO : errno;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

int Run(const std::vector<std::string>& arguments) {
    const std::vector<std::string_view> args(arguments.begin(), arguments.end());
    const auto parsed = cli::ParseArguments(args);
    if (!parsed.Error.empty()) {
        return UsageError(parsed.Error);
    }
    const auto& options = parsed.Options;
    if (options.Help) {
        return WriteOut(cli::kUsage) ? kExitDecoded : OutputError();
    }
    if (options.Version) {
        const std::string version = std::string("velquist-decode ") + kVersion + "\n";
        return WriteOut(version) ? kExitDecoded : OutputError();
    }

    if (options.Trace) {
        return cli::RunTrace(options, WriteOut);
    }

    std::string input;
    if (std::string problem; !ReadInput(options, input, problem)) {
        return UsageError(problem);
    }
    TInputOptions inputOptions;
    inputOptions.Mode = options.Mode;
    inputOptions.FromFile = !options.Text;
    TDecodeOptions decodeOptions;
    decodeOptions.Structure = options.Json;
    decodeOptions.MaskCardData = options.Mask;
    const std::optional<TDecodedInput> decoded =
        DecodeInput(std::move(input), inputOptions, decodeOptions);
    if (!decoded) {
        return kExitDecoded; // like the button: nothing to decode, nothing changes
    }
    const TDecodeResult& result = decoded->Decoded;
    if (!result.Ok) {
        std::fprintf(stderr, "Error: %s\n", result.Error.c_str());
    }
    const bool written = options.Json ? cli::WriteDecodeAsJson(result, WriteOut)
                                      : !result.Ok || WriteOut(result.Text);
    if (!written) {
        return OutputError();
    }
    return result.Ok ? kExitDecoded : kExitDecodeError;
}

} // namespace

int main(int argc, char** argv) {
    // Bytes in and out unchanged. A reader that goes away (`velquist-decode ... |
    // head -c 10`) makes a write fail with EPIPE, reported like any other output
    // failure, instead of ending the program silently by the signal.
    platform::UseByteStreams();
    // The decoder builds a few strings of the input's size one after another;
    // keep freed memory in the heap for the next one instead of handing it back
    // to the system and taking fresh pages again.
    platform::KeepFreedMemory();
    try {
        return Run(platform::Arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        // Reading or preparing an input larger than memory.
        std::fputs("Error: Out of memory\n", stderr);
        return kExitDecodeError;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Error: %s\n", error.what());
        return kExitDecodeError;
    }
}
