#include "TextHistory.h"

namespace velquist::ui {

namespace {

// Whether `edit` types one character right after the typing of `last`.
bool ContinuesTyping(const TTextEdit& last, const TTextEdit& edit) {
    return last.Removed.isEmpty() && edit.Removed.isEmpty() &&
           last.Offset + last.Inserted.size() == edit.Offset;
}

} // namespace

void TTextHistory::Record(TTextEdit edit, TJoin join) {
    FSteps.resize(FDone);
    const bool joins = FJoinable && !FSteps.empty();
    if (joins && join == TJoin::SameAction) {
        FSteps.back().Typing = false;
        FSteps.back().Edits.push_back(std::move(edit));
    } else if (joins && join == TJoin::Typing && FSteps.back().Typing &&
               ContinuesTyping(FSteps.back().Edits.back(), edit)) {
        FSteps.back().Edits.back().Inserted += edit.Inserted;
    } else {
        FSteps.push_back({{std::move(edit)}, join == TJoin::Typing});
    }
    FDone = FSteps.size();
    FJoinable = true;
}

std::vector<TTextEdit> TTextHistory::Undo() {
    FJoinable = false;
    if (!CanUndo()) {
        return {};
    }
    const std::vector<TTextEdit>& edits = FSteps[--FDone].Edits;
    std::vector<TTextEdit> reversed;
    reversed.reserve(edits.size());
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        reversed.push_back(it->Reversed());
    }
    return reversed;
}

std::vector<TTextEdit> TTextHistory::Redo() {
    FJoinable = false;
    return CanRedo() ? FSteps[FDone++].Edits : std::vector<TTextEdit>{};
}

} // namespace velquist::ui
