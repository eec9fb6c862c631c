// The "Leaves" page: the leaf parameters "bending :" and "No leaves on
// trunk" and the leaf picture placement sliders "rotate :",
// "translate (x) :", "translate (y) :" and "scale :". The leaf outline
// editor (PaintBox1) and its buttons sit above these controls.
#pragma once

#include <QWidget>

#include "app/pages/parameter_page.h"

class TreeDocument;
class LeafEditor;
class QCheckBox;
class QSlider;

class LeavesPage : public QWidget, public ParameterPage {
  Q_OBJECT
 public:
  explicit LeavesPage(TreeDocument& document, QWidget* parent = nullptr);

  void LoadGlobals(const vh::TreeParameters& params) override;
  void StoreGlobals(vh::TreeParameters& params) const override;
  // The slider that takes the keyboard focus back from check boxes.
  QWidget* FocusTarget() const;
  // The leaf shape editor (PaintBox1).
  LeafEditor* Editor() const { return editor_; }

 public slots:
  void onLeafBendingChanged();      // TrackBar11, "bending :"
  void onPictureRotationChanged();  // TrackBar12, "rotate :"
  void onPictureShiftXChanged();    // TrackBar13, "translate (x) :"
  void onPictureShiftYChanged();    // TrackBar14, "translate (y) :"
  void onPictureScaleChanged();     // TrackBar15, "scale :"
  void onNoLeavesOnTrunkToggled();  // CheckBox5

 private:
  // Stores a picture placement slider into `field` and follows it in the
  // editor and the outline's texture coordinates.
  void PlacementChanged(const QSlider& slider, int vh::TreeParameters::*field);

  TreeDocument& document_;
  LeafEditor* editor_ = nullptr;  // PaintBox1
  QSlider* bending_ = nullptr;   // TrackBar11
  QSlider* rotate_ = nullptr;    // TrackBar12
  QSlider* translateX_ = nullptr;  // TrackBar13
  QSlider* translateY_ = nullptr;  // TrackBar14
  QSlider* scale_ = nullptr;     // TrackBar15
  QCheckBox* noLeavesOnTrunk_ = nullptr;  // CheckBox5
};
