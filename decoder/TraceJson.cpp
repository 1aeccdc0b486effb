#include "velquist/TraceJson.h"

#include <array>

namespace velquist {

namespace {

// Writes one object's members, a comma before each but the first.
class TObjectWriter {
public:
    explicit TObjectWriter(std::string& out) : FOut(out) { FOut.push_back('{'); }

    // Starts the member `key` (bytes, as any string); its value follows.
    std::string& Key(std::string_view key) {
        if (!FFirst) {
            FOut.push_back(',');
        }
        FFirst = false;
        AppendJsonString(FOut, key);
        FOut.push_back(':');
        return FOut;
    }
    void Number(std::string_view key, std::uint64_t value) {
        Key(key).append(std::to_string(value));
    }
    void Raw(std::string_view key, std::string_view json) { Key(key).append(json); }
    void String(std::string_view key, std::string_view bytes) { AppendJsonString(Key(key), bytes); }
    void Seconds(std::string_view key, std::optional<std::chrono::nanoseconds> duration) {
        if (duration) {
            Raw(key, FormatSeconds(*duration));
        }
    }
    void Message(std::string_view key, std::optional<std::size_t> index) {
        if (index) {
            Number(key, *index + 1);
        }
    }
    void End() { FOut.push_back('}'); }

private:
    std::string& FOut;
    bool FFirst = true;
};

std::string LowerHex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex.push_back(kDigits[b >> 4]);
        hex.push_back(kDigits[b & 0x0F]);
    }
    return hex;
}

void AppendDurations(std::string& out, const TDurationStats& stats) {
    TObjectWriter object(out);
    object.Number("count", stats.Count);
    for (const auto& [key, value] :
         std::array<std::pair<std::string_view, std::chrono::nanoseconds>, 5>{
             {{"min", stats.Min},
              {"median", stats.Median},
              {"p95", stats.P95},
              {"max", stats.Max},
              {"mean", stats.Mean}}}) {
        object.Raw(key, stats.Count == 0 ? "null" : FormatSeconds(value));
    }
    object.End();
}

} // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out.push_back('"');
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out.append("\\\""); continue;
        case '\\': out.append("\\\\"); continue;
        case '\b': out.append("\\b"); continue;
        case '\f': out.append("\\f"); continue;
        case '\n': out.append("\\n"); continue;
        case '\r': out.append("\\r"); continue;
        case '\t': out.append("\\t"); continue;
        default: break;
        }
        if (b < 0x20) {
            out.append("\\u00").push_back(kDigits[b >> 4]);
            out.push_back(kDigits[b & 0x0F]);
        } else if (b < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    out.push_back('"');
}

void AppendTraceMessageJson(std::string& out, const TTraceIndex& index, std::size_t i,
                            const TTraceMessageView& view, std::string_view decode) {
    const TTraceEntry& entry = index[i];
    const TMessageSummary summary = view.Summary();
    TObjectWriter object(out);
    object.Number("index", i + 1);
    object.Number("first_line", view.Read.FirstLine);
    object.Number("last_line", view.Read.LastLine);
    if (const auto time = entry.Time()) {
        object.String("time", FormatTraceTime(*time));
    }
    object.Seconds("elapsed", index.Elapsed(i));
    object.Number("length", view.Read.Message.size());
    object.String("hex", LowerHex(view.Shown));
    object.String("type", MsgTypeName(entry.Type()));
    if (const std::string_view from = DirectionName(entry.Direction()); !from.empty()) {
        object.String("from", from);
    }
    if (summary.Luno) {
        object.String("luno", *summary.Luno);
    }
    if (summary.Mcn) {
        object.String("mcn", *summary.Mcn);
    }
    if (!summary.Item.empty()) {
        object.String("item", summary.Item);
    }
    if (!view.Error().empty()) {
        object.String("error", view.Error());
    }
    if (view.Read.OddDigit) {
        object.Raw("odd_digit", "true");
    }
    if (view.Read.Truncated) {
        object.Raw("truncated", "true");
    }
    object.Message("response_in", index.ResponseIn(i));
    object.Message("response_to", index.ResponseTo(i));
    object.Message("status_in", index.StatusIn(i));
    object.Message("status_to", index.StatusTo(i));
    object.Seconds("response_time", index.ResponseTime(i));
    object.Seconds("status_time", index.StatusTime(i));
    if (!decode.empty()) {
        object.Raw("decode", decode);
    }
    object.End();
    out.push_back('\n');
}

void AppendTraceStatsJson(std::string& out, const TTraceStats& stats) {
    TObjectWriter object(out);
    object.Number("messages", stats.Messages);
    {
        TObjectWriter types(object.Key("types"));
        for (const TDMsgType type : AllMsgTypes()) {
            if (stats.Types[type] > 0) {
                types.Number(MsgTypeName(type), stats.Types[type]);
            }
        }
        types.End();
    }
    {
        TObjectWriter terminals(object.Key("terminals"));
        for (const auto& [luno, count] : stats.Terminals) {
            terminals.Number(luno, count);
        }
        terminals.End();
    }
    object.Number("errors", stats.Errors);
    object.Number("unanswered", stats.Unanswered);
    object.Number("no_status", stats.NoStatus);
    AppendDurations(object.Key("response_time"), stats.ResponseTime);
    AppendDurations(object.Key("status_time"), stats.StatusTime);
    object.End();
    out.push_back('\n');
}

} // namespace velquist
