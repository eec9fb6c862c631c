#include "app/document/edit_history.h"

#include <cassert>

EditHistory::EditHistory(const vh::TreeParameters& current, std::size_t limit)
    : limit_(limit < 1 ? 1 : limit) {
  Reset(current);
}

void EditHistory::Reset(const vh::TreeParameters& current, bool saved) {
  steps_.clear();
  steps_.push_back(Step{std::string(), std::string(), current});
  index_ = 0;
  savedIndex_ = saved ? 0 : -1;
  mergeOpen_ = false;
}

bool EditHistory::Record(const std::string& name, const vh::TreeParameters& now,
                         const std::string& mergeKey) {
  if (now == Current()) return false;
  const bool merge = mergeOpen_ && !mergeKey.empty() && index_ > 0 && !CanRedo() &&
                     steps_[index_].mergeKey == mergeKey &&
                     savedIndex_ != static_cast<long>(index_);
  mergeOpen_ = !mergeKey.empty();
  if (merge) {
    steps_[index_].state = now;
    return true;
  }
  steps_.resize(index_ + 1);  // a new edit drops what could be redone
  if (savedIndex_ > static_cast<long>(index_)) savedIndex_ = -1;
  steps_.push_back(Step{name, mergeKey, now});
  ++index_;
  if (steps_.size() > limit_ + 1) {
    steps_.erase(steps_.begin());
    --index_;
    savedIndex_ = savedIndex_ > 0 ? savedIndex_ - 1 : -1;
  }
  return true;
}

std::string EditHistory::UndoName() const { return CanUndo() ? steps_[index_].name : std::string(); }

std::string EditHistory::RedoName() const {
  return CanRedo() ? steps_[index_ + 1].name : std::string();
}

const vh::TreeParameters& EditHistory::Undo() {
  assert(CanUndo() && "Undo with nothing to undo");
  mergeOpen_ = false;
  return steps_[--index_].state;
}

const vh::TreeParameters& EditHistory::Redo() {
  assert(CanRedo() && "Redo with nothing to redo");
  mergeOpen_ = false;
  return steps_[++index_].state;
}
