// The undo history of the document: whole snapshots of the parameter set,
// one per finished edit. A parameter set is a few kilobytes, so snapshots
// are cheaper and far simpler than recording inverse operations for sixty
// kinds of control. Plain C++: it knows nothing of windows or controls.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tree/tree.h"

class EditHistory {
 public:
  // The oldest steps are forgotten beyond this many.
  static constexpr std::size_t kDefaultLimit = 200;

  // A history whose only state is `current`, marked as saved.
  explicit EditHistory(const vh::TreeParameters& current, std::size_t limit = kDefaultLimit);

  // Starts afresh from `current` (a new or opened document), marked as saved
  // when `saved`.
  void Reset(const vh::TreeParameters& current, bool saved = true);

  // Records that an edit named `name` (a control's caption) turned the
  // current state into `now`. Nothing is recorded when `now` equals the
  // current state. Redo steps are dropped. When `mergeKey` is not empty and
  // the newest step was recorded with the same key while merging was open,
  // `now` replaces that step instead of adding one (a field typed into
  // character by character is one step). Returns whether anything changed.
  bool Record(const std::string& name, const vh::TreeParameters& now,
              const std::string& mergeKey = std::string());
  // Ends merging: the next Record always adds a step.
  void CloseMerge() { m_mergeOpen = false; }

  // Replaces the current state without adding a step: for changes that
  // follow from a restore rather than from the user (a recomputed value).
  void Amend(const vh::TreeParameters& now) { m_steps[m_index].state = now; }

  bool CanUndo() const { return m_index > 0; }
  bool CanRedo() const { return m_index + 1 < m_steps.size(); }
  // The names of the step Undo and Redo would take back or repeat; empty
  // when there is none.
  std::string UndoName() const;
  std::string RedoName() const;
  // Steps back (forward) and returns the state to restore. Must only be
  // called when CanUndo (CanRedo).
  const vh::TreeParameters& Undo();
  const vh::TreeParameters& Redo();

  const vh::TreeParameters& Current() const { return m_steps[m_index].state; }
  std::size_t StepCount() const { return m_steps.size() - 1; }

  // The current state is what the document file holds.
  void MarkSaved() { m_savedIndex = static_cast<long>(m_index); }
  // Whether the current state differs from the one last saved or opened: a
  // step away from it in either direction counts, even if the values
  // happen to be the same again.
  bool Modified() const { return m_savedIndex != static_cast<long>(m_index); }

 private:
  struct Step {
    std::string name;  // the edit that led to this state; empty for the first
    std::string mergeKey;
    vh::TreeParameters state;
  };
  std::vector<Step> m_steps;
  std::size_t m_index = 0;  // the current state
  long m_savedIndex = 0;    // -1 when the saved state was forgotten or never existed
  std::size_t m_limit;
  bool m_mergeOpen = false;
};
