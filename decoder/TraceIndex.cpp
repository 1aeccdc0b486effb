#include "velquist/TraceIndex.h"

#include "velquist/Summary.h"

namespace velquist {

// The index's budget: 32 bytes a message, and 8 for its pairing.
static_assert(sizeof(TTraceEntry) == 32);
static_assert(sizeof(TPairLinks) == 8);

namespace {

std::uint8_t Kinds(TDMsgType type, TTraceLayout layout, TDirection direction) {
    return static_cast<std::uint8_t>(static_cast<unsigned>(type) |
                                     static_cast<unsigned>(layout) << 3 |
                                     static_cast<unsigned>(direction) << 6);
}

} // namespace

TDirection DirectionOfClass(std::string_view message) {
    if (message.empty()) {
        return TDirection::Unknown;
    }
    const char second = message.size() > 1 ? message[1] : '\0';
    switch (message[0]) {
    case '1':
        return second == '1' || second == '2' ? TDirection::FromTerminal : TDirection::FromHost;
    case '2': return second == '2' ? TDirection::FromTerminal : TDirection::Unknown;
    case '3':
    case '4': return TDirection::FromHost;
    default: return TDirection::Unknown;
    }
}

std::string_view DirectionName(TDirection direction) {
    switch (direction) {
    case TDirection::FromTerminal: return "terminal";
    case TDirection::FromHost: return "host";
    case TDirection::Unknown: break;
    }
    return {};
}

void TTraceIndex::Add(const TTraceRecord& record) {
    const TDecodeResult decoded = DecodeMessage(record.Message);
    const TMessageSummary summary = SummarizeMessage(record.Message, decoded.Type);

    TTraceEntry entry;
    entry.FTextBegin = record.TextBegin;
    entry.FTextLength = static_cast<std::uint32_t>(record.TextEnd - record.TextBegin);
    entry.FFirstLine = static_cast<std::uint32_t>(record.FirstLine);
    entry.FFirstLineHigh = static_cast<std::uint8_t>(record.FirstLine >> 32);
    entry.FKinds = Kinds(decoded.Type, record.Layout, DirectionOfClass(record.Message));
    std::uint8_t flags = 0;
    if (record.Time) {
        entry.FTime = record.Time->Nanoseconds;
        flags |= TTraceEntry::kHasTime | (record.Time->HasDate ? TTraceEntry::kHasDate : 0);
        if (!FFirstTime) {
            FFirstTime = entry.FTime;
        }
    }
    if (summary.Luno) {
        entry.FTerminal = FTerminals.Intern(*summary.Luno);
    }
    if (summary.Mcn) {
        entry.FMcn = summary.Mcn->front();
        flags |= TTraceEntry::kHasMcn;
    }
    flags |= decoded.Ok ? 0 : TTraceEntry::kDecodeFails;
    flags |= record.OddDigit ? TTraceEntry::kOddDigit : 0;
    flags |= record.Truncated ? TTraceEntry::kTruncated : 0;
    entry.FFlags = flags;
    FEntries.push_back(entry);

    const TPairRole role = PairingInputOf(decoded.Type, summary, {}).Role; // none without a LUNO
    const auto mcn =
        summary.Mcn
            ? std::optional(static_cast<std::uint32_t>(static_cast<unsigned char>(entry.FMcn)))
            : std::nullopt;
    FPairing.Add(role, entry.FTerminal, mcn);
}

std::optional<std::string_view> TTraceIndex::Luno(std::size_t i) const {
    const std::uint32_t terminal = FEntries[i].Terminal();
    return terminal == kNoTerminal ? std::nullopt : std::optional(FTerminals[terminal]);
}

std::optional<std::size_t> TTraceIndex::Linked(std::size_t i, TPairRole role, bool forward) const {
    if (PairRoleOf(FEntries[i].Type()) != role) {
        return std::nullopt;
    }
    const TPairLinks links = Links(i);
    const std::uint32_t other = forward ? links.Forward : links.Back;
    return other == kNoMessage ? std::nullopt : std::optional<std::size_t>(other);
}

std::optional<std::size_t> TTraceIndex::ResponseIn(std::size_t i) const {
    return Linked(i, TPairRole::Request, true);
}
std::optional<std::size_t> TTraceIndex::ResponseTo(std::size_t i) const {
    return Linked(i, TPairRole::Command, false);
}
std::optional<std::size_t> TTraceIndex::StatusIn(std::size_t i) const {
    return Linked(i, TPairRole::Command, true);
}
std::optional<std::size_t> TTraceIndex::StatusTo(std::size_t i) const {
    return Linked(i, TPairRole::Status, false);
}

std::optional<std::chrono::nanoseconds>
TTraceIndex::Since(std::size_t i, std::optional<std::size_t> before) const {
    const auto time = FEntries[i].Time();
    const auto then = before ? FEntries[*before].Time() : std::nullopt;
    if (!time || !then) {
        return std::nullopt;
    }
    return std::chrono::nanoseconds(time->Nanoseconds - then->Nanoseconds);
}

std::optional<std::chrono::nanoseconds> TTraceIndex::ResponseTime(std::size_t i) const {
    return Since(i, ResponseTo(i));
}
std::optional<std::chrono::nanoseconds> TTraceIndex::StatusTime(std::size_t i) const {
    return Since(i, StatusTo(i));
}
std::optional<std::chrono::nanoseconds> TTraceIndex::Delta(std::size_t i) const {
    return i == 0 ? std::nullopt : Since(i, i - 1);
}
std::optional<std::chrono::nanoseconds> TTraceIndex::Elapsed(std::size_t i) const {
    const auto time = FEntries[i].Time();
    if (!time || !FFirstTime) {
        return std::nullopt;
    }
    return std::chrono::nanoseconds(time->Nanoseconds - *FFirstTime);
}

std::optional<std::size_t> TTraceIndex::SameTerminal(std::size_t i, bool after) const {
    const std::uint32_t terminal = FEntries[i].Terminal();
    if (terminal == kNoTerminal) {
        return std::nullopt;
    }
    for (std::size_t at = i; after ? at + 1 < FEntries.size() : at > 0;) {
        at = after ? at + 1 : at - 1;
        if (FEntries[at].Terminal() == terminal) {
            return at;
        }
    }
    return std::nullopt;
}

std::size_t TTraceIndex::MemoryBytes() const {
    return FEntries.CapacityBytes() + FPairing.size() * sizeof(TPairLinks);
}

bool TTraceWalk::Step(std::size_t messages) {
    for (; messages > 0 && !FDone; --messages) {
        if (FReader.Next(FRecord)) {
            FIndex.Add(FRecord);
        } else {
            FDone = true;
        }
    }
    return !FDone;
}

TTraceIndex TTraceWalk::IndexAll(std::string_view text, TTraceLayout layout) {
    TTraceWalk walk(text, layout);
    while (walk.Step()) {
    }
    return std::move(walk.FIndex);
}

} // namespace velquist
