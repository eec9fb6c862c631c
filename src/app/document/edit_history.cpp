#include "app/document/edit_history.h"

#include <cassert>

EditHistory::EditHistory(const vh::TreeParameters& current, std::size_t limit)
    : m_limit(limit < 1 ? 1 : limit) {
  Reset(current);
}

void EditHistory::Reset(const vh::TreeParameters& current, bool saved) {
  m_steps.clear();
  m_steps.push_back(Step{std::string(), std::string(), current});
  m_index = 0;
  m_savedIndex = saved ? 0 : -1;
  m_mergeOpen = false;
}

bool EditHistory::Record(const std::string& name, const vh::TreeParameters& now,
                         const std::string& mergeKey) {
  if (now == Current()) return false;
  const bool merge = m_mergeOpen && !mergeKey.empty() && m_index > 0 && !CanRedo() &&
                     m_steps[m_index].mergeKey == mergeKey && m_savedIndex != static_cast<long>(m_index);
  m_mergeOpen = !mergeKey.empty();
  if (merge) {
    m_steps[m_index].state = now;
    return true;
  }
  m_steps.resize(m_index + 1);  // a new edit drops what could be redone
  if (m_savedIndex > static_cast<long>(m_index)) m_savedIndex = -1;
  m_steps.push_back(Step{name, mergeKey, now});
  ++m_index;
  if (m_steps.size() > m_limit + 1) {
    m_steps.erase(m_steps.begin());
    --m_index;
    m_savedIndex = m_savedIndex > 0 ? m_savedIndex - 1 : -1;
  }
  return true;
}

std::string EditHistory::UndoName() const { return CanUndo() ? m_steps[m_index].name : std::string(); }

std::string EditHistory::RedoName() const { return CanRedo() ? m_steps[m_index + 1].name : std::string(); }

const vh::TreeParameters& EditHistory::Undo() {
  assert(CanUndo() && "Undo with nothing to undo");
  m_mergeOpen = false;
  return m_steps[--m_index].state;
}

const vh::TreeParameters& EditHistory::Redo() {
  assert(CanRedo() && "Redo with nothing to redo");
  m_mergeOpen = false;
  return m_steps[++m_index].state;
}
