// An arbitrary trace (the first byte picks the layout) walked, indexed, counted,
// written as JSON Lines and redacted: the walk ends and moves forward, every
// message reads again the same from its own text with each byte where its
// digits stand, and the redacted trace holds the same messages with their card
// data masked.

#include "HexText.h"
#include "velquist/Trace.h"
#include "velquist/TraceIndex.h"
#include "velquist/TraceJson.h"
#include "velquist/TraceQuery.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace velquist;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckRecord(std::string_view text, const TTraceRecord& record) {
    Require(record.TextBegin <= record.TextEnd && record.TextEnd <= text.size());
    Require(record.FirstLine >= 1 && record.FirstLine <= record.LastLine);
    Require(record.Layout != TTraceLayout::Auto);
    const TTraceMessage read =
        ReadTraceMessage(text, record.TextBegin, record.TextEnd, record.Layout, record.FirstLine);
    Require(read.Message == record.Message);
    Require(read.LastLine == record.LastLine);
    Require(read.Places().size() == read.Message.size());
    for (std::size_t k = 0; k < read.Places().size(); ++k) {
        const TBytePlace& place = read.Places()[k];
        Require(place.High >= record.TextBegin && place.Low < record.TextEnd);
        if (TraceLayoutFraming(record.Layout)) {
            Require(text[place.High] == read.Message[k]);
        } else if (place.High != place.Low) {
            Require(HexDigitValue(text[place.High]) * 16 + HexDigitValue(text[place.Low]) ==
                    static_cast<unsigned char>(read.Message[k]));
            Require(read.ByteAt(place.High) == k && read.ByteAt(place.Low) == k);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const TTraceLayout layout = AllTraceLayouts()[data[0] % AllTraceLayouts().size()];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    TTraceReader reader(text, layout);
    TTraceRecord record;
    std::size_t position = 0;
    std::size_t messages = 0;
    while (reader.Next(record)) {
        Require(++messages <= text.size());
        Require(reader.Position() >= position && record.TextEnd <= reader.Position());
        position = reader.Position();
        CheckRecord(text, record);
    }
    Require(reader.Position() == text.size());

    const TTraceIndex index = TTraceWalk::IndexAll(text, layout);
    Require(index.size() == messages);
    const TTraceStats stats = ComputeTraceStats(index);
    Require(stats.Messages == messages);
    std::string json;
    AppendTraceStatsJson(json, stats);
    std::string edited(text);
    for (std::size_t i = 0; i < index.size(); ++i) {
        AppendTraceMessageJson(json, index, i, ViewTraceMessage(index, i, {.Decode = true}));
        for (const TTextEdit& edit : CardDataEdits(index, i)) {
            Require(edit.Position < edited.size());
            edited[edit.Position] = edit.Character;
        }
    }
    const TTraceIndex redacted = TTraceWalk::IndexAll(edited, layout);
    Require(redacted.size() == index.size());
    for (std::size_t i = 0; i < index.size(); ++i) {
        const std::string before = ViewTraceMessage(index, i).Read.Message;
        const std::string after = ViewTraceMessage(redacted, i).Read.Message;
        Require(after.size() == before.size());
    }
    return 0;
}
