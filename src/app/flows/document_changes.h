// The document as the user edits it over time: its undo history (the
// "Edit" menu's "Undo" and "Redo"), whether it has unsaved changes, its
// name (shown in "Infos" with a mark while changed) and the question
// "Save changes?" before a changed document is given up.
//
// Every finished edit of the pages becomes one step (RecordEdit, as an
// EditRecorder reports them); "New", "Open...", a recent document and a
// preset start a fresh history, and "Save" marks the current step as the
// saved one.
#pragma once

#include <QObject>
#include <QString>

#include "app/document/edit_history.h"
#include "tree/tree.h"

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

  // Starts the history from the document's current parameters.
  DocumentChanges(const Parts& parts, QObject* parent = nullptr);

  // Before the document is given up: when it has unsaved changes, asks
  // "Save changes?" and saves on Save. Returns whether the caller may go
  // on (no changes, saved, or discarded); false on Cancel or when the save
  // was cancelled or failed.
  bool ConfirmDiscard();

  bool Modified() const { return m_history.Modified(); }
  const EditHistory& History() const { return m_history; }
  // The document's name, without the mark.
  QString DocumentName() const;
  // The name as "Infos" shows it: with " *" while the document is changed.
  QString ShownName() const;

 public slots:
  // An edit named `name` (a control's caption) is finished: one step, or
  // merged into the last one of the same non-empty `mergeKey`.
  void RecordEdit(const QString& name, const QString& mergeKey);
  // The next edit does not merge with the last one.
  void CloseMerge();
  // Take back or repeat the last step: the parameters, the controls and
  // the pictures return to that step and the tree regrows as after an
  // edit (unless the step changed only the wind, which regrows nothing).
  // Refused while a tree grows or in billboard mode.
  void Undo();
  void Redo();

 signals:
  // The name "Infos" shows changed: the document's, with " *" while changed.
  void documentNameChanged(const QString& shownName);
  // An undo or redo is about to take the parameters from `before` to
  // `after`; the controls it loads are no edits (restoreFinished).
  void restoreStarted(const vh::TreeParameters& before, const vh::TreeParameters& after);
  void restoreFinished();

 private:
  void Restore(const vh::TreeParameters& state);
  void StartAfresh(const QString& name);
  void Refresh();

  Parts m_parts;
  EditHistory m_history;
  QString m_name;  // a file, a preset's title, or empty for a new tree
};
