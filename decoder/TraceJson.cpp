#include "velquist/TraceJson.h"

// Strings are escaped by Boost.JSON's serializer (control characters, '"' and
// '\\'), the JSON of a single decode's too.
#include <boost/json/serializer.hpp>

#include <array>

namespace velquist {

namespace {

// Whether any byte is above 0x7F; one OR over all bytes, which vectorises.
bool HasHighBytes(std::string_view bytes) {
    unsigned char any = 0;
    for (const char c : bytes) {
        any |= static_cast<unsigned char>(c);
    }
    return (any & 0x80) != 0;
}

// The bytes as UTF-8 where byte b is the character U+00b, into `utf8`.
std::string_view Latin1ToUtf8(std::string_view bytes, std::string& utf8) {
    utf8.clear();
    utf8.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (b >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return utf8;
}

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

void WriteJsonString(std::string_view bytes, const std::function<void(std::string_view)>& write) {
    std::string utf8;
    boost::json::serializer serializer;
    serializer.reset(HasHighBytes(bytes) ? Latin1ToUtf8(bytes, utf8) : bytes);
    std::array<char, 4096> piece;
    while (!serializer.done()) {
        write(serializer.read(piece.data(), piece.size()));
    }
}

void AppendJsonString(std::string& out, std::string_view bytes) {
    WriteJsonString(bytes, [&out](std::string_view piece) { out.append(piece); });
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
