// The document as the user edits it over time: its undo history (the
// "Edit" menu's "Undo" and "Redo"), whether it has unsaved changes, its
// name (shown in "Infos" with a mark while changed) and the question
// "Save changes?" before a changed document is given up.
//
// The history itself is the document's undo stack (TreeDocument::History):
// every edit is a step there. This tracker shows it in the "Edit" menu,
// names the document, and marks the step "Save" wrote as the saved one.
#pragma once

#include <QObject>
#include <QString>

#include "app/document/edit_history.h"

class FileFlows;
class QAction;
class QWidget;
class TreeDocument;

class DocumentChanges : public QObject {
  Q_OBJECT
 public:
  // What the tracker works with; everything must outlive it.
  struct Parts {
    TreeDocument* document = nullptr;
    FileFlows* flows = nullptr;
    QWidget* dialogParent = nullptr;  // of the question and the messages
    QAction* undo = nullptr;          // Undo1: triggers Undo, shows what it takes back
    QAction* redo = nullptr;          // Redo1
  };

  DocumentChanges(const Parts& parts, QObject* parent = nullptr);

  // Before the document is given up: when it has unsaved changes, asks
  // "Save changes?" and saves on Save. Returns whether the caller may go
  // on (no changes, saved, or discarded); false on Cancel or when the save
  // was cancelled or failed.
  bool ConfirmDiscard();

  bool Modified() const { return History().Modified(); }
  const EditHistory& History() const;
  // The document's name, without the mark.
  QString DocumentName() const;
  // The name as "Infos" shows it: with " *" while the document is changed.
  QString ShownName() const;

 signals:
  // The name "Infos" shows changed: the document's, with " *" while changed.
  void documentNameChanged(const QString& shownName);

 private:
  void Named(const QString& name);
  void Refresh();

  Parts m_parts;
  QString m_name;  // a file, a preset's title, or empty for a new tree
};
