#include "app/pages/leaves_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QSlider>
#include <QVBoxLayout>

#include "app/document/tree_document.h"
#include "app/pages/leaf_editor.h"
#include "app/widgets/labelled_slider.h"
#include "tree/parameter_table.h"
#include "tree/tree.h"

LeavesPage::LeavesPage(TreeDocument& document, QWidget* parent) : QWidget(parent), m_document(document) {
  setObjectName("TabSheet2");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  m_editor = new LeafEditor(document, this);
  layout->addWidget(m_editor, 1);

  auto* panel = new QWidget(this);
  panel->setObjectName("Panel7");
  auto* grid = new QGridLayout(panel);
  using T = vh::TreeParameters;
  m_rotate = AddLabelledSlider(grid, 0, "rotate :", "TrackBar12", vh::FieldOf(&T::leafTexRotate).control);
  m_translateX =
      AddLabelledSlider(grid, 1, "translate (x) :", "TrackBar13", vh::FieldOf(&T::leafTexTranslateX).control);
  m_translateY =
      AddLabelledSlider(grid, 2, "translate (y) :", "TrackBar14", vh::FieldOf(&T::leafTexTranslateY).control);
  m_scale = AddLabelledSlider(grid, 3, "scale :", "TrackBar15", vh::FieldOf(&T::leafTexScale).control);
  m_bending = AddLabelledSlider(grid, 4, "bending :", "TrackBar11", vh::FieldOf(&T::leafBending).control);
  m_noLeavesOnTrunk = new QCheckBox("No leaves on trunk", panel);
  m_noLeavesOnTrunk->setObjectName("CheckBox5");
  m_noLeavesOnTrunk->setChecked(true);
  grid->addWidget(m_noLeavesOnTrunk, 5, 0, 1, 2);
  layout->addWidget(m_editor->BuildButtons(panel));
  layout->addWidget(panel);
  m_editor->SetTranslateSliders(m_translateX, m_translateY);

  connect(m_bending, &QSlider::valueChanged, this, &LeavesPage::onLeafBendingChanged);
  connect(m_rotate, &QSlider::valueChanged, this, &LeavesPage::onPictureRotationChanged);
  connect(m_translateX, &QSlider::valueChanged, this, &LeavesPage::onPictureShiftXChanged);
  connect(m_translateY, &QSlider::valueChanged, this, &LeavesPage::onPictureShiftYChanged);
  connect(m_scale, &QSlider::valueChanged, this, &LeavesPage::onPictureScaleChanged);
  connect(m_noLeavesOnTrunk, &QCheckBox::toggled, this, &LeavesPage::onNoLeavesOnTrunkToggled);
}

QWidget* LeavesPage::FocusTarget() const { return m_bending; }

void LeavesPage::LoadGlobals(const vh::TreeParameters& params) {
  m_bending->setValue(params.leafBending);
  m_rotate->setValue(params.leafTexRotate);
  m_translateX->setValue(params.leafTexTranslateX);
  m_translateY->setValue(params.leafTexTranslateY);
  m_scale->setValue(params.leafTexScale);
  m_noLeavesOnTrunk->setChecked(params.noLeavesOnTrunk);
}

void LeavesPage::StoreGlobals(vh::TreeParameters& params) const {
  StoreSlider(*m_bending, params.leafBending);
  StoreSlider(*m_rotate, params.leafTexRotate);
  StoreSlider(*m_translateX, params.leafTexTranslateX);
  StoreSlider(*m_translateY, params.leafTexTranslateY);
  StoreSlider(*m_scale, params.leafTexScale);
  params.noLeavesOnTrunk = m_noLeavesOnTrunk->isChecked();
}

void LeavesPage::onLeafBendingChanged() {
  if (m_document.EditsLocked()) return;
  StoreSlider(*m_bending, m_document.State().params.leafBending);
  m_document.UpdateAfterChange();
}

// The picture placement takes effect at the tree's next update; moving it
// regenerates nothing, but the outline's texture coordinates follow it.
void LeavesPage::PlacementChanged(const QSlider& slider, int vh::TreeParameters::*field) {
  if (m_document.EditsLocked()) return;
  StoreSlider(slider, m_document.State().params.*field);
  m_editor->update();
  m_editor->RecomputeTexCoords();
}

void LeavesPage::onPictureRotationChanged() {
  PlacementChanged(*m_rotate, &vh::TreeParameters::leafTexRotate);
}
void LeavesPage::onPictureShiftXChanged() {
  PlacementChanged(*m_translateX, &vh::TreeParameters::leafTexTranslateX);
}
void LeavesPage::onPictureShiftYChanged() {
  PlacementChanged(*m_translateY, &vh::TreeParameters::leafTexTranslateY);
}
void LeavesPage::onPictureScaleChanged() { PlacementChanged(*m_scale, &vh::TreeParameters::leafTexScale); }

void LeavesPage::onNoLeavesOnTrunkToggled() {
  if (m_document.EditsLocked()) return;
  m_document.State().params.noLeavesOnTrunk = m_noLeavesOnTrunk->isChecked();
  m_document.UpdateAfterChange();
  m_editor->update();
}
