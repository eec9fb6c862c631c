// The "Leaves" page: the leaf parameters "bending :" and "No leaves on
// trunk" and the leaf picture placement sliders "rotate :",
// "translate (x) :", "translate (y) :" and "scale :". The leaf outline
// editor (PaintBox1) and its buttons sit above these controls.
#pragma once

#include <QWidget>

#include "app/parameter_page.h"

class EditorHost;
class LeafEditor;
class QCheckBox;
class QSlider;

class LeavesPage : public QWidget, public ParameterPage {
  Q_OBJECT
 public:
  explicit LeavesPage(EditorHost& host, QWidget* parent = nullptr);

  void LoadGlobals(const vh::TreeParameters& params) override;
  void StoreGlobals(vh::TreeParameters& params) const override;
  // Repaints the leaf editor.
  void RepaintEditor();
  // The slider that takes the keyboard focus back from check boxes.
  QWidget* FocusTarget() const;
  // The leaf shape editor (PaintBox1).
  LeafEditor* Editor() const { return editor_; }

 public slots:
  void TrackBar11Change();  // bending
  void TrackBar12Change();  // rotate
  void TrackBar13Change();  // translate (x)
  void TrackBar14Change();  // translate (y)
  void TrackBar15Change();  // scale
  void CheckBox5Click();    // no leaves on trunk

 private:
  EditorHost& host_;
  LeafEditor* editor_ = nullptr;  // PaintBox1
  QSlider* bending_ = nullptr;   // TrackBar11
  QSlider* rotate_ = nullptr;    // TrackBar12
  QSlider* translateX_ = nullptr;  // TrackBar13
  QSlider* translateY_ = nullptr;  // TrackBar14
  QSlider* scale_ = nullptr;     // TrackBar15
  QCheckBox* noLeavesOnTrunk_ = nullptr;  // CheckBox5
};
