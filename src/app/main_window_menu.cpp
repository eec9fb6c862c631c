// TForm1's menu: "File", "Tools" and "Help" with their handlers. Items
// whose feature is not in this version say so instead of doing nothing.
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QMenuBar>

#include "app/main_window.h"
#include "app/message_box.h"

void TForm1::BuildMenu() {
  struct Item {
    const char* name;
    const char* caption;
    void (TForm1::*handler)();
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
          {{"New1", "New", &TForm1::New1Click},
           {"Open1", "Open...", &TForm1::Open1Click},
           {"Save1", "Save", &TForm1::Save1Click},
           {"SaveAs1", "Save As...", &TForm1::SaveAs1Click},
           {nullptr, nullptr, nullptr},
           {"Export1", "Export...", &TForm1::Export1Click},
           {"Exportscreenshot1", "Export screenshot...", &TForm1::Exportscreenshot1Click},
           {"Exportbillboard1", "Export billboard...", &TForm1::Exportbillboard1Click},
           {nullptr, nullptr, nullptr},
           {"Quit1", "Quit", &TForm1::Quit1Click}});
  addMenu("Tools1", "Tools", {{"Barktiler1", "Bark tiler", &TForm1::Barktiler1Click}});
  addMenu("Help1", "Help",
          {{"Help2", "Help", &TForm1::Help2Click}, {"About1", "About...", &TForm1::About1Click}});
}

void TForm1::New1Click() { NotAvailableYet("New"); }
void TForm1::Open1Click() { NotAvailableYet("Open..."); }
void TForm1::Save1Click() { NotAvailableYet("Save"); }
void TForm1::SaveAs1Click() { NotAvailableYet("Save As..."); }
void TForm1::Export1Click() { NotAvailableYet("Export..."); }
void TForm1::Exportscreenshot1Click() { NotAvailableYet("Export screenshot..."); }
void TForm1::Exportbillboard1Click() { NotAvailableYet("Export billboard..."); }
// The bark tiler is a tool window of its own, shown beside the main window.
void TForm1::Barktiler1Click() {
  if (barkTiler_ == nullptr) return;
  barkTiler_->show();
  barkTiler_->raise();
  barkTiler_->activateWindow();
}
// The help file beside the working directory, opened by the desktop; no
// message when nothing can open it.
void TForm1::Help2Click() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath("help.chm")));
}

void TForm1::Quit1Click() {
  tree_->cancelRequested = true;
  QCoreApplication::quit();
}

void TForm1::About1Click() {
  if (aboutBox_ == nullptr) return;
  aboutBox_->show();
  aboutBox_->raise();
}
