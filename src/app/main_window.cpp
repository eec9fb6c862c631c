#include "app/main_window.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "app/branches_page.h"
#include "app/document_session.h"
#include "app/flat_tabs.h"
#include "app/leaves_page.h"
#include "app/lod_page.h"
#include "app/message_box.h"
#include "app/palette.h"
#include "app/texture_page.h"
#include "app/tree_messages.h"
#include "app/tree_view.h"
#include "app/view_controls.h"
#include "view/ground_plane.h"

namespace {
constexpr int kStatusPeriodMs = 20;
constexpr float kArrowStep = 10.0f;  // eye movement per arrow key, in units of `forward`
constexpr int kPanel3Width = 153;
constexpr int kPanel2Width = 308;
// The smallest 3-D view still worth looking through; with the panels' own
// minimum sizes it sets the window's minimum size.
constexpr QSize kMinimumViewSize(200, 150);
constexpr std::chrono::milliseconds kInlineGrowthWait{5};
const char* const kGeneratingMessage = "Tree is generating, please wait... (ESC to cancel)      ";
const char* const kBillboardMessage =
    "You are in BillBoard mode - please delete your billboard to continue editing the tree";
}  // namespace

MainWindow::MainWindow(GlAvailability gl, QWidget* parent) : QMainWindow(parent), glAvailability_(gl) {
  setObjectName("Form1");
  setWindowTitle("Verdanthollow v2.0");

  // The first tree grows here, before there is a window to keep
  // responsive; every later one grows on the driver's worker.
  vh::Generate(session_.params, session_.GrowthOptions(), {}, session_.tree);
  driver_ = std::make_unique<GenerationDriver>([this](GrownTree grown) { InstallGrownTree(std::move(grown)); });
  connect(driver_.get(), &GenerationDriver::idle, this, &MainWindow::RunActionsWaitingForTree);
  groundPlane_ = vh::BuildGroundPlane();

  BuildLayout();
  BuildMenu();
  camera_.viewportWidth = viewSurface_->width();
  camera_.viewportHeight = viewSurface_->height();
  camera_.position = vh::kHomePosition;

  statusTimer_ = new QTimer(this);
  statusTimer_->setObjectName("Timer1");
  statusTimer_->setInterval(kStatusPeriodMs);
  connect(statusTimer_, &QTimer::timeout, this, &MainWindow::onStatusTimer);
  statusTimer_->start();

  // The window sees every key before the focused control (HandleWindowKey).
  qApp->installEventFilter(this);

  LoadLevelControls();
  StoreControls();
  StartDocumentSession();
  resize(992, 682);
  move(90, 116);
}

MainWindow::~MainWindow() {
  // First, while everything it could deliver to still exists: a running
  // generation stops at its next branch.
  driver_.reset();
  qApp->removeEventFilter(this);
  // The view's context goes first, while the meshes whose display lists it
  // holds still exist.
  delete viewSurface_;
  viewSurface_ = nullptr;
  view_ = nullptr;
  // A closing program need not wait for a large tree to be freed.
  DiscardTree(std::make_unique<vh::Tree>(std::move(session_.tree)));
}

void MainWindow::BuildLayout() {
  auto* central = new QWidget(this);
  central->setObjectName("Form1Client");
  QPalette p = palette();
  p.setColor(QPalette::Window, kWindowColour);
  setPalette(p);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  auto* middle = new QHBoxLayout;
  middle->setSpacing(0);

  viewControls_ = new ViewControls(*this, central);
  viewControls_->setFixedWidth(kPanel3Width);
  middle->addWidget(viewControls_);

  if (glAvailability_ == GlAvailability::kAvailable) {
    view_ = new TreeView(*this, central);
    connect(view_, &TreeView::framePainted, this, [this] { viewDirty_ = false; });
    connect(view_, &TreeView::contextLost, this, &MainWindow::ForgetViewCaches);
    viewSurface_ = view_;
  } else {
    // Without OpenGL the view stays blank; a GL widget is not even made,
    // since some platforms fail hard on one they cannot serve.
    viewSurface_ = new QWidget(central);
    viewSurface_->setObjectName("StaticText1");
    viewSurface_->setAutoFillBackground(true);
    QPalette white = viewSurface_->palette();
    white.setColor(QPalette::Window, Qt::white);
    viewSurface_->setPalette(white);
  }
  viewSurface_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  viewSurface_->setMinimumSize(kMinimumViewSize);
  viewSurface_->installEventFilter(this);  // the camera follows its size
  middle->addWidget(viewSurface_, 1);

  auto* panel2 = new QWidget(central);
  panel2->setObjectName("Panel2");
  auto* panel2Layout = new QVBoxLayout(panel2);
  panel2Layout->setContentsMargins(0, 0, 0, 0);
  pages_ = new FlatTabWidget(panel2);
  pages_->setObjectName("PageControl1");
  leaves_ = new LeavesPage(*this);
  texture_ = new TexturePage(*this);
  branches_ = new BranchesPage(*this, {leaves_, texture_});
  auto* levelOfDetail = lod_ = new LodPage(*this);
  pages_->addTab(branches_, "Branches");
  pages_->addTab(leaves_, "Leaves");
  pages_->addTab(texture_, "Texture");
  pages_->addTab(levelOfDetail, "Level of detail");
  panel2Layout->addWidget(pages_);
  // As designed, unless the system's fonts need more room for a page's
  // captions: then wider rather than cutting them off. (The flat page
  // control gives its pages its whole width.)
  int panel2Width = kPanel2Width;
  for (int i = 0; i < pages_->count(); ++i) {
    panel2Width = std::max(panel2Width, pages_->widget(i)->minimumSizeHint().width());
  }
  panel2->setFixedWidth(panel2Width);
  middle->addWidget(panel2);
  outer->addLayout(middle, 1);

  auto* panel1 = new QWidget(central);
  panel1->setObjectName("Panel1");
  panel1->setFixedHeight(30);
  auto* panel1Layout = new QHBoxLayout(panel1);
  panel1Layout->setContentsMargins(6, 0, 6, 0);
  status_ = new QLabel(panel1);
  status_->setObjectName("Label54");
  panel1Layout->addWidget(status_);
  outer->addWidget(panel1);

  // One flat colour for the window, its panels and pages; one text colour.
  for (QWidget* w : std::initializer_list<QWidget*>{central, viewControls_, panel2, panel1,
                                                    branches_, leaves_, texture_, levelOfDetail}) {
    ApplyWindowColours(w);
  }
  setCentralWidget(central);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // Report a view without OpenGL once the window is on screen; the GL view
  // reports a context it could not create or make current itself.
  QTimer::singleShot(0, this, [this] {
    if (view_ != nullptr) {
      view_->BindViewSurface();
    } else {
      ShowMessage(this, GlFailureMessage(glAvailability_));
    }
  });
}

bool MainWindow::ViewBound() const { return view_ != nullptr && view_->Bound(); }

void MainWindow::ForgetViewCaches() { drawLists_.Forget(); }

void MainWindow::RequestGrowth(AfterGrowth after) {
  // A cloud or chain builder reads the tree while it processes events: it
  // must not be replaced under it (and a builder only starts when idle).
  if (session_.buildingFromTree) return;
  // The tree that arrives answers every request made since the last one
  // arrived, so it does what any of them asked for.
  afterGrowth_.rebuildPlane |= after.rebuildPlane;
  afterGrowth_.refreshCounts |= after.refreshCounts;
  driver_->Grow({session_.params, session_.GrowthOptions(), session_.vertexBudget});
}

void MainWindow::InstallGrownTree(GrownTree grown) {
  const AfterGrowth after = std::exchange(afterGrowth_, {});
  if (grown.tree == nullptr) {
    ShowMessage(this, grown.failure, "Error");
    return;
  }
  // The old tree's display lists are freed at the next frame, its memory
  // off this thread; the new tree is compiled when it is first drawn.
  auto replaced = std::make_unique<vh::Tree>(std::move(session_.tree));
  session_.tree = std::move(*grown.tree);
  DiscardTree(std::move(replaced));
  // No generation runs now, so the ground plane may take the next submesh
  // number: the one after the new tree's.
  if (after.rebuildPlane) {
    groundPlane_ = vh::BuildGroundPlane();
    session_.wireframe.groundPlane = WireframeTicked();
  }
  if (after.refreshCounts) RefreshCounts();
  SetViewDirty();
  emit treeGrown();
  // Last: the message box processes events, which may start the next generation.
  if (session_.tree.budgetExceeded) {
    ShowMessage(this, TreeTooLargeMessage(session_.tree, session_.vertexBudget), "Tree too large");
  }
}

void MainWindow::UpdateAfterChange() {
  if (BillboardMode()) return;
  if (!AutoUpdate()) return;
  const bool wasIdle = !driver_->Busy();
  RequestGrowth({.rebuildPlane = true, .refreshCounts = true});
  // An edit of a small tree: the tree is in within a few milliseconds, and
  // taken at once it is drawn in the same frame as the control that
  // changed. A larger one arrives later; the wait costs no more than that.
  if (wasIdle) driver_->SettleWithin(kInlineGrowthWait);
}

void MainWindow::RefreshCounts() {
  const vh::MeshObject& shown = billboard_ != nullptr ? *billboard_ : session_.tree;
  viewControls_->ShowCounts(shown.PolygonCount(), shown.VertexCount(), shown.submeshes.size());
}

void MainWindow::GenerateTree() {
  if (BillboardMode()) return;
  RequestGrowth({});
}

void MainWindow::CancelLongTasks() {
  if (session_.buildingFromTree) session_.cancelRequested = true;
  driver_->Cancel();
}

bool MainWindow::AutoUpdate() const { return branches_->AutoUpdate(); }
void MainWindow::SetAutoUpdate(bool on) { branches_->SetAutoUpdate(on); }

void MainWindow::SetViewDirty() {
  viewDirty_ = true;
  if (view_ != nullptr) view_->RequestFrame();
}

void MainWindow::RenderFrameNow() {
  if (view_ != nullptr) view_->RenderFrameNow();
}

void MainWindow::TreeChanging() {
  if (view_ != nullptr) view_->TreeChanging();
}

bool MainWindow::WithViewContext(const std::function<void()>& work) {
  return view_ != nullptr && view_->WithContext(work);
}

bool MainWindow::ShowPlane() const { return viewControls_->ShowPlane(); }
bool MainWindow::WireframeTicked() const { return viewControls_->Wireframe(); }
void MainWindow::LoadLevelControls() { branches_->LoadLevelControls(); }
void MainWindow::StoreControls() { branches_->StoreControls(); }
void MainWindow::RepaintLeafEditor() { leaves_->RepaintEditor(); }

void MainWindow::GiveFocusBack() {
  QWidget* target = nullptr;
  switch (pages_->currentIndex()) {
    case 0: target = branches_->FocusTarget(); break;
    case 1: target = leaves_->FocusTarget(); break;
    case 2: target = texture_->FocusTarget(); break;
    default: break;
  }
  if (target != nullptr) target->setFocus();
}

void MainWindow::onStatusTimer() {
  QString text = Busy() ? QString(kGeneratingMessage) : QString();
  if (BillboardMode()) text = kBillboardMessage;
  if (status_->text() != text) status_->setText(text);
}

bool MainWindow::HandleWindowKey(int key) {
  switch (key) {
    case Qt::Key_Escape:
      CancelLongTasks();
      return true;
    case Qt::Key_Down:
      camera_.position -= kArrowStep * camera_.forward;
      SetViewDirty();
      return true;
    case Qt::Key_Up:
      camera_.position += kArrowStep * camera_.forward;
      SetViewDirty();
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
      // No control acts on these: sliders never move from the keyboard and
      // the edit fields take typed characters and Backspace only.
      return true;
    default:
      break;
  }
  return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == viewSurface_ && event->type() == QEvent::Resize) {
    camera_.viewportWidth = viewSurface_->width();
    camera_.viewportHeight = viewSurface_->height();
    SetViewDirty();
    return false;
  }
  if (event->type() == QEvent::Wheel) {
    auto* slider = qobject_cast<QSlider*>(watched);
    if (slider != nullptr && slider->window() == this && !slider->hasFocus()) {
      // A wheel turned over the pages scrolls them instead of moving (and
      // regenerating with) whichever slider passes under the pointer; a
      // slider takes wheel steps once the user gave it the focus. Ignored,
      // the event travels on to the page's scroll area.
      event->ignore();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == this) {
      // Only the keys HandleWindowKey acts on are kept from the focused
      // control, so they are handled once even though a key that is not
      // consumed travels on to the control's parents.
      return HandleWindowKey(static_cast<QKeyEvent*>(event)->key());
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!document_->ConfirmDiscard()) {
    event->ignore();
    return;
  }
  // A running generation stops at its next branch; the window closes.
  CancelLongTasks();
  event->accept();
  QCoreApplication::quit();
}
