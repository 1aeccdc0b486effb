#pragma once

// The undo history of the input area, kept in terms of its text rather than of
// the edits of the text area's document.
//
// The input area shows a long line as several paragraphs and cuts them anew
// when the window changes width (InputArea.h). A document's own undo history
// records such cuts as edits, and undoing across one would bring back the
// paragraphs of the old width; so the history here records only what changed
// in the text (characters replaced at an offset) and knows nothing of
// paragraphs. Undoing a step gives back the text exactly as it was, however
// often the paragraphs were cut in between.
//
// A step keeps only the side of each change that the text does not hold now:
// what a change removed while it is done, what it inserted once it is undone.
// The other side is read from the text when the step is undone or redone. So
// a paste of megabytes costs the history the text it replaced, and never a
// copy of the text the area holds.

#include <QString>

#include <functional>
#include <vector>

namespace velquist::ui {

// One change of a text: `Removed`, which stood at `Offset`, replaced by `Inserted`.
struct TTextChange {
    qsizetype Offset = 0;
    QString Removed;
    QString Inserted;

    // `text` with the change made: in place where the text has room, as typing
    // into a text of megabytes wants.
    void ApplyTo(QString& text) const;
};

class TTextHistory {
public:
    // How a recorded change joins the ones before it.
    enum class TJoin {
        NewStep,    // a step of its own
        SameAction, // part of the last step: one action that made several changes
        Typing,     // a character typed: part of the last step when that is typing
                    // that ends where this character goes
    };

    // Called with each change an undo or a redo makes, after making it.
    using TOnChange = std::function<void(const TTextChange&)>;

    // Records `edit`, made to the text after the edits recorded so far; what
    // could be redone is forgotten.
    void Record(const TTextChange& edit, TJoin join);

    bool CanUndo() const { return FDone > 0; }
    bool CanRedo() const { return FDone < FSteps.size(); }

    // Takes `text` back before the last step, change by change, last first;
    // the step can then be redone. Nothing when there is nothing to undo.
    void Undo(QString& text, const TOnChange& changed);

    // Makes the last undone step again on `text`, change by change.
    void Redo(QString& text, const TOnChange& changed);

private:
    // A change as kept: `Absent`, which the text does not hold now, goes in
    // place of the `Present` characters at `Offset` to undo or redo it.
    struct TKept {
        qsizetype Offset = 0;
        QString Absent;
        qsizetype Present = 0;

        TTextChange SwapIn(QString& text);
    };

    struct TStep {
        std::vector<TKept> Changes;
        bool Typing = false;
    };

    std::vector<TStep> FSteps;
    std::size_t FDone = 0;  // steps made (the rest were undone)
    bool FJoinable = false; // no undo or redo since the last step was recorded
};

} // namespace velquist::ui
