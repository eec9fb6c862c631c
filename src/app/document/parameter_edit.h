// One step of the document's undo stack: the parameters before and after
// an edit, whole. A parameter set is a few kilobytes, so whole sets are
// cheaper and far simpler than inverse operations for sixty kinds of
// control, and undo returns exactly the set the tree was grown from.
#pragma once

#include <QString>
#include <QUndoCommand>

#include "tree/tree.h"

class TreeDocument;

// What follows from an edit once it is applied.
struct EditEffects {
  bool regrow = false;            // UpdateAfterChange
  bool leafAppearance = false;    // the leaf editor repaints
  bool wind = false;              // the view sways the tree anew
  bool dropLeafTemplate = false;  // the shown tree's leaf template is built again at its next update
};

class ParameterEdit : public QUndoCommand {
 public:
  // An edit of `document` from `before` to `after`, which the first redo
  // (the push) applies with `effects`. Edits with the same non-empty
  // `mergeKey` pushed during the same `gesture` merge into one step.
  ParameterEdit(TreeDocument& document, const QString& name, vh::TreeParameters before,
                vh::TreeParameters after, EditEffects effects, QString mergeKey, unsigned gesture);

  void undo() override;
  void redo() override;
  int id() const override;
  bool mergeWith(const QUndoCommand* other) override;

 private:
  TreeDocument& m_document;
  vh::TreeParameters m_before;
  vh::TreeParameters m_after;
  EditEffects m_effects;
  QString m_mergeKey;
  unsigned m_gesture;
  bool m_applied = false;  // the first redo applies the edit as it is made
};
