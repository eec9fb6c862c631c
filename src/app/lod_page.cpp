#include "app/lod_page.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/editor_host.h"
#include "app/file_dialogs.h"
#include "app/file_flows.h"
#include "app/labelled_slider.h"
#include "app/local_path.h"
#include "app/message_box.h"
#include "app/offscreen_context.h"
#include "app/named_button.h"
#include "billboard/lod_chain.h"
#include "fileio/export_formats.h"
#include "tree/tree.h"
#include "view/billboard_texture.h"

namespace {
// The formats that carry a chain of levels (glTF), in the export dialog's order.
std::vector<vh::ExportFormatEntry> ChainFormats() {
  std::vector<vh::ExportFormatEntry> formats;
  for (const vh::ExportFormatEntry& entry : vh::ExportFormats())
    if (entry.carriesScene) formats.push_back(entry);
  return formats;
}

// Keeps the 3-D view on its last frame while the cloud is built: the
// builder hides all of the tree but one cluster at a time, which a frame
// drawn in between (the window was uncovered, the camera turned) would show.
class FrozenView {
 public:
  explicit FrozenView(QWidget* window) : view_(window->findChild<QWidget*>("StaticText1")) {
    if (view_ != nullptr) view_->setUpdatesEnabled(false);
  }
  ~FrozenView() {
    if (view_ != nullptr) view_->setUpdatesEnabled(true);
  }
  FrozenView(const FrozenView&) = delete;
  FrozenView& operator=(const FrozenView&) = delete;

 private:
  QWidget* view_;
};
}  // namespace

LodPage::LodPage(EditorHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName("TabSheet4");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 4, 2, 4);

  auto* settings = new QWidget(this);
  auto* grid = new QGridLayout(settings);
  count_ = AddLabelledSlider(grid, 0, "Nb of billboards :", "TrackBar18", 1, 100, 10);
  precision_ = AddLabelledSlider(grid, 1, "Precision :", "TrackBar19", 1, 500, 50);
  layout->addWidget(settings);

  favourVertical_ = new QCheckBox("Favour vertical planes", this);
  favourVertical_->setObjectName("CheckBox10");
  layout->addWidget(favourVertical_);

  auto* radioGroup = new QGroupBox("Geometry vs Billboards", this);
  radioGroup->setObjectName("RadioGroup1");
  auto* radioLayout = new QVBoxLayout(radioGroup);
  // Narrow margins: the first item's caption is about as wide as the page.
  radioLayout->setContentsMargins(2, 4, 2, 4);
  mode_ = new QButtonGroup(radioGroup);
  const char* const items[] = {"Geometry for branches, billboards for leaves", "Billboards for branches and leaves"};
  for (int i = 0; i < 2; ++i) {
    auto* item = new QRadioButton(items[i], radioGroup);
    item->setObjectName(QString("RadioGroup1Item%1").arg(i));
    item->setChecked(i == 0);
    mode_->addButton(item, i);
    radioLayout->addWidget(item);
  }
  layout->addWidget(radioGroup);

  auto* textures = new QWidget(this);
  auto* textureGrid = new QGridLayout(textures);
  resolution_ = AddLabelledSlider(textureGrid, 0, "Texture Resolution :", "TrackBar20", 5, 12, 11);
  resolutionValue_ = new QLabel(textures);
  resolutionValue_->setObjectName("Label58");
  textureGrid->addWidget(resolutionValue_, 0, 2);
  quality_ = AddLabelledSlider(textureGrid, 1, "Texture Quality :", "TrackBar21", 1, 15, 7);
  layout->addWidget(textures);

  // One above the other: side by side the two captions do not fit the page.
  auto* buttons = new QVBoxLayout;
  auto* create = NamedButton(this, "SpeedButton22", "Create Billboard Cloud");
  auto* destroy = NamedButton(this, "SpeedButton23", "Destroy Billboard Cloud");
  for (QToolButton* button : {create, destroy}) {
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  auto* exportChain = NamedButton(this, "ExportLodChain", "Export LOD chain...");
  layout->addWidget(exportChain);
  layout->addStretch(1);

  progress_ = new QProgressBar(this);
  progress_->setObjectName("ProgressBar1");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  layout->addWidget(progress_);

  connect(create, &QToolButton::clicked, this, &LodPage::onCreateCloudClicked);
  connect(destroy, &QToolButton::clicked, this, &LodPage::onDestroyCloudClicked);
  connect(resolution_, &QSlider::valueChanged, this, &LodPage::onResolutionChanged);
  connect(exportChain, &QToolButton::clicked, this, &LodPage::ExportLodChain);
  onResolutionChanged();
}

vh::BillboardSettings LodPage::Settings() const {
  vh::BillboardSettings settings;
  settings.billboardCount = count_->value();
  settings.precision = precision_->value();
  settings.favourVertical = favourVertical_->isChecked();
  settings.mode = static_cast<vh::BillboardMode>(mode_->checkedId());
  settings.textureResolution = resolution_->value();
  settings.textureQuality = quality_->value();
  return settings;
}

void LodPage::onResolutionChanged() { resolutionValue_->setText(QString::number(1 << resolution_->value())); }

bool LodPage::ShowProgress(int percent) {
  progress_->setValue(percent);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return !host_.Session().cancelRequested;
}

void LodPage::onCreateCloudClicked() {
  // A generation or another build is running: its tree must not change.
  if (host_.Busy()) return;
  host_.DestroyBillboard();
  host_.ReleaseBillboardImages();

  vh::Tree& tree = host_.Session().tree;
  vh::BillboardCloud cloud;
  const QString failure = RunWhileBusy([&] {
    cloud = vh::CreateBillboardCloud(tree, Settings(), host_.Picker(), ViewContextBillboardRenderer(host_, tree),
                                     [this](int percent) { return ShowProgress(percent); });
  });
  if (!failure.isEmpty()) {
    ShowMessage(host_.DialogParent(), failure);
    return;
  }
  if (cloud.mesh == nullptr) return;  // cancelled: the tree stays as it was

  const vh::Image& colour = cloud.colourTexture;
  host_.WithViewContext([&colour] { vh::UploadBillboardTexture(colour); });
  host_.SetBillboard(std::move(cloud));
}

QString LodPage::RunWhileBusy(const std::function<void()>& work) {
  // Edits are locked while a cloud or chain is built: the events processed
  // in between may not regrow or replace the tree, and Escape stops the
  // build.
  EditingSession& session = host_.Session();
  session.buildingFromTree = true;
  session.cancelRequested = false;
  host_.TreeChanging();
  QString failure;
  try {
    const FrozenView frozen(window());
    work();
  } catch (const std::exception& error) {
    failure = QString::fromStdString(error.what());
  }
  session.buildingFromTree = false;
  session.cancelRequested = false;
  progress_->setValue(0);
  // Every tree submesh may have been drawn hidden and shown again.
  host_.SetViewDirty();
  return failure;
}

void LodPage::onDestroyCloudClicked() {
  if (host_.Busy()) return;
  host_.DestroyBillboard();
}

void LodPage::ExportLodChain() {
  if (host_.Busy()) return;
  const std::vector<vh::ExportFormatEntry> formats = ChainFormats();
  FileRequest request;
  request.kind = FileRequest::Kind::kSave;
  request.parent = host_.DialogParent();
  for (const vh::ExportFormatEntry& entry : formats)
    request.filter += (request.filter.isEmpty() ? "" : "|") + QString::fromUtf8(entry.filter);
  request.initialName = chainName_;
  request.initialFilter = chainFilter_;
  request.askScale = true;
  request.initialScale = chainScale_;
  const std::optional<FileChoice> choice = RunFileDialog(request);
  if (!choice) return;
  chainName_ = choice->fileName;
  chainFilter_ = choice->filterIndex;
  chainScale_ = choice->scale;
  const vh::ExportFormat format =
      formats[static_cast<std::size_t>(std::clamp<int>(choice->filterIndex, 0, static_cast<int>(formats.size()) - 1))]
          .format;
  const std::string path = vh::ExportFileName(LocalPath(choice->fileName), format);

  const EditingSession& session = host_.Session();
  const vh::Tree& tree = session.tree;
  const QString failure = RunWhileBusy([&] {
    const vh::LodChain chain = vh::BuildLodChain(
        tree, Settings(), host_.Picker(),
        [this](vh::MeshObject& mesh) { return ViewContextBillboardRenderer(host_, mesh); },
        [this](int percent) { return ShowProgress(percent); });
    if (!chain.levels.empty()) vh::WriteExport(format, vh::ChainScene(chain, TreePictures(session), choice->scale), path);
  });
  if (!failure.isEmpty()) ShowMessage(host_.DialogParent(), failure);
}
