// The filters and statistics a front end runs over a trace's index, on an index
// of a million messages: a LUNO or type filter is a scan of the index (target:
// well under 200 ms), as are the statistics.
//
//   velquist_trace_bench

#include "Traffic.h"
#include "velquist/TraceIndex.h"
#include "velquist/TraceQuery.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

using namespace velquist;

constexpr std::size_t kMessages = 1'000'000;

std::string Luno(std::size_t terminal) {
    char text[8];
    std::snprintf(text, sizeof text, "%03zu", terminal % 500);
    return text;
}

// A million short messages of 500 terminals, one a line after its time.
const std::string& TraceText() {
    static const std::string text = [] {
        std::string trace;
        trace.reserve(kMessages * 48);
        for (std::size_t i = 0; i < kMessages; ++i) {
            const std::string luno = Luno(i * 7919);
            const std::string message = i % 3 == 0   ? capture::SolicitedStatus(luno)
                                        : i % 3 == 1 ? capture::UnsolicitedStatus(luno)
                                                     : capture::OperationalCommand(luno);
            char time[24];
            std::snprintf(time, sizeof time, "%02zu:%02zu:%02zu.%03zu ", i / 3'600'000 % 24,
                          i / 60'000 % 60, i / 1'000 % 60, i % 1'000);
            trace += time;
            for (const char c : message) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
                trace += hex;
            }
            trace += '\n';
        }
        return trace;
    }();
    return text;
}

const TTraceIndex& Index() {
    static const TTraceIndex index = TTraceWalk::IndexAll(TraceText());
    return index;
}

void Select(benchmark::State& state, const TTraceFilter& filter) {
    const TTraceIndex& index = Index();
    std::size_t shown = 0;
    for (auto _ : state) {
        shown = SelectMessages(index, filter).size();
        benchmark::DoNotOptimize(shown);
    }
    state.counters["messages"] = static_cast<double>(index.size());
    state.counters["shown"] = static_cast<double>(shown);
}

void BM_FilterLuno(benchmark::State& state) {
    Select(state, {.Lunos = {"042"}});
}
BENCHMARK(BM_FilterLuno)->Unit(benchmark::kMillisecond);

void BM_FilterType(benchmark::State& state) {
    Select(state, {.Types = {mtSolicited}});
}
BENCHMARK(BM_FilterType)->Unit(benchmark::kMillisecond);

void BM_FilterLunosAndType(benchmark::State& state) {
    Select(state, {.Lunos = {"001", "002", "003"}, .Types = {mtUnsolicited, mtSolicited}});
}
BENCHMARK(BM_FilterLunosAndType)->Unit(benchmark::kMillisecond);

void BM_Statistics(benchmark::State& state) {
    const TTraceIndex& index = Index();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeTraceStats(index).Messages);
    }
}
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);

// The index itself: walking the text of a million messages.
void BM_IndexMillionMessages(benchmark::State& state) {
    const std::string& text = TraceText();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const TTraceIndex index = TTraceWalk::IndexAll(text);
        bytes = index.MemoryBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["index_bytes_per_message"] = static_cast<double>(bytes) / kMessages;
}
BENCHMARK(BM_IndexMillionMessages)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
