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
  LeafEditor* Editor() const { return m_editor; }

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

  TreeDocument& m_document;
  LeafEditor* m_editor = nullptr;          // PaintBox1
  QSlider* m_bending = nullptr;            // TrackBar11
  QSlider* m_rotate = nullptr;             // TrackBar12
  QSlider* m_translateX = nullptr;         // TrackBar13
  QSlider* m_translateY = nullptr;         // TrackBar14
  QSlider* m_scale = nullptr;              // TrackBar15
  QCheckBox* m_noLeavesOnTrunk = nullptr;  // CheckBox5
};
