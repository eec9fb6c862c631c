// What the "File" menu offers beyond its original items: "Open recent" (the
// last documents opened or saved) and "New from preset" (the species
// presets installed with the program), both after "Open...".
#pragma once

#include <optional>

#include <QObject>

#include "app/document/recent_documents.h"
#include "fileio/presets.h"

class DocumentChanges;
class FileFlows;
class QAction;
class QMenu;
class QWidget;
class TreeDocument;

class MenuAdditions : public QObject {
  Q_OBJECT
 public:
  // What the menus open and where they go.
  struct Parts {
    QMenu* fileMenu = nullptr;  // File1
    QAction* before = nullptr;  // the submenus go before this item ("Save")
    TreeDocument* document = nullptr;
    FileFlows* flows = nullptr;
    DocumentChanges* changes = nullptr;
    QWidget* dialogParent = nullptr;  // of the message about a missing document
  };

  // Adds the two submenus. The presets are looked for from
  // `programDirectory`, the folder of the running program
  // (PresetLibrary::Find).
  MenuAdditions(const Parts& parts, const QString& programDirectory, QObject* parent = nullptr);

  const RecentDocuments& Recent() const { return m_recent; }

 public slots:
  // Opens a document of "Open recent"; one that no longer exists is
  // removed from the list with a message. Asked for while a tree grows, it
  // opens once the tree is in.
  void OpenRecent(const QString& fileName);
  // Opens preset `name` as "Open..." opens a document (waiting likewise).
  void OpenPreset(const QString& name);

 private:
  void OpenRecentNow(const QString& fileName);
  void FillRecentMenu();
  void FillPresetMenu();

  Parts m_parts;
  RecentDocuments m_recent;
  std::optional<vh::PresetLibrary> m_presets;
  QMenu* m_recentMenu = nullptr;  // OpenRecent1
  QMenu* m_presetMenu = nullptr;  // NewFromPreset1
};
