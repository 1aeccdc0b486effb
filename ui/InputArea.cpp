#include "InputArea.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace velquist::ui {

namespace {

// The block format property that marks a paragraph continuing the line before.
constexpr int kContinuation = QTextFormat::UserProperty + 1;

// About how many characters a paragraph of a long line holds; laying out one
// paragraph of this length takes well under a millisecond.
constexpr qsizetype kParagraphTarget = 4096;

bool IsBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// The end of a piece of at most `length` characters from `start`, not splitting
// a surrogate pair.
qsizetype PieceEnd(const QString& text, qsizetype start, qsizetype end, qsizetype length) {
    qsizetype pieceEnd = std::min(end, start + length);
    if (pieceEnd < end && text[pieceEnd - 1].isHighSurrogate()) {
        ++pieceEnd;
    }
    return pieceEnd;
}

} // namespace

QString WithPlainBreaks(const QString& text) {
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return IsBreak(c) && c != u'\n'; })) {
        return text;
    }
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue; // the "\n" that follows makes the one break
        }
        plain += IsBreak(c) ? QChar(u'\n') : c;
    }
    return plain;
}

TInputArea::TInputArea(QWidget* parent) : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!FRefilling) {
            emit InputChanged();
        }
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!FRefilling) {
            emit CaretMoved();
        }
    });
}

bool TInputArea::IsContinuation(const QTextBlock& block) {
    return block.blockFormat().boolProperty(kContinuation);
}

QString TInputArea::Text() const {
    return TextBetween(0, document()->characterCount() - 1);
}

QString TInputArea::TextBetween(int from, int to) const {
    // The document's raw text has a paragraph separator between paragraphs: it
    // becomes a line break, or goes where the next paragraph continues the line.
    const QString raw = document()->toRawText();
    to = std::min(to, static_cast<int>(raw.size()));
    QString text;
    text.reserve(to - from);
    int copied = from;
    for (QTextBlock block = document()->findBlock(from).next();
         block.isValid() && block.position() <= to; block = block.next()) {
        const int separator = block.position() - 1;
        text += QStringView(raw).mid(copied, separator - copied);
        if (!IsContinuation(block)) {
            text += u'\n';
        }
        copied = separator + 1;
    }
    if (to > copied) {
        text += QStringView(raw).mid(copied, to - copied);
    }
    // A line separator inside a paragraph (set by setPlainText) is a line break too.
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

std::vector<qsizetype> TInputArea::Cuts() const {
    std::vector<qsizetype> cuts;
    qsizetype offset = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) {
            if (IsContinuation(block)) {
                cuts.push_back(offset);
            } else {
                ++offset; // the line break before it
            }
        }
        offset += block.length() - 1;
    }
    return cuts;
}

qsizetype TInputArea::TextOffset(int position) const {
    qsizetype offset = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin() && !IsContinuation(block)) {
            ++offset; // the line break before it
        }
        if (position < block.position() + block.length()) {
            return offset + (position - block.position());
        }
        offset += block.length() - 1;
    }
    return offset;
}

int TInputArea::DocumentPosition(qsizetype offset) const {
    qsizetype remaining = offset;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin() && !IsContinuation(block)) {
            --remaining; // the line break before it
        }
        const int length = block.length() - 1;
        if (remaining <= length) {
            return block.position() + static_cast<int>(remaining);
        }
        remaining -= length;
    }
    return document()->characterCount() - 1;
}

qsizetype TInputArea::ParagraphLength() const {
    int row = FRowLength;
    if (row <= 0) {
        // A first guess from the font; Fill() checks it against the real layout.
        const qreal width = viewport()->width() - 2 * document()->documentMargin();
        const qreal advance = QFontMetricsF(font()).horizontalAdvance(u'0');
        if (width <= 0 || advance <= 0) {
            return kParagraphTarget;
        }
        row = std::max(1, static_cast<int>(std::floor(width / advance)));
    }
    return row * std::max<qsizetype>(1, kParagraphTarget / row);
}

void TInputArea::Fill(const QString& text) {
    const qsizetype paragraph = ParagraphLength();
    QTextBlockFormat continuation;
    continuation.setProperty(kContinuation, true);

    // One edit block: the layout learns of the change once, at the end, and
    // lays out only the paragraphs it shows.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat(QTextBlockFormat());
    QTextBlock firstCut; // the first paragraph followed by a continuation
    for (qsizetype lineStart = 0; lineStart <= text.size();) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0) {
            lineEnd = text.size();
        }
        if (lineStart > 0) {
            cursor.insertBlock(QTextBlockFormat());
        }
        for (qsizetype start = lineStart;;) {
            const qsizetype end = PieceEnd(text, start, lineEnd, paragraph);
            cursor.insertText(text.mid(start, end - start));
            if (end >= lineEnd) {
                break;
            }
            if (!firstCut.isValid()) {
                firstCut = cursor.block();
            }
            cursor.insertBlock(continuation);
            start = end;
        }
        lineStart = lineEnd + 1;
    }
    cursor.endEditBlock();

    if (firstCut.isValid()) {
        // Check the cut against the real display rows: a paragraph must end
        // with a full row, or the line would look broken there.
        document()->documentLayout()->blockBoundingRect(firstCut); // lays it out
        const QTextLayout& layout = *firstCut.layout();
        const int row = layout.lineCount() > 1 ? layout.lineAt(0).textLength() : 0;
        const int width = viewport()->width();
        if (row > 0 && (FRowLength != row || FRowWidth != width)) {
            FRowLength = row;
            FRowWidth = width;
            if (paragraph % row != 0) {
                Fill(text);
            }
        }
    }
}

void TInputArea::SetText(const QString& text) {
    document()->setUndoRedoEnabled(false);
    Fill(WithPlainBreaks(text));
    document()->setUndoRedoEnabled(true);
    moveCursor(QTextCursor::End);
}

void TInputArea::Refill() {
    FRefillPending = false;
    {
        const QScopedValueRollback refilling(FRefilling, true);
        const qsizetype offset = TextOffset(textCursor().position());
        SetText(Text());
        QTextCursor cursor = textCursor();
        cursor.setPosition(DocumentPosition(offset));
        setTextCursor(cursor);
    }
    emit ParagraphsRecut();
}

void TInputArea::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (FRowWidth != viewport()->width() && document()->blockCount() > 1 && !FRefillPending) {
        // The rows changed length: cut the long lines again once the resizing
        // is over, so each paragraph again ends with a full row.
        FRowLength = 0;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            if (IsContinuation(block)) {
                FRefillPending = true;
                QTimer::singleShot(0, this, &TInputArea::Refill);
                break;
            }
        }
    }
}

void TInputArea::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore(); // a message is one line unless pasted with its line breaks
        return;
    }
    // Backspace at the start of a continuing paragraph, or Delete at the end of
    // the paragraph before one, deletes the character beyond the cut, not the cut.
    QTextCursor cursor = textCursor();
    const bool plain = !cursor.hasSelection() && (event->modifiers() & ~Qt::ShiftModifier) == 0;
    if (plain && event->key() == Qt::Key_Backspace && cursor.atBlockStart() &&
        IsContinuation(cursor.block())) {
        cursor.movePosition(QTextCursor::PreviousCharacter);
        cursor.deletePreviousChar();
        setTextCursor(cursor);
        return;
    }
    if (plain && event->key() == Qt::Key_Delete && cursor.atBlockEnd() &&
        IsContinuation(cursor.block().next())) {
        cursor.movePosition(QTextCursor::NextCharacter);
        cursor.deleteChar();
        setTextCursor(cursor);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool TInputArea::canInsertFromMimeData(const QMimeData* source) const {
    return source != nullptr && source->hasText();
}

// Every paste and drop comes here. A clipboard without an owner hands over data
// without any format; it pastes nothing (the text area's own paste would crash).
void TInputArea::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText()) {
        return;
    }
    const QString pasted = WithPlainBreaks(source->text());
    const QTextCursor selection = textCursor();
    const qsizetype from = TextOffset(selection.selectionStart());
    const qsizetype to = TextOffset(selection.selectionEnd());
    Fill(Text().replace(from, to - from, pasted)); // one step to undo
    QTextCursor cursor(document());
    cursor.setPosition(DocumentPosition(from + pasted.size()));
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData* TInputArea::createMimeDataFromSelection() const {
    const QTextCursor selection = textCursor();
    auto* data = new QMimeData; // the caller owns it
    data->setText(TextBetween(selection.selectionStart(), selection.selectionEnd()));
    return data;
}

} // namespace velquist::ui
