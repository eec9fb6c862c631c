#include "app/flows/document_changes.h"

#include <QAction>
#include <QFileInfo>

#include "app/document/tree_document.h"
#include "app/flows/file_flows.h"
#include "app/flows/save_changes_prompt.h"
#include "app/widgets/message_box.h"
#include "fileio/presets.h"

DocumentChanges::DocumentChanges(const Parts& parts, QObject* parent) : QObject(parent), m_parts(parts) {
  TreeDocument* document = m_parts.document;
  connect(m_parts.undo, &QAction::triggered, document, &TreeDocument::Undo);
  connect(m_parts.redo, &QAction::triggered, document, &TreeDocument::Redo);
  EditHistory& history = document->History();
  connect(&history, &QUndoStack::indexChanged, this, &DocumentChanges::Refresh);
  connect(&history, &QUndoStack::cleanChanged, this, &DocumentChanges::Refresh);
  FileFlows* flows = m_parts.flows;
  connect(flows, &FileFlows::newTree, this, [this] { Named(QString()); });
  connect(flows, &FileFlows::documentOpened, this,
          [this](const QString& file) { Named(QFileInfo(file).fileName()); });
  connect(flows, &FileFlows::presetOpened, this, [this](const QString& preset) {
    Named(QString::fromStdString(vh::PresetTitle(preset.toStdString())));
  });
  connect(flows, &FileFlows::documentSaved, this, [this](const QString& file) {
    m_parts.document->History().setClean();
    Named(QFileInfo(file).fileName());
  });
  Refresh();
}

const EditHistory& DocumentChanges::History() const { return m_parts.document->History(); }

QString DocumentChanges::DocumentName() const { return m_name.isEmpty() ? "New tree" : m_name; }

QString DocumentChanges::ShownName() const { return DocumentName() + (Modified() ? " *" : ""); }

void DocumentChanges::Named(const QString& name) {
  m_name = name;
  Refresh();
}

void DocumentChanges::Refresh() {
  const EditHistory& history = History();
  QAction& undo = *m_parts.undo;
  QAction& redo = *m_parts.redo;
  undo.setEnabled(history.canUndo());
  undo.setText(history.canUndo() ? "Undo " + history.undoText() : QString("Undo"));
  redo.setEnabled(history.canRedo());
  redo.setText(history.canRedo() ? "Redo " + history.redoText() : QString("Redo"));
  emit documentNameChanged(ShownName());
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
