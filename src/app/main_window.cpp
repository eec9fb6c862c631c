#include "app/main_window.h"

#include <algorithm>

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
constexpr qint64 kPumpIntervalMs = 8;  // longest pause between event passes while generating
constexpr float kArrowStep = 10.0f;  // eye movement per arrow key, in units of `forward`
constexpr int kPanel3Width = 153;
constexpr int kPanel2Width = 308;
// The smallest 3-D view still worth looking through; with the panels' own
// minimum sizes it sets the window's minimum size.
constexpr QSize kMinimumViewSize(200, 150);
const char* const kGeneratingMessage = "Tree is generating, please wait... (ESC to cancel)      ";
const char* const kBillboardMessage =
    "You are in BillBoard mode - please delete your billboard to continue editing the tree";
}  // namespace

MainWindow::MainWindow(GlAvailability gl, QWidget* parent) : QMainWindow(parent), glAvailability_(gl) {
  setObjectName("Form1");
  setWindowTitle("Verdanthollow v2.0");

  // No window exists yet: nothing to process events for while it grows.
  vh::Generate(session_.params, session_.GrowthOptions(), {}, session_.tree);
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
  qApp->removeEventFilter(this);
  // The view's context goes first, while the meshes whose display lists it
  // holds still exist.
  delete viewSurface_;
  viewSurface_ = nullptr;
  view_ = nullptr;
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

void MainWindow::PumpEvents() {
  if (pumpClock_.isValid() && pumpClock_.elapsed() < kPumpIntervalMs) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  pumpClock_.start();
}

bool MainWindow::Grow() {
  session_.cancelRequested = false;
  if (session_.busy) return false;  // refused: it only cleared a pending cancel
  // Generation processes events while it runs, so that the window stays
  // responsive and Escape can cancel. It calls back once per branch;
  // events are processed at most every few milliseconds, since each pass
  // may repaint the window, and a software renderer takes longer for that
  // than a small tree takes to grow.
  vh::GenerationControl control;
  control.cancel = &session_.cancelRequested;
  control.onBranch = [this] { PumpEvents(); };
  control.vertexBudget = session_.vertexBudget;
  // Clears the lock (and a pending cancel) however the generation ends.
  struct BusyScope {
    EditingSession& session;
    explicit BusyScope(EditingSession& s) : session(s) { session.busy = true; }
    ~BusyScope() {
      session.cancelRequested = false;
      session.busy = false;
    }
  } busy(session_);
  pumpClock_.start();  // a new generation: its first event pass after the interval
  vh::Generate(session_.params, session_.GrowthOptions(), control, session_.tree);
  return session_.tree.budgetExceeded;
}

void MainWindow::Generate() {
  if (Grow()) ShowMessage(this, TreeTooLargeMessage(session_.tree, session_.vertexBudget), "Tree too large");
}

void MainWindow::UpdateAfterChange() {
  if (BillboardMode()) return;
  if (!AutoUpdate()) return;
  Generate();  // returns at once when a generation already runs
  groundPlane_ = vh::BuildGroundPlane();
  session_.wireframe.groundPlane = WireframeTicked();
  SetViewDirty();
  RefreshCounts();
}

void MainWindow::RefreshCounts() {
  const vh::MeshObject& shown = billboard_ != nullptr ? *billboard_ : session_.tree;
  viewControls_->ShowCounts(shown.PolygonCount(), shown.VertexCount(), shown.submeshes.size());
}

void MainWindow::GenerateTree() {
  if (BillboardMode()) return;
  Generate();
  SetViewDirty();
}

bool MainWindow::AutoUpdate() const { return branches_->AutoUpdate(); }
void MainWindow::SetAutoUpdate(bool on) { branches_->SetAutoUpdate(on); }

void MainWindow::SetViewDirty() {
  viewDirty_ = true;
  if (view_ != nullptr) view_->update();
}

void MainWindow::RenderFrameNow() {
  if (view_ != nullptr) view_->RenderFrameNow();
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
  QString text = session_.busy ? QString(kGeneratingMessage) : QString();
  if (BillboardMode()) text = kBillboardMessage;
  if (status_->text() != text) status_->setText(text);
}

bool MainWindow::HandleWindowKey(int key) {
  switch (key) {
    case Qt::Key_Escape:
      session_.cancelRequested = true;
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
  session_.cancelRequested = true;
  event->accept();
  QCoreApplication::quit();
}
