#include "TraceCommand.h"

#include "JsonOutput.h"
#include "MappedFile.h"
#include "velquist/TraceIndex.h"
#include "velquist/TraceJson.h"
#include "velquist/TraceQuery.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velquist::cli {

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNoMessage = 1;
constexpr int kExitUnreadable = 2;

// Output gathered into large writes.
class TOutput {
public:
    explicit TOutput(const std::function<bool(std::string_view)>& write) : FWrite(write) {}

    std::string& Buffer() { return FBuffer; }

    // Writes what has gathered once it is enough for one large write.
    bool Flush(bool all = false) {
        constexpr std::size_t kWriteSize = std::size_t{64} << 10;
        if (FOk && !FBuffer.empty() && (all || FBuffer.size() >= kWriteSize)) {
            FOk = FWrite(FBuffer);
            FBuffer.clear();
        }
        return FOk;
    }

    // A long piece goes out as it is, after what has gathered.
    bool Write(std::string_view piece) {
        if (piece.size() < 4096) {
            FBuffer.append(piece);
            return Flush();
        }
        return Flush(true) && (FOk = FWrite(piece));
    }

private:
    const std::function<bool(std::string_view)>& FWrite;
    std::string FBuffer;
    bool FOk = true;
};

// Bytes as a listing line shows them: control characters as ".".
std::string Printable(std::string_view bytes) {
    std::string text(bytes);
    std::replace_if(
        text.begin(), text.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7F'; }, '.');
    return text;
}

void Pad(std::string& line, std::string_view text, std::size_t width, bool right = false) {
    const std::size_t fill = width > text.size() ? width - text.size() : 0;
    if (right) {
        line.append(fill, ' ').append(text);
    } else {
        line.append(text).append(fill, ' ');
    }
}

// The columns of a listing, as wide as the trace needs.
struct TColumns {
    std::size_t Number = 1;
    std::size_t Time = 1;
    std::size_t Luno = 1;
    std::size_t Type = 1;

    explicit TColumns(const TTraceIndex& index) {
        constexpr std::size_t kTimeWithDate = 26; // "2024-05-01 10:42:01.123456"
        constexpr std::size_t kTime = 15;         // "10:42:01.123456"
        Number = std::to_string(index.size()).size();
        for (std::size_t i = 0; i < index.size(); ++i) {
            if (const auto time = index[i].Time()) {
                Time = std::max(Time, time->HasDate ? kTimeWithDate : kTime);
            }
            Type = std::max(Type, MsgTypeDisplayName(index[i].Type()).size());
        }
        for (std::size_t terminal = 0; terminal < index.Terminals().size(); ++terminal) {
            Luno = std::max(Luno, std::min<std::size_t>(index.Terminals()[terminal].size(), 12));
        }
    }
};

// One message's line: number, time, time since the message before, direction,
// LUNO, type, summary item, and a command's response time or a status's time
// since its command; marks for what is wrong with it.
void AppendListingLine(std::string& out, const TTraceIndex& index, std::size_t i,
                       const TTraceMessageView& view, const TColumns& columns) {
    const TTraceEntry& entry = index[i];
    std::string line;
    Pad(line, std::to_string(i + 1), columns.Number, true);
    line += "  ";
    const auto time = entry.Time();
    Pad(line, time ? FormatTraceTime(*time, ' ') : "-", columns.Time);
    line += "  ";
    const auto delta = index.Delta(i);
    std::string since;
    if (delta) {
        since.append(delta->count() >= 0 ? "+" : "").append(FormatSeconds(*delta, true));
    }
    Pad(line, since, 10, true);
    line += "  ";
    const std::string_view from = DirectionName(entry.Direction());
    Pad(line, from.empty() ? "-" : from, 8);
    line += "  ";
    const auto luno = index.Luno(i);
    Pad(line, luno ? Printable(*luno) : "-", columns.Luno);
    line += "  ";
    Pad(line, MsgTypeDisplayName(entry.Type()), columns.Type);
    line += "  ";
    line += view.Summary().Item;
    if (const auto response = index.ResponseTime(i)) {
        line.append("  response ").append(FormatSeconds(*response, true)).append(" s");
    }
    if (const auto status = index.StatusTime(i)) {
        line.append("  status ").append(FormatSeconds(*status, true)).append(" s");
    }
    if (view.Read.OddDigit) {
        line += "  [odd hex digit]";
    }
    if (view.Read.Truncated) {
        line += "  [truncated]";
    }
    if (!view.Error().empty()) {
        line.append("  [error: ").append(view.Error()).append("]");
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out.append(line).push_back('\n');
}

// The decoded text below a listing line: indented, LF line ends, a blank line after.
void AppendDecodedText(std::string& out, std::string_view text) {
    constexpr std::string_view kIndent = "    ";
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        out.append(kIndent).append(text.substr(start, stop - start)).push_back('\n');
        start = end == std::string_view::npos ? text.size() : end + 2;
    }
    out.push_back('\n');
}

void AppendDurationsText(std::string& out, std::string_view name, const TDurationStats& stats) {
    out.append(name).append(": count ").append(std::to_string(stats.Count));
    if (stats.Count > 0) {
        out.append(", min ").append(FormatSeconds(stats.Min, true));
        out.append(", median ").append(FormatSeconds(stats.Median, true));
        out.append(", p95 ").append(FormatSeconds(stats.P95, true));
        out.append(", max ").append(FormatSeconds(stats.Max, true));
        out.append(", mean ").append(FormatSeconds(stats.Mean, true));
    }
    out.push_back('\n');
}

void AppendStatsText(std::string& out, const TTraceStats& stats) {
    const auto row = [&out](std::string_view name, std::size_t count) {
        out.append("  ");
        Pad(out, name, 24);
        Pad(out, std::to_string(count), 10, true);
        out.push_back('\n');
    };
    out.append("Messages: ").append(std::to_string(stats.Messages)).append("\nBy type:\n");
    for (const TDMsgType type : AllMsgTypes()) {
        if (stats.Types[type] > 0) {
            row(MsgTypeDisplayName(type), stats.Types[type]);
        }
    }
    out.append("By terminal (LUNO):\n");
    for (const auto& [luno, count] : stats.Terminals) {
        row(Printable(luno), count);
    }
    out.append("Decode errors: ").append(std::to_string(stats.Errors)).push_back('\n');
    out.append("Requests never answered: ")
        .append(std::to_string(stats.Unanswered))
        .push_back('\n');
    out.append("Function commands without a status: ")
        .append(std::to_string(stats.NoStatus))
        .push_back('\n');
    AppendDurationsText(out, "Response time (s)", stats.ResponseTime);
    AppendDurationsText(out, "Status time (s)", stats.StatusTime);
}

// The messages the filters pass, each as a listing line or a JSON object.
bool WriteMessages(const TTraceIndex& index, const TCliOptions& options, TOutput& out) {
    const TTraceOptions& trace = *options.Trace;
    const TTraceSelector selector(index, trace.Filter);
    const TColumns columns(index);
    const TTraceViewOptions viewOptions{.MaskCardData = options.Mask,
                                        .Decode = trace.Decode || selector.NeedsText(),
                                        .Structure = trace.Decode && options.Json};
    std::string scratch;
    for (std::size_t i = 0; i < index.size(); ++i) {
        if (!selector.AcceptsIndexed(i)) {
            continue;
        }
        const TTraceMessageView view = ViewTraceMessage(index, i, viewOptions);
        const std::string_view text = ShownText(view, scratch);
        if (selector.NeedsText() && !selector.AcceptsText(text)) {
            continue;
        }
        if (options.Json) {
            std::string decode = trace.Decode ? DecodeAsJson(*view.Decoded) : std::string();
            if (!decode.empty() && decode.back() == '\n') {
                decode.pop_back();
            }
            AppendTraceMessageJson(out.Buffer(), index, i, view, decode);
        } else {
            AppendListingLine(out.Buffer(), index, i, view, columns);
            if (trace.Decode) {
                AppendDecodedText(out.Buffer(), text);
            }
        }
        if (!out.Flush()) {
            return false;
        }
    }
    return out.Flush(true);
}

// The trace as it is, but for the edits that mask card data.
bool WriteRedacted(const TTraceIndex& index, TOutput& out) {
    const std::string_view text = index.Text();
    std::size_t written = 0;
    for (std::size_t i = 0; i < index.size(); ++i) {
        for (const TTextEdit& edit : CardDataEdits(index, i)) {
            if (!out.Write(text.substr(written, edit.Position - written)) ||
                !out.Write(std::string_view(&edit.Character, 1))) {
                return false;
            }
            written = edit.Position + 1;
        }
    }
    return out.Write(text.substr(written)) && out.Flush(true);
}

// Runs the trace command over `text` (the trace; `source` names it in messages,
// e.g. "'day.log'" or "standard input") and writes its output in pieces to
// `write`, which returns false when it cannot. Returns the exit status:
// 0 messages found, 1 none, 3 the output could not be written.
int RunTraceCommand(const TCliOptions& options, std::string_view text, std::string_view source,
                    const std::function<bool(std::string_view)>& write) {
    const TTraceOptions& trace = *options.Trace;
    const TTraceIndex index = TTraceWalk::IndexAll(text, trace.Layout);
    if (index.empty()) {
        std::fprintf(stderr, "velquist-decode: no message found in %.*s\n",
                     static_cast<int>(source.size()), source.data());
        return kExitNoMessage;
    }
    TOutput out(write);
    bool written = false;
    if (trace.Redact) {
        written = WriteRedacted(index, out);
    } else if (trace.Stats) {
        const TTraceSelector selector(index, trace.Filter);
        const TTraceStats stats =
            ComputeTraceStats(index, [&selector](std::size_t i) { return selector.Accepts(i); });
        if (options.Json) {
            AppendTraceStatsJson(out.Buffer(), stats);
        } else {
            AppendStatsText(out.Buffer(), stats);
        }
        written = out.Flush(true);
    } else {
        written = WriteMessages(index, options, out);
    }
    return written ? kExitFound : OutputError();
}

} // namespace

int RunTrace(const TCliOptions& options, const std::function<bool(std::string_view)>& write) {
    if (options.Text) {
        return RunTraceCommand(options, *options.Text, "the text", write);
    }
    const std::string path = options.File.value_or("-");
    std::string source = "standard input";
    if (path != "-") {
        source.assign("'").append(path).append("'");
    }
    platform::TMappedFile file;
    if (std::string problem; !file.Open(path, problem)) {
        std::fprintf(stderr, "velquist-decode: cannot read %s: %s\n", source.c_str(),
                     problem.c_str());
        return kExitUnreadable;
    }
    return RunTraceCommand(options, file.Text(), source, write);
}

} // namespace velquist::cli
