#include "velquist/TraceQuery.h"

#include <algorithm>
#include <cmath>

namespace velquist {

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The value at fraction `q` of the sorted values, between the nearest ranks.
std::chrono::nanoseconds Quantile(const std::vector<std::int64_t>& sorted, double q) {
    const double rank = q * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(rank));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    const double share = rank - static_cast<double>(below);
    const auto low = static_cast<double>(sorted[below]);
    const auto high = static_cast<double>(sorted[above]);
    return std::chrono::nanoseconds(std::llround(low + (high - low) * share));
}

// Whether the trace writes its hex letters in lower case, going by the digits of
// the bytes of `read`.
bool LowerCaseHex(std::string_view text, const TTraceMessage& read) {
    for (const TBytePlace& place : read.Places()) {
        for (const std::size_t at : {place.High, place.Low}) {
            const char c = text[at];
            if (c >= 'a' && c <= 'f') {
                return true;
            }
            if (c >= 'A' && c <= 'F') {
                return false;
            }
        }
    }
    return false;
}

} // namespace

TTraceMessageView ViewTraceMessage(const TTraceIndex& index, std::size_t i,
                                   const TTraceViewOptions& options) {
    const TTraceEntry& entry = index[i];
    TTraceMessageView view;
    view.Read = ReadTraceMessage(index.Text(), entry.TextBegin(), entry.TextEnd(), entry.Layout(),
                                 entry.FirstLine(), options.Places);
    view.Type = entry.Type();
    view.Shown =
        options.MaskCardData ? MaskCardBytes(view.Read.Message, view.Type) : view.Read.Message;
    if (options.Decode || entry.DecodeFails()) {
        view.Decoded = DecodeMessage(view.Read.Message, {options.Structure, options.MaskCardData});
    }
    return view;
}

std::string_view ShownText(const TTraceMessageView& view, std::string& scratch) {
    if (!view.Decoded) {
        return {};
    }
    if (view.Decoded->Ok) {
        return view.Decoded->Text;
    }
    scratch = "Error: " + view.Decoded->Error;
    return scratch;
}

TTraceSelector::TTraceSelector(const TTraceIndex& index, TTraceFilter filter)
    : FIndex(index), FFilter(std::move(filter)) {
    for (const std::string& luno : FFilter.Lunos) {
        if (const auto number = index.Terminals().Find(luno)) {
            FTerminals.push_back(*number);
        }
    }
    for (const TDMsgType type : FFilter.Types) {
        FTypes |= 1u << type;
    }
    FNeedle.resize(FFilter.Match.size());
    std::transform(FFilter.Match.begin(), FFilter.Match.end(), FNeedle.begin(), LowerAscii);
}

bool TTraceSelector::AcceptsIndexed(std::size_t i) const {
    const TTraceEntry& entry = FIndex[i];
    if (!FFilter.Lunos.empty() &&
        std::find(FTerminals.begin(), FTerminals.end(), entry.Terminal()) == FTerminals.end()) {
        return false;
    }
    if (FTypes != 0 && (FTypes & 1u << entry.Type()) == 0) {
        return false;
    }
    if (FFilter.Unanswered && (entry.Type() != mtCustomerRequest || FIndex.ResponseIn(i))) {
        return false;
    }
    if (FFilter.SlowerThan) {
        const auto time = FIndex.ResponseTime(i);
        if (!time || *time <= *FFilter.SlowerThan) {
            return false;
        }
    }
    return true;
}

bool TTraceSelector::AcceptsText(std::string_view text) const {
    const auto found = std::search(text.begin(), text.end(), FNeedle.begin(), FNeedle.end(),
                                   [](char a, char b) { return LowerAscii(a) == b; });
    return FNeedle.empty() || found != text.end();
}

bool TTraceSelector::Accepts(std::size_t i) const {
    if (!AcceptsIndexed(i)) {
        return false;
    }
    if (!NeedsText()) {
        return true;
    }
    const TTraceMessageView view =
        ViewTraceMessage(FIndex, i, {.MaskCardData = FFilter.MaskCardData, .Decode = true});
    std::string scratch;
    return AcceptsText(ShownText(view, scratch));
}

std::vector<std::uint32_t> SelectMessages(const TTraceIndex& index, const TTraceFilter& filter) {
    const TTraceSelector selector(index, filter);
    std::vector<std::uint32_t> selected;
    for (std::size_t i = 0; i < index.size(); ++i) {
        if (selector.Accepts(i)) {
            selected.push_back(static_cast<std::uint32_t>(i));
        }
    }
    return selected;
}

TDurationStats SummarizeDurations(std::vector<std::int64_t>& durations) {
    TDurationStats stats;
    stats.Count = durations.size();
    if (durations.empty()) {
        return stats;
    }
    std::sort(durations.begin(), durations.end());
    stats.Min = std::chrono::nanoseconds(durations.front());
    stats.Max = std::chrono::nanoseconds(durations.back());
    stats.Median = Quantile(durations, 0.5);
    stats.P95 = Quantile(durations, 0.95);
    long double sum = 0;
    for (const std::int64_t d : durations) {
        sum += static_cast<long double>(d);
    }
    stats.Mean = std::chrono::nanoseconds(
        std::llround(static_cast<double>(sum / static_cast<long double>(durations.size()))));
    return stats;
}

TTraceStats ComputeTraceStats(const TTraceIndex& index,
                              const std::function<bool(std::size_t)>& selected) {
    TTraceStats stats;
    std::vector<std::size_t> perTerminal(index.Terminals().size());
    // Room for every command's and status's duration at once: a vector that
    // doubles would briefly take three times as much.
    std::size_t commands = 0;
    std::size_t statusCount = 0;
    for (std::size_t i = 0; i < index.size(); ++i) {
        commands += index[i].Type() == mtFunctionCommand ? 1 : 0;
        statusCount += index[i].Type() == mtSolicited ? 1 : 0;
    }
    std::vector<std::int64_t> responses;
    std::vector<std::int64_t> statuses;
    responses.reserve(commands);
    statuses.reserve(statusCount);
    for (std::size_t i = 0; i < index.size(); ++i) {
        if (selected && !selected(i)) {
            continue;
        }
        const TTraceEntry& entry = index[i];
        ++stats.Messages;
        ++stats.Types[entry.Type()];
        if (entry.Terminal() != kNoTerminal) {
            ++perTerminal[entry.Terminal()];
        }
        stats.Errors += entry.DecodeFails() ? 1 : 0;
        if (entry.Type() == mtCustomerRequest && !index.ResponseIn(i)) {
            ++stats.Unanswered;
        }
        if (entry.Type() == mtFunctionCommand && !index.StatusIn(i)) {
            ++stats.NoStatus;
        }
        if (const auto time = index.ResponseTime(i)) {
            responses.push_back(time->count());
        }
        if (const auto time = index.StatusTime(i)) {
            statuses.push_back(time->count());
        }
    }
    for (std::uint32_t terminal = 0; terminal < perTerminal.size(); ++terminal) {
        if (perTerminal[terminal] > 0) {
            stats.Terminals.emplace_back(index.Terminals()[terminal], perTerminal[terminal]);
        }
    }
    std::sort(stats.Terminals.begin(), stats.Terminals.end());
    stats.ResponseTime = SummarizeDurations(responses);
    stats.StatusTime = SummarizeDurations(statuses);
    return stats;
}

std::vector<TTextEdit> CardDataEdits(const TTraceIndex& index, std::size_t i) {
    const TTraceEntry& entry = index[i];
    std::vector<TTextEdit> edits;
    if (entry.Type() != mtCustomerRequest) {
        return edits;
    }
    const std::string_view text = index.Text();
    const TTraceMessage read = ReadTraceMessage(text, entry.TextBegin(), entry.TextEnd(),
                                                entry.Layout(), entry.FirstLine());
    const std::string masked = MaskCardBytes(read.Message, entry.Type());
    const bool binary = TraceLayoutFraming(entry.Layout()).has_value();
    const char letter = LowerCaseHex(text, read) ? 'a' : 'A';
    for (std::size_t k = 0; k < masked.size(); ++k) {
        if (masked[k] == read.Message[k]) {
            continue;
        }
        const TBytePlace& place = read.Places()[k];
        if (binary) {
            edits.push_back({place.High, '*'});
            continue;
        }
        if (place.High == place.Low) {
            continue; // repeated by "*": the line it repeats holds the digits
        }
        edits.push_back({place.High, '2'});
        edits.push_back({place.Low, letter});
        if (place.Ascii != TBytePlace::kNowhere && text[place.Ascii] == read.Message[k]) {
            edits.push_back({place.Ascii, '*'});
        }
    }
    std::sort(edits.begin(), edits.end(),
              [](const TTextEdit& a, const TTextEdit& b) { return a.Position < b.Position; });
    edits.erase(std::unique(edits.begin(), edits.end()), edits.end());
    return edits;
}

} // namespace velquist
