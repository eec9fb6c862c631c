#include "app/bark_tiler/bark_tiler_window.h"

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

#include "app/bark_tiler/bark_tiler_view.h"
#include "app/document/local_path.h"
#include "app/widgets/dialog_filters.h"
#include "app/widgets/file_dialogs.h"
#include "app/widgets/message_box.h"
#include "app/widgets/named_button.h"
#include "app/widgets/palette.h"
#include "app/widgets/qt_image.h"
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
const char* const kNothingToSave = "There is no bark tile to save: the crop is smaller than 2 x 2 pixels.";

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
    : QWidget(parent, Qt::Window), m_source(kBlankSourceWidth, kBlankSourceHeight) {
  setObjectName("Form4");
  setWindowTitle("Bark tiler");
  std::fill(m_source.pixels.begin(), m_source.pixels.end(), std::uint8_t{255});
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
  m_load = MakeButton(this, "SpeedButton1", "Load");
  m_save = MakeButton(this, "SpeedButton2", "Save");
  QFrame* panel3 = column("Panel3", "Panel5", m_panel5, m_image1, "Image1", "Panel6", m_load);
  panel3->setFixedWidth(kSourcePanelWidth);
  pictures->addWidget(panel3);
  pictures->addWidget(column("Panel4", "Panel8", m_panel8, m_image2, "Image2", "Panel7", m_save), 1);
  m_image2->SetBorder(true);
  // The views follow the sizes of the panels that hold them (FitViews).
  m_panel5->installEventFilter(this);
  m_panel8->installEventFilter(this);
  outer->addLayout(pictures, 1);
  outer->addWidget(BuildControlPanel());

  connect(m_load, &QToolButton::clicked, this, &BarkTilerWindow::onOpenPictureClicked);
  connect(m_save, &QToolButton::clicked, this, &BarkTilerWindow::onSaveTileClicked);
  connect(m_generate, &QToolButton::clicked, this, &BarkTilerWindow::onGenerateClicked);
  for (QSlider* crop : {m_cropX0, m_cropX1, m_cropY0, m_cropY1}) {
    connect(crop, &QSlider::valueChanged, this, &BarkTilerWindow::onCropChanged);
  }
  for (QCheckBox* option : {m_shadingRemoval, m_symmetrize, m_powerOfTwo}) {
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
  m_cropX0 = cropRow(0, "Crop X0 :", "cropx0", 0, 0);
  m_cropX1 = cropRow(1, "Crop X1 :", "cropx1", 1, 100);
  m_cropY0 = cropRow(2, "Crop Y0 :", "cropy0", 0, 0);
  m_cropY1 = cropRow(3, "Crop Y1 :", "cropy1", 1, 100);

  const auto checkBox = [panel1](const char* name, const char* caption) {
    auto* box = new QCheckBox(caption, panel1);
    box->setObjectName(name);
    return box;
  };
  m_shadingRemoval = checkBox("CheckBox1", "Shading removal");
  m_strength = MakeSlider(panel1, "TrackBar1", 1, 100, 12);
  m_symmetrize = checkBox("CheckBox2", "Symetrize");
  m_powerOfTwo = checkBox("CheckBox3", "Make power of 2");
  m_generate = MakeButton(panel1, "SpeedButton3", kGenerateCaption);
  grid->addWidget(m_shadingRemoval, 0, 3);
  grid->addWidget(m_strength, 0, 4);
  grid->addWidget(m_symmetrize, 1, 3);
  grid->addWidget(m_powerOfTwo, 2, 3);
  grid->addWidget(m_generate, 3, 3);
  grid->setColumnMinimumWidth(2, 20);
  grid->setColumnStretch(1, 3);
  grid->setColumnStretch(4, 2);

  m_progress = new QProgressBar(panel1);
  m_progress->setObjectName("ProgressBar1");
  m_progress->setRange(0, 100);
  m_progress->setValue(0);
  m_progress->setTextVisible(false);
  grid->setRowStretch(4, 1);
  grid->addWidget(m_progress, 5, 0, 1, 5);
  return panel1;
}

vh::BarkTileOptions BarkTilerWindow::Options() const {
  vh::BarkTileOptions options;
  options.x0 = m_cropX0->value();
  options.x1 = m_cropX1->value();
  options.y0 = m_cropY0->value();
  options.y1 = m_cropY1->value();
  options.shadingRemoval = m_shadingRemoval->isChecked();
  options.strength = m_strength->value();
  options.symmetrize = m_symmetrize->isChecked();
  options.powerOfTwo = m_powerOfTwo->isChecked();
  return options;
}

void BarkTilerWindow::onCropChanged() {
  if (m_generating) return;  // the controls are locked; a programmatic change waits
  PreviewBarkTile();
}

void BarkTilerWindow::PreviewBarkTile() {
  const vh::BarkTileOptions options = Options();
  try {
    m_result = vh::CropBarkPicture(m_source, vh::ComputeBarkCrop(m_source.width, m_source.height, options));
  } catch (const vh::BarkTileError&) {
    // A crop under 2 x 2 pixels has no preview; "Generate !" and "Save"
    // say why when they are clicked.
    m_result = vh::Image();
  }
  CropMarks marks;
  marks.left = CropBound(m_source.width, options.x0);
  marks.right = CropBound(m_source.width, options.x1);
  marks.top = CropBound(m_source.height, options.y0);
  marks.bottom = CropBound(m_source.height, options.y1);
  m_image1->SetCropMarks(marks);
  ShowResult();
}

void BarkTilerWindow::ShowSource() {
  m_image1->SetPicture(ToQImage(m_source));
  FitViews();
}

void BarkTilerWindow::ShowResult() {
  m_image2->SetPicture(ToQImage(m_result));
  FitViews();
}

void BarkTilerWindow::FitViews() {
  const auto fit = [](PictureView* view, const QFrame* panel, const vh::Image& picture) {
    const QSize size = FitViewSize(picture.width, picture.height, panel->width(), panel->height());
    view->setGeometry(QRect(panel->contentsRect().topLeft(), size));
  };
  fit(m_image1, m_panel5, m_source);
  fit(m_image2, m_panel8, m_result);
}

void BarkTilerWindow::onGenerateClicked() {
  if (m_generating) {
    m_cancelRequested = true;
    return;
  }
  GenerateBarkTile();
}

void BarkTilerWindow::GenerateBarkTile() {
  const vh::BarkTileOptions options = Options();
  try {
    vh::ComputeBarkCrop(m_source.width, m_source.height, options);
  } catch (const vh::BarkTileError& error) {
    ShowWarning(this, ToQString(error.what()), windowTitle());
    return;
  }
  // R starts as the plain crop, which is what stays if the run is cancelled.
  PreviewBarkTile();
  SetGenerating(true);
  QString failure;
  try {
    vh::Image tile = vh::GenerateBarkTile(m_source, options, [this](int percent) {
      m_progress->setValue(percent);
      // Keeps the window painting and lets Escape or the button cancel.
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      return !m_cancelRequested;
    });
    m_result = std::move(tile);
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
  m_generating = on;
  m_cancelRequested = false;
  m_progress->setValue(0);
  m_generate->setText(on ? kCancelCaption : kGenerateCaption);
  for (QWidget* control :
       std::initializer_list<QWidget*>{m_cropX0, m_cropX1, m_cropY0, m_cropY1, m_shadingRemoval, m_strength,
                                       m_symmetrize, m_powerOfTwo, m_load, m_save}) {
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
  if (event->type() == QEvent::Resize && (watched == m_panel5 || watched == m_panel8)) {
    FitViews();
    return false;
  }
  if (!m_generating) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::Quit) {
    m_cancelRequested = true;
  } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == this) {
      m_cancelRequested = true;
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void BarkTilerWindow::closeEvent(QCloseEvent* event) {
  // Closing hides the window and keeps its pictures; a running generation
  // would go on unseen, so it stops.
  m_cancelRequested = true;
  event->accept();
}

void BarkTilerWindow::onOpenPictureClicked() {
  if (m_generating) return;
  const QString name = AskPictureName(this, FileRequest::Kind::kOpen, m_lastOpenName);
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
  m_source = std::move(picture);
  ShowSource();
  PreviewBarkTile();
}

void BarkTilerWindow::onSaveTileClicked() {
  if (m_generating) return;
  if (m_result.Empty()) {
    ShowMessage(this, kNothingToSave, windowTitle());
    return;
  }
  const QString name = AskPictureName(this, FileRequest::Kind::kSave, m_lastSaveName);
  if (name.isEmpty()) return;
  try {
    vh::SavePicture(LocalPath(name), m_result);
  } catch (const std::exception& error) {
    ShowWarning(this, ToQString(error.what()), windowTitle());
  }
}
