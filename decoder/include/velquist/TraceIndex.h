#pragma once

// The index of a whole trace: per message only what a listing, filters and
// pairing need (32 bytes), with 8 bytes more for its pairing. A message's bytes
// are read again from the trace text when they are wanted (TraceQuery.h), so the
// index of a trace of millions of messages stays small beside the mapped text.
//
// The index grows message by message: a front end walks the trace in steps
// (TTraceWalk::Step), shows what is there, and knows how far it has come. Adding
// a message can complete the pairing of an earlier one (a request learns its
// answer), so the index is not for reading on one thread while another adds to
// it without a lock: hold one mutex over each Step and over the reads between.

#include "velquist/BlockVector.h"
#include "velquist/Decode.h"
#include "velquist/Pairing.h"
#include "velquist/Trace.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velquist {

// Who sent a message, by its class: "11", "12" and "22" come from the terminal;
// "1x" (x not "1" or "2"), "3" and "4" from the host.
enum class TDirection : std::uint8_t { Unknown, FromTerminal, FromHost };
TDirection DirectionOfClass(std::string_view message);

// "terminal", "host", or empty for an unknown direction.
std::string_view DirectionName(TDirection direction);

inline constexpr std::uint32_t kNoTerminal = UINT32_MAX;

// One message of the index.
class TTraceEntry {
public:
    std::size_t TextBegin() const { return static_cast<std::size_t>(FTextBegin); }
    std::size_t TextEnd() const { return static_cast<std::size_t>(FTextBegin + FTextLength); }
    std::uint64_t FirstLine() const { return std::uint64_t{FFirstLineHigh} << 32 | FFirstLine; }
    TDMsgType Type() const { return static_cast<TDMsgType>(FKinds & 0x07); }
    TTraceLayout Layout() const { return static_cast<TTraceLayout>(FKinds >> 3 & 0x07); }
    TDirection Direction() const { return static_cast<TDirection>(FKinds >> 6); }
    std::optional<TTraceTime> Time() const {
        return Has(kHasTime) ? std::optional(TTraceTime{FTime, Has(kHasDate)}) : std::nullopt;
    }
    std::uint32_t Terminal() const { return FTerminal; } // kNoTerminal without a LUNO
    std::optional<char> Mcn() const { return Has(kHasMcn) ? std::optional(FMcn) : std::nullopt; }
    bool DecodeFails() const { return Has(kDecodeFails); }
    bool OddDigit() const { return Has(kOddDigit); }
    bool Truncated() const { return Has(kTruncated); }

private:
    friend class TTraceIndex;

    static constexpr std::uint8_t kHasTime = 0x01;
    static constexpr std::uint8_t kHasDate = 0x02;
    static constexpr std::uint8_t kHasMcn = 0x04;
    static constexpr std::uint8_t kDecodeFails = 0x08;
    static constexpr std::uint8_t kOddDigit = 0x10;
    static constexpr std::uint8_t kTruncated = 0x20;
    bool Has(std::uint8_t flag) const { return (FFlags & flag) != 0; }

    std::uint64_t FTextBegin = 0;
    std::int64_t FTime = 0;
    std::uint32_t FTextLength = 0;
    std::uint32_t FFirstLine = 0;
    std::uint32_t FTerminal = kNoTerminal;
    std::uint8_t FFirstLineHigh = 0;
    std::uint8_t FKinds = 0; // type (3 bits), layout (3 bits), direction (2 bits)
    std::uint8_t FFlags = 0;
    char FMcn = 0;
};

class TTraceIndex {
public:
    // The index of messages of `text`, which must outlive it.
    explicit TTraceIndex(std::string_view text) : FText(text) {}

    // Adds the next message: decodes it for its type and whether it can be
    // decoded, summarises it, and pairs it.
    void Add(const TTraceRecord& record);

    std::string_view Text() const { return FText; }
    std::size_t size() const { return FEntries.size(); }
    bool empty() const { return FEntries.empty(); }
    const TTraceEntry& operator[](std::size_t i) const { return FEntries[i]; }

    // The terminals (LUNOs) by number.
    const TStringTable& Terminals() const { return FTerminals; }
    // The message's LUNO; none without one.
    std::optional<std::string_view> Luno(std::size_t i) const;

    // Pairing, by message index (from 0): see TPairLinks.
    TPairLinks Links(std::size_t i) const { return FPairing.Links(static_cast<std::uint32_t>(i)); }
    std::optional<std::size_t> ResponseIn(std::size_t i) const; // request: its function command
    std::optional<std::size_t> ResponseTo(std::size_t i) const; // command: its request
    std::optional<std::size_t> StatusIn(std::size_t i) const;   // command: its status
    std::optional<std::size_t> StatusTo(std::size_t i) const;   // status: its command
    // Command: since its request; status: since its command. None where either
    // message has no time.
    std::optional<std::chrono::nanoseconds> ResponseTime(std::size_t i) const;
    std::optional<std::chrono::nanoseconds> StatusTime(std::size_t i) const;

    // The nearest message after (or before) message i with its LUNO; none for a
    // message without one, or when there is none.
    std::optional<std::size_t> SameTerminal(std::size_t i, bool after) const;

    // Since the message before (in the trace), and since the first message with
    // a time; none where a time is missing.
    std::optional<std::chrono::nanoseconds> Delta(std::size_t i) const;
    std::optional<std::chrono::nanoseconds> Elapsed(std::size_t i) const;

    // The memory the index takes, for measurements.
    std::size_t MemoryBytes() const;

private:
    std::optional<std::size_t> Linked(std::size_t i, TPairRole role, bool forward) const;
    std::optional<std::chrono::nanoseconds> Since(std::size_t i,
                                                  std::optional<std::size_t> before) const;

    std::string_view FText;
    TBlockVector<TTraceEntry> FEntries;
    TStringTable FTerminals;
    TPairingCore FPairing;
    std::optional<std::int64_t> FFirstTime;
};

// Walks a trace into its index in steps, for a front end that shows the index
// as it grows and may stop at any time.
class TTraceWalk {
public:
    TTraceWalk(std::string_view text, TTraceLayout layout = TTraceLayout::Auto)
        : FReader(text, layout), FIndex(text) {}

    // Reads up to `messages` more messages into the index; false once the whole
    // text has been walked.
    bool Step(std::size_t messages = 4096);

    bool Done() const { return FDone; }
    std::size_t Position() const { return FReader.Position(); } // bytes walked
    std::size_t TextSize() const { return FIndex.Text().size(); }
    const TTraceIndex& Index() const { return FIndex; }

    // The whole text at once.
    static TTraceIndex IndexAll(std::string_view text, TTraceLayout layout = TTraceLayout::Auto);

private:
    TTraceReader FReader;
    TTraceIndex FIndex;
    TTraceRecord FRecord;
    bool FDone = false;
};

} // namespace velquist
