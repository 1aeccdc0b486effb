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
// it were one paragraph. Text() joins the paragraphs back into the text exactly
// as it was typed or pasted, and copying a selection does the same.
//
// Enter inserts no line break; line breaks come only with pasted text, and a
// clipboard without text pastes nothing.

#include <QPlainTextEdit>
#include <QString>

#include <vector>

class QMimeData;
class QTextBlock;

namespace velquist::ui {

class TInputArea : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TInputArea(QWidget* parent = nullptr);

    // The whole text, "\n" for every line break.
    QString Text() const;

    // Replaces the whole text ("\n", "\r\n" or a lone "\r" break a line) and
    // clears the undo history; the cursor goes to the end.
    void SetText(const QString& text);

    // Whether a paragraph goes on with the line of the one before it.
    static bool IsContinuation(const QTextBlock& block);

    // Where in Text() the paragraphs that continue a line start, ascending.
    std::vector<qsizetype> Cuts() const;

signals:
    // The text changed: typed, pasted, set or cleaned. Not sent when only the
    // paragraphs are cut anew.
    void InputChanged();
    // The same text was cut into paragraphs anew (the rows changed length):
    // document positions moved, Text() did not.
    void ParagraphsRecut();
    // The caret moved, other than by cutting the paragraphs anew.
    void CaretMoved();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The text between two positions of the document, paragraphs joined as in Text().
    QString TextBetween(int from, int to) const;
    // Where a document position lies in Text(), and back.
    qsizetype TextOffset(int position) const;
    int DocumentPosition(qsizetype offset) const;

    // Replaces the document's content with `text`, its lines cut into paragraphs
    // of whole display rows, as one step of the undo history.
    void Fill(const QString& text);
    // Characters in a paragraph that holds whole display rows.
    qsizetype ParagraphLength() const;
    // Cuts the lines again after the display rows changed length.
    void Refill();

    int FRowLength = 0; // characters per display row, as measured, 0 before
    int FRowWidth = 0;  // the width of the area when it was measured
    bool FRefillPending = false;
    bool FRefilling = false;
};

// The text with every line break ("\r\n", "\r", "\n", U+2028, U+2029) as one "\n".
QString WithPlainBreaks(const QString& text);

} // namespace velquist::ui
