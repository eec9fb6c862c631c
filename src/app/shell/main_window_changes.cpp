// MainWindow's tracking of the document's changes: the undo history with the "Edit" menu and
// the edit recorder that feeds it, the question before unsaved changes are
// given up, the "File" menu's additions ("Open recent", "New from
// preset"), the sliders' value tips and pages laid out before they are
// first shown.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include "app/flows/document_changes.h"
#include "app/flows/menu_additions.h"
#include "app/pages/branches_page.h"
#include "app/pages/leaf_editor.h"
#include "app/pages/leaves_page.h"
#include "app/pages/texture_page.h"
#include "app/pages/view_controls.h"
#include "app/pages/wind_page.h"
#include "app/shell/main_window.h"
#include "app/widgets/edit_recorder.h"
#include "app/widgets/flat_tabs.h"
#include "app/widgets/page_sizes.h"
#include "app/widgets/shortcut_fields.h"
#include "app/widgets/slider_value_tips.h"

void MainWindow::StartTrackingChanges() {
  auto* edit = new QMenu("Edit", menuBar());
  edit->setObjectName("Edit1");
  menuBar()->insertMenu(m_toolsMenu->menuAction(), edit);
  QAction* undo = edit->addAction("Undo");
  undo->setObjectName("Undo1");
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  QAction* redo = edit->addAction("Redo");
  redo->setObjectName("Redo1");
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

  m_changes = new DocumentChanges({m_document.get(), m_fileFlows, this, undo, redo}, this);
  connect(m_changes, &DocumentChanges::documentNameChanged, m_viewControls, &ViewControls::ShowDocumentName);
  m_viewControls->ShowDocumentName(m_changes->ShownName());

  // Every finished edit of the pages becomes one step of the history; the
  // controls an undo loads are no edits.
  EditRecorder::Callbacks callbacks;
  callbacks.finished = [this](const QString& name, const QString& mergeKey) {
    m_changes->RecordEdit(name, mergeKey);
  };
  callbacks.endMerge = [this] { m_changes->CloseMerge(); };
  LeafEditor* leafEditor = m_leaves->Editor();
  callbacks.mouseEditName = [leafEditor](const QWidget* widget) -> QString {
    if (widget != leafEditor) return {};
    return leafEditor->PointMode() ? "Leaf outline" : "Leaf picture position";
  };
  auto* recorder = new EditRecorder(this, std::move(callbacks), m_changes);
  for (QWidget* page : std::initializer_list<QWidget*>{m_branches, m_leaves, m_texture, m_wind})
    recorder->Watch(page);
  connect(m_changes, &DocumentChanges::restoreStarted, this,
          [this, recorder](const vh::TreeParameters& before, const vh::TreeParameters& after) {
            recorder->SetSuspended(true);
            m_branches->ShowChangedLevel(before, after);
          });
  connect(m_changes, &DocumentChanges::restoreFinished, recorder,
          [recorder] { recorder->SetSuspended(false); });

  ShowSliderValues(m_pages);
  KeepPagesSized(m_pages);
  new MenuAdditions({m_fileMenu, m_save, m_document.get(), m_fileFlows, m_changes, this},
                    QCoreApplication::applicationDirPath(), this);
  LetShortcutsPassTextFields(this);
}
