#include "app/leaves_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QSlider>
#include <QVBoxLayout>

#include "app/editor_host.h"
#include "app/labelled_slider.h"
#include "app/leaf_editor.h"
#include "tree/tree.h"

LeavesPage::LeavesPage(EditorHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName("TabSheet2");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  editor_ = new LeafEditor(host, this);
  layout->addWidget(editor_, 1);

  auto* panel = new QWidget(this);
  panel->setObjectName("Panel7");
  auto* grid = new QGridLayout(panel);
  rotate_ = AddLabelledSlider(grid, 0, "rotate :", "TrackBar12", 0, 360, 0);
  translateX_ = AddLabelledSlider(grid, 1, "translate (x) :", "TrackBar13", -300, 300, 0);
  translateY_ = AddLabelledSlider(grid, 2, "translate (y) :", "TrackBar14", -300, 300, 0);
  scale_ = AddLabelledSlider(grid, 3, "scale :", "TrackBar15", 1, 1000, 150);
  bending_ = AddLabelledSlider(grid, 4, "bending :", "TrackBar11", 1, 100, 50);
  noLeavesOnTrunk_ = new QCheckBox("No leaves on trunk", panel);
  noLeavesOnTrunk_->setObjectName("CheckBox5");
  noLeavesOnTrunk_->setChecked(true);
  grid->addWidget(noLeavesOnTrunk_, 5, 0, 1, 2);
  layout->addWidget(editor_->BuildButtons(panel));
  layout->addWidget(panel);
  editor_->SetTranslateSliders(translateX_, translateY_);

  connect(bending_, &QSlider::valueChanged, this, &LeavesPage::TrackBar11Change);
  connect(rotate_, &QSlider::valueChanged, this, &LeavesPage::TrackBar12Change);
  connect(translateX_, &QSlider::valueChanged, this, &LeavesPage::TrackBar13Change);
  connect(translateY_, &QSlider::valueChanged, this, &LeavesPage::TrackBar14Change);
  connect(scale_, &QSlider::valueChanged, this, &LeavesPage::TrackBar15Change);
  connect(noLeavesOnTrunk_, &QCheckBox::toggled, this, &LeavesPage::CheckBox5Click);
}

QWidget* LeavesPage::FocusTarget() const { return bending_; }

void LeavesPage::RepaintEditor() { editor_->update(); }

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

void LeavesPage::TrackBar11Change() {
  if (host_.EditsLocked()) return;
  StoreSlider(*bending_, host_.Session().params.leafBending);
  host_.UpdateAfterChange();
}

// The picture placement takes effect at the tree's next update; moving it
// regenerates nothing, but the outline's texture coordinates follow it.
void LeavesPage::TrackBar12Change() {
  if (host_.EditsLocked()) return;
  StoreSlider(*rotate_, host_.Session().params.leafTexRotate);
  RepaintEditor();
  editor_->RecomputeTexCoords();
}

void LeavesPage::TrackBar13Change() {
  if (host_.EditsLocked()) return;
  StoreSlider(*translateX_, host_.Session().params.leafTexTranslateX);
  RepaintEditor();
  editor_->RecomputeTexCoords();
}

void LeavesPage::TrackBar14Change() {
  if (host_.EditsLocked()) return;
  StoreSlider(*translateY_, host_.Session().params.leafTexTranslateY);
  RepaintEditor();
  editor_->RecomputeTexCoords();
}

void LeavesPage::TrackBar15Change() {
  if (host_.EditsLocked()) return;
  StoreSlider(*scale_, host_.Session().params.leafTexScale);
  RepaintEditor();
  editor_->RecomputeTexCoords();
}

void LeavesPage::CheckBox5Click() {
  if (host_.EditsLocked()) return;
  host_.Session().params.noLeavesOnTrunk = noLeavesOnTrunk_->isChecked();
  host_.UpdateAfterChange();
  RepaintEditor();
}
