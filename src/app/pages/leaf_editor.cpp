#include "app/pages/leaf_editor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "app/document/local_path.h"
#include "app/document/tree_document.h"
#include "app/pages/control_edits.h"
#include "app/widgets/dialog_filters.h"
#include "app/widgets/file_dialogs.h"
#include "app/widgets/message_box.h"
#include "app/widgets/named_button.h"
#include "tree/parameter_table.h"
#include "tree/tree.h"

namespace {
// A click selects an existing point when both its x and y lie closer than
// this many pixels.
constexpr int kPickDistance = 5;
const QRgb kAxisColour = qRgb(128, 128, 128);
const QRgb kOutlineColour = qRgb(0, 0, 255);
const QRgb kMarkerColour = qRgb(255, 0, 0);

// The mode buttons show pictures only: a small outline with its points, and
// a four-way arrow for moving the picture.
QIcon PointModeIcon() {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  const QPoint points[] = {{10, 2}, {17, 10}, {10, 18}, {3, 10}};
  painter.setPen(QColor(0, 0, 255));
  painter.drawPolygon(points, 4);
  for (const QPoint& p : points) {
    painter.fillRect(QRect(p.x() - 2, p.y() - 2, 4, 4), QColor(255, 0, 0));
    painter.fillRect(QRect(p.x() - 1, p.y() - 1, 2, 2), Qt::white);
  }
  return QIcon(pixmap);
}

QIcon TextureModeIcon() {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QPen(QColor(45, 77, 66), 2));
  painter.drawLine(10, 2, 10, 18);
  painter.drawLine(2, 10, 18, 10);
  const QPolygon heads[] = {QPolygon({QPoint(10, 1), QPoint(7, 5), QPoint(13, 5)}),
                            QPolygon({QPoint(10, 19), QPoint(7, 15), QPoint(13, 15)}),
                            QPolygon({QPoint(1, 10), QPoint(5, 7), QPoint(5, 13)}),
                            QPolygon({QPoint(19, 10), QPoint(15, 7), QPoint(15, 13)})};
  painter.setBrush(QColor(45, 77, 66));
  for (const QPolygon& head : heads) painter.drawPolygon(head);
  return QIcon(pixmap);
}

// Moves `field` by `delta` as a slider of `range` showing it would: from
// the position it shows, within the range; a value beyond the range that
// the slider does not leave stays as it is.
void MoveShownValue(int& field, int delta, const vh::ControlRange& range) {
  const long long shown = std::clamp<long long>(field, range.minimum, range.maximum);
  const long long moved = std::clamp<long long>(shown + delta, range.minimum, range.maximum);
  if (moved != shown) field = static_cast<int>(moved);
}

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = NamedButton(parent, name, caption);
  button->setAutoRaise(true);
  return button;
}
}  // namespace

LeafEditor::LeafEditor(TreeDocument& document, QWidget* parent) : QWidget(parent), m_document(document) {
  setObjectName("PaintBox1");
  // The editor paints every pixel itself from editorBitmap.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumHeight(240);
  connect(&m_document, &TreeDocument::leafAppearanceChanged, this, qOverload<>(&LeafEditor::update));
  m_document.SetTexCoordsRule([this](vh::TreeParameters& params) { RecomputeTexCoords(params); });
}

LeafEditor::~LeafEditor() { m_document.SetTexCoordsRule({}); }

QWidget* LeafEditor::BuildButtons(QWidget* parent) {
  auto* row = new QWidget(parent);
  row->setObjectName("LeafEditorButtons");
  // The three text buttons on one line, the two mode pictures below them,
  // so that every caption fits the page's width.
  auto* layout = new QGridLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setHorizontalSpacing(2);
  QToolButton* clearPoints = m_clearPoints = MakeButton(row, "SpeedButton2", "Clear points");
  QToolButton* loadTexture = m_loadTexture = MakeButton(row, "SpeedButton3", "Load texture");
  QToolButton* clearTexture = m_clearTexture = MakeButton(row, "SpeedButton6", "Clear texture");
  m_pointButton = MakeButton(row, "SpeedButton20", QString());
  m_textureButton = MakeButton(row, "SpeedButton21", QString());
  m_pointButton->setIcon(PointModeIcon());
  m_pointButton->setToolTip("Draw the outline");
  m_textureButton->setIcon(TextureModeIcon());
  m_textureButton->setToolTip("Move the picture");
  for (QToolButton* mode : {m_pointButton, m_textureButton}) {
    mode->setCheckable(true);
    mode->setToolButtonStyle(Qt::ToolButtonIconOnly);
  }
  auto* modes = new QButtonGroup(row);
  modes->setExclusive(true);
  modes->addButton(m_pointButton);
  modes->addButton(m_textureButton);
  m_pointButton->setChecked(m_pointMode);
  m_textureButton->setChecked(!m_pointMode);
  int column = 0;
  for (QToolButton* button : {clearPoints, loadTexture, clearTexture}) layout->addWidget(button, 0, column++);
  auto* modeRow = new QHBoxLayout;
  modeRow->addWidget(m_pointButton);
  modeRow->addWidget(m_textureButton);
  modeRow->addStretch(1);
  layout->addLayout(modeRow, 1, 0, 1, 3);
  layout->setColumnStretch(3, 1);

  connect(clearPoints, &QToolButton::clicked, this, &LeafEditor::onClearPointsClicked);
  connect(loadTexture, &QToolButton::clicked, this, &LeafEditor::onLoadLeafTextureClicked);
  connect(clearTexture, &QToolButton::clicked, this, &LeafEditor::onClearTextureClicked);
  connect(m_pointButton, &QToolButton::clicked, this, &LeafEditor::onPointModeClicked);
  connect(m_textureButton, &QToolButton::clicked, this, &LeafEditor::onTextureModeClicked);
  return row;
}

vh::LeafPictureMapping LeafEditor::Mapping(const vh::TreeParameters& params) const {
  const vh::Image& picture = m_document.State().leafTextureImage;
  return vh::LeafPictureMapping(vh::PlacementOf(params), width(), height(), picture.width, picture.height);
}

vh::LeafPictureMapping LeafEditor::Mapping() const { return Mapping(m_document.Params()); }

vh::Vector2 LeafEditor::ComputeTexCoord(int x, int y) const { return Mapping().TexCoord(x, y); }

void LeafEditor::RecomputeTexCoords(vh::TreeParameters& params) const {
  const vh::LeafPictureMapping mapping = Mapping(params);
  params.leafTexCoords.resize(params.leafOutline.size());
  for (std::size_t i = 0; i < params.leafOutline.size(); ++i) {
    const vh::Vector2& point = params.leafOutline[i];
    params.leafTexCoords[i] = mapping.TexCoord(static_cast<int>(static_cast<float>(CentreX()) + point.x),
                                               static_cast<int>(static_cast<float>(CentreY()) + point.y));
  }
}

void LeafEditor::ShowError(const QString& text) { ShowWarning(window(), text, "Error"); }

void LeafEditor::onClearPointsClicked() {
  const auto clear = [](vh::TreeParameters& params) {
    params.leafOutline.clear();
    params.leafTexCoords.clear();
  };
  m_document.Change(ControlEdit(*m_clearPoints, clear, {.dropLeafTemplate = true}));
  update();
}

void LeafEditor::onLoadLeafTextureClicked() {
  if (m_document.EditsLocked()) return;
  std::string picture;
  if (const std::optional<FileChoice> choice = AskPictureToOpen(window())) {
    try {
      m_document.LoadLeafPicture(choice->fileName);
    } catch (const std::exception& error) {
      ShowError(QString::fromLocal8Bit(error.what()));
      return;
    }
    picture = LocalPath(choice->fileName);
  }
  m_document.Change(ControlEdit(*m_loadTexture, [this, &picture](vh::TreeParameters& params) {
    if (!picture.empty()) {
      params.leafTextureFile = picture;
      params.leafTextureLoaded = true;
    }
    // Cancelled or not, the coordinates follow the current placement.
    RecomputeTexCoords(params);
  }));
  update();
}

void LeafEditor::onClearTextureClicked() {
  const auto clear = [](vh::TreeParameters& params) {
    params.leafTextureLoaded = false;
    params.leafTextureFile.clear();  // the picture itself stays loaded
  };
  m_document.Change(ControlEdit(*m_clearTexture, clear, {.regrow = true}));
  update();
}

void LeafEditor::onPointModeClicked() { m_pointMode = m_pointButton->isChecked(); }
void LeafEditor::onTextureModeClicked() { m_pointMode = m_pointButton->isChecked(); }

void LeafEditor::paintEvent(QPaintEvent*) {
  // In billboard mode the editor is inactive: it keeps showing its last picture.
  if (!m_document.BillboardMode()) PaintEditor();
  QPainter painter(this);
  if (m_editorBitmap.size() != size()) painter.fillRect(rect(), Qt::white);
  painter.drawImage(0, 0, m_editorBitmap);
}

void LeafEditor::PaintEditor() {
  const DocumentState& state = m_document.State();
  const int w = width();
  const int h = height();
  if (m_editorBitmap.size() != size()) m_editorBitmap = QImage(w, h, QImage::Format_RGB32);
  m_editorBitmap.fill(Qt::white);
  if (w <= 0 || h <= 0) return;

  const vh::Image& picture = state.leafTextureImage;
  if (state.params.leafTextureLoaded && !picture.Empty()) {
    const vh::LeafPictureMapping mapping = Mapping();
    for (int row = 0; row < h; ++row) {
      auto* line = reinterpret_cast<QRgb*>(m_editorBitmap.scanLine(row));
      for (int col = 0; col < w; ++col) {
        long double m = 0.0L;
        long double o = 0.0L;
        mapping.PicturePoint(col, row, m, o);
        // Truncated toward zero, as the picture's pixel index.
        const long double mi = std::trunc(m);
        const long double oi = std::trunc(o);
        if (mi < 0.0L || oi < 0.0L || mi >= picture.width || oi >= picture.height) {
          line[col] = qRgb(0, 0, 0);
          continue;
        }
        const std::uint8_t* pixel = picture.At(static_cast<int>(mi), static_cast<int>(oi));
        line[col] = qRgb(pixel[0], pixel[1], pixel[2]);
      }
    }
  }

  QPainter painter(&m_editorBitmap);
  painter.fillRect(QRect(CentreX(), 0, 1, h), QColor(kAxisColour));
  painter.fillRect(QRect(0, CentreY(), w, 1), QColor(kAxisColour));

  const std::vector<vh::Vector2>& outline = state.params.leafOutline;
  if (outline.empty()) return;
  QPolygon polygon;
  for (const vh::Vector2& point : outline) {
    polygon << QPoint(static_cast<int>(static_cast<float>(CentreX()) + point.x),
                      static_cast<int>(static_cast<float>(CentreY()) + point.y));
  }
  painter.setPen(QPen(QColor(kOutlineColour), 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolygon(polygon);
  for (const QPoint& p : polygon) {
    painter.fillRect(QRect(p.x() - 2, p.y() - 2, 4, 4), QColor(kMarkerColour));
    painter.fillRect(QRect(p.x() - 1, p.y() - 1, 2, 2), Qt::white);
  }
}

void LeafEditor::mousePressEvent(QMouseEvent* event) {
  PressAt(static_cast<int>(event->position().x()), static_cast<int>(event->position().y()));
}

void LeafEditor::mouseMoveEvent(QMouseEvent* event) {
  DragTo(static_cast<int>(event->position().x()), static_cast<int>(event->position().y()));
}

void LeafEditor::mouseReleaseEvent(QMouseEvent*) { Release(); }

bool LeafEditor::EditByMouse(const std::function<void(vh::TreeParameters&)>& apply) {
  TreeDocument::ParameterChange change;
  change.name = m_pointMode ? "Leaf outline" : "Leaf picture position";
  change.apply = apply;
  change.mergeKey = objectName();  // a press and its drag are one step
  return m_document.Change(change);
}

void LeafEditor::PressAt(int x, int y) {
  if (m_document.BillboardMode() || m_document.EditsLocked()) return;
  m_document.CloseMerge();
  m_dragging = true;
  m_lastMouseX = x - CentreX();
  m_lastMouseY = y - CentreY();
  if (!m_pointMode) return;
  const std::vector<vh::Vector2>& outline = m_document.Params().leafOutline;
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const int dx = static_cast<int>(outline[i].x - static_cast<float>(m_lastMouseX));
    const int dy = static_cast<int>(outline[i].y - static_cast<float>(m_lastMouseY));
    if (std::abs(dx) < kPickDistance && std::abs(dy) < kPickDistance) {
      m_selectedPoint = static_cast<int>(i);  // the point drawn first wins
      update();
      return;
    }
  }
  const vh::Vector2 texCoord = ComputeTexCoord(x, y);
  EditByMouse([this, texCoord](vh::TreeParameters& params) {
    params.leafTexCoords.resize(params.leafOutline.size());
    params.leafOutline.emplace_back(static_cast<float>(m_lastMouseX), static_cast<float>(m_lastMouseY));
    params.leafTexCoords.push_back(texCoord);
  });
  m_selectedPoint = static_cast<int>(m_document.Params().leafOutline.size()) - 1;
  update();
}

void LeafEditor::DragTo(int x, int y) {
  if (m_document.BillboardMode() || !m_dragging) return;
  const int dx = x - CentreX() - m_lastMouseX;
  const int dy = y - CentreY() - m_lastMouseY;
  if (m_pointMode) {
    const std::size_t points = m_document.Params().leafOutline.size();
    if (points == 0) return;
    if (m_selectedPoint < 0 || m_selectedPoint >= static_cast<int>(points)) return;
    EditByMouse([this, dx, dy](vh::TreeParameters& params) {
      params.leafTexCoords.resize(params.leafOutline.size());
      vh::Vector2& point = params.leafOutline[static_cast<std::size_t>(m_selectedPoint)];
      point.x += static_cast<float>(dx);
      point.y += static_cast<float>(dy);
      // The coordinate of the point where it now lies (the grab offset kept
      // between cursor and point must not shift the picture under it).
      params.leafTexCoords[static_cast<std::size_t>(m_selectedPoint)] =
          Mapping(params).TexCoord(static_cast<int>(static_cast<float>(CentreX()) + point.x),
                                   static_cast<int>(static_cast<float>(CentreY()) + point.y));
    });
    m_lastMouseX += dx;
    m_lastMouseY += dy;
    update();
    return;
  }
  // Texture mode: the picture moves pixel for pixel as far as the
  // translate sliders reach, and the coordinates follow it.
  using T = vh::TreeParameters;
  EditByMouse([this, dx, dy](vh::TreeParameters& params) {
    MoveShownValue(params.leafTexTranslateX, dx, vh::FieldOf(&T::leafTexTranslateX).control);
    MoveShownValue(params.leafTexTranslateY, dy, vh::FieldOf(&T::leafTexTranslateY).control);
    RecomputeTexCoords(params);
  });
  m_lastMouseX += dx;
  m_lastMouseY += dy;
  update();
}

void LeafEditor::Release() {
  if (m_document.BillboardMode()) return;
  m_dragging = false;
  m_document.CloseMerge();
  // Every click or drag ends in a regeneration when "AutoUpdate" is on.
  m_document.UpdateAfterChange();
}
