// The "Branches" page's handlers and the two routines that move values
// between the parameter set and the controls. The layout is in
// branches_page.cpp.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>
#include <iterator>

#include "app/branches_page.h"
#include "app/editor_host.h"
#include "app/flat_tabs.h"
#include "app/labelled_slider.h"
#include "app/message_box.h"
#include "app/parameter_page.h"
#include "tree/parameter_table.h"

namespace {

using LP = vh::LevelParameters;

// The sliders StoreControls stores before it checks "Seed"; a seed that is
// not a number ends the store after them.
constexpr int LP::*kStoredBeforeSeed[] = {&LP::qualityAngle, &LP::sizeDecrease, &LP::qualityHeight,
                                          &LP::noise,        &LP::bendingUp,    &LP::twistingRad,
                                          &LP::twistingFreq, &LP::baseLength,   &LP::baseSize};

bool StoredBeforeSeed(int LP::*field) {
  return std::find(std::begin(kStoredBeforeSeed), std::end(kStoredBeforeSeed), field) !=
         std::end(kStoredBeforeSeed);
}

}  // namespace

LP& BranchesPage::Level() {
  return host_.Session().params.levels[static_cast<std::size_t>(shownLevel_)];
}

bool BranchesPage::AutoUpdate() const { return autoUpdate_->isChecked(); }
void BranchesPage::SetAutoUpdate(bool on) { autoUpdate_->setChecked(on); }
QWidget* BranchesPage::FocusTarget() const { return findChild<QSlider*>("baseSize"); }

void BranchesPage::WriteValueLabel(const LevelSlider& entry) {
  if (entry.label == nullptr) return;
  QString text = QString::number(entry.slider->value()) + QString::fromUtf8(entry.suffix);
  // Base size and length are percentages of the parent's only while inherited.
  const QRadioButton* inherit = entry.field == &LP::baseSize     ? sizeInherit_
                                : entry.field == &LP::baseLength ? lengthInherit_
                                                                 : nullptr;
  if (inherit != nullptr && inherit->isChecked()) text += "%";
  entry.label->setText(text);
}

void BranchesPage::SliderChanged(LevelSlider& entry) {
  // While a billboard cloud is built the slider shows its new position but
  // the parameter keeps its value until the next StoreControls.
  if (host_.EditsLocked()) return;
  StoreValue(entry);
  WriteValueLabel(entry);
  host_.UpdateAfterChange();
}

void BranchesPage::ShowValue(LevelSlider& entry) {
  entry.slider->setValue(Level().*entry.field - vh::FieldOf(entry.field).control.offset);
}

void BranchesPage::StoreValue(const LevelSlider& entry) {
  StoreSlider(*entry.slider, Level().*entry.field, vh::FieldOf(entry.field).control.offset);
}

void BranchesPage::CheckChanged(LevelCheck& entry) {
  if (host_.EditsLocked()) return;
  Level().*entry.field = entry.box->isChecked();
  host_.UpdateAfterChange();
}

// The Constant/Inherit pairs are not locked while a billboard cloud is
// built: they only store a flag, and the update they ask for cannot
// regrow the tree under the builder.
void BranchesPage::onBaseSizeModeToggled() {
  Level().baseSizeInherited = sizeInherit_->isChecked();
  host_.UpdateAfterChange();
}

void BranchesPage::onBaseLengthModeToggled() {
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

void BranchesPage::onLevelCountChanged() {
  if (host_.EditsLocked()) return;
  const int position = nbLevels_->value();
  nbLevelsLabel_->setText(QString::number(position + 1));
  RebuildLevelTabs(position + 1);
  StoreSlider(*nbLevels_, host_.Session().params.lastParentLevel,
              vh::FieldOf(&vh::TreeParameters::lastParentLevel).control.offset);
  LoadLevelControls();
  host_.UpdateAfterChange();
}

void BranchesPage::onSeedEdited() {
  if (host_.EditsLocked()) return;
  bool ok = false;
  const int seed = seed_->text().toInt(&ok);
  if (ok) host_.Session().params.seed = seed;  // a non-number is ignored while typing
  host_.UpdateAfterChange();
  host_.RepaintLeafEditor();
}

void BranchesPage::onGenerateClicked() { host_.GenerateTree(); }

void BranchesPage::StoreLeavingLevel(int leavingLevel) {
  shownLevel_ = leavingLevel;
  storingLevel_ = true;
  StoreControls();
  storingLevel_ = false;
}

void BranchesPage::ShowSelectedLevel(int newLevel) {
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
  Check(&LP::attachToParent).box->setVisible(!trunk);
}

void BranchesPage::LoadLevelControls() {
  // Untick "AutoUpdate" so that the change handlers fired below write their
  // values back without regenerating.
  const bool autoUpdate = AutoUpdate();
  SetAutoUpdate(false);
  const vh::TreeParameters& params = host_.Session().params;
  nbLevels_->setValue(params.lastParentLevel -
                      vh::FieldOf(&vh::TreeParameters::lastParentLevel).control.offset);

  // Each control reads the selected level afresh: a handler fired by an
  // earlier one (the level count rebuilding the tabs) may have changed it.
  // The sliders go before the Constant/Inherit pairs, whose state the base
  // size and length labels show from the sliders' next move on.
  for (LevelSlider& entry : sliders_) ShowValue(entry);
  (Level().baseLengthInherited ? lengthInherit_ : lengthConstant_)->setChecked(true);
  (Level().baseSizeInherited ? sizeInherit_ : sizeConstant_)->setChecked(true);
  for (LevelCheck& entry : checks_) entry.box->setChecked(Level().*entry.field);

  for (ParameterPage* other : otherPages_) other->LoadGlobals(host_.Session().params);
  seed_->setText(QString::number(host_.Session().params.seed));

  ShowLevelCaptions();
  SetAutoUpdate(autoUpdate);
}

void BranchesPage::StoreControls() {
  if (host_.EditsLocked()) return;
  vh::TreeParameters& params = host_.Session().params;
  for (const LevelSlider& entry : sliders_) {
    if (StoredBeforeSeed(entry.field)) StoreValue(entry);
  }
  bool ok = false;
  const int seed = seed_->text().toInt(&ok);
  if (!ok) {
    ShowWarning(window(), QString("'%1' is not a valid integer value").arg(seed_->text()));
    return;
  }
  params.seed = seed;
  vh::LevelParameters& level = Level();
  level.baseLengthInherited = !lengthConstant_->isChecked();
  level.baseSizeInherited = !sizeConstant_->isChecked();
  for (const LevelSlider& entry : sliders_) {
    if (!StoredBeforeSeed(entry.field)) StoreValue(entry);
  }
  for (const LevelCheck& entry : checks_) level.*entry.field = entry.box->isChecked();
  for (const ParameterPage* other : otherPages_) other->StoreGlobals(params);
  if (!storingLevel_) host_.UpdateAfterChange();
}
