#pragma once

// Highlighting in the window: the input characters that wrote the bytes of an
// output line, and the output lines that show the byte of an input character.
//
// The caret on an output line that shows message bytes highlights the input
// characters that wrote them (ASCII Hex Mode: the hex pairs; NETADRD: the pairs,
// on every trace line they stand on; String Mode and no mode: the characters,
// "~" for an FS) and scrolls the first of them into view. The caret in the input
// area highlights every output line that shows the byte under it, and scrolls
// the first of those lines into view when none of them is in view (the output
// is long and the user is reading somewhere in it: a highlight out of view says
// nothing, one in view needs no jump). The area with the caret shows none.
//
// A highlight is a background drawn under the text (an extra selection): the
// text, its formats and the undo history stay as they are. A decode ties the
// areas; any change of either text unties them, and nothing is highlighted
// until the next decode ties them again.

#include "TextPlaces.h"
#include "velquist/InputPrep.h"

#include <QColor>
#include <QObject>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

class QPalette;
class QPlainTextEdit;

namespace velquist::ui {

class TInputArea;

// `a` with `share` of `b` mixed in.
QColor Blend(const QColor& a, const QColor& b, float share);

// The background of highlighted text in an area of `palette`.
QColor HighlightColour(const QPalette& palette);

// A highlight over runs of a text area's document positions. Only the runs in
// the paragraphs the area shows become extra selections, and they follow as
// the area scrolls or changes size: a text area lays out every paragraph an
// extra selection touches, and every one between the view and a selection it
// drops, which for a large message would take seconds.
class TAreaHighlight : public QObject {
    Q_OBJECT

public:
    enum class TReach {
        Characters, // the characters of the runs
        WholeLines, // each run is a line, highlighted across the whole width
    };

    TAreaHighlight(QPlainTextEdit& area, TReach reach);

    // Highlights `runs` (ascending, apart from each other) and nothing else.
    // With `reveal`, first scrolls the display line of that position to the top
    // of the area, unless the area shows it whole already.
    void Show(std::vector<TPositionRun> runs, std::optional<int> reveal = std::nullopt);
    void Clear() { Show({}); }

    // Whether the area shows any part of `runs` now.
    bool ShowsAny(const std::vector<TPositionRun>& runs) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The positions of the paragraphs the area shows.
    TPositionRun Shown() const;
    // The scroll bar value that brings the display line of `position` to the
    // top; none when the area shows it whole.
    std::optional<int> TopLineFor(int position) const;
    // Sets the extra selections for the runs the area shows.
    void Refresh();

    QPlainTextEdit& FArea;
    const TReach FReach;
    std::vector<TPositionRun> FRuns;
};

// Where the message bytes stand in the area that holds the text a message was
// read from (the input area, a trace's lines): the byte under a caret, and the
// runs of positions that wrote given bytes.
class TSourcePlaces {
public:
    virtual ~TSourcePlaces() = default;

    // The message byte under a caret at `position`; none where the character
    // there wrote none.
    virtual std::optional<std::size_t> ByteUnderCaret(int position) const = 0;

    // The positions of the characters that wrote message bytes `bytes`, as
    // ascending runs apart from each other.
    virtual std::vector<TPositionRun> RunsOf(TByteRange bytes) const = 0;
};

// Two text areas tied through a decode: the caret on a line of the output (the
// decoded text) highlights the characters of the source that wrote its bytes,
// the caret in the source highlights every output line that shows the byte
// under it. The owner tells it when the source's caret moves (FollowSource)
// and unties it when the source's text changes; a change of the output's text
// unties it by itself.
class TAreaLinks : public QObject {
    Q_OBJECT

public:
    TAreaLinks(QPlainTextEdit& source, QPlainTextEdit& output);

    // Ties the areas: the source's characters stand at `places`, the output
    // shows the decode as `lines`.
    void Tie(std::unique_ptr<const TSourcePlaces> places, TShownLines lines);

    // The source's characters moved (its paragraphs were cut anew) but wrote the
    // same bytes: the same highlight at their new places.
    void Replace(std::unique_ptr<const TSourcePlaces> places);

    // Removes every highlight; nothing is highlighted until the next Tie.
    void Untie();

    bool Tied() const { return FTie.has_value(); }

    // Highlights what goes with the caret of the source / the output area.
    void FollowSource();
    void FollowOutput();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TTie {
        std::unique_ptr<const TSourcePlaces> Places;
        TShownLines Lines;
        std::optional<TByteRange> SourceShows; // the message bytes highlighted in the source
    };

    // Highlights the source characters that wrote message bytes `bytes`.
    void ShowSource(std::optional<TByteRange> bytes);

    QPlainTextEdit& FSource;
    QPlainTextEdit& FOutput;
    TAreaHighlight FSourceHighlight;
    TAreaHighlight FOutputHighlight;
    std::optional<TTie> FTie;
};

// The main window's two text areas tied through the last decode.
class TDecodeLinks : public QObject {
    Q_OBJECT

public:
    TDecodeLinks(TInputArea& input, QPlainTextEdit& output);

    // Ties the areas by the decode of the input area's text as it is now,
    // prepared with `map`, that the output area shows as `lines`.
    void Tie(TInputMap map, TShownLines lines);

    // Removes every highlight; nothing is highlighted until the next Tie.
    void Untie() { FLinks.Untie(); }

private:
    void InputRecut();

    TInputArea& FInput;
    TAreaLinks FLinks;
    std::shared_ptr<const TInputMap> FMap; // of the last Tie
};

} // namespace velquist::ui
