#include "app/document/parameter_edit.h"

#include <utility>

#include "app/document/tree_document.h"

namespace {
// All mergeable edits share one id; mergeWith decides by key and gesture.
constexpr int kMergeableEdit = 1;
}  // namespace

ParameterEdit::ParameterEdit(TreeDocument& document, const QString& name, vh::TreeParameters before,
                             vh::TreeParameters after, EditEffects effects, QString mergeKey,
                             unsigned gesture)
    : QUndoCommand(name),
      m_document(document),
      m_before(std::move(before)),
      m_after(std::move(after)),
      m_effects(effects),
      m_mergeKey(std::move(mergeKey)),
      m_gesture(gesture) {}

void ParameterEdit::undo() { m_document.RestoreParameters(m_before); }

void ParameterEdit::redo() {
  if (m_applied) {
    m_document.RestoreParameters(m_after);
    return;
  }
  m_applied = true;
  m_document.ApplyEdit(m_after, m_effects);
}

int ParameterEdit::id() const { return m_mergeKey.isEmpty() ? -1 : kMergeableEdit; }

bool ParameterEdit::mergeWith(const QUndoCommand* other) {
  const auto* next = static_cast<const ParameterEdit*>(other);
  if (next->m_mergeKey != m_mergeKey || next->m_gesture != m_gesture) return false;
  m_after = next->m_after;
  // A drag back to where it started leaves no step.
  setObsolete(m_after == m_before);
  return true;
}
