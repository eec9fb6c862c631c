// The "Branches" page's handlers and the two routines that move values
// between the parameter set and the controls. The layout is in
// branches_page.cpp.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <iterator>

#include "app/document/tree_document.h"
#include "app/pages/branches_page.h"
#include "app/pages/control_edits.h"
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

const LP& BranchesPage::Level() const {
  return m_document.Params().levels[static_cast<std::size_t>(m_shownLevel)];
}

bool BranchesPage::EditLevel(const QWidget& control, const std::function<void(LP&)>& apply,
                             bool evenWhileLocked) {
  const auto level = static_cast<std::size_t>(m_shownLevel);
  TreeDocument::ParameterChange change =
      ControlEdit(control, [&apply, level](vh::TreeParameters& params) { apply(params.levels[level]); },
                  {.regrow = true});
  change.evenWhileLocked = evenWhileLocked;
  return m_document.Change(change);
}

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
  if (EditLevel(*entry.slider, [&entry](LP& level) { StoreValue(entry, level); })) WriteValueLabel(entry);
}

bool BranchesPage::ShowValue(LevelSlider& entry) {
  const QSignalBlocker loading(entry.slider);
  const int before = entry.slider->value();
  entry.slider->setValue(Level().*entry.field - vh::FieldOf(entry.field).control.offset);
  return entry.slider->value() != before;
}

void BranchesPage::StoreValue(const LevelSlider& entry, LP& level) {
  StoreSlider(*entry.slider, level.*entry.field, vh::FieldOf(entry.field).control.offset);
}

void BranchesPage::CheckChanged(LevelCheck& entry) {
  const bool on = entry.box->isChecked();
  EditLevel(*entry.box, [&entry, on](LP& level) { level.*entry.field = on; });
}

// The Constant/Inherit pairs are not locked while a billboard cloud is
// built: they only store a flag, and the update they ask for cannot
// regrow the tree under the builder. The step is named after the button
// now checked ("Branch width: Constant").
void BranchesPage::onBaseSizeModeToggled() {
  const bool inherit = m_sizeInherit->isChecked();
  EditLevel(
      inherit ? *m_sizeInherit : *m_sizeConstant, [inherit](LP& level) { level.baseSizeInherited = inherit; },
      true);
}

void BranchesPage::onBaseLengthModeToggled() {
  const bool inherit = m_lengthInherit->isChecked();
  EditLevel(
      inherit ? *m_lengthInherit : *m_lengthConstant,
      [inherit](LP& level) { level.baseLengthInherited = inherit; }, true);
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
  // The tabs and the first level's controls are shown before the tree regrows.
  const bool stored = m_document.Change(ControlEdit(*m_nbLevels, [this](vh::TreeParameters& params) {
    StoreSlider(*m_nbLevels, params.lastParentLevel,
                vh::FieldOf(&vh::TreeParameters::lastParentLevel).control.offset);
  }));
  if (!stored) return;
  const int position = m_nbLevels->value();
  m_nbLevelsLabel->setText(QString::number(position + 1));
  RebuildLevelTabs(position + 1);
  LoadLevelControls();
  m_document.UpdateAfterChange();
}

void BranchesPage::onSeedEdited() {
  bool ok = false;
  const int seed = m_seed->text().toInt(&ok);
  m_document.Change(ControlEdit(*m_seed,
                                [ok, seed](vh::TreeParameters& params) {
                                  if (ok) params.seed = seed;  // a non-number is ignored while typing
                                },
                                {.regrow = true, .leafAppearance = true}));
}

void BranchesPage::onGenerateClicked() {
  // Parameters set without a control (a test's) become a step of their own.
  m_document.Change(ControlEdit(*m_generate, [](vh::TreeParameters&) {}));
  m_document.GenerateTree();
}

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
  // The controls are set with their signals blocked: loading is no edit.
  // What the handlers would show besides the value is shown here.
  const vh::TreeParameters& params = m_document.Params();
  {
    const QSignalBlocker loading(m_nbLevels);
    m_nbLevels->setValue(params.lastParentLevel -
                         vh::FieldOf(&vh::TreeParameters::lastParentLevel).control.offset);
  }
  const int levels = m_nbLevels->value() + 1;
  m_nbLevelsLabel->setText(QString::number(levels));
  if (m_levelTabs->count() != levels) RebuildLevelTabs(levels);

  // The sliders go before the Constant/Inherit pairs: a slider that moves
  // writes its value label as the pair showed it until now, and the pair's
  // state shows in the base size and length labels from the sliders' next
  // move on.
  for (LevelSlider& entry : m_sliders) {
    if (ShowValue(entry)) WriteValueLabel(entry);
  }
  {
    // Checking one button of a pair unchecks the other: both are blocked.
    const QSignalBlocker lengthInherit(m_lengthInherit), lengthConstant(m_lengthConstant);
    const QSignalBlocker sizeInherit(m_sizeInherit), sizeConstant(m_sizeConstant);
    (Level().baseLengthInherited ? m_lengthInherit : m_lengthConstant)->setChecked(true);
    (Level().baseSizeInherited ? m_sizeInherit : m_sizeConstant)->setChecked(true);
  }
  for (LevelCheck& entry : m_checks) {
    const QSignalBlocker loading(entry.box);
    entry.box->setChecked(Level().*entry.field);
  }

  for (ParameterPage* other : m_otherPages) other->LoadGlobals(params);
  {
    const QSignalBlocker loading(m_seed);
    m_seed->setText(QString::number(params.seed));
  }
  ShowLevelCaptions();
}

void BranchesPage::StoreControls() {
  // The controls show the parameters; what differs was moved while a cloud
  // or chain was built, and is stored now.
  bool ok = false;
  const int seed = m_seed->text().toInt(&ok);
  const auto store = [this, ok, seed](vh::TreeParameters& params) {
    vh::LevelParameters& level = params.levels[static_cast<std::size_t>(m_shownLevel)];
    for (const LevelSlider& entry : m_sliders) {
      if (ok || StoredBeforeSeed(entry.field)) StoreValue(entry, level);
    }
    if (!ok) return;
    params.seed = seed;
    level.baseLengthInherited = !m_lengthConstant->isChecked();
    level.baseSizeInherited = !m_sizeConstant->isChecked();
    for (const LevelCheck& entry : m_checks) level.*entry.field = entry.box->isChecked();
    for (const ParameterPage* other : m_otherPages) other->StoreGlobals(params);
  };
  TreeDocument::ParameterChange change = ControlEdit(*this, store, {.regrow = ok && !m_storingLevel});
  change.name = "Branches";
  if (m_document.Change(change) && !ok)
    ShowWarning(window(), QString("'%1' is not a valid integer value").arg(m_seed->text()));
}
