#include "app/branches_page.h"

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

#include "app/editor_host.h"
#include "app/flat_tabs.h"
#include "app/message_box.h"
#include "app/new_seed_button.h"
#include "app/parameter_page.h"

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

BranchesPage::BranchesPage(EditorHost& host, std::vector<ParameterPage*> otherPages,
                           QWidget* parent)
    : QWidget(parent), host_(host), otherPages_(std::move(otherPages)) {
  setObjectName("TabSheet1");
  // The table of per-level sliders: name, field, store offset. Widgets,
  // labels and suffixes are filled in by BuildLayout.
  sliders_ = {
      {"baseSize", &LP::baseSize, 0},
      {"baseLength", &LP::baseLength, 0},
      {"sizeDecrease", &LP::sizeDecrease, 0},
      {"TrackBar8", &LP::inflateDeflate, 0},
      {"twistingFreq", &LP::twistingFreq, 0},
      {"twistingRad", &LP::twistingRad, 0},
      {"bendingUp", &LP::bendingUp, 0},
      {"noise", &LP::noise, 0},
      {"qualityAngle", &LP::qualityAngle, 0},
      {"qualityHeight", &LP::qualityHeight, 0},
      {"TrackBar9", &LP::leafDensity, 1},
      {"TrackBar10", &LP::leafScaling, 0},
      {"nbChildrenMin", &LP::nbChildrenMin, 0},
      {"nbChildrenMax", &LP::nbChildrenMax, 0},
      {"TrackBar3", &LP::heightMin, 0},
      {"TrackBar2", &LP::heightMax, 0},
      {"TrackBar5", &LP::angleMin, 0},
      {"TrackBar4", &LP::angleMax, 0},
      {"TrackBar6", &LP::inclinationMin, 0},
      {"TrackBar7", &LP::inclinationMax, 0},
  };
  checks_ = {
      {"CheckBox9", &LP::attachToParent},
      {"CheckBox2", &LP::heightRelative},
      {"CheckBox1", &LP::angleRelative},
      {"CheckBox3", &LP::inclinationRelative},
  };
  BuildLayout();
}

BranchesPage::LevelSlider& BranchesPage::Slider(const char* name) {
  for (LevelSlider& entry : sliders_) {
    if (qstrcmp(entry.name, name) == 0) return entry;
  }
  Q_ASSERT_X(false, "BranchesPage::Slider", "no per-level slider of that name");
  return sliders_.front();
}

BranchesPage::LevelCheck& BranchesPage::Check(const char* name) {
  for (LevelCheck& entry : checks_) {
    if (qstrcmp(entry.name, name) == 0) return entry;
  }
  Q_ASSERT_X(false, "BranchesPage::Check", "no per-level check box of that name");
  return checks_.front();
}

QSlider* BranchesPage::AddSliderRow(QGridLayout* grid, int row, QLabel* caption,
                                    LevelSlider& entry, int minimum, int maximum, int designed,
                                    const char* labelName) {
  QWidget* owner = grid->parentWidget();
  auto* slider = new QSlider(Qt::Horizontal, owner);
  slider->setObjectName(entry.name);
  slider->setRange(minimum, maximum);
  slider->setValue(designed);
  entry.slider = slider;
  grid->addWidget(caption, row, 0);
  grid->addWidget(slider, row, 1);
  if (labelName != nullptr) {
    entry.label = Caption(QString(), owner, labelName);
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
  nbLevels_ = new QSlider(Qt::Horizontal, this);
  nbLevels_->setObjectName("TrackBar1");
  nbLevels_->setRange(0, 9);
  nbLevels_->setValue(3);
  levelsStrip->addWidget(nbLevels_, 1);
  nbLevelsLabel_ = Caption("4", this, "Label2");
  nbLevelsLabel_->setMinimumWidth(20);
  levelsStrip->addWidget(nbLevelsLabel_);
  page->addLayout(levelsStrip);

  levelTabs_ = new FlatTabBar(4, 23, this);
  levelTabs_->setObjectName("TabControl1");
  page->addWidget(levelTabs_);

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
  widthCaption_ = Caption("Trunk width", shape, "Label4");
  AddSliderRow(shapeGrid, row++, widthCaption_, Slider("baseSize"), 0, 200, 90, "Label20");
  shapeGrid->addWidget(
      RadioPair("RadioButton1", "RadioButton2", &sizeConstant_, &sizeInherit_, shape), row++, 1,
      1, 2);
  lengthCaption_ = Caption("Trunk length", shape, "Label21");
  AddSliderRow(shapeGrid, row++, lengthCaption_, Slider("baseLength"), 0, 200, 60, "Label5");
  shapeGrid->addWidget(
      RadioPair("RadioButton3", "RadioButton4", &lengthConstant_, &lengthInherit_, shape), row++,
      1, 1, 2);
  AddSliderRow(shapeGrid, row++, Caption("Increase taper :", shape), Slider("sizeDecrease"), 0,
               50, 40, "Label7");
  AddSliderRow(shapeGrid, row++, Caption("Inflate/Deflate :", shape), Slider("TrackBar8"), 1, 20,
               3, "Label33");
  AddSliderRow(shapeGrid, row++, Caption("Twisting freq. :", shape), Slider("twistingFreq"), 0,
               20, 4, "Label9");
  AddSliderRow(shapeGrid, row++, Caption("Twisting radius :", shape), Slider("twistingRad"), 0,
               100, 30, "Label11");
  bendingCaption_ = Caption("Bending :", shape, "Label12");
  AddSliderRow(shapeGrid, row++, bendingCaption_, Slider("bendingUp"), 0, 100, 40, "Label13");
  AddSliderRow(shapeGrid, row++, Caption("Noise :", shape), Slider("noise"), 0, 100, 30,
               "Label15");
  Check("CheckBox9").box = new QCheckBox("Attach to parent", shape);
  shapeGrid->addWidget(Check("CheckBox9").box, row++, 0, 1, 3);
  AddSliderRow(shapeGrid, row++, Caption("Quality (angle) :", shape), Slider("qualityAngle"), 3,
               50, 10, "Label17");
  AddSliderRow(shapeGrid, row++, Caption("Quality (height) :", shape), Slider("qualityHeight"),
               2, 50, 10, "Label19");
  shapeGrid->addWidget(Heading("Leaves ;", shape), row++, 0, 1, 3);
  AddSliderRow(shapeGrid, row++, Caption("Density :", shape), Slider("TrackBar9"), 0, 100, 3,
               nullptr);
  AddSliderRow(shapeGrid, row++, Caption("Scaling :", shape), Slider("TrackBar10"), 1, 150, 50,
               nullptr);
  contentLayout->addWidget(shape);

  // "Children positioning :" panel.
  auto* children = new QWidget(content);
  children->setObjectName("Panel5");
  auto* childGrid = new QGridLayout(children);
  childGrid->setVerticalSpacing(1);
  row = 0;
  childGrid->addWidget(Heading("Children positioning :", children), row++, 0, 1, 3);
  AddSliderRow(childGrid, row++, Caption("Nb of children (min) :", children),
               Slider("nbChildrenMin"), 0, 10, 3, "Label50");
  AddSliderRow(childGrid, row++, Caption("Nb of children (max) :", children),
               Slider("nbChildrenMax"), 0, 10, 5, "Label51");
  AddSliderRow(childGrid, row++, Caption("Height (min) :", children), Slider("TrackBar3"), 1, 100,
               3, nullptr);
  AddSliderRow(childGrid, row++, Caption("Height (max) :", children), Slider("TrackBar2"), 1, 100,
               5, nullptr);
  Check("CheckBox2").box = new QCheckBox("Height relative to previous child ?", children);
  childGrid->addWidget(Check("CheckBox2").box, row++, 0, 1, 3);
  AddSliderRow(childGrid, row++, Caption("Angle (min) :", children), Slider("TrackBar5"), 0, 360,
               120, "Label48");
  AddSliderRow(childGrid, row++, Caption("Angle (max) :", children), Slider("TrackBar4"), 0, 360,
               120, "Label49");
  Check("CheckBox1").box = new QCheckBox("Angle relative to previous child ?", children);
  Check("CheckBox1").box->setChecked(true);
  childGrid->addWidget(Check("CheckBox1").box, row++, 0, 1, 3);
  AddSliderRow(childGrid, row++, Caption("Inclination (min) :", children), Slider("TrackBar6"),
               -180, 180, 60, "Label52");
  AddSliderRow(childGrid, row++, Caption("Inclination (max) :", children), Slider("TrackBar7"),
               -180, 180, 70, "Label53");
  Check("CheckBox3").box = new QCheckBox("Inclination relative to previous child ?", children);
  childGrid->addWidget(Check("CheckBox3").box, row++, 0, 1, 3);
  contentLayout->addWidget(children);
  contentLayout->addStretch(1);
  scroll->setWidget(content);
  page->addWidget(scroll, 1);

  // Bottom strip: "Generate", "AutoUpdate", "Seed".
  auto* bottom = new QHBoxLayout;
  generate_ = new QToolButton(this);
  generate_->setObjectName("SpeedButton1");
  generate_->setText("Generate");
  bottom->addWidget(generate_);
  autoUpdate_ = new QCheckBox("AutoUpdate", this);
  autoUpdate_->setObjectName("CheckBox4");
  autoUpdate_->setChecked(true);
  bottom->addWidget(autoUpdate_);
  bottom->addWidget(Caption("Seed", this));
  seed_ = new QLineEdit("160", this);
  seed_->setObjectName("Edit1");
  seed_->setMaximumWidth(70);
  bottom->addWidget(seed_);
  bottom->addWidget(MakeNewSeedButton(seed_, host_, this));
  page->addLayout(bottom);

  // Value labels start with the designed positions, as if each slider had
  // just been set.
  for (LevelSlider& entry : sliders_) {
    for (const auto& [name, suffix] :
         {std::pair{"twistingRad", "%"}, {"bendingUp", "%"}, {"noise", "%"},
          {"qualityAngle", " points"}, {"qualityHeight", " points"}, {"TrackBar5", "\u00b0"},
          {"TrackBar4", "\u00b0"}, {"TrackBar6", "\u00b0"}, {"TrackBar7", "\u00b0"}}) {
      if (qstrcmp(entry.name, name) == 0) entry.suffix = suffix;
    }
    entry.percentWhenInherited =
        qstrcmp(entry.name, "baseSize") == 0 || qstrcmp(entry.name, "baseLength") == 0;
    WriteValueLabel(entry);
  }

  RebuildLevelTabs(nbLevels_->value() + 1);

  // Handlers. Every per-level slider and check box shares one routine; the
  // named slots keep the handler names the rest of the program refers to.
  const std::pair<const char*, void (BranchesPage::*)()> sliderSlots[] = {
      {"baseSize", &BranchesPage::baseSizeChange},
      {"baseLength", &BranchesPage::baseLengthChange},
      {"sizeDecrease", &BranchesPage::sizeDecreaseChange},
      {"TrackBar8", &BranchesPage::TrackBar8Change},
      {"twistingFreq", &BranchesPage::twistingFreqChange},
      {"twistingRad", &BranchesPage::twistingRadChange},
      {"bendingUp", &BranchesPage::bendingUpChange},
      {"noise", &BranchesPage::noiseChange},
      {"qualityAngle", &BranchesPage::qualityAngleChange},
      {"qualityHeight", &BranchesPage::qualityHeightChange},
      {"TrackBar9", &BranchesPage::TrackBar9Change},
      {"TrackBar10", &BranchesPage::e},
      {"nbChildrenMin", &BranchesPage::nbChildrenMinChange},
      {"nbChildrenMax", &BranchesPage::nbChildrenMaxChange},
      {"TrackBar2", &BranchesPage::TrackBar2Change},
      {"TrackBar3", &BranchesPage::TrackBar3Change},
      {"TrackBar4", &BranchesPage::TrackBar4Change},
      {"TrackBar5", &BranchesPage::TrackBar5Change},
      {"TrackBar6", &BranchesPage::TrackBar6Change},
      {"TrackBar7", &BranchesPage::TrackBar7Change},
  };
  for (const auto& [name, slot] : sliderSlots) {
    connect(Slider(name).slider, &QSlider::valueChanged, this, slot);
  }
  const std::pair<const char*, void (BranchesPage::*)()> checkSlots[] = {
      {"CheckBox1", &BranchesPage::CheckBox1Click},
      {"CheckBox2", &BranchesPage::CheckBox2Click},
      {"CheckBox3", &BranchesPage::CheckBox3Click},
      {"CheckBox9", &BranchesPage::CheckBox9Click},
  };
  for (const auto& [name, slot] : checkSlots) {
    Check(name).box->setObjectName(name);
    connect(Check(name).box, &QCheckBox::toggled, this, slot);
  }
  // A pair's switch toggles both buttons; listening to one of them calls
  // the pair's handler once.
  connect(sizeInherit_, &QRadioButton::toggled, this, &BranchesPage::RadioButton1Click);
  connect(lengthInherit_, &QRadioButton::toggled, this, &BranchesPage::RadioButton3Click);
  connect(nbLevels_, &QSlider::valueChanged, this, &BranchesPage::TrackBar1Change);
  connect(seed_, &QLineEdit::textChanged, this, &BranchesPage::Edit1Change);
  connect(generate_, &QToolButton::clicked, this, &BranchesPage::SpeedButton1Click);
  connect(levelTabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (rebuildingTabs_ || index < 0) return;
    TabControl1Changing(shownLevel_);
    TabControl1Change(index);
  });
}
