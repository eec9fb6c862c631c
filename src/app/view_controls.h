// Panel3, the left-hand panel: the twelve camera buttons, "Reset
// viewpoint", the display check boxes "Wireframe", "Hide leaves" and
// "Show plane", and the group "Infos" with the three counts.
#pragma once

#include <cstdint>

#include <QWidget>

class EditorHost;
class QCheckBox;
class QLabel;
class QToolButton;

class ViewControls : public QWidget {
  Q_OBJECT
 public:
  explicit ViewControls(EditorHost& host, QWidget* parent = nullptr);

  bool ShowPlane() const;
  bool Wireframe() const;
  // Writes the three counts into "Infos".
  void ShowCounts(std::uint64_t polygons, std::uint64_t vertices, std::uint64_t submeshes);

 public slots:
  void SpeedButton7Click();   // rotate +0.1 rad about right
  void SpeedButton10Click();  // rotate −0.1 rad about right
  void SpeedButton12Click();  // rotate +0.1 rad about up
  void SpeedButton9Click();   // rotate −0.1 rad about up
  void SpeedButton8Click();   // roll +0.1 rad about forward
  void SpeedButton11Click();  // roll −0.1 rad about forward
  void SpeedButton15Click();  // move up
  void SpeedButton18Click();  // move down
  void SpeedButton13Click();  // move right
  void SpeedButton16Click();  // move left
  void SpeedButton14Click();  // move forward
  void SpeedButton17Click();  // move backward
  void SpeedButton19Click();  // reset viewpoint
  void CheckBox6Click();      // wireframe
  void CheckBox7Click();      // hide leaves
  void CheckBox8Click();      // show plane

 private:
  QToolButton* AddCameraButton(const char* name, const QString& glyph, const QString& tip,
                               void (ViewControls::*handler)());
  void Rotate(int axis, float theta);
  void Move(int axis, float amount);

  EditorHost& host_;
  QCheckBox* wireframe_ = nullptr;
  QCheckBox* hideLeaves_ = nullptr;
  QCheckBox* showPlane_ = nullptr;
  QLabel* polygons_ = nullptr;
  QLabel* vertices_ = nullptr;
  QLabel* submeshes_ = nullptr;
};
