// The "Branches" page: what every control stores, the level tabs,
// "Nb Levels :", "Seed", "AutoUpdate" and "Generate".
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include "app_test_support.h"

namespace {

using LP = vh::LevelParameters;

struct SliderCase {
  const char* name;
  int LP::*field;
  int newPosition;
  int stored;         // the value the level record must hold
  const char* label;  // value label, or null
  const char* labelText;
};

class LevelSliders : public MainWindowTest, public ::testing::WithParamInterface<SliderCase> {};

TEST_P(LevelSliders, StoreIntoTheSelectedLevelAndRegenerate) {
  const SliderCase& c = GetParam();
  SelectLevelTab(1);  // level tab "2": level 1
  const LP trunkBefore = State().params.levels[0];
  const LP levelBefore = State().params.levels[1];
  QSlider* slider = Find<QSlider>(c.name);
  ASSERT_NE(slider->value(), c.newPosition) << "the case must move the slider";
  slider->setValue(c.newPosition);

  LP expected = levelBefore;
  expected.*c.field = c.stored;
  EXPECT_EQ(State().params.levels[1], expected);
  EXPECT_EQ(State().params.levels[0], trunkBefore) << "nothing stored into the trunk";
  if (c.label != nullptr) {
    EXPECT_EQ(LabelText(c.label), QString::fromUtf8(c.labelText));
  }
  // UpdateAfterChange regrew the tree and, once it was in, refreshed the counts.
  ASSERT_TRUE(WaitForTree());
  EXPECT_EQ(LabelText("Label44"), PolygonText(Tree()));
  EXPECT_EQ(LabelText("Label45"), VertexText(Tree()));
  EXPECT_EQ(LabelText("Label46"), SubmeshText(Tree()));
}

INSTANTIATE_TEST_SUITE_P(
    ParameterPanel, LevelSliders,
    ::testing::Values(SliderCase{"baseSize", &LP::baseSize, 120, 120, "Label20", "120%"},
                      SliderCase{"baseLength", &LP::baseLength, 0, 0, "Label5", "0%"},
                      SliderCase{"sizeDecrease", &LP::sizeDecrease, 50, 50, "Label7", "50"},
                      SliderCase{"TrackBar8", &LP::inflateDeflate, 1, 1, "Label33", "1"},
                      SliderCase{"twistingFreq", &LP::twistingFreq, 20, 20, "Label9", "20"},
                      SliderCase{"twistingRad", &LP::twistingRad, 55, 55, "Label11", "55%"},
                      SliderCase{"bendingUp", &LP::bendingUp, 70, 70, "Label13", "70%"},
                      SliderCase{"noise", &LP::noise, 77, 77, "Label15", "77%"},
                      SliderCase{"qualityAngle", &LP::qualityAngle, 3, 3, "Label17", "3 points"},
                      SliderCase{"qualityHeight", &LP::qualityHeight, 2, 2, "Label19", "2 points"},
                      SliderCase{"TrackBar9", &LP::leafDensity, 0, 1, nullptr, nullptr},
                      SliderCase{"TrackBar10", &LP::leafScaling, 150, 150, nullptr, nullptr},
                      SliderCase{"nbChildrenMin", &LP::nbChildrenMin, 1, 1, "Label50", "1"},
                      SliderCase{"nbChildrenMax", &LP::nbChildrenMax, 4, 4, "Label51", "4"},
                      SliderCase{"TrackBar3", &LP::heightMin, 40, 40, nullptr, nullptr},
                      SliderCase{"TrackBar2", &LP::heightMax, 60, 60, nullptr, nullptr},
                      SliderCase{"TrackBar5", &LP::angleMin, 45, 45, "Label48", "45\u00b0"},
                      SliderCase{"TrackBar4", &LP::angleMax, 200, 200, "Label49", "200\u00b0"},
                      SliderCase{"TrackBar6", &LP::inclinationMin, -180, -180, "Label52", "-180\u00b0"},
                      SliderCase{"TrackBar7", &LP::inclinationMax, 10, 10, "Label53", "10\u00b0"}));

struct CheckCase {
  const char* name;
  bool LP::*field;
};

class LevelChecks : public MainWindowTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(LevelChecks, StoreIntoTheSelectedLevel) {
  const CheckCase& c = GetParam();
  SelectLevelTab(2);
  const bool before = State().params.levels[2].*c.field;
  QCheckBox* box = Find<QCheckBox>(c.name);
  EXPECT_EQ(box->isChecked(), before) << "the box shows the level's value";
  box->setChecked(!before);
  EXPECT_EQ(State().params.levels[2].*c.field, !before);
  EXPECT_EQ(State().params.levels[1].*c.field, before);
}

INSTANTIATE_TEST_SUITE_P(ParameterPanel, LevelChecks,
                         ::testing::Values(CheckCase{"CheckBox1", &LP::angleRelative},
                                           CheckCase{"CheckBox2", &LP::heightRelative},
                                           CheckCase{"CheckBox3", &LP::inclinationRelative},
                                           CheckCase{"CheckBox9", &LP::attachToParent}));

using ParameterPanel = MainWindowTest;

TEST_F(ParameterPanel, ControlsShowTheTreeDefaultsAfterStartUp) {
  const vh::TreeParameters defaults(2);
  EXPECT_EQ(State().params, defaults) << "load then store keeps the parameter set";
  EXPECT_EQ(Find<QSlider>("TrackBar1")->value(), 3);
  EXPECT_EQ(LabelText("Label2"), "4");
  EXPECT_EQ(Find<QTabBar>("TabControl1")->count(), 4);
  EXPECT_EQ(Find<QSlider>("baseSize")->value(), defaults.levels[0].baseSize);
  EXPECT_EQ(Find<QSlider>("TrackBar9")->value(), defaults.levels[0].leafDensity - 1);
  EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "160");
  EXPECT_EQ(Find<QSlider>("TrackBar15")->value(), defaults.leafTexScale);
  EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), "Material");
  EXPECT_EQ(LabelText("Label44"), PolygonText(Tree()));
  EXPECT_GT(Tree().PolygonCount(), 0u);
}

TEST_F(ParameterPanel, RangesAreThoseOfTheDesign) {
  const struct {
    const char* name;
    int minimum, maximum;
  } ranges[] = {{"baseSize", 0, 200},      {"baseLength", 0, 200},   {"sizeDecrease", 0, 50},
                {"TrackBar8", 1, 20},      {"twistingFreq", 0, 20},  {"twistingRad", 0, 100},
                {"bendingUp", 0, 100},     {"noise", 0, 100},        {"qualityAngle", 3, 50},
                {"qualityHeight", 2, 50},  {"TrackBar9", 0, 100},    {"TrackBar10", 1, 150},
                {"nbChildrenMin", 0, 10},  {"nbChildrenMax", 0, 10}, {"TrackBar3", 1, 100},
                {"TrackBar2", 1, 100},     {"TrackBar5", 0, 360},    {"TrackBar4", 0, 360},
                {"TrackBar6", -180, 180},  {"TrackBar7", -180, 180}, {"TrackBar1", 0, 9},
                {"TrackBar11", 1, 100},    {"TrackBar12", 0, 360},   {"TrackBar13", -300, 300},
                {"TrackBar14", -300, 300}, {"TrackBar15", 1, 1000},  {"TrackBar16", 0, 100},
                {"TrackBar17", 0, 100}};
  for (const auto& r : ranges) {
    QSlider* slider = Find<QSlider>(r.name);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->minimum(), r.minimum) << r.name;
    EXPECT_EQ(slider->maximum(), r.maximum) << r.name;
  }
}

TEST_F(ParameterPanel, SwitchingTabsStoresNothingIntoTheWrongLevel) {
  SelectLevelTab(1);
  Find<QSlider>("noise")->setValue(77);
  SetAutoUpdate(false);
  // Moved while "AutoUpdate" is off: stored at once into level 1 anyway.
  Find<QSlider>("twistingFreq")->setValue(17);
  const LP level2Before = State().params.levels[2];

  SelectLevelTab(2);
  EXPECT_EQ(State().params.levels[2], level2Before);
  EXPECT_EQ(Find<QSlider>("noise")->value(), level2Before.noise);
  EXPECT_EQ(State().params.levels[1].noise, 77);
  EXPECT_EQ(State().params.levels[1].twistingFreq, 17);

  SelectLevelTab(1);
  EXPECT_EQ(Find<QSlider>("noise")->value(), 77);
  EXPECT_EQ(Find<QSlider>("twistingFreq")->value(), 17);
  EXPECT_EQ(State().params.levels[2], level2Before);
}

TEST_F(ParameterPanel, TrunkTabRenamesCaptionsAndLocksInherit) {
  struct Expected {
    int tab;
    const char* width;
    const char* length;
    const char* bending;
    bool branchControls;
  };
  for (const Expected& e : {Expected{1, "Branch width", "Branch length", "Bending upward :", true},
                            Expected{0, "Trunk width", "Trunk length", "Bending :", false},
                            Expected{3, "Branch width", "Branch length", "Bending upward :", true}}) {
    SelectLevelTab(e.tab);
    EXPECT_EQ(LabelText("Label4"), e.width);
    EXPECT_EQ(LabelText("Label21"), e.length);
    EXPECT_EQ(LabelText("Label12"), e.bending);
    EXPECT_EQ(Find<QRadioButton>("RadioButton2")->isEnabled(), e.branchControls);
    EXPECT_EQ(Find<QRadioButton>("RadioButton4")->isEnabled(), e.branchControls);
    EXPECT_EQ(Find<QCheckBox>("CheckBox9")->isVisibleTo(window.get()), e.branchControls);
  }
}

TEST_F(ParameterPanel, NbLevelsRebuildsTheTabs) {
  SetAutoUpdate(false);  // ten levels of the default tree would take long
  QSlider* levels = Find<QSlider>("TrackBar1");
  auto* tabs = Find<QTabBar>("TabControl1");
  for (const auto& [position, expectedTabs, lastParent] :
       {std::tuple{0, 1, -1}, std::tuple{9, 10, 8}, std::tuple{2, 3, 1}}) {
    levels->setValue(position);
    EXPECT_EQ(tabs->count(), expectedTabs);
    EXPECT_EQ(tabs->tabText(expectedTabs - 1), QString::number(expectedTabs));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(LabelText("Label2"), QString::number(position + 1));
    EXPECT_EQ(State().params.lastParentLevel, lastParent);
  }
}

TEST_F(ParameterPanel, ConstantInheritPairsStoreTheirLevelFlag) {
  SelectLevelTab(1);
  Find<QRadioButton>("RadioButton1")->click();  // base size: Constant
  EXPECT_FALSE(State().params.levels[1].baseSizeInherited);
  EXPECT_TRUE(State().params.levels[1].baseLengthInherited);
  Find<QRadioButton>("RadioButton4")->click();
  Find<QRadioButton>("RadioButton3")->click();  // base length: Constant
  EXPECT_FALSE(State().params.levels[1].baseLengthInherited);
  Find<QRadioButton>("RadioButton2")->click();
  EXPECT_TRUE(State().params.levels[1].baseSizeInherited);
  EXPECT_TRUE(State().params.levels[2].baseSizeInherited);
}

TEST_F(ParameterPanel, AutoUpdateOffStoresWithoutRegeneratingUntilGenerate) {
  const QString polygonsBefore = LabelText("Label44");
  const std::uint64_t verticesBefore = Tree().VertexCount();
  SetAutoUpdate(false);
  SelectLevelTab(0);
  Find<QSlider>("qualityAngle")->setValue(30);
  EXPECT_EQ(State().params.levels[0].qualityAngle, 30);
  EXPECT_FALSE(window->Busy()) << "the tree is not regrown";
  EXPECT_EQ(Tree().VertexCount(), verticesBefore);

  QTest::mouseClick(Find<QToolButton>("SpeedButton1"), Qt::LeftButton);
  ASSERT_TRUE(WaitForTree());
  EXPECT_NE(Tree().VertexCount(), verticesBefore) << "Generate builds from the stored values";
  EXPECT_EQ(LabelText("Label44"), polygonsBefore) << "Generate leaves the counts alone";
}

TEST_F(ParameterPanel, SeedTextThatIsNotANumberIsIgnoredThenReported) {
  auto* seed = Find<QLineEdit>("Edit1");
  seed->setText("4242");
  EXPECT_EQ(State().params.seed, 4242);
  seed->setText("4242x");
  EXPECT_EQ(State().params.seed, 4242);
  EXPECT_TRUE(recorder->messages.isEmpty()) << "typing is silent";

  SelectLevelTab(1);  // StoreControls reports the conversion error
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_EQ(recorder->messages.front(), "'4242x' is not a valid integer value");
  EXPECT_EQ(State().params.seed, 4242);
}

// Whether `field` shows its whole text: with the cursor at the end, the
// text has not scrolled, so the field shows the same pixels as a field of
// the same kind wide enough for any text.
testing::AssertionResult DrawsWholeText(QLineEdit& field) {
  QLineEdit wide(field.text(), field.parentWidget());
  wide.setFixedSize(field.width() * 4, field.height());
  const int end = static_cast<int>(field.text().size());
  field.setCursorPosition(end);
  wide.setCursorPosition(end);
  const QImage shown = field.grab().toImage();
  const QImage whole = wide.grab().toImage();
  QStyleOptionFrame option;
  option.initFrom(&field);
  option.lineWidth = field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field);
  // The text area, clear of the frame and its shading.
  const QRect inside =
      field.style()->subElementRect(QStyle::SE_LineEditContents, &option, &field).adjusted(2, 2, -2, -2);
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      if (shown.pixel(x, y) != whole.pixel(x, y)) {
        return testing::AssertionFailure() << '"' << field.text().toStdString() << "\" has scrolled; x " << x
                                           << " of " << shown.width() << " differs";
      }
    }
  }
  return testing::AssertionSuccess();
}

// Every seed the field takes is shown whole, down to the smallest int.
TEST_F(ParameterPanel, SeedFieldShowsEveryAcceptedSeedWhole) {
  auto* seed = Find<QLineEdit>("Edit1");
  Find<QSlider>("noise")->setFocus();  // the field is drawn as it is while not edited
  for (const char* text : {"90210", "2147483647", "-2147483648"}) {
    seed->setText(text);
    EXPECT_TRUE(DrawsWholeText(*seed));
  }
}

TEST_F(ParameterPanel, SeedChangesTheTree) {
  const std::uint64_t before = Tree().VertexCount();
  const vh::Vector3 firstLeafTip = Tree().submeshes.back()->vertices.back().position;
  Find<QLineEdit>("Edit1")->setText("7");
  EXPECT_EQ(State().params.seed, 7);
  ASSERT_TRUE(WaitForTree());
  const bool changed =
      Tree().VertexCount() != before || !(Tree().submeshes.back()->vertices.back().position == firstLeafTip);
  EXPECT_TRUE(changed);
}

TEST_F(ParameterPanel, LeafAndTexturePagesStoreTheirGlobals) {
  Find<QSlider>("TrackBar11")->setValue(80);
  Find<QSlider>("TrackBar12")->setValue(90);
  Find<QSlider>("TrackBar13")->setValue(-20);
  Find<QSlider>("TrackBar14")->setValue(30);
  Find<QSlider>("TrackBar15")->setValue(400);
  Find<QCheckBox>("CheckBox5")->setChecked(false);
  Find<QLineEdit>("Edit2")->setText("Bark");
  Find<QSlider>("TrackBar16")->setValue(3);
  Find<QSlider>("TrackBar17")->setValue(4);
  const vh::TreeParameters& p = State().params;
  EXPECT_EQ(p.leafBending, 80);
  EXPECT_EQ(p.leafTexRotate, 90);
  EXPECT_EQ(p.leafTexTranslateX, -20);
  EXPECT_EQ(p.leafTexTranslateY, 30);
  EXPECT_EQ(p.leafTexScale, 400);
  EXPECT_FALSE(p.noLeavesOnTrunk);
  EXPECT_EQ(p.materialPrefix, "Bark");
  EXPECT_EQ(p.uScale, 3);
  EXPECT_EQ(p.vScale, 4);
}

TEST_F(ParameterPanel, LoadLevelControlsShowsAReplacedParameterSet) {
  vh::TreeParameters replaced(5);
  replaced.levels[0].noise = 12;
  replaced.levels[0].baseSize = 999;  // beyond the slider: shown at the end
  replaced.seed = 31;
  replaced.uScale = 42;
  State().params = replaced;
  window->LoadLevelControls();
  EXPECT_EQ(Find<QSlider>("TrackBar1")->value(), 6);
  EXPECT_EQ(Find<QTabBar>("TabControl1")->count(), 7);
  EXPECT_EQ(Find<QSlider>("noise")->value(), 12);
  EXPECT_EQ(Find<QSlider>("baseSize")->value(), 200);
  EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "31");
  EXPECT_EQ(Find<QSlider>("TrackBar16")->value(), 42);
  EXPECT_TRUE(Find<QCheckBox>("CheckBox4")->isChecked()) << "AutoUpdate restored";
}

}  // namespace
