// Panel3, the left-hand panel: the twelve camera buttons, "Reset
// viewpoint", "Frame the tree", the display check boxes "Wireframe",
// "Hide leaves" and "Show plane", the view's "Look" ("Classic" or
// "Realistic"), and the group "Infos" with the three counts of what the
// view shows, the document's name and a note when the realistic look
// cannot be drawn.
#pragma once

#include <cstdint>

#include <QWidget>

class TreeDocument;
class Viewport;
class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;

class ViewControls : public QWidget {
  Q_OBJECT
 public:
  // The buttons move `viewport`'s camera; "Infos" follows `document`. Both
  // must outlive the panel.
  ViewControls(TreeDocument& document, Viewport& viewport, QWidget* parent = nullptr);

  // Writes the three counts into "Infos".
  void ShowCounts(std::uint64_t polygons, std::uint64_t vertices, std::uint64_t submeshes);
  // Shows the document's name in "Infos" (DocumentName), shortened in the
  // middle when it is long; the whole name is its tooltip.
  void ShowDocumentName(const QString& name);

 signals:
  // A display check box was clicked: the keyboard focus is to go back to
  // the shown page, so that check boxes never keep it.
  void focusGivenBack();

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
  // "Frame the tree" (FrameTreeButton): Viewport::FrameShown.
  void onFrameTree();
  void onWireframeToggled();     // CheckBox6
  void onHideLeavesToggled();    // CheckBox7
  void onShowPlaneToggled();     // CheckBox8
  void onLookChosen(int index);  // LookChoice

 private:
  QToolButton* AddCameraButton(const char* name, const QString& glyph, const QString& tip,
                               void (ViewControls::*handler)());
  void Rotate(int axis, float theta);
  // Moves by `direction` (+1 or -1) steps of a size that follows the size
  // of what is shown (MoveStep).
  void Move(int axis, float direction);

  TreeDocument& m_document;
  Viewport& m_viewport;
  QCheckBox* m_wireframe = nullptr;
  QCheckBox* m_hideLeaves = nullptr;
  QCheckBox* m_showPlane = nullptr;
  QComboBox* m_look = nullptr;
  QLabel* m_polygons = nullptr;
  QLabel* m_vertices = nullptr;
  QLabel* m_submeshes = nullptr;
  QLabel* m_documentName = nullptr;  // DocumentName
  QLabel* m_lookNote = nullptr;      // LookNote
};
