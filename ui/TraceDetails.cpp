#include "TraceDetails.h"

#include "velquist/TraceQuery.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>

namespace velquist::ui {

namespace {

// At most this many bytes of a context line are shown (a line of noise can be
// megabytes long).
constexpr std::size_t kLongestContext = 1024;

bool IsBreak(char c) {
    return c == '\n' || c == '\r';
}

// Where the line `lines` lines before the one starting at `start` starts, at
// most kLongestContext bytes a line back.
std::size_t LinesBefore(std::string_view text, std::size_t start, std::size_t lines) {
    for (; lines > 0 && start > 0; --lines) {
        std::size_t at = start - 1;
        if (at > 0 && text[at] == '\n' && text[at - 1] == '\r') {
            --at;
        }
        const std::size_t limit = at > kLongestContext ? at - kLongestContext : 0;
        while (at > limit && !IsBreak(text[at - 1])) {
            --at;
        }
        start = at;
    }
    return start;
}

// Where the `lines` lines after the line ending at `end` end.
std::size_t LinesAfter(std::string_view text, std::size_t end, std::size_t lines) {
    for (; lines > 0 && end < text.size(); --lines) {
        std::size_t at = end;
        if (at < text.size() && text[at] == '\r') {
            ++at;
        }
        if (at < text.size() && text[at] == '\n') {
            ++at;
        }
        const std::size_t limit = std::min(text.size(), at + kLongestContext);
        while (at < limit && !IsBreak(text[at])) {
            ++at;
        }
        end = at;
    }
    return end;
}

// The trace characters shown: each trace byte's place in the shown text.
class TTraceLinePlaces : public TSourcePlaces {
public:
    TTraceLinePlaces(TTraceMessage read, std::size_t begin, std::string bytes,
                     std::vector<qsizetype> places)
        : FRead(std::move(read)), FBegin(begin), FBytes(std::move(bytes)),
          FPlaces(std::move(places)) {}

    std::optional<std::size_t> ByteUnderCaret(int position) const override {
        const auto after = std::upper_bound(FPlaces.begin(), FPlaces.begin() + FBytes.size(),
                                            static_cast<qsizetype>(position));
        if (after == FPlaces.begin()) {
            return std::nullopt;
        }
        auto k = static_cast<std::size_t>(after - FPlaces.begin()) - 1;
        while (k > 0 && IsBreak(FBytes[k]) && FPlaces[k - 1] == FPlaces[k]) {
            --k; // the CR of a CR LF
        }
        if (IsBreak(FBytes[k]) && k > 0 && !IsBreak(FBytes[k - 1])) {
            --k; // at the end of a line: the character before the caret
        }
        return FRead.ByteAt(FBegin + k);
    }

    std::vector<TPositionRun> RunsOf(TByteRange bytes) const override {
        std::vector<TPositionRun> runs;
        for (const TByteRange& span : FRead.TextSpans(bytes)) {
            const std::size_t start = std::clamp(span.Offset, FBegin, FBegin + FBytes.size());
            const std::size_t end = std::clamp(span.End(), FBegin, FBegin + FBytes.size());
            if (start < end) {
                runs.push_back({static_cast<int>(FPlaces[start - FBegin]),
                                static_cast<int>(FPlaces[end - FBegin])});
            }
        }
        return runs;
    }

private:
    TTraceMessage FRead;
    std::size_t FBegin;
    std::string FBytes;
    std::vector<qsizetype> FPlaces; // one more than FBytes: the end
};

void SetUpArea(QPlainTextEdit& area, const char* name) {
    area.setObjectName(QString::fromLatin1(name));
    area.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    area.setReadOnly(true);
    area.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    area.setLineWrapMode(QPlainTextEdit::NoWrap);
    area.setTabChangesFocus(true);
}

} // namespace

TTraceLines ShowTraceLines(const TTraceIndex& index, std::size_t i, TTraceMessage read, bool mask,
                           std::size_t context, std::size_t longest) {
    const std::string_view text = index.Text();
    const TTraceEntry& entry = index[i];
    const TByteRange own = TraceLinesAround(text, entry.TextBegin(), entry.TextEnd());
    const std::size_t begin = LinesBefore(text, own.Offset, context);
    const std::size_t end = std::min(LinesAfter(text, own.End(), context),
                                     begin + std::max(longest, own.Offset - begin));
    std::string bytes(text.substr(begin, end - begin));
    if (mask) {
        for (const TTextEdit& edit : CardDataEdits(index, i)) {
            if (edit.Position >= begin && edit.Position < end) {
                bytes[edit.Position - begin] = edit.Character;
            }
        }
    }
    std::vector<std::size_t> offsets(bytes.size() + 1);
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        offsets[k] = k;
    }
    TTraceLines lines;
    lines.Shown = ShowBytes(bytes, kLongestShownLine, offsets);
    const std::vector<qsizetype>& places = lines.Shown.Places;
    lines.Message = {static_cast<int>(places[own.Offset - begin]),
                     static_cast<int>(places[std::min(own.End(), end) - begin])};
    lines.Places = std::make_unique<TTraceLinePlaces>(std::move(read), begin, std::move(bytes),
                                                      std::move(lines.Shown.Places));
    return lines;
}

TTraceDetails::TTraceDetails(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("traceDetails"));
    FDecoded = new QPlainTextEdit(this);
    SetUpArea(*FDecoded, "traceDecoded");
    FLines = new QPlainTextEdit(this);
    SetUpArea(*FLines, "traceLines");
    addWidget(FDecoded);
    addWidget(FLines);
    setChildrenCollapsible(false);
    FLinks = std::make_unique<TAreaLinks>(*FLines, *FDecoded);
    connect(FLines, &QPlainTextEdit::cursorPositionChanged, FLinks.get(),
            &TAreaLinks::FollowSource);
}

TTraceDetails::~TTraceDetails() = default;

void TTraceDetails::Clear() {
    FLinks->Untie();
    FDecoded->clear();
    FLines->clear();
}

void TTraceDetails::Show(const TTraceIndex& index, std::size_t i, bool mask) {
    FLinks->Untie();
    TTraceMessageView view = ViewTraceMessage(
        index, i, {.MaskCardData = mask, .Decode = true, .Structure = true, .Places = true});
    const TDecodeResult& result = *view.Decoded;

    TTraceLines lines = ShowTraceLines(index, i, std::move(view.Read), mask);
    {
        const QSignalBlocker blocker(FLines); // no caret to follow before the tie
        ShowText(*FLines, lines.Shown);
        const QColor dim = Blend(FLines->palette().color(QPalette::Text),
                                 FLines->palette().color(QPalette::Base), 0.5F);
        QTextCharFormat context;
        context.setForeground(dim);
        QTextCursor cursor(FLines->document());
        for (const auto& [from, to] :
             {std::pair(0, lines.Message.Start),
              std::pair(lines.Message.End, FLines->document()->characterCount() - 1)}) {
            if (from < to) {
                cursor.setPosition(from);
                cursor.setPosition(to, QTextCursor::KeepAnchor);
                cursor.mergeCharFormat(context);
            }
        }
        QTextCursor start(FLines->document());
        start.setPosition(lines.Message.Start);
        FLines->setTextCursor(start);
        FLines->centerCursor();
    }

    if (result.Ok) {
        const TShownText shown =
            ShowBytes(result.Text, kLongestShownLine, TShownLines::LineBounds(result.Lines));
        {
            const QSignalBlocker blocker(FDecoded);
            ShowText(*FDecoded, shown);
        }
        FLinks->Tie(std::move(lines.Places), TShownLines(result.Lines, shown.Places));
    } else {
        const QSignalBlocker blocker(FDecoded);
        std::string scratch;
        ShowText(*FDecoded, ShowBytes(ShownText(view, scratch)));
    }
}

} // namespace velquist::ui
