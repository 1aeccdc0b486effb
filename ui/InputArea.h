#pragma once

// The input area: a multi-line text area for a pasted message, which may be a
// single line of megabytes of hex digits.
//
// A text area lays out a paragraph whole, so one long line would take seconds
// to show. The area therefore keeps every line of the text as one or more
// paragraphs of a few thousand characters each: a paragraph whose block format
// carries the continuation property goes on with the line of the paragraph
// before it, with no line break between them. Each paragraph but the last of a
// line holds a whole number of display rows, so the line wraps on screen as if
// it were one paragraph; when the rows change length (the window is resized)
// the lines are cut anew. Text() is the text exactly as it was typed or
// pasted, and copying a selection gives the same characters.
//
// The area keeps the text itself and its own undo history in terms of the text
// (TextHistory.h), not the document's: cutting the paragraphs anew is no edit,
// and undo and redo give back the text whatever the paragraphs were cut like
// in between. Ctrl+Z, Ctrl+Y (Ctrl+Shift+Z) and the context menu's Undo and
// Redo use it. Control characters are drawn as marks (InputMarks.h).
//
// Enter inserts no line break; line breaks come only with pasted text, and a
// clipboard without text pastes nothing.

#include "TextHistory.h"

#include <QPlainTextEdit>
#include <QString>

#include <vector>

class QMimeData;
class QTextBlock;

namespace velquist::ui {

class TInputMarks;

class TInputArea : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TInputArea(QWidget* parent = nullptr);

    // The whole text, "\n" for every line break.
    const QString& Text() const { return FText; }

    // Puts `text` in place of the selection, or at the caret, as pasting does
    // (Ctrl+V, a drop): every line break ("\r\n", "\r", "\n", U+2028, U+2029)
    // becomes one "\n", the change is one step to undo, and the caret goes
    // after the text. The one way to set the text besides typing: to replace
    // it all, select all first.
    void Paste(const QString& text);

    bool CanUndo() const { return FHistory.CanUndo(); }
    bool CanRedo() const { return FHistory.CanRedo(); }

    // Whether a paragraph goes on with the line of the one before it.
    static bool IsContinuation(const QTextBlock& block);

    // Where in Text() the paragraphs that continue a line start, ascending.
    const std::vector<qsizetype>& Cuts() const { return FCuts; }

public slots:
    void Undo();
    void Redo();

signals:
    // The text changed: typed, pasted, cleaned, undone or redone. Not sent when
    // only the paragraphs are cut anew.
    void InputChanged();
    // The same text was cut into paragraphs anew (the rows changed length):
    // document positions moved, Text() did not.
    void ParagraphsRecut();
    // The caret moved, other than by cutting the paragraphs anew.
    void CaretMoved();

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The text between two positions of the document, paragraphs joined as in Text().
    QString TextBetween(int from, int to) const;
    // How many cuts lie before a document position.
    std::size_t CutsBefore(int position) const;
    // Where a document position lies in Text(), and back (the end of the
    // paragraph for an offset where the next one continues the line).
    qsizetype TextOffset(int position) const;
    int DocumentPosition(qsizetype offset) const;
    // Brings Cuts() up to a change of the document that removed the positions
    // [position, position + removed) and put text of `inserted` characters
    // there, with no cut in it. Returns the characters of text removed.
    qsizetype MoveCuts(int position, int removed, qsizetype inserted);
    // Reads the text and the cuts from the document after a change that could
    // not be followed; records it as one step.
    void Reread();

    // Makes `edit` to the text and records it in the history with `join`; then
    // shows it.
    void Change(const TTextChange& edit, TTextHistory::TJoin join);
    // Makes `edit`, already made to Text(), to the document, and puts the
    // caret after what it inserted.
    void Show(const TTextChange& edit);
    void ChangeDocument(const TTextChange& edit);
    // Has the marks formatted in the paragraphs from document position `from`
    // to `to`, which hold `text`, from `offset` of Text() on.
    void FormatMarks(int from, int to, QStringView text, qsizetype offset);
    // How a change the text area made itself (typing, deleting, cutting) joins
    // the ones before it in the history.
    TTextHistory::TJoin JoinOf(const TTextChange& edit) const;
    // Brings Text() and the history up to a change the text area made itself.
    void DocumentChanged(int position, int removed, int added);
    // Runs an event of the text area as one action for the history.
    template <typename TDispatch>
    bool AsOneAction(TDispatch dispatch);

    // Replaces the document's content with Text(), its lines cut into
    // paragraphs of whole display rows.
    void Fill();
    // Characters in a paragraph that holds whole display rows.
    qsizetype ParagraphLength() const;
    // Cuts the lines again after the display rows changed length.
    void Refill();

    QString FText;
    std::vector<qsizetype> FCuts; // where the document's continuing paragraphs start in FText
    TTextHistory FHistory;
    TInputMarks* FMarks = nullptr; // a child object

    int FRowLength = 0; // characters per display row, as measured, 0 before
    int FRowWidth = 0;  // the width of the area when it was measured
    bool FRefillPending = false;
    bool FRefilling = false;
    bool FChanging = false;      // the area changes its document itself
    int FActionDepth = 0;        // events of the text area being handled
    bool FActionChanged = false; // the current action has recorded a change
};

// The text with every line break ("\r\n", "\r", "\n", U+2028, U+2029) as one "\n".
QString WithPlainBreaks(const QString& text);

} // namespace velquist::ui
