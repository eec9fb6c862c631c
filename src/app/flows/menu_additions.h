// What the menus offer beyond their original items: keyboard shortcuts,
// "Open recent" (the last documents opened or saved) and "New from
// preset" (the species presets installed with the program), both in the
// "File" menu after "Open...".
#pragma once

#include <optional>

#include <QObject>

#include "app/document/recent_documents.h"
#include "fileio/presets.h"

class DocumentSession;
class EditorHost;
class FileFlows;
class QMainWindow;
class QMenu;

class MenuAdditions : public QObject {
  Q_OBJECT
 public:
  // Adds the shortcuts and the two submenus to the window's menus (built
  // already). The presets are looked for from `programDirectory`, the
  // folder of the running program (PresetLibrary::Find).
  MenuAdditions(QMainWindow* window, EditorHost& host, FileFlows& flows, DocumentSession& session,
                const QString& programDirectory, QObject* parent = nullptr);

  const RecentDocuments& Recent() const { return recent_; }

 public slots:
  // Opens a document of "Open recent"; one that no longer exists is
  // removed from the list with a message. Asked for while a tree grows, it
  // opens once the tree is in.
  void OpenRecent(const QString& fileName);
  // Opens preset `name` as "Open..." opens a document (waiting likewise).
  void OpenPreset(const QString& name);

 protected:
  // Text fields give the menus' shortcuts up (Ctrl+Z undoes the document,
  // not the field's typing; Ctrl+E exports).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OpenRecentNow(const QString& fileName);
  void AddShortcuts();
  void FillRecentMenu();
  void FillPresetMenu();

  QMainWindow* window_;
  EditorHost& host_;
  FileFlows& flows_;
  DocumentSession& session_;
  RecentDocuments recent_;
  std::optional<vh::PresetLibrary> presets_;
  QMenu* recentMenu_ = nullptr;  // OpenRecent1
  QMenu* presetMenu_ = nullptr;  // NewFromPreset1
};
