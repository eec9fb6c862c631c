// MainWindow's menu: "File", "Tools" and "Help" with their handlers ("Export
// billboard..." is with the billboard mode, in main_window_billboard.cpp).
#include <QApplication>
#include <QMenuBar>
#include <QTimer>

#include "app/document_session.h"
#include "app/file_flows.h"
#include "app/leaf_editor.h"
#include "app/leaves_page.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/texture_page.h"
#include "app/tree_view.h"
#include "view/texture_upload.h"

void MainWindow::BuildMenu() {
  FileFlowHooks hooks;
  hooks.growTree = [this] { RequestGrowth({.rebuildPlane = false, .refreshCounts = true}); };
  hooks.grabView = [this]() -> QImage {
    // The GL view draws a full-detail frame into an offscreen buffer of its
    // own size; without a context the blank surface is what the user sees.
    if (view_ != nullptr && view_->Bound()) return view_->GrabFullDetail();
    return viewSurface_->grab().toImage();
  };
  fileFlows_ = new FileFlows(*this, *leaves_->Editor(), *texture_->Bark(), std::move(hooks), this);
  // Texture names belong to the view's context, like its display lists.
  if (view_ != nullptr) connect(view_, &TreeView::contextLost, this, [] { vh::ForgetTextureObjects(); });

  struct Item {
    const char* name;
    const char* caption;
    void (MainWindow::*handler)();
  };
  const auto addMenu = [this](const char* name, const char* title,
                              std::initializer_list<Item> items) {
    QMenu* menu = menuBar()->addMenu(title);
    menu->setObjectName(name);
    for (const Item& item : items) {
      if (item.name == nullptr) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(item.caption);
      action->setObjectName(item.name);
      connect(action, &QAction::triggered, this, item.handler);
    }
  };
  addMenu("File1", "File",
          {{"New1", "New", &MainWindow::onNew},
           {"Open1", "Open...", &MainWindow::onOpen},
           {"Save1", "Save", &MainWindow::onSave},
           {"SaveAs1", "Save As...", &MainWindow::onSaveAs},
           {nullptr, nullptr, nullptr},
           {"Export1", "Export...", &MainWindow::onExport},
           {"Exportscreenshot1", "Export screenshot...", &MainWindow::onExportScreenshot},
           {"Exportbillboard1", "Export billboard...", &MainWindow::onExportBillboard},
           {nullptr, nullptr, nullptr},
           {"Quit1", "Quit", &MainWindow::onQuit}});
  addMenu("Tools1", "Tools", {{"Barktiler1", "Bark tiler", &MainWindow::onShowBarkTiler}});
  addMenu("Help1", "Help",
          {{"Help2", "Help", &MainWindow::onHelp}, {"About1", "About...", &MainWindow::onShowAbout}});
}

// The File menu's flows read or replace the document and the tree as a
// whole: asked for while a tree grows, they run once it is in.
void MainWindow::WhenTreeIsIn(std::function<void()> action) {
  waitingForTree_.push_back(std::move(action));
  RunActionsWaitingForTree();
}

void MainWindow::RunActionsWaitingForTree() {
  // An action that starts a generation (New, Open) makes the rest wait
  // for that tree in turn.
  while (!waitingForTree_.empty() && !driver_->Busy()) {
    const std::function<void()> action = std::move(waitingForTree_.front());
    waitingForTree_.erase(waitingForTree_.begin());
    action();
  }
}

void MainWindow::onNew() {
  WhenTreeIsIn([this] {
    if (document_->ConfirmDiscard()) fileFlows_->New();
  });
}
void MainWindow::onOpen() {
  WhenTreeIsIn([this] {
    if (document_->ConfirmDiscard()) fileFlows_->Open();
  });
}
void MainWindow::onSave() { WhenTreeIsIn([this] { fileFlows_->Save(); }); }
void MainWindow::onSaveAs() { WhenTreeIsIn([this] { fileFlows_->SaveAs(); }); }
void MainWindow::onExport() { WhenTreeIsIn([this] { fileFlows_->Export(); }); }
void MainWindow::onExportScreenshot() { WhenTreeIsIn([this] { fileFlows_->ExportScreenshot(); }); }
void MainWindow::OpenDocumentFile(const QString& fileName) {
  if (view_ == nullptr || view_->Bound()) {
    WhenTreeIsIn([this, fileName] { fileFlows_->OpenDocument(fileName); });
    return;
  }
  // The document's pictures are uploaded into the view's context, which
  // exists once the view drew its first frame; a view that never draws one
  // (its context failed) gets the document after a short wait all the same.
  auto opened = std::make_shared<bool>(false);
  const auto open = [this, fileName, opened] {
    if (*opened) return;
    *opened = true;
    WhenTreeIsIn([this, fileName] { fileFlows_->OpenDocument(fileName); });
  };
  connect(view_, &TreeView::framePainted, this, [this, open] { QTimer::singleShot(0, this, open); },
          Qt::SingleShotConnection);
  QTimer::singleShot(2000, this, open);
}
// The bark tiler is a tool window of its own, shown beside the main window.
void MainWindow::onShowBarkTiler() {
  if (barkTiler_ == nullptr) return;
  barkTiler_->show();
  barkTiler_->raise();
  barkTiler_->activateWindow();
}
// help.chm in the working directory, else the guide installed with the
// program, opened by the desktop; no message when nothing can open it.
void MainWindow::onHelp() { fileFlows_->Help(); }

void MainWindow::onQuit() {
  if (!document_->ConfirmDiscard()) return;
  CancelLongTasks();
  QCoreApplication::quit();
}

void MainWindow::onShowAbout() {
  if (aboutBox_ == nullptr) return;
  aboutBox_->show();
  aboutBox_->raise();
}
