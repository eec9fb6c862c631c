#include "app/flows/document_changes.h"

#include <QAction>
#include <QFileInfo>

#include "app/document/tree_document.h"
#include "app/flows/file_flows.h"
#include "app/flows/save_changes_prompt.h"
#include "app/widgets/message_box.h"
#include "fileio/presets.h"

DocumentChanges::DocumentChanges(const Parts& parts, QObject* parent)
    : QObject(parent), m_parts(parts), m_history(parts.document->Params()) {
  connect(m_parts.undo, &QAction::triggered, this, &DocumentChanges::Undo);
  connect(m_parts.redo, &QAction::triggered, this, &DocumentChanges::Redo);
  FileFlows* flows = m_parts.flows;
  connect(flows, &FileFlows::newTree, this, [this] { StartAfresh(QString()); });
  connect(flows, &FileFlows::documentOpened, this,
          [this](const QString& file) { StartAfresh(QFileInfo(file).fileName()); });
  connect(flows, &FileFlows::presetOpened, this, [this](const QString& preset) {
    StartAfresh(QString::fromStdString(vh::PresetTitle(preset.toStdString())));
  });
  connect(flows, &FileFlows::documentSaved, this, [this](const QString& file) {
    m_name = QFileInfo(file).fileName();
    // Saving may have pointed the document at copies of its pictures.
    m_history.Amend(m_parts.document->Params());
    m_history.MarkSaved();
    Refresh();
  });
  Refresh();
}

QString DocumentChanges::DocumentName() const { return m_name.isEmpty() ? "New tree" : m_name; }

QString DocumentChanges::ShownName() const { return DocumentName() + (Modified() ? " *" : ""); }

void DocumentChanges::RecordEdit(const QString& name, const QString& mergeKey) {
  if (m_history.Record(name.toStdString(), m_parts.document->Params(), mergeKey.toStdString())) {
    Refresh();
  }
}

void DocumentChanges::CloseMerge() { m_history.CloseMerge(); }

void DocumentChanges::StartAfresh(const QString& name) {
  m_name = name;
  m_history.Reset(m_parts.document->Params());
  Refresh();
}

void DocumentChanges::Refresh() {
  QAction& undo = *m_parts.undo;
  QAction& redo = *m_parts.redo;
  undo.setEnabled(m_history.CanUndo());
  undo.setText(m_history.CanUndo() ? "Undo " + QString::fromStdString(m_history.UndoName())
                                   : QString("Undo"));
  redo.setEnabled(m_history.CanRedo());
  redo.setText(m_history.CanRedo() ? "Redo " + QString::fromStdString(m_history.RedoName())
                                   : QString("Redo"));
  emit documentNameChanged(ShownName());
}

void DocumentChanges::Undo() {
  const TreeDocument& document = *m_parts.document;
  if (document.EditsLocked() || document.BillboardMode() || !m_history.CanUndo()) return;
  Restore(m_history.Undo());
}

void DocumentChanges::Redo() {
  const TreeDocument& document = *m_parts.document;
  if (document.EditsLocked() || document.BillboardMode() || !m_history.CanRedo()) return;
  Restore(m_history.Redo());
}

void DocumentChanges::Restore(const vh::TreeParameters& state) {
  TreeDocument& document = *m_parts.document;
  const vh::TreeParameters before = document.Params();
  emit restoreStarted(before, state);
  document.Params() = state;
  document.ParametersReplaced();
  const QStringList problems = document.RestorePictures(before, state);
  if (!problems.isEmpty()) ShowWarning(m_parts.dialogParent, problems.join('\n'), "Error");
  // A step that only changed the wind sways the tree it has.
  document.UpdateAfterRestore(before);
  document.LeafAppearanceChanged();
  emit restoreFinished();
  // Loading the controls recomputes what follows from them (the leaf
  // outline's picture coordinates); the step keeps what is now shown.
  m_history.Amend(document.Params());
  Refresh();
}

bool DocumentChanges::ConfirmDiscard() {
  if (!Modified()) return true;
  switch (AskSaveChanges(m_parts.dialogParent, DocumentName())) {
    case SaveChangesAnswer::kSave:
      return m_parts.flows->Save();
    case SaveChangesAnswer::kDiscard:
      return true;
    case SaveChangesAnswer::kCancel:
      return false;
  }
  return false;
}
