// The document as the user edits it over time: its undo history (the
// "Edit" menu's "Undo" and "Redo"), whether it has unsaved changes, its
// name (shown in "Infos" with a mark while changed) and the question
// "Save changes?" before a changed document is given up.
//
// Every finished edit of the pages becomes one step (see EditRecorder);
// "New", "Open...", a recent document and a preset start a fresh history,
// and "Save" marks the current step as the saved one.
#pragma once

#include <vector>

#include <QObject>
#include <QString>

#include "app/document/edit_history.h"

class BarkTexturePanel;
class EditRecorder;
class EditorHost;
class FileFlows;
class LeafEditor;
class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QTabBar;
class QWidget;

class DocumentSession : public QObject {
  Q_OBJECT
 public:
  // What the session works with; everything must outlive it.
  struct Parts {
    QMainWindow* window = nullptr;
    EditorHost* host = nullptr;
    FileFlows* flows = nullptr;
    LeafEditor* leafEditor = nullptr;
    BarkTexturePanel* bark = nullptr;
    QTabBar* levelTabs = nullptr;    // TabControl1
    QWidget* infos = nullptr;        // the group the document's name is shown in
    std::vector<QWidget*> pages;     // the parameter pages whose controls edit the document
  };

  // Starts the history from the tree's current parameters, adds the "Edit"
  // menu before "Tools" and the document's name to `infos`.
  DocumentSession(const Parts& parts, QObject* parent = nullptr);

  // Before the document is given up: when it has unsaved changes, asks
  // "Save changes?" and saves on Save. Returns whether the caller may go
  // on (no changes, saved, or discarded); false on Cancel or when the save
  // was cancelled or failed.
  bool ConfirmDiscard();

  bool Modified() const { return history_.Modified(); }
  const EditHistory& History() const { return history_; }
  // The document's name as "Infos" shows it, without the mark.
  QString DocumentName() const;

 public slots:
  // Take back or repeat the last step: the parameters, the controls and
  // the pictures return to that step and the tree regrows as after an
  // edit. Refused while a tree grows or in billboard mode.
  void Undo();
  void Redo();

 private:
  void BuildEditMenu();
  void EditFinished(const QString& name, const QString& mergeKey);
  void Restore(const vh::TreeParameters& state);
  void RestorePictures(const vh::TreeParameters& before, const vh::TreeParameters& after);
  void SelectChangedLevel(const vh::TreeParameters& before, const vh::TreeParameters& after);
  void StartAfresh(const QString& name);
  void Refresh();

  Parts parts_;
  EditHistory history_;
  EditRecorder* recorder_ = nullptr;
  QAction* undo_ = nullptr;  // Undo1
  QAction* redo_ = nullptr;  // Redo1
  QLabel* nameLabel_ = nullptr;  // DocumentName
  QString name_;  // a file, a preset's title, or empty for a new tree
};
