#include "TextHistory.h"

#include <algorithm>

namespace velquist::ui {

namespace {

// Whether `edit` types right after the typing that `step` is.
template <typename TStep>
bool ContinuesTyping(const TStep& step, const TTextChange& edit) {
    const auto& last = step.Changes.back();
    return step.Typing && last.Absent.isEmpty() && edit.Removed.isEmpty() &&
           last.Offset + last.Present == edit.Offset;
}

} // namespace

void TTextChange::ApplyTo(QString& text) const {
    if (Removed.isEmpty()) {
        text.insert(Offset, Inserted);
    } else if (Inserted.isEmpty()) {
        text.remove(Offset, Removed.size());
    } else {
        text.replace(Offset, Removed.size(), Inserted);
    }
}

TTextChange TTextHistory::TKept::SwapIn(QString& text) {
    TTextChange edit{Offset, text.mid(Offset, Present), std::move(Absent)};
    edit.ApplyTo(text);
    Absent = edit.Removed;
    Present = edit.Inserted.size();
    return edit;
}

void TTextHistory::Record(const TTextChange& edit, TJoin join) {
    FSteps.resize(FDone);
    const TKept kept{edit.Offset, edit.Removed, edit.Inserted.size()};
    const bool joins = FJoinable && !FSteps.empty();
    if (joins && join == TJoin::SameAction) {
        FSteps.back().Typing = false;
        FSteps.back().Changes.push_back(kept);
    } else if (joins && join == TJoin::Typing && ContinuesTyping(FSteps.back(), edit)) {
        FSteps.back().Changes.back().Present += edit.Inserted.size();
    } else {
        FSteps.push_back({{kept}, join == TJoin::Typing});
    }
    FDone = FSteps.size();
    FJoinable = true;
}

void TTextHistory::Undo(QString& text, const TOnChange& changed) {
    FJoinable = false;
    if (!CanUndo()) {
        return;
    }
    std::vector<TKept>& changes = FSteps[--FDone].Changes;
    std::for_each(changes.rbegin(), changes.rend(),
                  [&](TKept& change) { changed(change.SwapIn(text)); });
}

void TTextHistory::Redo(QString& text, const TOnChange& changed) {
    FJoinable = false;
    if (!CanRedo()) {
        return;
    }
    for (TKept& change : FSteps[FDone++].Changes) {
        changed(change.SwapIn(text));
    }
}

} // namespace velquist::ui
