#include "app/pages/branches_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/document/tree_document.h"
#include "app/pages/control_edits.h"
#include "app/pages/new_seed_button.h"
#include "app/pages/parameter_page.h"
#include "app/pages/seed_field.h"
#include "app/widgets/flat_tabs.h"
#include "app/widgets/message_box.h"
#include "app/widgets/named_button.h"
#include "tree/parameter_table.h"

namespace {

using LP = vh::LevelParameters;

QLabel* Caption(const QString& text, QWidget* parent, const char* name = nullptr) {
  auto* label = new QLabel(text, parent);
  if (name != nullptr) label->setObjectName(name);
  return label;
}

QLabel* Heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

// A pair of "Constant" / "Inherit" radio buttons in their own container, so
// that each pair is exclusive on its own.
QWidget* RadioPair(const char* constantName, const char* inheritName, QRadioButton** constant,
                   QRadioButton** inherit, QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  *constant = new QRadioButton("Constant", box);
  (*constant)->setObjectName(constantName);
  *inherit = new QRadioButton("Inherit", box);
  (*inherit)->setObjectName(inheritName);
  (*inherit)->setChecked(true);
  layout->addWidget(*constant);
  layout->addWidget(*inherit);
  layout->addStretch(1);
  return box;
}

}  // namespace

BranchesPage::BranchesPage(TreeDocument& document, std::vector<ParameterPage*> otherPages, QWidget* parent)
    : QWidget(parent), m_document(document), m_otherPages(std::move(otherPages)) {
  setObjectName("TabSheet1");
  // The per-level controls: field, control name, value label name, unit.
  // Ranges come from the parameter table; widgets are made by BuildLayout.
  m_sliders = {
      {&LP::baseSize, "baseSize", "Label20", ""},
      {&LP::baseLength, "baseLength", "Label5", ""},
      {&LP::sizeDecrease, "sizeDecrease", "Label7", ""},
      {&LP::inflateDeflate, "TrackBar8", "Label33", ""},
      {&LP::twistingFreq, "twistingFreq", "Label9", ""},
      {&LP::twistingRad, "twistingRad", "Label11", "%"},
      {&LP::bendingUp, "bendingUp", "Label13", "%"},
      {&LP::noise, "noise", "Label15", "%"},
      {&LP::qualityAngle, "qualityAngle", "Label17", " points"},
      {&LP::qualityHeight, "qualityHeight", "Label19", " points"},
      {&LP::leafDensity, "TrackBar9", nullptr, ""},
      {&LP::leafScaling, "TrackBar10", nullptr, ""},
      {&LP::nbChildrenMin, "nbChildrenMin", "Label50", ""},
      {&LP::nbChildrenMax, "nbChildrenMax", "Label51", ""},
      {&LP::heightMin, "TrackBar3", nullptr, ""},
      {&LP::heightMax, "TrackBar2", nullptr, ""},
      {&LP::angleMin, "TrackBar5", "Label48", "\u00b0"},
      {&LP::angleMax, "TrackBar4", "Label49", "\u00b0"},
      {&LP::inclinationMin, "TrackBar6", "Label52", "\u00b0"},
      {&LP::inclinationMax, "TrackBar7", "Label53", "\u00b0"},
  };
  m_checks = {
      {&LP::attachToParent, "CheckBox9"},
      {&LP::heightRelative, "CheckBox2"},
      {&LP::angleRelative, "CheckBox1"},
      {&LP::inclinationRelative, "CheckBox3"},
  };
  BuildLayout();
}

BranchesPage::LevelSlider& BranchesPage::Slider(int LP::*field) {
  for (LevelSlider& entry : m_sliders) {
    if (entry.field == field) return entry;
  }
  Q_ASSERT_X(false, "BranchesPage::Slider", "no per-level slider for that field");
  return m_sliders.front();
}

BranchesPage::LevelCheck& BranchesPage::Check(bool LP::*field) {
  for (LevelCheck& entry : m_checks) {
    if (entry.field == field) return entry;
  }
  Q_ASSERT_X(false, "BranchesPage::Check", "no per-level check box for that field");
  return m_checks.front();
}

QSlider* BranchesPage::AddSliderRow(QGridLayout* grid, int row, QLabel* caption, LevelSlider& entry) {
  QWidget* owner = grid->parentWidget();
  const vh::ControlRange& range = vh::FieldOf(entry.field).control;
  auto* slider = new QSlider(Qt::Horizontal, owner);
  slider->setObjectName(entry.name);
  slider->setRange(range.minimum, range.maximum);
  slider->setValue(range.initial);
  entry.slider = slider;
  grid->addWidget(caption, row, 0);
  grid->addWidget(slider, row, 1);
  if (entry.labelName != nullptr) {
    entry.label = Caption(QString(), owner, entry.labelName);
    entry.label->setMinimumWidth(52);
    grid->addWidget(entry.label, row, 2);
  }
  return slider;
}

void BranchesPage::BuildLayout() {
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(4, 4, 4, 4);

  // "Nb Levels :" strip.
  auto* levelsStrip = new QHBoxLayout;
  levelsStrip->addWidget(Caption("Nb Levels :", this));
  const vh::ControlRange& levels = vh::FieldOf(&vh::TreeParameters::lastParentLevel).control;
  m_nbLevels = new QSlider(Qt::Horizontal, this);
  m_nbLevels->setObjectName("TrackBar1");
  m_nbLevels->setRange(levels.minimum, levels.maximum);
  m_nbLevels->setValue(levels.initial);
  levelsStrip->addWidget(m_nbLevels, 1);
  m_nbLevelsLabel = Caption("4", this, "Label2");
  m_nbLevelsLabel->setMinimumWidth(20);
  levelsStrip->addWidget(m_nbLevelsLabel);
  page->addLayout(levelsStrip);

  m_levelTabs = new FlatTabBar(4, 23, this);
  m_levelTabs->setObjectName("TabControl1");
  page->addWidget(m_levelTabs);

  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("ScrollBox1");
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* content = new QWidget(scroll);
  auto* contentLayout = new QVBoxLayout(content);
  contentLayout->setContentsMargins(0, 0, 0, 0);

  // "Branch shape :" panel.
  auto* shape = new QWidget(content);
  shape->setObjectName("Panel4");
  auto* shapeGrid = new QGridLayout(shape);
  shapeGrid->setVerticalSpacing(1);
  int row = 0;
  shapeGrid->addWidget(Heading("Branch shape :", shape), row++, 0, 1, 3);
  m_widthCaption = Caption("Trunk width", shape, "Label4");
  AddSliderRow(shapeGrid, row++, m_widthCaption, Slider(&LP::baseSize));
  shapeGrid->addWidget(RadioPair("RadioButton1", "RadioButton2", &m_sizeConstant, &m_sizeInherit, shape),
                       row++, 1, 1, 2);
  m_lengthCaption = Caption("Trunk length", shape, "Label21");
  AddSliderRow(shapeGrid, row++, m_lengthCaption, Slider(&LP::baseLength));
  shapeGrid->addWidget(RadioPair("RadioButton3", "RadioButton4", &m_lengthConstant, &m_lengthInherit, shape),
                       row++, 1, 1, 2);
  AddSliderRow(shapeGrid, row++, Caption("Increase taper :", shape), Slider(&LP::sizeDecrease));
  AddSliderRow(shapeGrid, row++, Caption("Inflate/Deflate :", shape), Slider(&LP::inflateDeflate));
  AddSliderRow(shapeGrid, row++, Caption("Twisting freq. :", shape), Slider(&LP::twistingFreq));
  AddSliderRow(shapeGrid, row++, Caption("Twisting radius :", shape), Slider(&LP::twistingRad));
  m_bendingCaption = Caption("Bending :", shape, "Label12");
  AddSliderRow(shapeGrid, row++, m_bendingCaption, Slider(&LP::bendingUp));
  AddSliderRow(shapeGrid, row++, Caption("Noise :", shape), Slider(&LP::noise));
  Check(&LP::attachToParent).box = new QCheckBox("Attach to parent", shape);
  shapeGrid->addWidget(Check(&LP::attachToParent).box, row++, 0, 1, 3);
  AddSliderRow(shapeGrid, row++, Caption("Quality (angle) :", shape), Slider(&LP::qualityAngle));
  AddSliderRow(shapeGrid, row++, Caption("Quality (height) :", shape), Slider(&LP::qualityHeight));
  shapeGrid->addWidget(Heading("Leaves ;", shape), row++, 0, 1, 3);
  AddSliderRow(shapeGrid, row++, Caption("Density :", shape), Slider(&LP::leafDensity));
  AddSliderRow(shapeGrid, row++, Caption("Scaling :", shape), Slider(&LP::leafScaling));
  contentLayout->addWidget(shape);

  // "Children positioning :" panel.
  auto* children = new QWidget(content);
  children->setObjectName("Panel5");
  auto* childGrid = new QGridLayout(children);
  childGrid->setVerticalSpacing(1);
  row = 0;
  childGrid->addWidget(Heading("Children positioning :", children), row++, 0, 1, 3);
  AddSliderRow(childGrid, row++, Caption("Nb of children (min) :", children), Slider(&LP::nbChildrenMin));
  AddSliderRow(childGrid, row++, Caption("Nb of children (max) :", children), Slider(&LP::nbChildrenMax));
  AddSliderRow(childGrid, row++, Caption("Height (min) :", children), Slider(&LP::heightMin));
  AddSliderRow(childGrid, row++, Caption("Height (max) :", children), Slider(&LP::heightMax));
  Check(&LP::heightRelative).box = new QCheckBox("Height relative to previous child ?", children);
  childGrid->addWidget(Check(&LP::heightRelative).box, row++, 0, 1, 3);
  AddSliderRow(childGrid, row++, Caption("Angle (min) :", children), Slider(&LP::angleMin));
  AddSliderRow(childGrid, row++, Caption("Angle (max) :", children), Slider(&LP::angleMax));
  Check(&LP::angleRelative).box = new QCheckBox("Angle relative to previous child ?", children);
  Check(&LP::angleRelative).box->setChecked(true);
  childGrid->addWidget(Check(&LP::angleRelative).box, row++, 0, 1, 3);
  AddSliderRow(childGrid, row++, Caption("Inclination (min) :", children), Slider(&LP::inclinationMin));
  AddSliderRow(childGrid, row++, Caption("Inclination (max) :", children), Slider(&LP::inclinationMax));
  Check(&LP::inclinationRelative).box = new QCheckBox("Inclination relative to previous child ?", children);
  childGrid->addWidget(Check(&LP::inclinationRelative).box, row++, 0, 1, 3);
  contentLayout->addWidget(children);
  contentLayout->addStretch(1);
  scroll->setWidget(content);
  page->addWidget(scroll, 1);

  // Bottom strip: "Generate", "AutoUpdate", then "Seed" on a row of its
  // own, where the field has room for the longest seed.
  auto* bottom = new QHBoxLayout;
  m_generate = NamedButton(this, "SpeedButton1", "Generate");
  bottom->addWidget(m_generate);
  m_autoUpdate = new QCheckBox("AutoUpdate", this);
  m_autoUpdate->setObjectName("CheckBox4");
  m_autoUpdate->setChecked(true);
  m_document.SetAutoUpdate(true);
  bottom->addWidget(m_autoUpdate);
  bottom->addStretch(1);
  page->addLayout(bottom);
  auto* seedRow = new QHBoxLayout;
  seedRow->addWidget(Caption("Seed", this));
  m_seed = MakeSeedField(this);
  seedRow->addWidget(m_seed);
  seedRow->addWidget(MakeNewSeedButton(m_seed, m_document, this));
  seedRow->addStretch(1);
  page->addLayout(seedRow);

  // Value labels start with the initial positions, as if each slider had
  // just been set.
  for (const LevelSlider& entry : m_sliders) WriteValueLabel(entry);

  RebuildLevelTabs(m_nbLevels->value() + 1);

  // Handlers: every per-level slider and check box stores into the selected
  // level through one routine. The tables do not change size after the
  // constructor, so the entries outlive the connections.
  for (LevelSlider& entry : m_sliders) {
    connect(entry.slider, &QSlider::valueChanged, this, [this, &entry] { SliderChanged(entry); });
  }
  for (LevelCheck& entry : m_checks) {
    entry.box->setObjectName(entry.name);
    connect(entry.box, &QCheckBox::toggled, this, [this, &entry] { CheckChanged(entry); });
  }
  // A pair's switch toggles both buttons; listening to one of them calls
  // the pair's handler once.
  connect(m_sizeInherit, &QRadioButton::toggled, this, &BranchesPage::onBaseSizeModeToggled);
  connect(m_lengthInherit, &QRadioButton::toggled, this, &BranchesPage::onBaseLengthModeToggled);
  connect(m_nbLevels, &QSlider::valueChanged, this, &BranchesPage::onLevelCountChanged);
  connect(m_seed, &QLineEdit::textChanged, this, &BranchesPage::onSeedEdited);
  connect(m_generate, &QToolButton::clicked, this, &BranchesPage::onGenerateClicked);
  connect(m_levelTabs, &QTabBar::currentChanged, this, [this](int index) {
    if (m_rebuildingTabs || index < 0) return;
    StoreLeavingLevel(m_shownLevel);
    ShowSelectedLevel(index);
  });
  connect(m_autoUpdate, &QCheckBox::toggled, this, [this](bool on) { m_document.SetAutoUpdate(on); });
  connect(&m_document, &TreeDocument::parametersReplaced, this, &BranchesPage::LoadLevelControls);
  connect(&m_document, &TreeDocument::restoreStarted, this, &BranchesPage::ShowChangedLevel);
  EndGesturesOf(*this, m_document);
}
