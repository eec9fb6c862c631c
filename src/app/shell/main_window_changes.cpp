// MainWindow's tracking of the document's changes: the "Edit" menu over the
// document's undo stack, the question before unsaved changes are
// given up, the "File" menu's additions ("Open recent", "New from
// preset"), the sliders' value tips and pages laid out before they are
// first shown.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include "app/flows/document_changes.h"
#include "app/flows/menu_additions.h"
#include "app/pages/view_controls.h"
#include "app/shell/main_window.h"
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

  ShowSliderValues(m_pages);
  KeepPagesSized(m_pages);
  new MenuAdditions({m_fileMenu, m_save, m_document.get(), m_fileFlows, m_changes, this},
                    QCoreApplication::applicationDirPath(), this);
  LetShortcutsPassTextFields(this);
}
