#include "app/pages/view_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/document/tree_document.h"
#include "app/viewport/viewport.h"
#include "app/widgets/named_button.h"
#include "tree/tree.h"
#include "view/camera.h"
#include "view/framing.h"
#include "view/viewer.h"

namespace {
constexpr float kRotateStep = 0.1f;  // radians per click
constexpr int kNameWidth = 140;      // pixels of "Infos" the document's name may take

// A ring of eight buttons around a centre mark, positioned on a 3 × 3 grid.
struct RingSlot {
  const char* name;
  int row, column;
  const char* glyph;
  const char* tip;
  void (ViewControls::*handler)();
};
}  // namespace

ViewControls::ViewControls(TreeDocument& document, Viewport& viewport, QWidget* parent)
    : QWidget(parent), m_document(document), m_viewport(viewport) {
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

  auto* reset =
      AddCameraButton("SpeedButton19", "Reset viewpoint", QString(), &ViewControls::onResetViewpoint);
  reset->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  layout->addWidget(reset);
  auto* frame =
      AddCameraButton("FrameTreeButton", "Frame the tree", "Frame the tree (F)", &ViewControls::onFrameTree);
  frame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  layout->addWidget(frame);

  m_wireframe = new QCheckBox("Wireframe", this);
  m_wireframe->setObjectName("CheckBox6");
  m_hideLeaves = new QCheckBox("Hide leaves", this);
  m_hideLeaves->setObjectName("CheckBox7");
  m_showPlane = new QCheckBox("Show plane", this);
  m_showPlane->setObjectName("CheckBox8");
  m_showPlane->setChecked(true);
  for (QCheckBox* box : {m_wireframe, m_hideLeaves, m_showPlane}) layout->addWidget(box);
  connect(m_wireframe, &QCheckBox::clicked, this, &ViewControls::onWireframeToggled);
  connect(m_hideLeaves, &QCheckBox::clicked, this, &ViewControls::onHideLeavesToggled);
  connect(m_showPlane, &QCheckBox::clicked, this, &ViewControls::onShowPlaneToggled);
  // What the boxes show is what the view draws, whoever ticked them.
  connect(m_showPlane, &QCheckBox::toggled, this, [this](bool on) { m_viewport.SetShowPlane(on); });
  connect(m_wireframe, &QCheckBox::toggled, &m_document, &TreeDocument::SetWireframeTicked);

  // The look, after the display boxes: index 0 "Classic", 1 "Realistic",
  // in the order of vh::Look.
  auto* lookRow = new QHBoxLayout;
  auto* lookCaption = new QLabel("Look", this);
  lookCaption->setObjectName("LookLabel");
  m_look = new QComboBox(this);
  m_look->setObjectName("LookChoice");
  m_look->addItems({"Classic", "Realistic"});
  m_look->setCurrentIndex(static_cast<int>(m_viewport.Look()));
  m_look->setFocusPolicy(Qt::NoFocus);
  lookCaption->setBuddy(m_look);
  lookRow->addWidget(lookCaption);
  lookRow->addWidget(m_look, 1);
  layout->addLayout(lookRow);
  connect(m_look, &QComboBox::activated, this, &ViewControls::onLookChosen);

  auto* infos = new QGroupBox("Infos", this);
  infos->setObjectName("GroupBox1");
  auto* infoLayout = new QVBoxLayout(infos);
  // The counts take the box's whole width: a large tree's seven-digit
  // count then stays on its caption's line.
  infoLayout->setContentsMargins(0, 2, 0, 2);
  m_polygons = new QLabel("Nb Polygons : ", infos);
  m_polygons->setObjectName("Label44");
  m_vertices = new QLabel("Nb Vertices : ", infos);
  m_vertices->setObjectName("Label45");
  m_submeshes = new QLabel("Nb Submeshes : ", infos);
  m_submeshes->setObjectName("Label46");
  // Large trees have eight-digit counts: a count that does not fit beside
  // its caption goes on a line of its own rather than being cut off.
  for (QLabel* label : {m_polygons, m_vertices, m_submeshes}) {
    label->setWordWrap(true);
    infoLayout->addWidget(label);
  }
  m_documentName = new QLabel(infos);
  m_documentName->setObjectName("DocumentName");
  infoLayout->addWidget(m_documentName);
  m_lookNote = new QLabel(infos);
  m_lookNote->setObjectName("LookNote");
  m_lookNote->setWordWrap(true);
  m_lookNote->hide();
  infoLayout->addWidget(m_lookNote);
  connect(&m_viewport, &Viewport::lookNoteChanged, this, [this](const QString& note) {
    m_lookNote->setText(note);
    m_lookNote->setVisible(!note.isEmpty());
  });
  layout->addWidget(infos);
  layout->addStretch(1);

  connect(&m_document, &TreeDocument::countsChanged, this, [this] {
    const vh::MeshObject& shown = m_document.ShownMesh();
    ShowCounts(shown.PolygonCount(), shown.VertexCount(), shown.submeshes.size());
  });
}

QToolButton* ViewControls::AddCameraButton(const char* name, const QString& glyph, const QString& tip,
                                           void (ViewControls::*handler)()) {
  auto* button = NamedButton(this, name, glyph);
  button->setToolTip(tip);
  button->setAutoRaise(true);  // flat, like the rest of the panel
  button->setFocusPolicy(Qt::NoFocus);
  connect(button, &QToolButton::clicked, this, handler);
  return button;
}

void ViewControls::ShowCounts(std::uint64_t polygons, std::uint64_t vertices, std::uint64_t submeshes) {
  m_polygons->setText(QString("Nb Polygons : %1").arg(polygons));
  m_vertices->setText(QString("Nb Vertices : %1").arg(vertices));
  m_submeshes->setText(QString("Nb Submeshes : %1").arg(submeshes));
}

void ViewControls::ShowDocumentName(const QString& name) {
  m_documentName->setText(m_documentName->fontMetrics().elidedText(name, Qt::ElideMiddle, kNameWidth));
  m_documentName->setToolTip(name);
}

void ViewControls::Rotate(int axis, float theta) {
  vh::RotateAboutPivot(m_viewport.Camera(), static_cast<vh::CameraAxis>(axis), theta);
  m_viewport.RenderNow();
}

void ViewControls::Move(int axis, float direction) {
  // A fixed step would crawl along a tall tree and leap past a small one.
  const float step = vh::MoveStep(vh::MeshBounds(m_document.ShownMesh()));
  vh::MoveCamera(m_viewport.Camera(), static_cast<vh::CameraAxis>(axis), direction * step);
  m_viewport.RenderNow();
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

void ViewControls::onResetViewpoint() { m_viewport.ResetCamera(); }
void ViewControls::onFrameTree() { m_viewport.FrameShown(); }

void ViewControls::onWireframeToggled() {
  const bool on = m_wireframe->isChecked();
  const bool billboardMode = m_document.BillboardMode();
  m_viewport.SetWireframeBlending(billboardMode, on);
  if (!m_document.SetWireframe(on)) return;
  m_viewport.SetDirty();
  if (!billboardMode) emit focusGivenBack();
}

void ViewControls::onHideLeavesToggled() {
  if (!m_document.SetShowLeaves(!m_hideLeaves->isChecked())) return;
  emit focusGivenBack();
}

// Only what is drawn changes: the next frame shows or leaves out the plane,
// and the tree is not regrown.
void ViewControls::onShowPlaneToggled() {
  if (m_document.EditsLocked()) return;
  m_viewport.SetDirty();
  m_document.LeafAppearanceChanged();
  emit focusGivenBack();
}

void ViewControls::onLookChosen(int index) {
  m_viewport.SetLook(index == static_cast<int>(vh::Look::kRealistic) ? vh::Look::kRealistic
                                                                     : vh::Look::kClassic);
}
