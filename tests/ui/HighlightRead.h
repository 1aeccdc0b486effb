#pragma once

// What a text area draws highlighted, read as the user sees it: each area is
// scrolled from top to bottom and every character shown is looked at, whether
// it is drawn on the highlight colour (the window's tests and the trace
// window's).

#include "Highlight.h"
#include "InputArea.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>
#include <map>

// The background of the character at `position` in its own format (a mark's);
// invalid for none.
inline QColor OwnBackground(const QPlainTextEdit& area, int position) {
    QTextCursor cursor(area.document());
    // the format of the character before the cursor
    cursor.setPosition(std::min(position + 1, area.document()->characterCount() - 1));
    const QBrush own = cursor.charFormat().background();
    return own.style() == Qt::NoBrush ? QColor() : own.color();
}

// The background a position of the area is drawn on: of the last extra
// selection over it that has one, else its own.
inline QColor DrawnBackground(const QPlainTextEdit& area, int position) {
    const QList<QTextEdit::ExtraSelection> selections = area.extraSelections();
    for (auto it = selections.rbegin(); it != selections.rend(); ++it) {
        const QBrush background = it->format.background();
        if (background.style() != Qt::NoBrush && it->cursor.selectionStart() <= position &&
            position < it->cursor.selectionEnd()) {
            return background.color();
        }
    }
    return OwnBackground(area, position);
}

// Whether the area shows some of paragraph `block` now.
inline bool IsShown(const QPlainTextEdit& area, const QTextBlock& block) {
    QTextCursor cursor(block);
    const QRect first = area.cursorRect(cursor);
    cursor.movePosition(QTextCursor::EndOfBlock);
    const QRect last = area.cursorRect(cursor);
    return first.top() < area.viewport()->height() && last.bottom() >= 0;
}

// Scrolls the area from its top to its bottom, by pages (every line is shown
// on the way), and calls `read(block)` for each paragraph it shows; scrolls
// back after.
template <class TRead>
void ReadAsScrolled(QPlainTextEdit& area, TRead read) {
    QScrollBar& scrollBar = *area.verticalScrollBar();
    const int was = scrollBar.value();
    const int step = std::max(1, scrollBar.pageStep());
    for (int value = 0; value < scrollBar.maximum() + step; value += step) {
        scrollBar.setValue(value);
        QTextBlock block = area.cursorForPosition(QPoint(0, 0)).block();
        if (block.previous().isValid() && IsShown(area, block.previous())) {
            block = block.previous();
        }
        for (; block.isValid() && IsShown(area, block); block = block.next()) {
            read(block);
        }
    }
    scrollBar.setValue(was);
}

// The input text with brackets around the characters drawn highlighted, as the
// user sees them scrolling through it; "?" for a character drawn differently at
// different times or never shown.
inline QString MarkedInput(QPlainTextEdit& area, QChar open = u'[', QChar close = u']') {
    const QColor highlight = velquist::ui::HighlightColour(area.palette());
    std::map<int, bool> seen; // position: drawn highlighted
    bool steady = true;
    ReadAsScrolled(area, [&](const QTextBlock& block) {
        // The line break before a paragraph that starts a line is a character too.
        const bool breakBefore =
            block.previous().isValid() && !velquist::ui::TInputArea::IsContinuation(block);
        for (int p = block.position() - (breakBefore ? 1 : 0);
             p < block.position() + block.length() - 1; ++p) {
            const bool highlighted = DrawnBackground(area, p) == highlight;
            const auto [place, added] = seen.emplace(p, highlighted);
            steady = steady && (added || place->second == highlighted);
        }
    });
    QString marked;
    bool inside = false;
    for (QTextBlock block = area.document()->begin(); block.isValid(); block = block.next()) {
        const bool breakBefore =
            block.previous().isValid() && !velquist::ui::TInputArea::IsContinuation(block);
        const QString text = block.text();
        for (int i = breakBefore ? -1 : 0; i < text.size(); ++i) {
            const auto place = seen.find(block.position() + i);
            if (place == seen.end()) {
                return QStringLiteral("?");
            }
            if (place->second != inside) {
                inside = place->second;
                marked += inside ? open : close;
            }
            marked += i < 0 ? QChar(u'\n') : text[i];
        }
    }
    if (inside) {
        marked += close;
    }
    return steady ? marked : QStringLiteral("?");
}

// The output's display lines drawn highlighted as the user sees them scrolling
// through it: every character on the highlight colour, but for marks, which
// keep their own colours. "?" for a line drawn partly highlighted, or
// highlighted at one time and not at another.
inline QStringList HighlightedLines(QPlainTextEdit& area) {
    const QColor highlight = velquist::ui::HighlightColour(area.palette());
    std::map<int, std::pair<QString, bool>> seen; // by block number: text, highlighted
    bool steady = true;
    ReadAsScrolled(area, [&](const QTextBlock& block) {
        int highlighted = 0;
        int plain = 0;
        const int end = block.position() + std::max(block.length() - 1, 1);
        for (int p = block.position(); p < end; ++p) {
            const QColor drawn = DrawnBackground(area, p);
            const bool mark = OwnBackground(area, p).isValid();
            if (drawn == highlight) {
                ++highlighted;
            } else if (!mark || !drawn.isValid()) {
                ++plain; // a mark inside a highlighted line keeps its colours
            }
        }
        const auto [place, added] =
            seen.emplace(block.blockNumber(), std::pair(block.text(), highlighted > 0));
        steady = steady && (highlighted == 0 || plain == 0) &&
                 (added || place->second.second == (highlighted > 0));
    });
    QStringList found;
    for (const auto& [number, line] : seen) {
        if (line.second) {
            found << line.first;
        }
    }
    return steady ? found : QStringList{QStringLiteral("?")};
}
