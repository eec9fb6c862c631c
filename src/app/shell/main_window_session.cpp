// MainWindow's document session: the undo history with the "Edit" menu, the
// question before unsaved changes are given up, the menus' additions
// (shortcuts, "Open recent", "New from preset"), the sliders' value tips and
// pages laid out before they are first shown.
#include <QCoreApplication>
#include <QTabBar>

#include "app/pages/branches_page.h"
#include "app/widgets/flat_tabs.h"
#include "app/flows/document_session.h"
#include "app/pages/leaves_page.h"
#include "app/shell/main_window.h"
#include "app/flows/menu_additions.h"
#include "app/widgets/page_sizes.h"
#include "app/widgets/slider_value_tips.h"
#include "app/pages/texture_page.h"

void MainWindow::StartDocumentSession() {
  DocumentSession::Parts parts;
  parts.window = this;
  parts.host = this;
  parts.flows = fileFlows_;
  parts.leafEditor = leaves_->Editor();
  parts.bark = texture_->Bark();
  parts.levelTabs = findChild<QTabBar*>("TabControl1");
  parts.infos = findChild<QWidget*>("GroupBox1");
  parts.pages = {branches_, leaves_, texture_};
  document_ = new DocumentSession(parts, this);
  ShowSliderValues(findChild<QWidget*>("Panel2"));
  KeepPagesSized(pages_);
  new MenuAdditions(this, *this, *fileFlows_, *document_, QCoreApplication::applicationDirPath(),
                    this);
}
