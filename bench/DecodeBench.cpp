// Decode throughput on large inputs, and how it grows with the input size.
//
// Every benchmark runs over a range of sizes and reports the fitted complexity:
// the decode must stay linear (doubling the input at most about doubles the time).
//
//   velquist_bench --benchmark_filter=HexModeUnknown

#include "Heap.h"
#include "velquist/InputPrep.h"
#include "velquist/UDiebold.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

using namespace velquist;

constexpr char FS = '\x1C';
constexpr char GS = '\x1D';

// A repeatable stream of pseudo-random bytes.
class TNoise {
public:
    unsigned char Next() {
        FState = FState * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned char>(FState >> 56);
    }

private:
    std::uint64_t FState = 0x5EED;
};

// Hex pairs of `size` random bytes whose first byte keeps the message out of
// every known class, so the decoder lists its fields.
std::string UnknownMessageHex(std::size_t size) {
    TNoise noise;
    std::string bytes(size, '\0');
    for (auto& byte : bytes) {
        byte = static_cast<char>(noise.Next());
    }
    bytes[0] = '9';
    std::string hex;
    hex.reserve(size * 2);
    constexpr char digits[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex.push_back(digits[b >> 4]);
        hex.push_back(digits[b & 0x0F]);
    }
    return hex;
}

// A function command whose receipt is `size` bytes dense with printer controls.
std::string FunctionCommandWithPrinterData(std::size_t size) {
    static constexpr std::string_view kPiece = "TOTAL\nAMOUNT\x0E"
                                               "5USD\x1B"
                                               "X\x0C"
                                               "42\n\x0E"
                                               "3";
    std::string printer = "102";
    while (printer.size() < size + 3) {
        printer.append(kPiece);
    }
    printer.resize(size + 3);
    return std::string("4\x1C"
                       "001\x1C"
                       "123\x1C"
                       "025\x1C"
                       "0200\x1C"
                       "0042B010000\x0F"
                       "ABPLEASE WAIT!\x1C") +
           printer;
}

// A solicited status "8" with `count` device sub-fields of every kind.
std::string SolicitedWithSubfields(std::size_t count) {
    static constexpr std::string_view kSubfields[] = {
        ">0001", "?1234", "<12346001", "D<1>2=30?", "B0123456789:;<=>?0123456789", "=1",
    };
    std::string message = "22\x1C"
                          "000\x1C\x1C"
                          "8\x1C";
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) {
            message.push_back(GS);
        }
        message.append(kSubfields[i % std::size(kSubfields)]);
    }
    return message;
}

// A consumer request with `count` fields, the status field last.
std::string ConsumerRequestWithFields(std::size_t count) {
    std::string message = "11\x1C"
                          "001\x1C\x1C"
                          "A1B2\x1C"
                          "0A\x1C"
                          "1234567890123456=2512\x1C\x1C"
                          "AAB\x1C"
                          "00002000\x1C"
                          "0123456789:;<=>?";
    for (std::size_t i = 10; i + 1 < count; ++i) {
        message.push_back(FS);
        message.append("X");
    }
    message.append("\x1C"
                   "6012310");
    return message;
}

// Four input sizes from `Smallest`, each twice the one before, and the fitted
// complexity over them.
// `Lines`: the decode also gives the field table and the lines with their ranges.
template <std::int64_t Smallest, int Lines = 0>
void Doubling(benchmark::internal::Benchmark* runs) {
    for (int i = 0; i < 4; ++i) {
        runs->Args({Smallest << i, Lines});
    }
    runs->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

// Each benchmark as text only, and as BM_..._Lines with the lines.
#define VELQUIST_BENCHMARK(function, smallest)                                                     \
    BENCHMARK(function)->Apply(Doubling<smallest>);                                                \
    BENCHMARK(function)->Name(#function "_Lines")->Apply(Doubling<smallest, 1>)

// The decode, with the field table and the lines with their ranges when the
// benchmark's second argument is 1.
TDecodeOptions OptionsOf(const benchmark::State& state) {
    TDecodeOptions options;
    options.Structure = state.range(1) != 0;
    return options;
}

void Decode(benchmark::State& state, const std::string& message) {
    const TDecodeOptions options = OptionsOf(state);
    for (auto _ : state) {
        auto result = DecodeMessage(message, options);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
    state.SetComplexityN(static_cast<std::int64_t>(message.size()));
}

void BM_HexModeUnknown(benchmark::State& state) {
    const std::string text = UnknownMessageHex(static_cast<std::size_t>(state.range(0)));
    const TDecodeOptions options = OptionsOf(state);
    for (auto _ : state) {
        auto result = DecodeMessage(PrepareMessage(text, TInputMode::AsciiHex), options);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetComplexityN(state.range(0));
}
VELQUIST_BENCHMARK(BM_HexModeUnknown, 512 << 10);

void BM_FunctionCommandPrinterData(benchmark::State& state) {
    Decode(state, FunctionCommandWithPrinterData(static_cast<std::size_t>(state.range(0))));
}
VELQUIST_BENCHMARK(BM_FunctionCommandPrinterData, 256 << 10);

void BM_SolicitedSubfields(benchmark::State& state) {
    Decode(state, SolicitedWithSubfields(static_cast<std::size_t>(state.range(0))));
}
VELQUIST_BENCHMARK(BM_SolicitedSubfields, 25000);

void BM_ConsumerRequestFields(benchmark::State& state) {
    Decode(state, ConsumerRequestWithFields(static_cast<std::size_t>(state.range(0))));
}
VELQUIST_BENCHMARK(BM_ConsumerRequestFields, 25000);

} // namespace

int main(int argc, char** argv) {
    // As in velquist-decode: large texts are taken from and returned to the heap,
    // not mapped afresh for every decode, so the figures show the decoder's own
    // cost rather than the kernel zeroing new pages.
    velquist::platform::KeepFreedMemory();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
