// The "Branches" page's handlers and the two routines that move values
// between the parameter set and the controls. The layout is in
// branches_page.cpp.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include "app/branches_page.h"
#include "app/editor_host.h"
#include "app/flat_tabs.h"
#include "app/labelled_slider.h"
#include "app/message_box.h"
#include "app/parameter_page.h"

vh::LevelParameters& BranchesPage::Level() {
  return host_.Session().params.levels[static_cast<std::size_t>(shownLevel_)];
}

bool BranchesPage::AutoUpdate() const { return autoUpdate_->isChecked(); }
void BranchesPage::SetAutoUpdate(bool on) { autoUpdate_->setChecked(on); }
QWidget* BranchesPage::FocusTarget() const { return findChild<QSlider*>("baseSize"); }

void BranchesPage::WriteValueLabel(const LevelSlider& entry) {
  if (entry.label == nullptr) return;
  QString text = QString::number(entry.slider->value()) + QString::fromUtf8(entry.suffix);
  if (entry.percentWhenInherited) {
    const QRadioButton* inherit =
        qstrcmp(entry.name, "baseSize") == 0 ? sizeInherit_ : lengthInherit_;
    if (inherit != nullptr && inherit->isChecked()) text += "%";
  }
  entry.label->setText(text);
}

void BranchesPage::SliderChanged(LevelSlider& entry) {
  // While a billboard cloud is built the slider shows its new position but
  // the parameter keeps its value until the next StoreControls.
  if (host_.EditsLocked()) return;
  StoreSlider(*entry.slider, Level().*entry.field, entry.storeOffset);
  WriteValueLabel(entry);
  host_.UpdateAfterChange();
}

void BranchesPage::CheckChanged(LevelCheck& entry) {
  if (host_.EditsLocked()) return;
  Level().*entry.field = entry.box->isChecked();
  host_.UpdateAfterChange();
}

void BranchesPage::baseSizeChange() { SliderChanged(Slider("baseSize")); }
void BranchesPage::baseLengthChange() { SliderChanged(Slider("baseLength")); }
void BranchesPage::sizeDecreaseChange() { SliderChanged(Slider("sizeDecrease")); }
void BranchesPage::TrackBar8Change() { SliderChanged(Slider("TrackBar8")); }
void BranchesPage::twistingFreqChange() { SliderChanged(Slider("twistingFreq")); }
void BranchesPage::twistingRadChange() { SliderChanged(Slider("twistingRad")); }
void BranchesPage::bendingUpChange() { SliderChanged(Slider("bendingUp")); }
void BranchesPage::noiseChange() { SliderChanged(Slider("noise")); }
void BranchesPage::qualityAngleChange() { SliderChanged(Slider("qualityAngle")); }
void BranchesPage::qualityHeightChange() { SliderChanged(Slider("qualityHeight")); }
void BranchesPage::TrackBar9Change() { SliderChanged(Slider("TrackBar9")); }
void BranchesPage::e() { SliderChanged(Slider("TrackBar10")); }
void BranchesPage::nbChildrenMinChange() { SliderChanged(Slider("nbChildrenMin")); }
void BranchesPage::nbChildrenMaxChange() { SliderChanged(Slider("nbChildrenMax")); }
void BranchesPage::TrackBar2Change() { SliderChanged(Slider("TrackBar2")); }
void BranchesPage::TrackBar3Change() { SliderChanged(Slider("TrackBar3")); }
void BranchesPage::TrackBar4Change() { SliderChanged(Slider("TrackBar4")); }
void BranchesPage::TrackBar5Change() { SliderChanged(Slider("TrackBar5")); }
void BranchesPage::TrackBar6Change() { SliderChanged(Slider("TrackBar6")); }
void BranchesPage::TrackBar7Change() { SliderChanged(Slider("TrackBar7")); }
void BranchesPage::CheckBox1Click() { CheckChanged(Check("CheckBox1")); }
void BranchesPage::CheckBox2Click() { CheckChanged(Check("CheckBox2")); }
void BranchesPage::CheckBox3Click() { CheckChanged(Check("CheckBox3")); }
void BranchesPage::CheckBox9Click() { CheckChanged(Check("CheckBox9")); }

// The Constant/Inherit pairs are not locked while a billboard cloud is
// built: they only store a flag, and the update they ask for cannot
// regrow the tree under the builder.
void BranchesPage::RadioButton1Click() {
  Level().baseSizeInherited = sizeInherit_->isChecked();
  host_.UpdateAfterChange();
}

void BranchesPage::RadioButton3Click() {
  Level().baseLengthInherited = lengthInherit_->isChecked();
  host_.UpdateAfterChange();
}

void BranchesPage::RebuildLevelTabs(int count) {
  rebuildingTabs_ = true;
  while (levelTabs_->count() > 0) levelTabs_->removeTab(levelTabs_->count() - 1);
  for (int i = 1; i <= count; ++i) levelTabs_->addTab(QString::number(i));
  levelTabs_->setCurrentIndex(0);
  shownLevel_ = 0;
  rebuildingTabs_ = false;
}

void BranchesPage::TrackBar1Change() {
  if (host_.EditsLocked()) return;
  const int position = nbLevels_->value();
  nbLevelsLabel_->setText(QString::number(position + 1));
  RebuildLevelTabs(position + 1);
  StoreSlider(*nbLevels_, host_.Session().params.lastParentLevel, -1);
  LoadLevelControls();
  host_.UpdateAfterChange();
}

void BranchesPage::Edit1Change() {
  if (host_.EditsLocked()) return;
  bool ok = false;
  const int seed = seed_->text().toInt(&ok);
  if (ok) host_.Session().params.seed = seed;  // a non-number is ignored while typing
  host_.UpdateAfterChange();
  host_.RepaintLeafEditor();
}

void BranchesPage::SpeedButton1Click() { host_.GenerateTree(); }

void BranchesPage::TabControl1Changing(int leavingLevel) {
  shownLevel_ = leavingLevel;
  storingLevel_ = true;
  StoreControls();
  storingLevel_ = false;
}

void BranchesPage::TabControl1Change(int newLevel) {
  shownLevel_ = newLevel;
  LoadLevelControls();
}

void BranchesPage::ShowLevelCaptions() {
  const bool trunk = shownLevel_ == 0;
  widthCaption_->setText(trunk ? "Trunk width" : "Branch width");
  lengthCaption_->setText(trunk ? "Trunk length" : "Branch length");
  bendingCaption_->setText(trunk ? "Bending :" : "Bending upward :");
  sizeInherit_->setEnabled(!trunk);
  lengthInherit_->setEnabled(!trunk);
  Check("CheckBox9").box->setVisible(!trunk);
}

void BranchesPage::LoadLevelControls() {
  // Untick "AutoUpdate" so that the change handlers fired below write their
  // values back without regenerating.
  const bool autoUpdate = AutoUpdate();
  SetAutoUpdate(false);
  const vh::TreeParameters& params = host_.Session().params;
  nbLevels_->setValue(params.lastParentLevel + 1);

  // The level record is read afresh for every control: a handler fired by
  // an earlier one (the level count rebuilding the tabs) may have changed
  // the selected level.
  auto level = [this]() -> const vh::LevelParameters& { return Level(); };
  for (const char* name : {"qualityAngle", "sizeDecrease", "qualityHeight", "noise", "bendingUp",
                           "twistingRad", "twistingFreq", "baseLength", "baseSize"}) {
    LevelSlider& entry = Slider(name);
    entry.slider->setValue(level().*entry.field - entry.storeOffset);
  }
  (level().baseLengthInherited ? lengthInherit_ : lengthConstant_)->setChecked(true);
  (level().baseSizeInherited ? sizeInherit_ : sizeConstant_)->setChecked(true);
  Check("CheckBox9").box->setChecked(level().attachToParent);
  for (const char* name :
       {"nbChildrenMin", "nbChildrenMax", "TrackBar2", "TrackBar3", "TrackBar5", "TrackBar4"}) {
    LevelSlider& entry = Slider(name);
    entry.slider->setValue(level().*entry.field - entry.storeOffset);
  }
  Check("CheckBox1").box->setChecked(level().angleRelative);
  Check("CheckBox2").box->setChecked(level().heightRelative);
  for (const char* name : {"TrackBar8", "TrackBar7", "TrackBar6"}) {
    LevelSlider& entry = Slider(name);
    entry.slider->setValue(level().*entry.field - entry.storeOffset);
  }
  Check("CheckBox3").box->setChecked(level().inclinationRelative);
  for (const char* name : {"TrackBar9", "TrackBar10"}) {
    LevelSlider& entry = Slider(name);
    entry.slider->setValue(level().*entry.field - entry.storeOffset);
  }

  for (ParameterPage* other : otherPages_) other->LoadGlobals(host_.Session().params);
  seed_->setText(QString::number(host_.Session().params.seed));

  ShowLevelCaptions();
  SetAutoUpdate(autoUpdate);
}

void BranchesPage::StoreControls() {
  if (host_.EditsLocked()) return;
  vh::TreeParameters& params = host_.Session().params;
  vh::LevelParameters& level = Level();
  for (const char* name : {"qualityAngle", "sizeDecrease", "qualityHeight", "noise", "bendingUp",
                           "twistingRad", "twistingFreq", "baseLength", "baseSize"}) {
    const LevelSlider& entry = Slider(name);
    StoreSlider(*entry.slider, level.*entry.field, entry.storeOffset);
  }
  bool ok = false;
  const int seed = seed_->text().toInt(&ok);
  if (!ok) {
    ShowMessage(window(), QString("'%1' is not a valid integer value").arg(seed_->text()));
    return;
  }
  params.seed = seed;
  level.baseLengthInherited = !lengthConstant_->isChecked();
  level.baseSizeInherited = !sizeConstant_->isChecked();
  for (const char* name : {"nbChildrenMin", "nbChildrenMax", "TrackBar2", "TrackBar3",
                           "TrackBar4", "TrackBar5", "TrackBar8", "TrackBar6", "TrackBar7",
                           "TrackBar9", "TrackBar10"}) {
    const LevelSlider& entry = Slider(name);
    StoreSlider(*entry.slider, level.*entry.field, entry.storeOffset);
  }
  for (const LevelCheck& entry : checks_) level.*entry.field = entry.box->isChecked();
  for (const ParameterPage* other : otherPages_) other->StoreGlobals(params);
  if (!storingLevel_) host_.UpdateAfterChange();
}
