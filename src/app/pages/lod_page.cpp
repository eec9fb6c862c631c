#include "app/pages/lod_page.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/document/local_path.h"
#include "app/document/tree_document.h"
#include "app/viewport/offscreen_context.h"
#include "app/viewport/view_context.h"
#include "app/widgets/file_dialogs.h"
#include "app/widgets/labelled_slider.h"
#include "app/widgets/message_box.h"
#include "app/widgets/named_button.h"
#include "billboard/billboard_settings.h"
#include "billboard/lod_chain.h"
#include "fileio/export_formats.h"
#include "tree/tree.h"

namespace {
const char* const kBuildingCloud = "Building the billboard cloud, please wait... (ESC to cancel)";
const char* const kBuildingChain = "Building the LOD chain, please wait... (ESC to cancel)";

// The formats that carry a chain of levels (glTF), in the export dialog's order.
std::vector<vh::ExportFormatEntry> ChainFormats() {
  std::vector<vh::ExportFormatEntry> formats;
  for (const vh::ExportFormatEntry& entry : vh::ExportFormats())
    if (entry.carriesScene) formats.push_back(entry);
  return formats;
}

// A slider over the range of a billboard setting, at its default.
QSlider* AddSettingSlider(QGridLayout* grid, int row, const char* caption, const char* name,
                          vh::BillboardSetting setting) {
  const vh::BillboardSettingField& field = vh::FieldOf(setting);
  return AddLabelledSlider(grid, row, caption, name, field.accepted.minimum, field.accepted.maximum,
                           field.Initial());
}

// The format of the chain dialog's filter `index`.
vh::ExportFormat ChainFormat(const std::vector<vh::ExportFormatEntry>& formats, int index) {
  return formats[static_cast<std::size_t>(std::clamp<int>(index, 0, static_cast<int>(formats.size()) - 1))]
      .format;
}

// The levels of a chain: the tree, its two reductions and the cards.
constexpr std::size_t kChainLevels = 4;

}  // namespace

LodPage::LodPage(TreeDocument& document, ViewContext& view, QWidget* parent)
    : QWidget(parent), m_document(document), m_view(view) {
  setObjectName("TabSheet4");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 4, 2, 4);

  auto* settings = new QWidget(this);
  auto* grid = new QGridLayout(settings);
  m_count = AddSettingSlider(grid, 0, "Nb of billboards :", "TrackBar18", vh::BillboardSetting::kCount);
  m_precision = AddSettingSlider(grid, 1, "Precision :", "TrackBar19", vh::BillboardSetting::kPrecision);
  layout->addWidget(settings);

  m_favourVertical = new QCheckBox("Favour vertical planes", this);
  m_favourVertical->setObjectName("CheckBox10");
  m_favourVertical->setChecked(vh::FieldOf(vh::BillboardSetting::kFavourVertical).Initial() != 0);
  layout->addWidget(m_favourVertical);

  auto* radioGroup = new QGroupBox("Geometry vs Billboards", this);
  radioGroup->setObjectName("RadioGroup1");
  auto* radioLayout = new QVBoxLayout(radioGroup);
  // Narrow margins: the first item's caption is about as wide as the page.
  radioLayout->setContentsMargins(2, 4, 2, 4);
  m_mode = new QButtonGroup(radioGroup);
  const char* const items[] = {"Geometry for branches, billboards for leaves",
                               "Billboards for branches and leaves"};
  for (int i = 0; i < 2; ++i) {
    auto* item = new QRadioButton(items[i], radioGroup);
    item->setObjectName(QString("RadioGroup1Item%1").arg(i));
    item->setChecked(i == vh::FieldOf(vh::BillboardSetting::kMode).Initial());
    m_mode->addButton(item, i);
    radioLayout->addWidget(item);
  }
  layout->addWidget(radioGroup);

  auto* textures = new QWidget(this);
  auto* textureGrid = new QGridLayout(textures);
  m_resolution = AddSettingSlider(textureGrid, 0, "Texture Resolution :", "TrackBar20",
                                  vh::BillboardSetting::kTextureResolution);
  m_resolutionValue = new QLabel(textures);
  m_resolutionValue->setObjectName("Label58");
  textureGrid->addWidget(m_resolutionValue, 0, 2);
  m_quality = AddSettingSlider(textureGrid, 1, "Texture Quality :", "TrackBar21",
                               vh::BillboardSetting::kTextureQuality);
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
  auto* chainSettings = new QWidget(this);
  auto* chainGrid = new QGridLayout(chainSettings);
  chainGrid->setContentsMargins(0, 0, 0, 0);
  const auto addShare = [this, chainSettings, chainGrid](int row, const char* caption, const char* name,
                                                         int value) {
    auto* box = new QSpinBox(chainSettings);
    box->setObjectName(name);
    box->setRange(1, 100);
    box->setSuffix(" %");
    box->setValue(value);
    box->setToolTip("The most this level keeps of the tree's triangles");
    chainGrid->addWidget(new QLabel(caption, chainSettings), row, 0);
    chainGrid->addWidget(box, row, 1);
    return box;
  };
  m_firstShare = addShare(0, "LOD1 triangles :", "LodFirstShare", 40);
  m_secondShare = addShare(1, "LOD2 triangles :", "LodSecondShare", 15);
  m_chainLayout = new QComboBox(chainSettings);
  m_chainLayout->setObjectName("LodLayout");
  // In the order of vh::LodLayout.
  m_chainLayout->addItems(
      {"One file, LOD0 in its scene", "One file, every level in its scene", "One file per level"});
  // The page keeps its width: the box asks for little, and on a row of its
  // own under its caption it gets the page's whole width, where its items
  // show whole.
  m_chainLayout->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_chainLayout->setMinimumContentsLength(12);
  m_chainLayout->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  m_chainLayout->setToolTip(
      "One file, LOD0 in its scene: engines switch levels by MSFT_lod, other readers show one tree.\n"
      "Every level in its scene: for tools that gather levels by their _LODn names.\n"
      "One file per level: tree_LOD0.glb, tree_LOD1.glb, ... for modelling programs.");
  chainGrid->addWidget(new QLabel("Layout :", chainSettings), 2, 0);
  chainGrid->addWidget(m_chainLayout, 3, 0, 1, 2);
  layout->addWidget(chainSettings);
  auto* exportChain = NamedButton(this, "ExportLodChain", "Export LOD chain...");
  layout->addWidget(exportChain);
  layout->addStretch(1);

  m_progress = new QProgressBar(this);
  m_progress->setObjectName("ProgressBar1");
  m_progress->setRange(0, 100);
  m_progress->setValue(0);
  layout->addWidget(m_progress);

  connect(create, &QToolButton::clicked, this, &LodPage::onCreateCloudClicked);
  connect(destroy, &QToolButton::clicked, this, &LodPage::onDestroyCloudClicked);
  connect(m_resolution, &QSlider::valueChanged, this, &LodPage::onResolutionChanged);
  connect(exportChain, &QToolButton::clicked, this, &LodPage::ExportLodChain);
  onResolutionChanged();
}

vh::BillboardSettings LodPage::Settings() const {
  vh::BillboardSettings settings;
  settings.billboardCount = m_count->value();
  settings.precision = m_precision->value();
  settings.favourVertical = m_favourVertical->isChecked();
  settings.mode = static_cast<vh::BillboardMode>(m_mode->checkedId());
  settings.textureResolution = m_resolution->value();
  settings.textureQuality = m_quality->value();
  return settings;
}

vh::LodChainOptions LodPage::ChainOptions() const {
  vh::LodChainOptions options;
  options.firstShare = m_firstShare->value() / 100.0;
  options.secondShare = m_secondShare->value() / 100.0;
  options.textureResolution = m_resolution->value();
  return options;
}

void LodPage::onResolutionChanged() {
  m_resolutionValue->setText(QString::number(1 << m_resolution->value()));
}

bool LodPage::ShowProgress(int percent) {
  m_progress->setValue(percent);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return !m_document.CancelRequested();
}

void LodPage::onCreateCloudClicked() {
  // A generation or another build is running: its tree must not change.
  if (m_document.Busy()) return;
  m_document.DestroyBillboard();
  m_document.ReleaseBillboardImages();

  vh::Tree& tree = m_document.CurrentTree();
  vh::BillboardCloud cloud;
  const QString failure = RunWhileBusy(kBuildingCloud, [&] {
    cloud = vh::CreateBillboardCloud(tree, Settings(), m_document.Picker(),
                                     ViewContextBillboardRenderer(m_view, m_document, tree),
                                     [this](int percent) { return ShowProgress(percent); });
  });
  if (!failure.isEmpty()) {
    ShowWarning(window(), failure);
    return;
  }
  if (cloud.mesh == nullptr) return;  // cancelled: the tree stays as it was
  // The view uploads the cloud's texture and draws it instead of the tree.
  m_document.SetBillboard(std::move(cloud));
}

QString LodPage::RunWhileBusy(const char* status, const std::function<void()>& work) {
  // Edits are locked while a cloud or chain is built: the events processed
  // in between may not regrow or replace the tree, and Escape stops the
  // build. The view keeps its last frame meanwhile, and the status line
  // says what is built.
  m_document.BeginBuildFromTree(status);
  QString failure;
  try {
    work();
  } catch (const std::exception& error) {
    failure = QString::fromStdString(error.what());
  }
  m_document.EndBuildFromTree();
  m_progress->setValue(0);
  return failure;
}

void LodPage::onDestroyCloudClicked() {
  if (m_document.Busy()) return;
  m_document.DestroyBillboard();
}

void LodPage::ExportLodChain() {
  if (m_document.Busy()) return;
  if (m_secondShare->value() > m_firstShare->value()) {
    ShowMessage(window(), "LOD2 cannot keep more of the tree's triangles than LOD1.");
    return;
  }
  const std::vector<vh::ExportFormatEntry> formats = ChainFormats();
  FileRequest request;
  request.kind = FileRequest::Kind::kSave;
  request.parent = window();
  request.title = "Export LOD chain";
  for (const vh::ExportFormatEntry& entry : formats)
    request.filter += (request.filter.isEmpty() ? "" : "|") + QString::fromUtf8(entry.filter);
  request.initialName = m_chainName;
  request.initialFilter = m_chainFilter;
  request.askScale = true;
  request.initialScale = m_chainScale;
  // A document whose wind is on exports swaying; one without exports as it always has.
  request.askWind = true;
  request.initialWind = m_document.Params().wind.enabled;
  const auto layout = static_cast<vh::LodLayout>(m_chainLayout->currentIndex());
  request.writtenFiles = [&formats, layout](const QString& chosen, int filter) {
    const vh::ExportFormat format = ChainFormat(formats, filter);
    QStringList files;
    for (const std::string& file :
         vh::ChainFileNames(vh::ExportFileName(LocalPath(chosen), format), kChainLevels, layout))
      files << FromLocalPath(file);
    return files;
  };
  const std::optional<FileChoice> choice = RunFileDialog(request);
  if (!choice) return;
  m_chainName = choice->fileName;
  m_chainFilter = choice->filterIndex;
  m_chainScale = choice->scale;
  const vh::ExportFormat format = ChainFormat(formats, choice->filterIndex);
  const std::string path = vh::ExportFileName(LocalPath(choice->fileName), format);

  const vh::Tree& tree = m_document.CurrentTree();
  const vh::WindExport wind = choice->wind ? vh::SwayingExport(m_document.Params().wind) : vh::WindExport();
  std::vector<std::string> written;
  const QString failure = RunWhileBusy(kBuildingChain, [&] {
    const vh::LodChain chain = vh::BuildLodChain(
        tree, ChainOptions(),
        [this](const vh::MeshObject& mesh) { return ViewContextLodPictures(m_view, mesh); },
        [this](int percent) { return ShowProgress(percent); });
    if (chain.levels.empty()) return;  // cancelled
    vh::WriteChain(format, chain, m_document.Pictures(), choice->scale, layout, path, wind);
    written = vh::ChainFileNames(path, chain.levels.size(), layout);
  });
  if (!failure.isEmpty()) {
    ShowWarning(window(), failure);
  } else if (!written.empty()) {
    QStringList names;
    for (const std::string& file : written) names << QFileInfo(FromLocalPath(file)).fileName();
    emit chainExported(QString("LOD chain exported to %1").arg(names.join(", ")));
  }
}
