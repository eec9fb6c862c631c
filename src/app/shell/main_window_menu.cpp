// MainWindow's menu: "File", "Tools" and "Help", their shortcuts, and the
// handlers, which hand each item to the part that does the work.
#include <QMenuBar>

#include "app/document/tree_document.h"
#include "app/flows/document_changes.h"
#include "app/flows/file_flows.h"
#include "app/flows/forest_export_flow.h"
#include "app/shell/main_window.h"
#include "app/viewport/viewport.h"
#include "fileio/export_common.h"

void MainWindow::BuildMenu() {
  m_fileFlows = new FileFlows(
      *m_document, this, [this] { return m_viewport->Grab(); }, this);

  struct Item {
    const char* name;
    const char* caption;
    void (MainWindow::*handler)();
    QKeySequence shortcut;
    QAction** kept = nullptr;  // where the action is kept, for placing items beside it
  };
  const auto addMenu = [this](const char* name, const char* title, std::initializer_list<Item> items) {
    QMenu* menu = menuBar()->addMenu(title);
    menu->setObjectName(name);
    for (const Item& item : items) {
      if (item.name == nullptr) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(item.caption);
      action->setObjectName(item.name);
      action->setShortcut(item.shortcut);
      connect(action, &QAction::triggered, this, item.handler);
      if (item.kept != nullptr) *item.kept = action;
    }
    return menu;
  };
  const Item separator = {nullptr, nullptr, nullptr, {}, nullptr};
  m_fileMenu = addMenu(
      "File1", "File",
      {{"New1", "New", &MainWindow::onNew, QKeySequence(Qt::CTRL | Qt::Key_N)},
       {"Open1", "Open...", &MainWindow::onOpen, QKeySequence(Qt::CTRL | Qt::Key_O)},
       {"Save1", "Save", &MainWindow::onSave, QKeySequence(Qt::CTRL | Qt::Key_S), &m_save},
       {"SaveAs1", "Save As...", &MainWindow::onSaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
       separator,
       {"Export1", "Export...", &MainWindow::onExport, QKeySequence(Qt::CTRL | Qt::Key_E)},
       {"Exportscreenshot1", "Export screenshot...", &MainWindow::onExportScreenshot, {}},
       {"Exportbillboard1", "Export billboard...", &MainWindow::onExportBillboard, {}},
       {"Exportforest1", "Export forest...", &MainWindow::onExportForest, {}},
       separator,
       {"Quit1", "Quit", &MainWindow::onQuit, QKeySequence(Qt::CTRL | Qt::Key_Q)}});
  m_toolsMenu = addMenu("Tools1", "Tools", {{"Barktiler1", "Bark tiler", &MainWindow::onShowBarkTiler, {}}});
  addMenu("Help1", "Help",
          {{"Help2", "Help", &MainWindow::onHelp, QKeySequence(Qt::Key_F1)},
           {"About1", "About...", &MainWindow::onShowAbout, {}}});
}

// The File menu's flows read or replace the document and the tree as a
// whole: asked for while a tree grows, they run once it is in.
void MainWindow::onNew() {
  m_document->WhenTreeIsIn([this] {
    if (m_changes->ConfirmDiscard()) m_fileFlows->New();
  });
}
void MainWindow::onOpen() {
  m_document->WhenTreeIsIn([this] {
    if (m_changes->ConfirmDiscard()) m_fileFlows->Open();
  });
}
void MainWindow::onSave() {
  m_document->WhenTreeIsIn([this] { m_fileFlows->Save(); });
}
void MainWindow::onSaveAs() {
  m_document->WhenTreeIsIn([this] { m_fileFlows->SaveAs(); });
}
void MainWindow::onExport() {
  m_document->WhenTreeIsIn([this] { m_fileFlows->Export(); });
}
void MainWindow::onExportScreenshot() {
  m_document->WhenTreeIsIn([this] { m_fileFlows->ExportScreenshot(); });
}
void MainWindow::onExportBillboard() {
  // Both export dialogs start with the format the user exported to last.
  m_billboardExportDialog.filterIndex = m_fileFlows->LastExportFilter();
  ExportBillboard(this, m_document->Billboard(), m_document->BillboardColour(), m_document->BillboardAlpha(),
                  vh::EngineOrigin(m_document->CurrentTree()), m_document->Pictures(),
                  m_billboardExportDialog);
  m_fileFlows->SetLastExportFilter(m_billboardExportDialog.filterIndex);
}

// A forest is grown from its own description, not from the open document.
void MainWindow::onExportForest() { m_forestExport->Run(); }

void MainWindow::OpenDocumentFile(const QString& fileName) {
  // The document's pictures are uploaded into the view's context, which
  // the view makes when it first draws.
  m_viewport->WhenContextReady([this, fileName] {
    m_document->WhenTreeIsIn([this, fileName] { m_fileFlows->OpenDocument(fileName); });
  });
}

// The bark tiler is a tool window of its own, shown beside the main window.
void MainWindow::onShowBarkTiler() {
  if (m_barkTiler == nullptr) return;
  m_barkTiler->show();
  m_barkTiler->raise();
  m_barkTiler->activateWindow();
}
// help.chm in the working directory, else the guide installed with the
// program, opened by the desktop; a message names it when nothing can.
void MainWindow::onHelp() { m_fileFlows->Help(); }

// Quitting closes the window, which asks about unsaved changes once.
void MainWindow::onQuit() { close(); }

void MainWindow::onShowAbout() {
  if (m_aboutBox == nullptr) return;
  m_aboutBox->show();
  m_aboutBox->raise();
}
