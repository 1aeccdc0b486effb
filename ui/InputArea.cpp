#include "InputArea.h"

#include "InputMarks.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>

namespace velquist::ui {

namespace {

// The block format property that marks a paragraph continuing the line before.
constexpr int kContinuation = QTextFormat::UserProperty + 1;

// About how many characters a paragraph of a long line holds; laying out one
// paragraph of this length takes well under a millisecond.
constexpr qsizetype kParagraphTarget = 4096;

// A change of at most this many characters, inside a line of one paragraph,
// is made where it happens; any other fills the whole document anew.
constexpr qsizetype kLocalChange = kParagraphTarget;

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

// The two texts without what they share at the start and at the end.
TTextChange Trimmed(TTextChange edit) {
    const auto removed = edit.Removed.size();
    const auto inserted = edit.Inserted.size();
    qsizetype front = 0;
    while (front < std::min(removed, inserted) && edit.Removed[front] == edit.Inserted[front]) {
        ++front;
    }
    qsizetype back = 0;
    while (back < std::min(removed, inserted) - front &&
           edit.Removed[removed - 1 - back] == edit.Inserted[inserted - 1 - back]) {
        ++back;
    }
    return {edit.Offset + front, edit.Removed.mid(front, removed - front - back),
            edit.Inserted.mid(front, inserted - front - back)};
}

// Makes `action` undo or redo `step` of the area, enabled when it can.
void Rewire(QAction& action, TInputArea& area, void (TInputArea::*step)(), bool can) {
    QObject::disconnect(&action, &QAction::triggered, nullptr, nullptr);
    QObject::connect(&action, &QAction::triggered, &area, step);
    action.setEnabled(can);
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
    document()->setUndoRedoEnabled(false); // the area keeps a history of its own
    FMarks = new TInputMarks(*this);
    connect(document(), &QTextDocument::contentsChange, this, &TInputArea::DocumentChanged);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!FRefilling) {
            emit CaretMoved();
        }
    });
}

bool TInputArea::IsContinuation(const QTextBlock& block) {
    return block.blockFormat().boolProperty(kContinuation);
}

QString TInputArea::TextBetween(int from, int to) const {
    // A paragraph separator of the document is a line break, or nothing where
    // the next paragraph continues the line.
    to = std::min(to, document()->characterCount() - 1);
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = block.position();
        if (start > from && !IsContinuation(block)) {
            text += u'\n';
        }
        const int begin = std::max(from, start) - start;
        const int end = std::min(to, start + block.length() - 1) - start;
        if (end > begin) {
            text += QStringView(block.text()).mid(begin, end - begin);
        }
    }
    // A line separator inside a paragraph is a line break too.
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

std::size_t TInputArea::CutsBefore(int position) const {
    // The separator before the continuing paragraph of cut k stands at
    // FCuts[k] + k: every line break before it is one position for one
    // character, every cut one position for none.
    std::size_t low = 0;
    for (std::size_t high = FCuts.size(); low < high;) {
        const std::size_t middle = low + (high - low) / 2;
        if (FCuts[middle] + static_cast<qsizetype>(middle) < position) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

qsizetype TInputArea::TextOffset(int position) const {
    return position - static_cast<qsizetype>(CutsBefore(position));
}

int TInputArea::DocumentPosition(qsizetype offset) const {
    const auto cuts = std::lower_bound(FCuts.begin(), FCuts.end(), offset);
    return static_cast<int>(
        std::min<qsizetype>(offset + (cuts - FCuts.begin()), document()->characterCount() - 1));
}

qsizetype TInputArea::MoveCuts(int position, int removed, qsizetype inserted) {
    // The cuts whose separators stood in the positions removed go, the later
    // ones move with the text after the change.
    const auto first = FCuts.begin() + static_cast<std::ptrdiff_t>(CutsBefore(position));
    const auto last = FCuts.begin() + static_cast<std::ptrdiff_t>(CutsBefore(position + removed));
    const qsizetype lost = removed - (last - first);
    const auto later = FCuts.erase(first, last);
    std::for_each(later, FCuts.end(), [&](qsizetype& cut) { cut += inserted - lost; });
    return lost;
}

void TInputArea::Reread() {
    FCuts.clear();
    qsizetype offset = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) {
            if (IsContinuation(block)) {
                FCuts.push_back(offset);
            } else {
                ++offset; // the line break before it
            }
        }
        offset += block.length() - 1;
    }
    const TTextChange edit = Trimmed({0, FText, TextBetween(0, document()->characterCount())});
    if (!edit.Removed.isEmpty() || !edit.Inserted.isEmpty()) {
        edit.ApplyTo(FText);
        FHistory.Record(edit, TTextHistory::TJoin::NewStep);
    }
    FormatMarks(0, document()->characterCount() - 1, FText, 0);
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

void TInputArea::Fill() {
    const QScopedValueRollback changing(FChanging, true);
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
    FCuts.clear();
    QTextBlock firstCut; // the first paragraph followed by a continuation
    for (qsizetype lineStart = 0; lineStart <= FText.size();) {
        qsizetype lineEnd = FText.indexOf(u'\n', lineStart);
        if (lineEnd < 0) {
            lineEnd = FText.size();
        }
        if (lineStart > 0) {
            cursor.insertBlock(QTextBlockFormat());
        }
        for (qsizetype start = lineStart;;) {
            const qsizetype end = PieceEnd(FText, start, lineEnd, paragraph);
            cursor.insertText(FText.mid(start, end - start));
            if (end >= lineEnd) {
                break;
            }
            if (!firstCut.isValid()) {
                firstCut = cursor.block();
            }
            cursor.insertBlock(continuation);
            FCuts.push_back(end);
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
                Fill();
                return;
            }
        }
    }
    FormatMarks(0, document()->characterCount() - 1, FText, 0);
}

void TInputArea::FormatMarks(int from, int to, QStringView text, qsizetype offset) {
    // The paragraphs at either end of a change may hold formats of their old
    // text; those in between are new and have none.
    const QTextBlock first = document()->findBlock(from);
    FMarks->Format(first);
    QTextBlock formatted = first;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (HasMark(text[i])) {
            // The character's position: before the position of the offset after it.
            const QTextBlock block = document()->findBlock(DocumentPosition(offset + i + 1) - 1);
            if (block != formatted) {
                FMarks->Format(block);
                formatted = block;
            }
        }
    }
    const QTextBlock last = document()->findBlock(to);
    if (last != formatted) {
        FMarks->Format(last);
    }
}

void TInputArea::ChangeDocument(const TTextChange& edit) {
    const int from = DocumentPosition(edit.Offset);
    const int to = DocumentPosition(edit.Offset + edit.Removed.size());
    // Where the paragraph after the change continues the line, a change of its
    // length would leave it without whole rows: the lines are cut anew.
    if (edit.Removed.size() > kLocalChange || edit.Inserted.size() > kLocalChange ||
        IsContinuation(document()->findBlock(to).next())) {
        Fill();
        return;
    }
    const QScopedValueRollback changing(FChanging, true);
    MoveCuts(from, to - from, edit.Inserted.size());
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QStringList lines = edit.Inserted.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        }
        cursor.insertText(lines[i], QTextCharFormat());
    }
    cursor.endEditBlock();
    FormatMarks(from, cursor.position(), edit.Inserted, edit.Offset);
}

void TInputArea::Change(const TTextChange& edit, TTextHistory::TJoin join) {
    edit.ApplyTo(FText);
    FHistory.Record(edit, join);
    FActionChanged = FActionDepth > 0;
    Show(edit);
}

void TInputArea::Show(const TTextChange& edit) {
    ChangeDocument(edit);
    QTextCursor cursor(document());
    cursor.setPosition(DocumentPosition(edit.Offset + edit.Inserted.size()));
    setTextCursor(cursor);
    ensureCursorVisible();
    emit InputChanged();
}

TTextHistory::TJoin TInputArea::JoinOf(const TTextChange& edit) const {
    if (FActionDepth > 0 && FActionChanged) {
        return TTextHistory::TJoin::SameAction;
    }
    return edit.Removed.isEmpty() && edit.Inserted.size() == 1 ? TTextHistory::TJoin::Typing
                                                               : TTextHistory::TJoin::NewStep;
}

void TInputArea::DocumentChanged(int position, int removed, int added) {
    if (FChanging) {
        return;
    }
    // The document before `position` is as it was, so is the text before
    // `offset`.
    const qsizetype offset = TextOffset(position);
    QString inserted = TextBetween(position, position + added);
    const qsizetype lost = MoveCuts(position, removed, inserted.size());
    const qsizetype length = FText.size() - lost + inserted.size();
    if (offset + lost > FText.size() ||
        length != document()->characterCount() - 1 - static_cast<qsizetype>(FCuts.size())) {
        Reread(); // a change of another kind than the text area makes
        emit InputChanged();
        return;
    }
    FormatMarks(position, position + added, inserted, offset);
    const TTextChange edit = Trimmed({offset, FText.mid(offset, lost), std::move(inserted)});
    if (edit.Removed.isEmpty() && edit.Inserted.isEmpty()) {
        return; // formats only
    }
    edit.ApplyTo(FText);
    FHistory.Record(edit, JoinOf(edit));
    FActionChanged = FActionDepth > 0;
    emit InputChanged();
}

void TInputArea::Paste(const QString& text) {
    const QTextCursor selection = textCursor();
    const qsizetype from = TextOffset(selection.selectionStart());
    const qsizetype to = TextOffset(selection.selectionEnd());
    const bool sameAction = FActionDepth > 0 && FActionChanged;
    Change({from, FText.mid(from, to - from), WithPlainBreaks(text)},
           sameAction ? TTextHistory::TJoin::SameAction : TTextHistory::TJoin::NewStep);
    // A text that replaced all may share its characters with the clipboard's,
    // and has no room to grow: copy it now, with room, rather than at the
    // first key typed.
    FText.reserve(FText.size() + kParagraphTarget);
}

void TInputArea::Undo() {
    FHistory.Undo(FText, [this](const TTextChange& edit) { Show(edit); });
}

void TInputArea::Redo() {
    FHistory.Redo(FText, [this](const TTextChange& edit) { Show(edit); });
}

template <typename TDispatch>
bool TInputArea::AsOneAction(TDispatch dispatch) {
    ++FActionDepth;
    const bool handled = dispatch();
    if (--FActionDepth == 0) {
        FActionChanged = false;
    }
    return handled;
}

// A key press, a drop, a choice from the context menu: whatever changes one
// event makes to the text is one step to undo.
bool TInputArea::event(QEvent* event) {
    return AsOneAction([&] { return QPlainTextEdit::event(event); });
}

bool TInputArea::viewportEvent(QEvent* event) {
    return AsOneAction([&] { return QPlainTextEdit::viewportEvent(event); });
}

void TInputArea::Refill() {
    FRefillPending = false;
    {
        const QScopedValueRollback refilling(FRefilling, true);
        const qsizetype offset = TextOffset(textCursor().position());
        Fill();
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
    if (event->matches(QKeySequence::Undo)) {
        Undo();
        return;
    }
    if (event->matches(QKeySequence::Redo)) {
        Redo();
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

void TInputArea::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-undo")) {
            Rewire(*action, *this, &TInputArea::Undo, CanUndo());
        } else if (action->objectName() == QLatin1String("edit-redo")) {
            Rewire(*action, *this, &TInputArea::Redo, CanRedo());
        }
    }
    menu->exec(event->globalPos());
}

void TInputArea::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    painter.setFont(font());
    const QRect region = event->rect();
    const QTextCursor selection = textCursor();
    const QRect caret = hasFocus() ? cursorRect() : QRect();
    bool overCaret = false;
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF place = blockBoundingGeometry(block).translated(offset);
        if (place.top() > region.bottom()) {
            break;
        }
        if (place.bottom() >= region.top() && !block.layout()->formats().isEmpty()) {
            overCaret =
                FMarks->Paint(painter, block, place.topLeft(), selection, caret) || overCaret;
        }
    }
    if (overCaret) {
        // The area drew its caret before the marks: once more, over them.
        painter.fillRect(caret.x(), caret.y(), cursorWidth(), caret.height(),
                         palette().color(QPalette::Text));
    }
}

bool TInputArea::canInsertFromMimeData(const QMimeData* source) const {
    return source != nullptr && source->hasText();
}

// Every paste and drop comes here. A clipboard without an owner hands over data
// without any format; it pastes nothing (the text area's own paste would crash).
void TInputArea::insertFromMimeData(const QMimeData* source) {
    if (source != nullptr && source->hasText()) {
        Paste(source->text());
    }
}

QMimeData* TInputArea::createMimeDataFromSelection() const {
    const QTextCursor selection = textCursor();
    const qsizetype from = TextOffset(selection.selectionStart());
    auto* data = new QMimeData; // the caller owns it
    data->setText(FText.mid(from, TextOffset(selection.selectionEnd()) - from));
    return data;
}

} // namespace velquist::ui
