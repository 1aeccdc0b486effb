#pragma once

// What front ends ask of a trace's index: one message read again with its
// decode, the filters of a listing, the statistics, and the edits that take
// card data out of the trace text. The command line and the window both use
// these, so they show, choose and count the same.

#include "velquist/Decode.h"
#include "velquist/Summary.h"
#include "velquist/Trace.h"
#include "velquist/TraceIndex.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velquist {

// ---- One message -------------------------------------------------------------------

struct TTraceViewOptions {
    bool MaskCardData = false; // card data masked in Shown and in the decode
    bool Decode = false;       // decode it (else only a message that cannot be decoded is)
    bool Structure = false;    // the decode with its field table and lines
    bool Places = false;       // where each byte stands in the trace (TTraceMessage)
};

struct TTraceMessageView {
    TTraceMessage Read; // the bytes as the trace holds them, and where each stands
    std::string Shown;  // the bytes as shown: with card data masked when asked
    TDMsgType Type = mtUnknown;
    std::optional<TDecodeResult> Decoded; // when asked for, or when it cannot be decoded

    TMessageSummary Summary() const { return SummarizeMessage(Read.Message, Type); }
    // The decode's error; empty for a message that can be decoded.
    std::string_view Error() const {
        if (Decoded && !Decoded->Ok) {
            return Decoded->Error;
        }
        return {};
    }
};

TTraceMessageView ViewTraceMessage(const TTraceIndex& index, std::size_t i,
                                   const TTraceViewOptions& options = {});

// The decoded text as a listing shows it and a text filter searches it: the
// decode's text, or "Error: " and the error for a message that cannot be decoded.
std::string_view ShownText(const TTraceMessageView& view, std::string& scratch);

// ---- Filters ----------------------------------------------------------------------

// What a listing shows: the messages that pass every condition set (a list
// passes a message that matches any of its entries).
struct TTraceFilter {
    std::vector<std::string> Lunos{};
    std::vector<TDMsgType> Types{};
    std::string Match{};     // in the decoded text (ShownText), ASCII letters of either case
    bool Unanswered = false; // consumer requests no function command answered
    std::optional<std::chrono::nanoseconds> SlowerThan{}; // function commands answered later
    bool MaskCardData = false; // Match searches the text with card data masked
    friend bool operator==(const TTraceFilter&, const TTraceFilter&) = default;
};

class TTraceSelector {
public:
    TTraceSelector(const TTraceIndex& index, TTraceFilter filter);

    // The conditions the index answers (all but Match): a scan of the index.
    bool AcceptsIndexed(std::size_t i) const;
    // Whether Match is set: the message must be decoded to tell.
    bool NeedsText() const { return !FNeedle.empty(); }
    // Match, in the text of a message (ShownText).
    bool AcceptsText(std::string_view text) const;
    // Everything; decodes the message where Match needs it.
    bool Accepts(std::size_t i) const;

private:
    const TTraceIndex& FIndex;
    TTraceFilter FFilter;
    std::vector<std::uint32_t> FTerminals; // the LUNOs' numbers; none known passes nothing
    std::uint32_t FTypes = 0;              // a bit for each type
    std::string FNeedle;                   // Match in lower case
};

// The indexes of the messages the filter passes, in trace order.
std::vector<std::uint32_t> SelectMessages(const TTraceIndex& index, const TTraceFilter& filter);

// ---- Statistics ---------------------------------------------------------------------

struct TDurationStats {
    std::size_t Count = 0;
    std::chrono::nanoseconds Min{};
    std::chrono::nanoseconds Median{}; // the mean of the middle two for an even count
    std::chrono::nanoseconds P95{};    // interpolated between the nearest ranks
    std::chrono::nanoseconds Max{};
    std::chrono::nanoseconds Mean{};
};

// The statistics of durations (in nanoseconds), which it sorts.
TDurationStats SummarizeDurations(std::vector<std::int64_t>& durations);

struct TTraceStats {
    std::size_t Messages = 0;
    std::array<std::size_t, 8> Types{};                              // by TDMsgType
    std::vector<std::pair<std::string_view, std::size_t>> Terminals; // by LUNO, in byte order
    std::size_t Errors = 0;      // messages that cannot be decoded
    std::size_t Unanswered = 0;  // consumer requests that no function command answered
    std::size_t NoStatus = 0;    // function commands that no solicited status reported on
    TDurationStats ResponseTime; // function commands: since their requests
    TDurationStats StatusTime;   // solicited statuses: since their commands
};

// The statistics of the messages `selected` passes (all without it). Pairing
// and times come from the whole trace.
TTraceStats ComputeTraceStats(const TTraceIndex& index,
                              const std::function<bool(std::size_t)>& selected = {});

// ---- Card data out of the trace ------------------------------------------------------

struct TTextEdit {
    std::size_t Position = 0;
    char Character = 0;
    friend bool operator==(const TTextEdit&, const TTextEdit&) = default;
};

// The edits of the trace text that mask message i's card data as --mask does:
// each masked byte's hex digits become "2A" ("2a" in a trace of lower-case hex)
// and its character in an ASCII column "*"; in a binary stream the byte becomes
// "*". Reading the edited trace gives the message with those bytes masked. A byte
// that hexdump's "*" repeats keeps the line it repeats. In text order.
std::vector<TTextEdit> CardDataEdits(const TTraceIndex& index, std::size_t i);

} // namespace velquist
