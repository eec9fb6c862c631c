// The document's undo stack: one command per finished edit (ParameterEdit),
// named after the control that made it, as the "Edit" menu shows it. A
// slider drag or a word typed into a field is one step: the edits of one
// gesture carry a merge key and fold into the step before them until the
// gesture ends (CloseMerge). Undo and Redo themselves are the document's
// (TreeDocument::Undo), which refuses them while edits are locked.
#pragma once

#include <cstddef>

#include <QUndoStack>

class EditHistory : public QUndoStack {
  Q_OBJECT
 public:
  // The oldest steps are forgotten beyond this many.
  static constexpr int kDefaultLimit = 200;

  explicit EditHistory(QObject* parent = nullptr);

  // Steps recorded: what Undo could take back, and what Redo could repeat.
  std::size_t StepCount() const { return static_cast<std::size_t>(count()); }
  // Whether the current state differs from the one last saved or opened: a
  // step away from it in either direction counts, even if the values
  // happen to be the same again, and so does a saved step that was
  // forgotten beyond the limit.
  bool Modified() const { return !isClean(); }

  // Ends the gesture under way: the next edit is a step of its own.
  void CloseMerge() { ++m_gesture; }
  // The gesture an edit pushed now belongs to; only edits of the same
  // gesture and merge key merge.
  unsigned Gesture() const { return m_gesture; }

 private:
  unsigned m_gesture = 0;
};
