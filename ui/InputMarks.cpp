#include "InputMarks.h"

#include "ShownText.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>

namespace velquist::ui {

namespace {

// The layout format property of a character drawn as a mark: 1, or 2 for a
// lighter mark.
constexpr int kMarkShade = QTextFormat::UserProperty + 2;

// Whether each character below 0x100 shows as a mark; looked up for every
// character of a changed text.
const std::array<bool, 256> kHasMark = [] {
    std::array<bool, 256> marks{};
    for (std::size_t c = 0; c < marks.size(); ++c) {
        marks[c] = !MarkOfChar(static_cast<char16_t>(c)).isEmpty();
    }
    return marks;
}();

// The width of `text` laid out on one line in `font`.
qreal LaidOutWidth(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return line.isValid() ? line.cursorToX(static_cast<int>(text.size())) : 0;
}

} // namespace

bool HasMark(QChar c) {
    return c.unicode() < kHasMark.size() && kHasMark[c.unicode()];
}

QStringView MarkOfChar(char16_t c) {
    const bool isItsByte = c < 0x80 || (c >= 0xA0 && c <= 0xFF);
    return isItsByte ? MarkOfByte(static_cast<std::uint8_t>(c)) : QStringView();
}

TInputMarks::TInputMarks(QPlainTextEdit& area) : QObject(&area), FArea(area) {
    FArea.installEventFilter(this);
    Remeasure();
}

bool TInputMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &FArea && event->type() == QEvent::FontChange) {
        Remeasure();
    }
    return QObject::eventFilter(watched, event);
}

void TInputMarks::Remeasure() {
    const QFont font = FArea.font();
    for (std::size_t c = 0; c < FRoom.size(); ++c) {
        const QStringView mark = MarkOfChar(static_cast<char16_t>(c));
        FRoom[c] = mark.isEmpty()
                       ? 0
                       : LaidOutWidth(mark.toString(), font) -
                             LaidOutWidth(QString(QChar(static_cast<char16_t>(c))), font);
    }
    for (QTextBlock block = FArea.document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (std::any_of(text.begin(), text.end(), HasMark)) {
            Format(block);
        }
    }
}

void TInputMarks::Format(const QTextBlock& block) const {
    if (!block.isValid()) {
        return;
    }
    const QString text = block.text();
    QList<QTextLayout::FormatRange> marks;
    bool lighter = false; // the next mark is the second of two side by side
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!HasMark(text[i])) {
            lighter = false;
            continue;
        }
        QTextCharFormat format;
        format.setForeground(Qt::transparent); // the glyph's box; the mark goes over it
        format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        format.setFontLetterSpacing(FRoom[c]);
        format.setProperty(kMarkShade, lighter ? 2 : 1);
        marks.append({static_cast<int>(i), 1, format});
        lighter = !lighter;
    }
    QTextLayout& layout = *block.layout();
    if (marks.isEmpty() && layout.formats().isEmpty()) {
        return;
    }
    layout.setFormats(marks);
    FArea.document()->markContentsDirty(block.position(), block.length());
}

bool TInputMarks::Paint(QPainter& painter, const QTextBlock& block, QPointF origin,
                        const QTextCursor& selection, const QRect& caret) const {
    const QTextLayout& layout = *block.layout();
    const QString text = block.text();
    const QPalette& palette = FArea.palette();
    bool overCaret = false;
    for (const QTextLayout::FormatRange& range : layout.formats()) {
        const int shade = range.format.intProperty(kMarkShade);
        const QTextLine line = layout.lineForTextPosition(range.start);
        if (shade == 0 || !line.isValid()) {
            continue;
        }
        const int position = block.position() + range.start;
        const bool selected =
            position >= selection.selectionStart() && position < selection.selectionEnd();
        const qreal left = line.cursorToX(range.start);
        const QRectF box(origin.x() + left, origin.y() + line.y(),
                         line.cursorToX(range.start + 1) - left, line.height());
        const TShownMark mark{0, 1, TMarkKind::Byte, shade == 2};
        painter.fillRect(box, selected ? palette.color(QPalette::Highlight)
                                       : MarkBackground(palette, mark));
        painter.setPen(selected ? palette.color(QPalette::HighlightedText)
                                : palette.color(QPalette::Base));
        painter.drawText(QPointF(box.left(), box.top() + line.ascent()),
                         MarkOfChar(text[range.start].unicode()).toString());
        overCaret = overCaret || box.intersects(caret);
    }
    return overCaret;
}

} // namespace velquist::ui
