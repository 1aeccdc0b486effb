// Decode throughput on large inputs, and how it grows with the input size.
//
// Every benchmark runs over a range of sizes and reports the fitted complexity:
// the decode must stay linear (doubling the input at most about doubles the time).
//
//   velquist_bench --benchmark_filter=HexModeUnknown

#include "BenchMessages.h"
#include "Heap.h"
#include "velquist/InputPrep.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

using namespace velquist;
using namespace velquist::bench;

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
        auto result = DecodeInput(text, {.Mode = TInputMode::AsciiHex}, options);
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
