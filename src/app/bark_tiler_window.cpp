#include "app/bark_tiler_window.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/bark_tiler_view.h"
#include "app/dialog_filters.h"
#include "app/file_dialogs.h"
#include "app/local_path.h"
#include "app/message_box.h"
#include "app/palette.h"
#include "app/qt_image.h"
#include "app/named_button.h"
#include "imaging/picture_file.h"
#include "imaging/picture_io.h"
#include "imaging/stretch.h"

namespace {
// The blank photograph the window starts with.
constexpr int kBlankSourceWidth = 896;
constexpr int kBlankSourceHeight = 618;
constexpr int kControlPanelHeight = 214;  // Panel1
constexpr int kSourcePanelWidth = 408;    // Panel3
constexpr int kButtonPanelHeight = 37;    // Panel6, Panel7
const char* const kGenerateCaption = "Generate !";
const char* const kCancelCaption = "Cancel";
const char* const kNothingToSave =
    "There is no bark tile to save: the crop is smaller than 2 x 2 pixels.";

// A crop bound in pixels: side * percent * 0.01, the integer product first,
// truncated (the same rule as the tiler's crop).
int CropBound(int side, int percent) {
  return static_cast<int>(static_cast<double>(static_cast<long long>(side) * percent) * 0.01);
}

QSlider* MakeSlider(QWidget* parent, const char* name, int minimum, int maximum, int position) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(name);
  slider->setRange(minimum, maximum);
  slider->setValue(position);
  slider->setSingleStep(1);
  slider->setTickInterval(10);
  slider->setTickPosition(QSlider::TicksBelow);
  return slider;
}

QToolButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = NamedButton(parent, name, caption);
  button->setMinimumWidth(90);
  return button;
}

QFrame* MakePanel(QWidget* parent, const char* name) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  return panel;
}

// A panel holding one button, along the bottom of a picture column.
QFrame* MakeButtonPanel(QWidget* parent, const char* name, QToolButton* button) {
  QFrame* panel = MakePanel(parent, name);
  panel->setFixedHeight(kButtonPanelHeight);
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(6, 4, 6, 4);
  button->setParent(panel);
  layout->addWidget(button);
  layout->addStretch(1);
  return panel;
}

QString ToQString(const char* text) { return QString::fromLocal8Bit(text); }

// Runs OpenPictureDialog1 or SavePictureDialog1, starting from the name
// last chosen in it, which it then remembers; an empty name when cancelled.
QString AskPictureName(QWidget* parent, FileRequest::Kind kind, QString& lastName) {
  FileRequest request;
  request.kind = kind;
  request.parent = parent;
  request.initialName = lastName;
  // Both dialogs of the window offer the same list: the pictures the
  // program reads and writes, JPEG and BMP.
  request.filter = kOpenPictureFilter;
  const std::optional<FileChoice> choice = RunFileDialog(request);
  if (!choice) return QString();
  lastName = choice->fileName;
  return lastName;
}
}  // namespace

BarkTilerWindow::BarkTilerWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      source_(kBlankSourceWidth, kBlankSourceHeight) {
  setObjectName("Form4");
  setWindowTitle("Bark tiler");
  std::fill(source_.pixels.begin(), source_.pixels.end(), std::uint8_t{255});
  BuildLayout();
  resize(870, 600);
  move(198, 114);
  ShowSource();
  PreviewBarkTile();
}

void BarkTilerWindow::BuildLayout() {
  ApplyWindowColours(this);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  auto* pictures = new QHBoxLayout;
  pictures->setSpacing(0);

  // Each picture column: a framed panel whose inner area holds the view at
  // its top-left corner, above a panel with the column's button.
  const auto column = [this](const char* name, const char* viewPanelName, QFrame*& viewPanel,
                             PictureView*& view, const char* viewName, const char* buttonPanelName,
                             QToolButton* button) {
    QFrame* panel = MakePanel(this, name);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    viewPanel = MakePanel(panel, viewPanelName);
    viewPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    viewPanel->setLineWidth(1);
    view = new PictureView(viewPanel);
    view->setObjectName(viewName);
    layout->addWidget(viewPanel, 1);
    layout->addWidget(MakeButtonPanel(panel, buttonPanelName, button));
    return panel;
  };
  load_ = MakeButton(this, "SpeedButton1", "Load");
  save_ = MakeButton(this, "SpeedButton2", "Save");
  QFrame* panel3 = column("Panel3", "Panel5", panel5_, image1_, "Image1", "Panel6", load_);
  panel3->setFixedWidth(kSourcePanelWidth);
  pictures->addWidget(panel3);
  pictures->addWidget(column("Panel4", "Panel8", panel8_, image2_, "Image2", "Panel7", save_), 1);
  image2_->SetBorder(true);
  // The views follow the sizes of the panels that hold them (FitViews).
  panel5_->installEventFilter(this);
  panel8_->installEventFilter(this);
  outer->addLayout(pictures, 1);
  outer->addWidget(BuildControlPanel());

  connect(load_, &QToolButton::clicked, this, &BarkTilerWindow::onOpenPictureClicked);
  connect(save_, &QToolButton::clicked, this, &BarkTilerWindow::onSaveTileClicked);
  connect(generate_, &QToolButton::clicked, this, &BarkTilerWindow::onGenerateClicked);
  for (QSlider* crop : {cropX0_, cropX1_, cropY0_, cropY1_}) {
    connect(crop, &QSlider::valueChanged, this, &BarkTilerWindow::onCropChanged);
  }
  for (QCheckBox* option : {shadingRemoval_, symmetrize_, powerOfTwo_}) {
    connect(option, &QCheckBox::toggled, this, &BarkTilerWindow::onCropChanged);
  }
  // TrackBar1 has no handler: the strength is read by the next "Generate !".
}

QWidget* BarkTilerWindow::BuildControlPanel() {
  QFrame* panel1 = MakePanel(this, "Panel1");
  panel1->setFixedHeight(kControlPanelHeight);
  panel1->setAutoFillBackground(true);  // RGB (165, 216, 175), the window's colour
  auto* grid = new QGridLayout(panel1);
  grid->setContentsMargins(12, 10, 12, 6);
  grid->setHorizontalSpacing(10);

  const auto cropRow = [&](int row, const char* caption, const char* name, int minimum, int position) {
    grid->addWidget(new QLabel(caption, panel1), row, 0);
    QSlider* slider = MakeSlider(panel1, name, minimum, 100, position);
    grid->addWidget(slider, row, 1);
    return slider;
  };
  cropX0_ = cropRow(0, "Crop X0 :", "cropx0", 0, 0);
  cropX1_ = cropRow(1, "Crop X1 :", "cropx1", 1, 100);
  cropY0_ = cropRow(2, "Crop Y0 :", "cropy0", 0, 0);
  cropY1_ = cropRow(3, "Crop Y1 :", "cropy1", 1, 100);

  const auto checkBox = [panel1](const char* name, const char* caption) {
    auto* box = new QCheckBox(caption, panel1);
    box->setObjectName(name);
    return box;
  };
  shadingRemoval_ = checkBox("CheckBox1", "Shading removal");
  strength_ = MakeSlider(panel1, "TrackBar1", 1, 100, 12);
  symmetrize_ = checkBox("CheckBox2", "Symetrize");
  powerOfTwo_ = checkBox("CheckBox3", "Make power of 2");
  generate_ = MakeButton(panel1, "SpeedButton3", kGenerateCaption);
  grid->addWidget(shadingRemoval_, 0, 3);
  grid->addWidget(strength_, 0, 4);
  grid->addWidget(symmetrize_, 1, 3);
  grid->addWidget(powerOfTwo_, 2, 3);
  grid->addWidget(generate_, 3, 3);
  grid->setColumnMinimumWidth(2, 20);
  grid->setColumnStretch(1, 3);
  grid->setColumnStretch(4, 2);

  progress_ = new QProgressBar(panel1);
  progress_->setObjectName("ProgressBar1");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  grid->setRowStretch(4, 1);
  grid->addWidget(progress_, 5, 0, 1, 5);
  return panel1;
}

vh::BarkTileOptions BarkTilerWindow::Options() const {
  vh::BarkTileOptions options;
  options.x0 = cropX0_->value();
  options.x1 = cropX1_->value();
  options.y0 = cropY0_->value();
  options.y1 = cropY1_->value();
  options.shadingRemoval = shadingRemoval_->isChecked();
  options.strength = strength_->value();
  options.symmetrize = symmetrize_->isChecked();
  options.powerOfTwo = powerOfTwo_->isChecked();
  return options;
}

void BarkTilerWindow::onCropChanged() {
  if (generating_) return;  // the controls are locked; a programmatic change waits
  PreviewBarkTile();
}

void BarkTilerWindow::PreviewBarkTile() {
  const vh::BarkTileOptions options = Options();
  try {
    result_ = vh::CropBarkPicture(source_, vh::ComputeBarkCrop(source_.width, source_.height, options));
  } catch (const vh::BarkTileError&) {
    // A crop under 2 x 2 pixels has no preview; "Generate !" and "Save"
    // say why when they are clicked.
    result_ = vh::Image();
  }
  CropMarks marks;
  marks.left = CropBound(source_.width, options.x0);
  marks.right = CropBound(source_.width, options.x1);
  marks.top = CropBound(source_.height, options.y0);
  marks.bottom = CropBound(source_.height, options.y1);
  image1_->SetCropMarks(marks);
  ShowResult();
}

void BarkTilerWindow::ShowSource() {
  image1_->SetPicture(ToQImage(source_));
  FitViews();
}

void BarkTilerWindow::ShowResult() {
  image2_->SetPicture(ToQImage(result_));
  FitViews();
}

void BarkTilerWindow::FitViews() {
  const auto fit = [](PictureView* view, const QFrame* panel, const vh::Image& picture) {
    const QSize size = FitViewSize(picture.width, picture.height, panel->width(), panel->height());
    view->setGeometry(QRect(panel->contentsRect().topLeft(), size));
  };
  fit(image1_, panel5_, source_);
  fit(image2_, panel8_, result_);
}

void BarkTilerWindow::onGenerateClicked() {
  if (generating_) {
    cancelRequested_ = true;
    return;
  }
  GenerateBarkTile();
}

void BarkTilerWindow::GenerateBarkTile() {
  const vh::BarkTileOptions options = Options();
  try {
    vh::ComputeBarkCrop(source_.width, source_.height, options);
  } catch (const vh::BarkTileError& error) {
    ShowWarning(this, ToQString(error.what()), windowTitle());
    return;
  }
  // R starts as the plain crop, which is what stays if the run is cancelled.
  PreviewBarkTile();
  SetGenerating(true);
  QString failure;
  try {
    vh::Image tile = vh::GenerateBarkTile(source_, options, [this](int percent) {
      progress_->setValue(percent);
      // Keeps the window painting and lets Escape or the button cancel.
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      return !cancelRequested_;
    });
    result_ = std::move(tile);
  } catch (const vh::BarkTileCancelled&) {
    // The plain crop stays.
  } catch (const std::exception& error) {
    failure = ToQString(error.what());
  }
  SetGenerating(false);
  ShowResult();
  if (!failure.isEmpty()) ShowWarning(this, failure, windowTitle());
}

void BarkTilerWindow::SetGenerating(bool on) {
  generating_ = on;
  cancelRequested_ = false;
  progress_->setValue(0);
  generate_->setText(on ? kCancelCaption : kGenerateCaption);
  for (QWidget* control : std::initializer_list<QWidget*>{cropX0_, cropX1_, cropY0_, cropY1_, shadingRemoval_,
                                                          strength_, symmetrize_, powerOfTwo_, load_, save_}) {
    control->setEnabled(!on);
  }
  // While the tiler runs, Escape in this window and the application's
  // quitting stop it.
  if (on) {
    QCoreApplication::instance()->installEventFilter(this);
  } else {
    QCoreApplication::instance()->removeEventFilter(this);
  }
}

bool BarkTilerWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && (watched == panel5_ || watched == panel8_)) {
    FitViews();
    return false;
  }
  if (!generating_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::Quit) {
    cancelRequested_ = true;
  } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == this) {
      cancelRequested_ = true;
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void BarkTilerWindow::closeEvent(QCloseEvent* event) {
  // Closing hides the window and keeps its pictures; a running generation
  // would go on unseen, so it stops.
  cancelRequested_ = true;
  event->accept();
}

void BarkTilerWindow::onOpenPictureClicked() {
  if (generating_) return;
  const QString name = AskPictureName(this, FileRequest::Kind::kOpen, lastOpenName_);
  if (name.isEmpty()) return;
  // Into a fresh picture first: a file that cannot be read leaves the
  // window's pictures as they were.
  vh::Image picture;
  try {
    picture = vh::ToRGB(vh::LoadPicture(LocalPath(name)));
  } catch (const vh::PictureError& error) {
    ShowWarning(this, ToQString(error.what()), windowTitle());
    return;
  } catch (const std::exception& error) {
    ShowWarning(this, QString("%1: %2").arg(name, ToQString(error.what())), windowTitle());
    return;
  }
  source_ = std::move(picture);
  ShowSource();
  PreviewBarkTile();
}

void BarkTilerWindow::onSaveTileClicked() {
  if (generating_) return;
  if (result_.Empty()) {
    ShowMessage(this, kNothingToSave, windowTitle());
    return;
  }
  const QString name = AskPictureName(this, FileRequest::Kind::kSave, lastSaveName_);
  if (name.isEmpty()) return;
  try {
    vh::SavePicture(LocalPath(name), result_);
  } catch (const std::exception& error) {
    ShowWarning(this, ToQString(error.what()), windowTitle());
  }
}
