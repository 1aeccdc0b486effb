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

#include <QString>

#include <vector>

namespace velquist::ui {

// One change of a text: `Removed`, which stood at `Offset`, replaced by `Inserted`.
struct TTextEdit {
    qsizetype Offset = 0;
    QString Removed;
    QString Inserted;

    // The change that takes the text back.
    TTextEdit Reversed() const { return {Offset, Inserted, Removed}; }

    // `text` with the change made.
    void ApplyTo(QString& text) const { text.replace(Offset, Removed.size(), Inserted); }
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

    // Records `edit`, made to the text after the edits recorded so far; what
    // could be redone is forgotten.
    void Record(TTextEdit edit, TJoin join);

    bool CanUndo() const { return FDone > 0; }
    bool CanRedo() const { return FDone < FSteps.size(); }

    // The changes that undo the last step, in the order to make them; the step
    // can then be redone. Empty when there is nothing to undo.
    std::vector<TTextEdit> Undo();

    // The changes that make the last undone step again, in order. Empty when
    // there is nothing to redo.
    std::vector<TTextEdit> Redo();

private:
    struct TStep {
        std::vector<TTextEdit> Edits;
        bool Typing = false;
    };

    std::vector<TStep> FSteps;
    std::size_t FDone = 0;  // steps made (the rest were undone)
    bool FJoinable = false; // no undo or redo since the last step was recorded
};

} // namespace velquist::ui
