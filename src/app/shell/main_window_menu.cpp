// MainWindow's menu: "File", "Tools" and "Help", their shortcuts, and the
// handlers, which hand each item to the part that does the work.
#include <QMenuBar>

#include "app/document/tree_document.h"
#include "app/flows/document_session.h"
#include "app/flows/file_flows.h"
#include "app/shell/main_window.h"
#include "app/viewport/viewport.h"
#include "fileio/export_common.h"

void MainWindow::BuildMenu() {
  fileFlows_ = new FileFlows(*document_, this, [this] { return viewport_->Grab(); }, this);

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
  fileMenu_ = addMenu("File1", "File",
                      {{"New1", "New", &MainWindow::onNew, QKeySequence(Qt::CTRL | Qt::Key_N)},
                       {"Open1", "Open...", &MainWindow::onOpen, QKeySequence(Qt::CTRL | Qt::Key_O)},
                       {"Save1", "Save", &MainWindow::onSave, QKeySequence(Qt::CTRL | Qt::Key_S), &save_},
                       {"SaveAs1", "Save As...", &MainWindow::onSaveAs,
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                       separator,
                       {"Export1", "Export...", &MainWindow::onExport, QKeySequence(Qt::CTRL | Qt::Key_E)},
                       {"Exportscreenshot1", "Export screenshot...", &MainWindow::onExportScreenshot, {}},
                       {"Exportbillboard1", "Export billboard...", &MainWindow::onExportBillboard, {}},
                       separator,
                       {"Quit1", "Quit", &MainWindow::onQuit, QKeySequence(Qt::CTRL | Qt::Key_Q)}});
  toolsMenu_ = addMenu("Tools1", "Tools", {{"Barktiler1", "Bark tiler", &MainWindow::onShowBarkTiler, {}}});
  addMenu("Help1", "Help",
          {{"Help2", "Help", &MainWindow::onHelp, QKeySequence(Qt::Key_F1)},
           {"About1", "About...", &MainWindow::onShowAbout, {}}});
}

// The File menu's flows read or replace the document and the tree as a
// whole: asked for while a tree grows, they run once it is in.
void MainWindow::onNew() {
  document_->WhenTreeIsIn([this] {
    if (session_->ConfirmDiscard()) fileFlows_->New();
  });
}
void MainWindow::onOpen() {
  document_->WhenTreeIsIn([this] {
    if (session_->ConfirmDiscard()) fileFlows_->Open();
  });
}
void MainWindow::onSave() { document_->WhenTreeIsIn([this] { fileFlows_->Save(); }); }
void MainWindow::onSaveAs() { document_->WhenTreeIsIn([this] { fileFlows_->SaveAs(); }); }
void MainWindow::onExport() { document_->WhenTreeIsIn([this] { fileFlows_->Export(); }); }
void MainWindow::onExportScreenshot() { document_->WhenTreeIsIn([this] { fileFlows_->ExportScreenshot(); }); }
void MainWindow::onExportBillboard() {
  // Both export dialogs start with the format the user exported to last.
  billboardExportDialog_.filterIndex = fileFlows_->LastExportFilter();
  ExportBillboard(this, document_->Billboard(), document_->BillboardColour(), document_->BillboardAlpha(),
                  vh::ExportOrigin(document_->CurrentTree()), document_->Pictures(), billboardExportDialog_);
  fileFlows_->SetLastExportFilter(billboardExportDialog_.filterIndex);
}

void MainWindow::OpenDocumentFile(const QString& fileName) {
  // The document's pictures are uploaded into the view's context, which
  // the view makes when it first draws.
  viewport_->WhenContextReady([this, fileName] {
    document_->WhenTreeIsIn([this, fileName] { fileFlows_->OpenDocument(fileName); });
  });
}

// The bark tiler is a tool window of its own, shown beside the main window.
void MainWindow::onShowBarkTiler() {
  if (barkTiler_ == nullptr) return;
  barkTiler_->show();
  barkTiler_->raise();
  barkTiler_->activateWindow();
}
// help.chm in the working directory, else the guide installed with the
// program, opened by the desktop; a message names it when nothing can.
void MainWindow::onHelp() { fileFlows_->Help(); }

// Quitting closes the window, which asks about unsaved changes once.
void MainWindow::onQuit() { close(); }

void MainWindow::onShowAbout() {
  if (aboutBox_ == nullptr) return;
  aboutBox_->show();
  aboutBox_->raise();
}
