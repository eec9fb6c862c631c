#include "app/shell/main_window.h"

#include <algorithm>
#include <array>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "app/document/tree_document.h"
#include "app/flows/document_changes.h"
#include "app/flows/forest_export_flow.h"
#include "app/pages/branches_page.h"
#include "app/pages/leaves_page.h"
#include "app/pages/lod_page.h"
#include "app/pages/status_line.h"
#include "app/pages/texture_page.h"
#include "app/pages/view_controls.h"
#include "app/pages/wind_page.h"
#include "app/shell/window_keys.h"
#include "app/viewport/viewport.h"
#include "app/viewport/wind_player.h"
#include "app/widgets/flat_tabs.h"
#include "app/widgets/message_box.h"
#include "app/widgets/palette.h"

namespace {
constexpr int kPanel3Width = 153;
constexpr int kPanel2Width = 308;
// The smallest 3-D view still worth looking through; with the panels' own
// minimum sizes it sets the window's minimum size.
constexpr QSize kMinimumViewSize(200, 150);
}  // namespace

MainWindow::MainWindow(GlAvailability gl, QWidget* parent)
    : QMainWindow(parent), m_document(std::make_unique<TreeDocument>()) {
  setObjectName("Form1");
  setWindowTitle("Verdanthollow v2.0");
  connect(m_document.get(), &TreeDocument::treeReplaced, this, &MainWindow::treeGrown);
  connect(m_document.get(), &TreeDocument::problem, this,
          [this](const QString& text, const QString& title) { ShowWarning(this, text, title); });

  auto* central = new QWidget(this);
  central->setObjectName("Form1Client");
  // Built now, after the document's first tree: the ground plane takes the
  // object number after the tree's.
  m_viewport = std::make_unique<Viewport>(*m_document, gl, central);
  m_forestExport =
      new ForestExportFlow(this, CommandLineToolBeside(QCoreApplication::applicationDirPath()), this);
  // A preview stood still at a moment is a paused one: "Play" says so.
  connect(&m_viewport->Wind(), &WindPlayer::stopped, m_document.get(),
          [this] { m_document->SetWindPlaying(false); });
  BuildLayout(central);
  BuildMenu();
  // The window sees every key before the focused control.
  m_keys = std::make_unique<WindowKeys>(this, *m_document, *m_viewport);

  m_branches->LoadLevelControls();
  m_branches->StoreControls();
  StartTrackingChanges();
  resize(992, 682);
  move(90, 116);
}

MainWindow::~MainWindow() {
  // First, while everything it could deliver to still exists: a running
  // generation stops at its next branch.
  m_document->StopGrowing();
  m_keys.reset();
  // The view's context goes first, while the meshes whose buffers and
  // display lists it holds still exist; then the controls, while the
  // document they show does.
  delete m_viewport->Surface();
  delete centralWidget();
}

void MainWindow::BuildLayout(QWidget* central) {
  QPalette p = palette();
  p.setColor(QPalette::Window, kWindowColour);
  setPalette(p);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  auto* middle = new QHBoxLayout;
  middle->setSpacing(0);

  m_viewControls = new ViewControls(*m_document, *m_viewport, central);
  m_viewControls->setFixedWidth(kPanel3Width);
  middle->addWidget(m_viewControls);

  QWidget* surface = m_viewport->Surface();
  surface->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  surface->setMinimumSize(kMinimumViewSize);
  middle->addWidget(surface, 1);

  auto* panel2 = new QWidget(central);
  panel2->setObjectName("Panel2");
  auto* panel2Layout = new QVBoxLayout(panel2);
  panel2Layout->setContentsMargins(0, 0, 0, 0);
  m_pages = new FlatTabWidget(panel2);
  m_pages->setObjectName("PageControl1");
  m_leaves = new LeavesPage(*m_document);
  m_texture = new TexturePage(*m_document);
  m_branches = new BranchesPage(*m_document, {m_leaves, m_texture});
  m_lod = new LodPage(*m_document, *m_viewport);
  m_pages->addTab(m_branches, "Branches");
  m_pages->addTab(m_leaves, "Leaves");
  m_pages->addTab(m_texture, "Texture");
  m_pages->addTab(m_lod, "Level of detail");
  m_wind = new WindPage(*m_document);
  m_pages->addTab(m_wind, "Wind");
  panel2Layout->addWidget(m_pages);
  // As designed, unless the system's fonts need more room for a page's
  // captions: then wider rather than cutting them off. (The flat page
  // control gives its pages its whole width.)
  int panel2Width = kPanel2Width;
  for (int i = 0; i < m_pages->count(); ++i) {
    panel2Width = std::max(panel2Width, m_pages->widget(i)->minimumSizeHint().width());
  }
  panel2->setFixedWidth(panel2Width);
  middle->addWidget(panel2);
  outer->addLayout(middle, 1);

  auto* panel1 = new QWidget(central);
  panel1->setObjectName("Panel1");
  panel1->setFixedHeight(30);
  auto* panel1Layout = new QHBoxLayout(panel1);
  panel1Layout->setContentsMargins(6, 0, 6, 0);
  auto* statusLine = new StatusLine(*m_document, panel1);
  panel1Layout->addWidget(statusLine);
  connect(m_lod, &LodPage::chainExported, statusLine, &StatusLine::ShowNote);
  connect(m_forestExport, &ForestExportFlow::exported, statusLine, &StatusLine::ShowNote);
  outer->addWidget(panel1);

  // One flat colour for the window, its panels and pages; one text colour.
  for (QWidget* w : std::initializer_list<QWidget*>{central, m_viewControls, panel2, panel1, m_branches,
                                                    m_leaves, m_texture, m_lod, m_wind}) {
    ApplyWindowColours(w);
  }
  setCentralWidget(central);

  // The display check boxes give the keyboard focus back to the shown
  // page's first slider (the "Level of detail" page has none to take it).
  const std::array<QWidget*, 3> firstSliders = {m_branches->FocusTarget(), m_leaves->FocusTarget(),
                                                m_texture->FocusTarget()};
  connect(m_viewControls, &ViewControls::focusGivenBack, this, [this, firstSliders] {
    const int shown = m_pages->currentIndex();
    if (shown >= 0 && shown < static_cast<int>(firstSliders.size())) firstSliders[shown]->setFocus();
  });
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_shownOnce) return;
  m_shownOnce = true;
  // Reported once the window is on screen.
  QTimer::singleShot(0, this, [this] { m_viewport->ReportContextProblems(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Ending the program closes every window again, this one included: the
  // question was answered already.
  if (!m_closing && !m_changes->ConfirmDiscard()) {
    event->ignore();
    return;
  }
  m_closing = true;
  // A running generation stops at its next branch; the window closes.
  m_document->CancelLongTasks();
  event->accept();
  QCoreApplication::quit();
}
