#include "app/flows/document_session.h"

#include <QAction>
#include <QFileInfo>

#include "app/document/tree_document.h"
#include "app/flows/file_flows.h"
#include "app/flows/save_changes_prompt.h"
#include "app/widgets/message_box.h"
#include "fileio/presets.h"

DocumentSession::DocumentSession(const Parts& parts, QObject* parent)
    : QObject(parent), parts_(parts), history_(parts.document->Params()) {
  connect(parts_.undo, &QAction::triggered, this, &DocumentSession::Undo);
  connect(parts_.redo, &QAction::triggered, this, &DocumentSession::Redo);
  FileFlows* flows = parts_.flows;
  connect(flows, &FileFlows::newTree, this, [this] { StartAfresh(QString()); });
  connect(flows, &FileFlows::documentOpened, this,
          [this](const QString& file) { StartAfresh(QFileInfo(file).fileName()); });
  connect(flows, &FileFlows::presetOpened, this, [this](const QString& preset) {
    StartAfresh(QString::fromStdString(vh::PresetTitle(preset.toStdString())));
  });
  connect(flows, &FileFlows::documentSaved, this, [this](const QString& file) {
    name_ = QFileInfo(file).fileName();
    // Saving may have pointed the document at copies of its pictures.
    history_.Amend(parts_.document->Params());
    history_.MarkSaved();
    Refresh();
  });
  Refresh();
}

QString DocumentSession::DocumentName() const { return name_.isEmpty() ? "New tree" : name_; }

QString DocumentSession::ShownName() const { return DocumentName() + (Modified() ? " *" : ""); }

void DocumentSession::RecordEdit(const QString& name, const QString& mergeKey) {
  if (history_.Record(name.toStdString(), parts_.document->Params(), mergeKey.toStdString())) {
    Refresh();
  }
}

void DocumentSession::CloseMerge() { history_.CloseMerge(); }

void DocumentSession::StartAfresh(const QString& name) {
  name_ = name;
  history_.Reset(parts_.document->Params());
  Refresh();
}

void DocumentSession::Refresh() {
  QAction& undo = *parts_.undo;
  QAction& redo = *parts_.redo;
  undo.setEnabled(history_.CanUndo());
  undo.setText(history_.CanUndo() ? "Undo " + QString::fromStdString(history_.UndoName())
                                  : QString("Undo"));
  redo.setEnabled(history_.CanRedo());
  redo.setText(history_.CanRedo() ? "Redo " + QString::fromStdString(history_.RedoName())
                                  : QString("Redo"));
  emit documentNameChanged(ShownName());
}

void DocumentSession::Undo() {
  const TreeDocument& document = *parts_.document;
  if (document.EditsLocked() || document.BillboardMode() || !history_.CanUndo()) return;
  Restore(history_.Undo());
}

void DocumentSession::Redo() {
  const TreeDocument& document = *parts_.document;
  if (document.EditsLocked() || document.BillboardMode() || !history_.CanRedo()) return;
  Restore(history_.Redo());
}

void DocumentSession::Restore(const vh::TreeParameters& state) {
  TreeDocument& document = *parts_.document;
  const vh::TreeParameters before = document.Params();
  emit restoreStarted(before, state);
  document.Params() = state;
  document.ParametersReplaced();
  const QStringList problems = document.RestorePictures(before, state);
  if (!problems.isEmpty()) ShowWarning(parts_.dialogParent, problems.join('\n'), "Error");
  document.UpdateAfterChange();
  document.LeafAppearanceChanged();
  emit restoreFinished();
  // Loading the controls recomputes what follows from them (the leaf
  // outline's picture coordinates); the step keeps what is now shown.
  history_.Amend(document.Params());
  Refresh();
}

bool DocumentSession::ConfirmDiscard() {
  if (!Modified()) return true;
  switch (AskSaveChanges(parts_.dialogParent, DocumentName())) {
    case SaveChangesAnswer::kSave: return parts_.flows->Save();
    case SaveChangesAnswer::kDiscard: return true;
    case SaveChangesAnswer::kCancel: return false;
  }
  return false;
}
