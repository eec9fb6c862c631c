// Panel3, the left-hand panel: the twelve camera buttons, "Reset
// viewpoint", "Frame the tree", the display check boxes "Wireframe", "Hide leaves" and
// "Show plane", and the group "Infos" with the three counts.
#pragma once

#include <cstdint>

#include <QWidget>

class EditorHost;
namespace vh {
struct MeshObject;
}
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
  // The camera buttons (SpeedButton7 to SpeedButton19): turns of 0.1 rad
  // about the camera's right, up and forward axes, moves along them, and
  // "Reset viewpoint".
  void onTurnUp();
  void onTurnDown();
  void onTurnLeft();
  void onTurnRight();
  void onRollRight();
  void onRollLeft();
  void onMoveUp();
  void onMoveDown();
  void onMoveRight();
  void onMoveLeft();
  void onMoveForward();
  void onMoveBackward();
  void onResetViewpoint();
  // "Frame the tree" (FrameTreeButton, the F key): the eye keeps its
  // direction and moves so that the tree, or the billboard cloud in
  // billboard mode, fills the view.
  void onFrameTree();
  // A document or preset was opened: the view looks at it from the front,
  // as after "Reset viewpoint", from where it fills the view.
  void FrameFromTheFront();
  void onWireframeToggled();   // CheckBox6
  void onHideLeavesToggled();  // CheckBox7
  void onShowPlaneToggled();   // CheckBox8

 private:
  QToolButton* AddCameraButton(const char* name, const QString& glyph, const QString& tip,
                               void (ViewControls::*handler)());
  void Rotate(int axis, float theta);
  // Moves by `direction` (+1 or -1) steps of a size that follows the size
  // of what is shown (MoveStep).
  void Move(int axis, float direction);
  vh::MeshObject& ShownMesh();

  EditorHost& host_;
  QCheckBox* wireframe_ = nullptr;
  QCheckBox* hideLeaves_ = nullptr;
  QCheckBox* showPlane_ = nullptr;
  QLabel* polygons_ = nullptr;
  QLabel* vertices_ = nullptr;
  QLabel* submeshes_ = nullptr;
};
