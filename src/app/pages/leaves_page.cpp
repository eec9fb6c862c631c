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

LeavesPage::LeavesPage(TreeDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
  setObjectName("TabSheet2");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  editor_ = new LeafEditor(document, this);
  layout->addWidget(editor_, 1);

  auto* panel = new QWidget(this);
  panel->setObjectName("Panel7");
  auto* grid = new QGridLayout(panel);
  using T = vh::TreeParameters;
  rotate_ = AddLabelledSlider(grid, 0, "rotate :", "TrackBar12", vh::FieldOf(&T::leafTexRotate).control);
  translateX_ = AddLabelledSlider(grid, 1, "translate (x) :", "TrackBar13",
                                  vh::FieldOf(&T::leafTexTranslateX).control);
  translateY_ = AddLabelledSlider(grid, 2, "translate (y) :", "TrackBar14",
                                  vh::FieldOf(&T::leafTexTranslateY).control);
  scale_ = AddLabelledSlider(grid, 3, "scale :", "TrackBar15", vh::FieldOf(&T::leafTexScale).control);
  bending_ = AddLabelledSlider(grid, 4, "bending :", "TrackBar11", vh::FieldOf(&T::leafBending).control);
  noLeavesOnTrunk_ = new QCheckBox("No leaves on trunk", panel);
  noLeavesOnTrunk_->setObjectName("CheckBox5");
  noLeavesOnTrunk_->setChecked(true);
  grid->addWidget(noLeavesOnTrunk_, 5, 0, 1, 2);
  layout->addWidget(editor_->BuildButtons(panel));
  layout->addWidget(panel);
  editor_->SetTranslateSliders(translateX_, translateY_);

  connect(bending_, &QSlider::valueChanged, this, &LeavesPage::onLeafBendingChanged);
  connect(rotate_, &QSlider::valueChanged, this, &LeavesPage::onPictureRotationChanged);
  connect(translateX_, &QSlider::valueChanged, this, &LeavesPage::onPictureShiftXChanged);
  connect(translateY_, &QSlider::valueChanged, this, &LeavesPage::onPictureShiftYChanged);
  connect(scale_, &QSlider::valueChanged, this, &LeavesPage::onPictureScaleChanged);
  connect(noLeavesOnTrunk_, &QCheckBox::toggled, this, &LeavesPage::onNoLeavesOnTrunkToggled);
}

QWidget* LeavesPage::FocusTarget() const { return bending_; }

void LeavesPage::LoadGlobals(const vh::TreeParameters& params) {
  bending_->setValue(params.leafBending);
  rotate_->setValue(params.leafTexRotate);
  translateX_->setValue(params.leafTexTranslateX);
  translateY_->setValue(params.leafTexTranslateY);
  scale_->setValue(params.leafTexScale);
  noLeavesOnTrunk_->setChecked(params.noLeavesOnTrunk);
}

void LeavesPage::StoreGlobals(vh::TreeParameters& params) const {
  StoreSlider(*bending_, params.leafBending);
  StoreSlider(*rotate_, params.leafTexRotate);
  StoreSlider(*translateX_, params.leafTexTranslateX);
  StoreSlider(*translateY_, params.leafTexTranslateY);
  StoreSlider(*scale_, params.leafTexScale);
  params.noLeavesOnTrunk = noLeavesOnTrunk_->isChecked();
}

void LeavesPage::onLeafBendingChanged() {
  if (document_.EditsLocked()) return;
  StoreSlider(*bending_, document_.Session().params.leafBending);
  document_.UpdateAfterChange();
}

// The picture placement takes effect at the tree's next update; moving it
// regenerates nothing, but the outline's texture coordinates follow it.
void LeavesPage::PlacementChanged(const QSlider& slider, int vh::TreeParameters::*field) {
  if (document_.EditsLocked()) return;
  StoreSlider(slider, document_.Session().params.*field);
  editor_->update();
  editor_->RecomputeTexCoords();
}

void LeavesPage::onPictureRotationChanged() { PlacementChanged(*rotate_, &vh::TreeParameters::leafTexRotate); }
void LeavesPage::onPictureShiftXChanged() {
  PlacementChanged(*translateX_, &vh::TreeParameters::leafTexTranslateX);
}
void LeavesPage::onPictureShiftYChanged() {
  PlacementChanged(*translateY_, &vh::TreeParameters::leafTexTranslateY);
}
void LeavesPage::onPictureScaleChanged() { PlacementChanged(*scale_, &vh::TreeParameters::leafTexScale); }

void LeavesPage::onNoLeavesOnTrunkToggled() {
  if (document_.EditsLocked()) return;
  document_.Session().params.noLeavesOnTrunk = noLeavesOnTrunk_->isChecked();
  document_.UpdateAfterChange();
  editor_->update();
}
