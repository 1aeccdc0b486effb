#include "Highlight.h"

#include "InputArea.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>

namespace velquist::ui {

namespace {

// The highlight is amber mixed into the area's background: it stands apart
// from the selection, and the text on it stays readable in light and dark
// colour schemes alike.
constexpr QColor kAmber(255, 190, 0);
constexpr float kAmberShare = 0.45F;

QTextCharFormat HighlightFormat(const QPlainTextEdit& area, TAreaHighlight::TReach reach) {
    QTextCharFormat format;
    format.setBackground(HighlightColour(area.palette()));
    if (reach == TAreaHighlight::TReach::WholeLines) {
        format.setProperty(QTextFormat::FullWidthSelection, true);
    }
    return format;
}

QTextEdit::ExtraSelection Selection(QTextDocument& document, int start, int end,
                                    const QTextCharFormat& format) {
    QTextCursor cursor(&document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return {cursor, format};
}

// Characters between `start` and `end` drawn on a background of their own (the
// output's marks) keep their colours over the highlight.
void KeepOwnBackgrounds(QTextDocument& document, int start, int end,
                        QList<QTextEdit::ExtraSelection>& selections) {
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat own = fragment.charFormat();
            const int from = std::max(fragment.position(), start);
            const int to = std::min(fragment.position() + fragment.length(), end);
            if (own.background().style() == Qt::NoBrush || from >= to) {
                continue;
            }
            QTextCharFormat colours;
            colours.setBackground(own.background());
            colours.setForeground(own.foreground());
            selections.append(Selection(document, from, to, colours));
        }
    }
}

} // namespace

QColor Blend(const QColor& a, const QColor& b, float share) {
    return QColor::fromRgbF(a.redF() * (1 - share) + b.redF() * share,
                            a.greenF() * (1 - share) + b.greenF() * share,
                            a.blueF() * (1 - share) + b.blueF() * share);
}

QColor HighlightColour(const QPalette& palette) {
    return Blend(palette.color(QPalette::Base), kAmber, kAmberShare);
}

TAreaHighlight::TAreaHighlight(QPlainTextEdit& area, TReach reach) : FArea(area), FReach(reach) {
    connect(FArea.verticalScrollBar(), &QScrollBar::valueChanged, this, &TAreaHighlight::Refresh);
    FArea.viewport()->installEventFilter(this);
}

void TAreaHighlight::Show(std::vector<TPositionRun> runs, std::optional<int> reveal) {
    const std::optional<int> top = reveal ? TopLineFor(*reveal) : std::nullopt;
    if (runs == FRuns && !top) {
        return;
    }
    if (top) {
        // Dropped while they are near the view, the old selections are quick
        // to repaint away.
        FRuns.clear();
        FArea.setExtraSelections({});
        FArea.verticalScrollBar()->setValue(*top);
    }
    FRuns = std::move(runs);
    Refresh();
}

bool TAreaHighlight::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && !FRuns.empty()) {
        Refresh();
    }
    return QObject::eventFilter(watched, event);
}

TPositionRun TAreaHighlight::Shown() const {
    const QTextBlock top = FArea.cursorForPosition(QPoint(0, 0)).block();
    const QTextBlock bottom =
        FArea.cursorForPosition(QPoint(0, std::max(0, FArea.viewport()->height() - 1))).block();
    return {top.position(), bottom.position() + bottom.length() - 1};
}

bool TAreaHighlight::ShowsAny(const std::vector<TPositionRun>& runs) const {
    const TPositionRun shown = Shown();
    return std::any_of(runs.begin(), runs.end(), [&shown](const TPositionRun& run) {
        return run.Start <= shown.End && run.End >= shown.Start;
    });
}

std::optional<int> TAreaHighlight::TopLineFor(int position) const {
    const QTextDocument& document = *FArea.document();
    const QTextBlock block = document.findBlock(position);
    if (!block.isValid()) {
        return std::nullopt;
    }
    const TPositionRun shown = Shown();
    if (position >= shown.Start && position <= shown.End) {
        // Measuring a paragraph the area shows is quick; one far away is not.
        QTextCursor cursor(FArea.document());
        cursor.setPosition(position);
        const QRect at = FArea.cursorRect(cursor);
        if (at.top() >= 0 && at.bottom() < FArea.viewport()->height()) {
            return std::nullopt;
        }
    }
    // The scroll bar counts display lines, which a paragraph knows once it is
    // laid out.
    document.documentLayout()->blockBoundingRect(block);
    const QTextLine line = block.layout()->lineForTextPosition(position - block.position());
    return block.firstLineNumber() + (line.isValid() ? line.lineNumber() : 0);
}

void TAreaHighlight::Refresh() {
    QList<QTextEdit::ExtraSelection> selections;
    if (!FRuns.empty()) {
        QTextDocument& document = *FArea.document();
        const TPositionRun shown = Shown();
        const int last = document.characterCount() - 1;
        // A whole line takes its line break along, so the highlight runs on to
        // the right edge of the area.
        const int lineBreak = FReach == TReach::WholeLines ? 1 : 0;
        const QTextCharFormat format = HighlightFormat(FArea, FReach);
        auto run = std::lower_bound(
            FRuns.begin(), FRuns.end(), shown.Start,
            [lineBreak](const TPositionRun& r, int start) { return r.End + lineBreak <= start; });
        const qsizetype first = selections.size();
        for (; run != FRuns.end() && run->Start <= shown.End; ++run) {
            const int start = std::max(run->Start, shown.Start);
            const int end = std::min({run->End + lineBreak, shown.End + 1, last});
            if (start < end) {
                selections.append(Selection(document, start, end, format));
            }
        }
        const qsizetype highlighted = selections.size();
        for (qsizetype i = first; i < highlighted; ++i) {
            const QTextCursor piece = selections[i].cursor;
            KeepOwnBackgrounds(document, piece.selectionStart(), piece.selectionEnd(), selections);
        }
    }
    FArea.setExtraSelections(selections);
}

TAreaLinks::TAreaLinks(QPlainTextEdit& source, QPlainTextEdit& output)
    : FSource(source), FOutput(output),
      FSourceHighlight(source, TAreaHighlight::TReach::Characters),
      FOutputHighlight(output, TAreaHighlight::TReach::WholeLines) {
    connect(&FOutput, &QPlainTextEdit::textChanged, this, &TAreaLinks::Untie);
    connect(&FOutput, &QPlainTextEdit::cursorPositionChanged, this, &TAreaLinks::FollowOutput);
    // Clicking or tabbing into an area puts its caret to work, wherever it is.
    FSource.installEventFilter(this);
    FOutput.installEventFilter(this);
}

void TAreaLinks::Tie(std::unique_ptr<const TSourcePlaces> places, TShownLines lines) {
    Untie();
    FTie = TTie{std::move(places), std::move(lines), {}};
}

void TAreaLinks::Replace(std::unique_ptr<const TSourcePlaces> places) {
    if (FTie) {
        // The paragraphs were filled anew, so the selections went with the old
        // ones, even where the highlight keeps its positions.
        FSourceHighlight.Clear();
        FTie->Places = std::move(places);
        ShowSource(FTie->SourceShows);
    }
}

void TAreaLinks::Untie() {
    FTie.reset();
    FSourceHighlight.Clear();
    FOutputHighlight.Clear();
}

bool TAreaLinks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == &FSource) {
            FollowSource();
        } else if (watched == &FOutput) {
            FollowOutput();
        }
    }
    return QObject::eventFilter(watched, event);
}

void TAreaLinks::FollowSource() {
    if (!FTie) {
        return;
    }
    ShowSource(std::nullopt);
    const auto byte = FTie->Places->ByteUnderCaret(FSource.textCursor().position());
    std::vector<TPositionRun> lines;
    if (byte) {
        for (const std::size_t line : FTie->Lines.LinesShowing(*byte)) {
            lines.push_back(FTie->Lines.RunOf(line));
        }
    }
    const bool inView = lines.empty() || FOutputHighlight.ShowsAny(lines);
    const std::optional<int> first = inView ? std::nullopt : std::optional(lines.front().Start);
    FOutputHighlight.Show(std::move(lines), first);
}

void TAreaLinks::FollowOutput() {
    if (!FTie) {
        return;
    }
    FOutputHighlight.Clear();
    const auto line = FTie->Lines.LineAt(FOutput.textCursor().position());
    ShowSource(line ? FTie->Lines.BytesOf(*line) : std::nullopt);
}

void TAreaLinks::ShowSource(std::optional<TByteRange> bytes) {
    FTie->SourceShows = bytes;
    std::vector<TPositionRun> runs;
    if (bytes) {
        runs = FTie->Places->RunsOf(*bytes);
    }
    const std::optional<int> first =
        runs.empty() ? std::nullopt : std::optional(runs.front().Start);
    FSourceHighlight.Show(std::move(runs), first);
}

namespace {

// The input area's characters: the input map of the prepared text, and where
// its bytes stand in the area's paragraphs.
class TInputSourcePlaces : public TSourcePlaces {
public:
    TInputSourcePlaces(std::shared_ptr<const TInputMap> map, const TInputArea& input)
        : FMap(std::move(map)), FPlaces(input.Text(), input.Cuts()) {}

    std::optional<std::size_t> ByteUnderCaret(int position) const override {
        const auto textByte = FPlaces.ByteUnderCaret(position);
        return textByte ? FMap->ByteAt(*textByte) : std::nullopt;
    }

    std::vector<TPositionRun> RunsOf(TByteRange bytes) const override {
        std::vector<TPositionRun> runs;
        for (const TByteRange& span : FMap->TextSpans(bytes)) {
            runs.push_back(FPlaces.RunOf(span));
        }
        return runs;
    }

private:
    std::shared_ptr<const TInputMap> FMap;
    TInputPlaces FPlaces;
};

} // namespace

TDecodeLinks::TDecodeLinks(TInputArea& input, QPlainTextEdit& output)
    : FInput(input), FLinks(input, output) {
    connect(&FInput, &TInputArea::InputChanged, &FLinks, &TAreaLinks::Untie);
    connect(&FInput, &TInputArea::CaretMoved, &FLinks, &TAreaLinks::FollowSource);
    connect(&FInput, &TInputArea::ParagraphsRecut, this, &TDecodeLinks::InputRecut);
}

void TDecodeLinks::Tie(TInputMap map, TShownLines lines) {
    FMap = std::make_shared<const TInputMap>(std::move(map));
    FLinks.Tie(std::make_unique<TInputSourcePlaces>(FMap, FInput), std::move(lines));
}

void TDecodeLinks::InputRecut() {
    if (FLinks.Tied()) {
        FLinks.Replace(std::make_unique<TInputSourcePlaces>(FMap, FInput));
    }
}

} // namespace velquist::ui
