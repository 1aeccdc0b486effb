#pragma once

// Control characters in the input area, drawn as the output area draws their
// bytes: NUL, ESC, FS ... as a mark, the ASCII name in inverse colours, the
// second of two marks side by side lighter (ShownText.h). A text area would
// draw each of them as the same empty box.
//
// The text stays as it was pasted: a control character is still one character
// of the document, only drawn differently. A layout format (as a syntax
// highlighter sets, never part of the text or its undo history) widens it to
// the width of its name and hides its own glyph; the area then paints the mark
// over it. Only paragraphs that hold such characters get a format: the input
// area looks for them in the text it changed and has those paragraphs
// formatted, so a large input of hex digits costs one look at its characters.

#include <QObject>
#include <QStringView>

#include <array>

class QPainter;
class QPalette;
class QPlainTextEdit;
class QPointF;
class QRect;
class QTextBlock;
class QTextCursor;

namespace velquist::ui {

// The name a character of the input shows as, empty for a character shown as
// itself: the mark of its Windows-1252 byte, for the characters that are
// their byte (ASCII and Latin-1 but for 0x80 to 0x9F, which become "?").
QStringView MarkOfChar(char16_t c);

// Whether a character shows as a mark.
bool HasMark(QChar c);

class TInputMarks : public QObject {
    Q_OBJECT

public:
    explicit TInputMarks(QPlainTextEdit& area);

    // Sets the layout formats of `block` for the marks its text holds, and
    // drops those of its text before.
    void Format(const QTextBlock& block) const;

    // Paints the marks of `block`, whose layout's top left corner is at
    // `origin` in the area's viewport; marks inside `selection` in the
    // selection's colours. Returns whether a mark covers `caret`.
    bool Paint(QPainter& painter, const QTextBlock& block, QPointF origin,
               const QTextCursor& selection, const QRect& caret) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Measures the area's font again and formats the paragraphs with marks.
    void Remeasure();

    QPlainTextEdit& FArea;
    // The spacing that widens each character with a mark to the width of its name.
    std::array<qreal, 256> FRoom{};
};

} // namespace velquist::ui
