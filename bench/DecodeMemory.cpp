// Peak heap of a decode, text only and with the field table and the lines, for
// the messages that stress memory most: a field of megabytes (one line of
// megabytes), a hundred thousand fields, sub-fields and printer data.
//
//   build/bench/velquist_decode_memory
//
// Every allocation of the program is counted: the peak is the most the decode
// held at once, the message it was given not included.

#include "BenchMessages.h"
#include "velquist/Decode.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

// Heap in use and its peak, in bytes. Each block carries its size in front.
std::size_t gInUse = 0;
std::size_t gPeak = 0;
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    gInUse += size;
    gPeak = gInUse > gPeak ? gInUse : gPeak;
    return block + kHeader;
}

void Free(void* pointer) {
    if (pointer != nullptr) {
        auto* block = static_cast<unsigned char*>(pointer) - kHeader;
        gInUse -= *reinterpret_cast<std::size_t*>(block);
        std::free(block);
    }
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* pointer) noexcept {
    Free(pointer);
}
void operator delete[](void* pointer) noexcept {
    Free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    Free(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    Free(pointer);
}

namespace {

using namespace velquist;
using namespace velquist::bench;

// The most the decode holds at once, in MiB, beyond what was in use before.
double PeakOfDecode(const std::string& message, bool lines) {
    TDecodeOptions options;
    options.Structure = lines;
    const std::size_t before = gInUse;
    gPeak = before;
    {
        const TDecodeResult result = DecodeMessage(message, options);
        if (result.Text.empty()) {
            std::fprintf(stderr, "the decode failed: %s\n", result.Error.c_str());
        }
    }
    return static_cast<double>(gPeak - before) / (1024.0 * 1024.0);
}

// A function command whose 2 MiB of printer data is a receipt: lines of about
// forty characters, each with an SO for blanks.
std::string ReceiptOfLines(std::size_t size) {
    static constexpr std::string_view kLine = "DATE 09/12/26  TIME 12:15\x0E"
                                              "5ATM 00042\n";
    std::string message(FunctionCommandWithPrinterData(0));
    while (message.size() < size) {
        message.append(kLine);
    }
    return message;
}

std::string OneLongField(std::size_t size) {
    return "9\x1C" + std::string(size, 'x');
}

std::string ManyFields(std::size_t count) {
    std::string message = "9";
    for (std::size_t i = 0; i < count; ++i) {
        message += "\x1C"
                   "field";
    }
    return message;
}

} // namespace

int main() {
    const struct {
        const char* what;
        std::string message;
    } cases[] = {
        {"one field of 8 MiB (a line of 24 MiB)", OneLongField(8 << 20)},
        {"100,000 fields, unknown class", ManyFields(100000)},
        {"consumer request of 100,000 fields", ConsumerRequestWithFields(100000)},
        {"solicited status, 100,000 sub-fields", SolicitedWithSubfields(100000)},
        {"function command, 2 MiB of printer data", FunctionCommandWithPrinterData(2 << 20)},
        {"function command, 2 MiB receipt of lines", ReceiptOfLines(2 << 20)},
        {"2 MiB of random bytes, unknown class",
         [] {
             std::string hex = UnknownMessageHex(2 << 20);
             std::string bytes(hex.size() / 2, '\0');
             for (std::size_t i = 0; i < bytes.size(); ++i) {
                 bytes[i] = static_cast<char>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
             }
             return bytes;
         }()},
    };
    std::printf("%-42s %10s %12s %12s %7s\n", "message", "size", "text only", "with lines",
                "ratio");
    for (const auto& c : cases) {
        const double text = PeakOfDecode(c.message, false);
        const double lines = PeakOfDecode(c.message, true);
        std::printf("%-42s %6.1f MiB %8.1f MiB %8.1f MiB", c.what,
                    static_cast<double>(c.message.size()) / (1024.0 * 1024.0), text, lines);
        if (text >= 0.1) {
            std::printf(" %7.2f", lines / text);
        }
        std::printf("\n");
    }
    return 0;
}
