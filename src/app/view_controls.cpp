#include "app/view_controls.h"

#include <optional>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/editor_host.h"
#include "app/named_button.h"
#include "tree/tree.h"
#include "view/camera.h"
#include "view/framing.h"
#include "view/viewer.h"

namespace {
constexpr float kRotateStep = 0.1f;  // radians per click

// A ring of eight buttons around a centre mark, positioned on a 3 × 3 grid.
struct RingSlot {
  const char* name;
  int row, column;
  const char* glyph;
  const char* tip;
  void (ViewControls::*handler)();
};
}  // namespace

ViewControls::ViewControls(EditorHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName("Panel3");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 6, 4, 6);

  // Rotation ring around the circle Shape1, move ring around the square Shape2.
  const RingSlot rotations[] = {
      {"SpeedButton7", 0, 1, "\u2191", "Turn up", &ViewControls::onTurnUp},
      {"SpeedButton8", 0, 2, "\u21bb", "Roll right", &ViewControls::onRollRight},
      {"SpeedButton12", 1, 0, "\u2190", "Turn left", &ViewControls::onTurnLeft},
      {"SpeedButton9", 1, 2, "\u2192", "Turn right", &ViewControls::onTurnRight},
      {"SpeedButton11", 2, 0, "\u21ba", "Roll left", &ViewControls::onRollLeft},
      {"SpeedButton10", 2, 1, "\u2193", "Turn down", &ViewControls::onTurnDown},
  };
  const RingSlot moves[] = {
      {"SpeedButton15", 0, 1, "\u2191", "Move up", &ViewControls::onMoveUp},
      {"SpeedButton14", 0, 2, "\u2197", "Move forward", &ViewControls::onMoveForward},
      {"SpeedButton16", 1, 0, "\u2190", "Move left", &ViewControls::onMoveLeft},
      {"SpeedButton13", 1, 2, "\u2192", "Move right", &ViewControls::onMoveRight},
      {"SpeedButton17", 2, 0, "\u2199", "Move backward", &ViewControls::onMoveBackward},
      {"SpeedButton18", 2, 1, "\u2193", "Move down", &ViewControls::onMoveDown},
  };
  const struct {
    const RingSlot* entries;
    const char* centreName;
    const char* centreGlyph;
  } rings[] = {{rotations, "Shape1", "\u25ef"}, {moves, "Shape2", "\u25a1"}};
  for (const auto& ring : rings) {
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    for (int i = 0; i < 6; ++i) {
      const RingSlot& slot = ring.entries[i];
      QToolButton* button = AddCameraButton(slot.name, QString::fromUtf8(slot.glyph),
                                            QString::fromUtf8(slot.tip), slot.handler);
      // Held down, a ring button goes on turning or moving the camera.
      button->setAutoRepeat(true);
      grid->addWidget(button, slot.row, slot.column);
    }
    auto* centre = new QLabel(QString::fromUtf8(ring.centreGlyph), this);
    centre->setObjectName(ring.centreName);
    centre->setAlignment(Qt::AlignCenter);
    grid->addWidget(centre, 1, 1);
    layout->addLayout(grid);
  }

  auto* reset = AddCameraButton("SpeedButton19", "Reset viewpoint", QString(),
                                &ViewControls::onResetViewpoint);
  reset->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  layout->addWidget(reset);
  auto* frame = AddCameraButton("FrameTreeButton", "Frame the tree", "Frame the tree (F)",
                                &ViewControls::onFrameTree);
  frame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  layout->addWidget(frame);

  wireframe_ = new QCheckBox("Wireframe", this);
  wireframe_->setObjectName("CheckBox6");
  hideLeaves_ = new QCheckBox("Hide leaves", this);
  hideLeaves_->setObjectName("CheckBox7");
  showPlane_ = new QCheckBox("Show plane", this);
  showPlane_->setObjectName("CheckBox8");
  showPlane_->setChecked(true);
  for (QCheckBox* box : {wireframe_, hideLeaves_, showPlane_}) layout->addWidget(box);
  connect(wireframe_, &QCheckBox::clicked, this, &ViewControls::onWireframeToggled);
  connect(hideLeaves_, &QCheckBox::clicked, this, &ViewControls::onHideLeavesToggled);
  connect(showPlane_, &QCheckBox::clicked, this, &ViewControls::onShowPlaneToggled);

  auto* infos = new QGroupBox("Infos", this);
  infos->setObjectName("GroupBox1");
  auto* infoLayout = new QVBoxLayout(infos);
  infoLayout->setContentsMargins(2, 2, 2, 2);
  polygons_ = new QLabel("Nb Polygons : ", infos);
  polygons_->setObjectName("Label44");
  vertices_ = new QLabel("Nb Vertices : ", infos);
  vertices_->setObjectName("Label45");
  submeshes_ = new QLabel("Nb Submeshes : ", infos);
  submeshes_->setObjectName("Label46");
  // Large trees have eight-digit counts: a count that does not fit beside
  // its caption goes on a line of its own rather than being cut off.
  for (QLabel* label : {polygons_, vertices_, submeshes_}) {
    label->setWordWrap(true);
    infoLayout->addWidget(label);
  }
  layout->addWidget(infos);
  layout->addStretch(1);
}

QToolButton* ViewControls::AddCameraButton(const char* name, const QString& glyph,
                                           const QString& tip, void (ViewControls::*handler)()) {
  auto* button = NamedButton(this, name, glyph);
  button->setToolTip(tip);
  button->setAutoRaise(true);  // flat, like the rest of the panel
  button->setFocusPolicy(Qt::NoFocus);
  connect(button, &QToolButton::clicked, this, handler);
  return button;
}

bool ViewControls::ShowPlane() const { return showPlane_->isChecked(); }
bool ViewControls::Wireframe() const { return wireframe_->isChecked(); }

void ViewControls::ShowCounts(std::uint64_t polygons, std::uint64_t vertices,
                              std::uint64_t submeshes) {
  polygons_->setText(QString("Nb Polygons : %1").arg(polygons));
  vertices_->setText(QString("Nb Vertices : %1").arg(vertices));
  submeshes_->setText(QString("Nb Submeshes : %1").arg(submeshes));
}

void ViewControls::Rotate(int axis, float theta) {
  vh::RotateAboutPivot(host_.ViewCamera(), static_cast<vh::CameraAxis>(axis), theta);
  host_.RenderFrameNow();
}

void ViewControls::Move(int axis, float direction) {
  // A fixed step would crawl along a tall tree and leap past a small one.
  const float step = vh::MoveStep(vh::MeshBounds(ShownMesh()));
  vh::MoveCamera(host_.ViewCamera(), static_cast<vh::CameraAxis>(axis), direction * step);
  host_.RenderFrameNow();
}

vh::MeshObject& ViewControls::ShownMesh() {
  if (vh::MeshObject* cloud = host_.Billboard()) return *cloud;
  return host_.CurrentTree();
}

constexpr int kRight = static_cast<int>(vh::CameraAxis::kRight);
constexpr int kUp = static_cast<int>(vh::CameraAxis::kUp);
constexpr int kForward = static_cast<int>(vh::CameraAxis::kForward);

void ViewControls::onTurnUp() { Rotate(kRight, kRotateStep); }
void ViewControls::onTurnDown() { Rotate(kRight, -kRotateStep); }
void ViewControls::onTurnLeft() { Rotate(kUp, kRotateStep); }
void ViewControls::onTurnRight() { Rotate(kUp, -kRotateStep); }
void ViewControls::onRollRight() { Rotate(kForward, kRotateStep); }
void ViewControls::onRollLeft() { Rotate(kForward, -kRotateStep); }
void ViewControls::onMoveUp() { Move(kUp, 1.0f); }
void ViewControls::onMoveDown() { Move(kUp, -1.0f); }
void ViewControls::onMoveRight() { Move(kRight, 1.0f); }
void ViewControls::onMoveLeft() { Move(kRight, -1.0f); }
void ViewControls::onMoveForward() { Move(kForward, 1.0f); }
void ViewControls::onMoveBackward() { Move(kForward, -1.0f); }

void ViewControls::onResetViewpoint() {
  vh::Camera& camera = host_.ViewCamera();
  const int width = camera.viewportWidth;
  const int height = camera.viewportHeight;
  camera = vh::Camera();
  camera.viewportWidth = width;
  camera.viewportHeight = height;
  camera.position = vh::kHomePosition;
  host_.SetViewDirty();
}

void ViewControls::onFrameTree() {
  const std::optional<vh::Box> bounds = vh::MeshBounds(ShownMesh());
  if (!bounds) return;  // nothing to look at: the eye stays
  vh::FrameBox(host_.ViewCamera(), *bounds);
  host_.SetViewDirty();
}

void ViewControls::FrameFromTheFront() {
  onResetViewpoint();
  onFrameTree();
}

void ViewControls::onWireframeToggled() {
  const bool on = wireframe_->isChecked();
  vh::WireframeParts& wireframe = host_.Session().wireframe;
  if (host_.BillboardMode()) {
    host_.WithViewContext([on] { vh::SetWireframeBlending(true, on); });
    wireframe.groundPlane = on;
    wireframe.billboard = on;
    host_.SetViewDirty();
    return;
  }
  host_.WithViewContext([on] { vh::SetWireframeBlending(false, on); });
  if (host_.EditsLocked()) return;
  wireframe.tree = on;
  wireframe.groundPlane = on;
  host_.SetViewDirty();
  host_.RepaintLeafEditor();
  host_.GiveFocusBack();
}

void ViewControls::onHideLeavesToggled() {
  if (host_.EditsLocked()) return;
  host_.Session().showLeaves = !hideLeaves_->isChecked();
  host_.UpdateAfterChange();
  host_.RepaintLeafEditor();
  host_.GiveFocusBack();
}

// Only what is drawn changes: the next frame shows or leaves out the plane,
// and the tree is not regrown.
void ViewControls::onShowPlaneToggled() {
  if (host_.EditsLocked()) return;
  host_.SetViewDirty();
  host_.RepaintLeafEditor();
  host_.GiveFocusBack();
}
