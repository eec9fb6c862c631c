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

#include "app/document/tree_document.h"
#include "app/pages/branches_page.h"
#include "app/pages/parameter_page.h"
#include "app/widgets/flat_tabs.h"
#include "app/widgets/labelled_slider.h"
#include "app/widgets/message_box.h"
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

LP& BranchesPage::Level() { return m_document.State().params.levels[static_cast<std::size_t>(m_shownLevel)]; }

bool BranchesPage::AutoUpdate() const { return m_autoUpdate->isChecked(); }
void BranchesPage::SetAutoUpdate(bool on) { m_autoUpdate->setChecked(on); }
QWidget* BranchesPage::FocusTarget() const {
  const auto trunkWidth = std::find_if(m_sliders.begin(), m_sliders.end(),
                                       [](const LevelSlider& entry) { return entry.field == &LP::baseSize; });
  return trunkWidth->slider;
}

void BranchesPage::ShowChangedLevel(const vh::TreeParameters& before, const vh::TreeParameters& after) {
  if (before.lastParentLevel != after.lastParentLevel) return;
  for (int level = 0; level < vh::kLevelCount; ++level) {
    const auto index = static_cast<std::size_t>(level);
    if (before.levels[index] == after.levels[index]) continue;
    if (level < m_levelTabs->count()) m_levelTabs->setCurrentIndex(level);
    return;
  }
}

void BranchesPage::WriteValueLabel(const LevelSlider& entry) {
  if (entry.label == nullptr) return;
  QString text = QString::number(entry.slider->value()) + QString::fromUtf8(entry.suffix);
  // Base size and length are percentages of the parent's only while inherited.
  const QRadioButton* inherit = entry.field == &LP::baseSize     ? m_sizeInherit
                                : entry.field == &LP::baseLength ? m_lengthInherit
                                                                 : nullptr;
  if (inherit != nullptr && inherit->isChecked()) text += "%";
  entry.label->setText(text);
}

void BranchesPage::SliderChanged(LevelSlider& entry) {
  // While a billboard cloud is built the slider shows its new position but
  // the parameter keeps its value until the next StoreControls.
  if (m_document.EditsLocked()) return;
  StoreValue(entry);
  WriteValueLabel(entry);
  m_document.UpdateAfterChange();
}

void BranchesPage::ShowValue(LevelSlider& entry) {
  entry.slider->setValue(Level().*entry.field - vh::FieldOf(entry.field).control.offset);
}

void BranchesPage::StoreValue(const LevelSlider& entry) {
  StoreSlider(*entry.slider, Level().*entry.field, vh::FieldOf(entry.field).control.offset);
}

void BranchesPage::CheckChanged(LevelCheck& entry) {
  if (m_document.EditsLocked()) return;
  Level().*entry.field = entry.box->isChecked();
  m_document.UpdateAfterChange();
}

// The Constant/Inherit pairs are not locked while a billboard cloud is
// built: they only store a flag, and the update they ask for cannot
// regrow the tree under the builder.
void BranchesPage::onBaseSizeModeToggled() {
  Level().baseSizeInherited = m_sizeInherit->isChecked();
  m_document.UpdateAfterChange();
}

void BranchesPage::onBaseLengthModeToggled() {
  Level().baseLengthInherited = m_lengthInherit->isChecked();
  m_document.UpdateAfterChange();
}

void BranchesPage::RebuildLevelTabs(int count) {
  m_rebuildingTabs = true;
  while (m_levelTabs->count() > 0) m_levelTabs->removeTab(m_levelTabs->count() - 1);
  for (int i = 1; i <= count; ++i) m_levelTabs->addTab(QString::number(i));
  m_levelTabs->setCurrentIndex(0);
  m_shownLevel = 0;
  m_rebuildingTabs = false;
}

void BranchesPage::onLevelCountChanged() {
  if (m_document.EditsLocked()) return;
  const int position = m_nbLevels->value();
  m_nbLevelsLabel->setText(QString::number(position + 1));
  RebuildLevelTabs(position + 1);
  StoreSlider(*m_nbLevels, m_document.State().params.lastParentLevel,
              vh::FieldOf(&vh::TreeParameters::lastParentLevel).control.offset);
  LoadLevelControls();
  m_document.UpdateAfterChange();
}

void BranchesPage::onSeedEdited() {
  if (m_document.EditsLocked()) return;
  bool ok = false;
  const int seed = m_seed->text().toInt(&ok);
  if (ok) m_document.State().params.seed = seed;  // a non-number is ignored while typing
  m_document.UpdateAfterChange();
  m_document.LeafAppearanceChanged();
}

void BranchesPage::onGenerateClicked() { m_document.GenerateTree(); }

void BranchesPage::StoreLeavingLevel(int leavingLevel) {
  m_shownLevel = leavingLevel;
  m_storingLevel = true;
  StoreControls();
  m_storingLevel = false;
}

void BranchesPage::ShowSelectedLevel(int newLevel) {
  m_shownLevel = newLevel;
  LoadLevelControls();
}

void BranchesPage::ShowLevelCaptions() {
  const bool trunk = m_shownLevel == 0;
  m_widthCaption->setText(trunk ? "Trunk width" : "Branch width");
  m_lengthCaption->setText(trunk ? "Trunk length" : "Branch length");
  m_bendingCaption->setText(trunk ? "Bending :" : "Bending upward :");
  m_sizeInherit->setEnabled(!trunk);
  m_lengthInherit->setEnabled(!trunk);
  Check(&LP::attachToParent).box->setVisible(!trunk);
}

void BranchesPage::LoadLevelControls() {
  // Untick "AutoUpdate" so that the change handlers fired below write their
  // values back without regenerating.
  const bool autoUpdate = AutoUpdate();
  SetAutoUpdate(false);
  const vh::TreeParameters& params = m_document.State().params;
  m_nbLevels->setValue(params.lastParentLevel -
                       vh::FieldOf(&vh::TreeParameters::lastParentLevel).control.offset);

  // Each control reads the selected level afresh: a handler fired by an
  // earlier one (the level count rebuilding the tabs) may have changed it.
  // The sliders go before the Constant/Inherit pairs, whose state the base
  // size and length labels show from the sliders' next move on.
  for (LevelSlider& entry : m_sliders) ShowValue(entry);
  (Level().baseLengthInherited ? m_lengthInherit : m_lengthConstant)->setChecked(true);
  (Level().baseSizeInherited ? m_sizeInherit : m_sizeConstant)->setChecked(true);
  for (LevelCheck& entry : m_checks) entry.box->setChecked(Level().*entry.field);

  for (ParameterPage* other : m_otherPages) other->LoadGlobals(m_document.State().params);
  m_seed->setText(QString::number(m_document.State().params.seed));

  ShowLevelCaptions();
  SetAutoUpdate(autoUpdate);
}

void BranchesPage::StoreControls() {
  if (m_document.EditsLocked()) return;
  vh::TreeParameters& params = m_document.State().params;
  for (const LevelSlider& entry : m_sliders) {
    if (StoredBeforeSeed(entry.field)) StoreValue(entry);
  }
  bool ok = false;
  const int seed = m_seed->text().toInt(&ok);
  if (!ok) {
    ShowWarning(window(), QString("'%1' is not a valid integer value").arg(m_seed->text()));
    return;
  }
  params.seed = seed;
  vh::LevelParameters& level = Level();
  level.baseLengthInherited = !m_lengthConstant->isChecked();
  level.baseSizeInherited = !m_sizeConstant->isChecked();
  for (const LevelSlider& entry : m_sliders) {
    if (!StoredBeforeSeed(entry.field)) StoreValue(entry);
  }
  for (const LevelCheck& entry : m_checks) level.*entry.field = entry.box->isChecked();
  for (const ParameterPage* other : m_otherPages) other->StoreGlobals(params);
  if (!m_storingLevel) m_document.UpdateAfterChange();
}
