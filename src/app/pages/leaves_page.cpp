#include "app/pages/leaves_page.h"

#include <utility>

#include <QCheckBox>
#include <QGridLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "app/document/tree_document.h"
#include "app/pages/control_edits.h"
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

  connect(m_bending, &QSlider::valueChanged, this, &LeavesPage::onLeafBendingChanged);
  connect(m_rotate, &QSlider::valueChanged, this, &LeavesPage::onPictureRotationChanged);
  connect(m_translateX, &QSlider::valueChanged, this, &LeavesPage::onPictureShiftXChanged);
  connect(m_translateY, &QSlider::valueChanged, this, &LeavesPage::onPictureShiftYChanged);
  connect(m_scale, &QSlider::valueChanged, this, &LeavesPage::onPictureScaleChanged);
  connect(m_noLeavesOnTrunk, &QCheckBox::toggled, this, &LeavesPage::onNoLeavesOnTrunkToggled);
  // The picture dragged in the editor moves the translate sliders.
  connect(&m_document, &TreeDocument::parametersEdited, this, [this] { LoadGlobals(m_document.Params()); });
  EndGesturesOf(*this, m_document);
}

QWidget* LeavesPage::FocusTarget() const { return m_bending; }

void LeavesPage::LoadGlobals(const vh::TreeParameters& params) {
  for (const auto& [slider, value] :
       {std::pair{m_bending, params.leafBending}, std::pair{m_rotate, params.leafTexRotate},
        std::pair{m_translateX, params.leafTexTranslateX}, std::pair{m_translateY, params.leafTexTranslateY},
        std::pair{m_scale, params.leafTexScale}}) {
    const QSignalBlocker loading(slider);
    slider->setValue(value);
  }
  const QSignalBlocker loading(m_noLeavesOnTrunk);
  m_noLeavesOnTrunk->setChecked(params.noLeavesOnTrunk);
  m_editor->update();
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
  m_document.Change(ControlEdit(
      *m_bending, [this](vh::TreeParameters& params) { StoreSlider(*m_bending, params.leafBending); },
      {.regrow = true}));
}

// The picture placement takes effect at the tree's next update; moving it
// regenerates nothing, but the outline's texture coordinates follow it.
void LeavesPage::PlacementChanged(const QSlider& slider, int vh::TreeParameters::*field) {
  m_document.Change(ControlEdit(slider, [this, &slider, field](vh::TreeParameters& params) {
    StoreSlider(slider, params.*field);
    m_editor->RecomputeTexCoords(params);
  }));
  m_editor->update();
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
  const bool on = m_noLeavesOnTrunk->isChecked();
  m_document.Change(ControlEdit(*m_noLeavesOnTrunk,
                                [on](vh::TreeParameters& params) { params.noLeavesOnTrunk = on; },
                                {.regrow = true}));
  m_editor->update();
}
