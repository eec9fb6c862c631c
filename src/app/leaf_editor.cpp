#include "app/leaf_editor.h"

#include <cmath>
#include <cstdlib>
#include <exception>

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QToolButton>

#include "app/dialog_filters.h"
#include "app/editor_host.h"
#include "app/file_dialogs.h"
#include "app/local_path.h"
#include "app/message_box.h"
#include "app/named_button.h"
#include "imaging/picture_io.h"
#include "tree/tree.h"
#include "view/texture_upload.h"

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

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = NamedButton(parent, name, caption);
  button->setAutoRaise(true);
  return button;
}
}  // namespace

LeafEditor::LeafEditor(EditorHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName("PaintBox1");
  // The editor paints every pixel itself from editorBitmap.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumHeight(240);
}

void LeafEditor::SetTranslateSliders(QSlider* x, QSlider* y) {
  translateX_ = x;
  translateY_ = y;
}

QWidget* LeafEditor::BuildButtons(QWidget* parent) {
  auto* row = new QWidget(parent);
  row->setObjectName("LeafEditorButtons");
  // The three text buttons on one line, the two mode pictures below them,
  // so that every caption fits the page's width.
  auto* layout = new QGridLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setHorizontalSpacing(2);
  QToolButton* clearPoints = MakeButton(row, "SpeedButton2", "Clear points");
  QToolButton* loadTexture = MakeButton(row, "SpeedButton3", "Load texture");
  QToolButton* clearTexture = MakeButton(row, "SpeedButton6", "Clear texture");
  pointButton_ = MakeButton(row, "SpeedButton20", QString());
  textureButton_ = MakeButton(row, "SpeedButton21", QString());
  pointButton_->setIcon(PointModeIcon());
  pointButton_->setToolTip("Draw the outline");
  textureButton_->setIcon(TextureModeIcon());
  textureButton_->setToolTip("Move the picture");
  for (QToolButton* mode : {pointButton_, textureButton_}) {
    mode->setCheckable(true);
    mode->setToolButtonStyle(Qt::ToolButtonIconOnly);
  }
  auto* modes = new QButtonGroup(row);
  modes->setExclusive(true);
  modes->addButton(pointButton_);
  modes->addButton(textureButton_);
  pointButton_->setChecked(pointMode_);
  textureButton_->setChecked(!pointMode_);
  int column = 0;
  for (QToolButton* button : {clearPoints, loadTexture, clearTexture}) layout->addWidget(button, 0, column++);
  auto* modeRow = new QHBoxLayout;
  modeRow->addWidget(pointButton_);
  modeRow->addWidget(textureButton_);
  modeRow->addStretch(1);
  layout->addLayout(modeRow, 1, 0, 1, 3);
  layout->setColumnStretch(3, 1);

  connect(clearPoints, &QToolButton::clicked, this, &LeafEditor::onClearPointsClicked);
  connect(loadTexture, &QToolButton::clicked, this, &LeafEditor::onLoadLeafTextureClicked);
  connect(clearTexture, &QToolButton::clicked, this, &LeafEditor::onClearTextureClicked);
  connect(pointButton_, &QToolButton::clicked, this, &LeafEditor::onPointModeClicked);
  connect(textureButton_, &QToolButton::clicked, this, &LeafEditor::onTextureModeClicked);
  return row;
}

vh::LeafPictureMapping LeafEditor::Mapping() const {
  const EditingSession& session = host_.Session();
  return vh::LeafPictureMapping(vh::PlacementOf(session.params), width(), height(),
                            session.leafTextureImage.width, session.leafTextureImage.height);
}

vh::Vector2 LeafEditor::ComputeTexCoord(int x, int y) const { return Mapping().TexCoord(x, y); }

void LeafEditor::RecomputeTexCoords() {
  vh::TreeParameters& params = host_.Session().params;
  const vh::LeafPictureMapping mapping = Mapping();
  params.leafTexCoords.resize(params.leafOutline.size());
  for (std::size_t i = 0; i < params.leafOutline.size(); ++i) {
    const vh::Vector2& point = params.leafOutline[i];
    params.leafTexCoords[i] = mapping.TexCoord(static_cast<int>(static_cast<float>(CentreX()) + point.x),
                                               static_cast<int>(static_cast<float>(CentreY()) + point.y));
  }
}

void LeafEditor::LoadLeafTexture(const QString& fileName) {
  if (host_.EditsLocked() || fileName.isEmpty()) return;
  vh::Image picture = vh::LoadPicture(LocalPath(fileName));
  EditingSession& session = host_.Session();
  session.leafTextureImage = std::move(picture);
  host_.WithViewContext([&session] {
    vh::UploadTexture(vh::kLeafTextureObject, session.leafTextureImage, vh::MinFilter::kLinearMipmapLinear);
  });
  host_.SetViewDirty();  // textured leaves show the new picture
}

void LeafEditor::ShowError(const QString& text) { ShowWarning(host_.DialogParent(), text, "Error"); }

void LeafEditor::onClearPointsClicked() {
  if (host_.EditsLocked()) return;
  vh::TreeParameters& params = host_.Session().params;
  params.leafOutline.clear();
  params.leafTexCoords.clear();
  // The generator builds the template again from the outline; the leaves
  // shown stay until the next update.
  host_.CurrentTree().leafTemplate.reset();
  update();
}

void LeafEditor::onLoadLeafTextureClicked() {
  if (host_.EditsLocked()) return;
  if (const std::optional<FileChoice> choice = AskPictureToOpen(host_.DialogParent())) {
    try {
      LoadLeafTexture(choice->fileName);
    } catch (const std::exception& error) {
      ShowError(QString::fromLocal8Bit(error.what()));
      return;
    }
    vh::TreeParameters& params = host_.Session().params;
    params.leafTextureFile = LocalPath(choice->fileName);
    params.leafTextureLoaded = true;
  }
  // Cancelled or not, the coordinates follow the current placement.
  RecomputeTexCoords();
  update();
}

void LeafEditor::onClearTextureClicked() {
  if (host_.EditsLocked()) return;
  vh::TreeParameters& params = host_.Session().params;
  params.leafTextureLoaded = false;
  params.leafTextureFile.clear();  // the picture itself stays loaded
  host_.UpdateAfterChange();
  update();
}

void LeafEditor::onPointModeClicked() { pointMode_ = pointButton_->isChecked(); }
void LeafEditor::onTextureModeClicked() { pointMode_ = pointButton_->isChecked(); }

void LeafEditor::paintEvent(QPaintEvent*) {
  // In billboard mode the editor is inactive: it keeps showing its last picture.
  if (!host_.BillboardMode()) PaintEditor();
  QPainter painter(this);
  if (editorBitmap_.size() != size()) painter.fillRect(rect(), Qt::white);
  painter.drawImage(0, 0, editorBitmap_);
}

void LeafEditor::PaintEditor() {
  const EditingSession& session = host_.Session();
  const int w = width();
  const int h = height();
  if (editorBitmap_.size() != size()) editorBitmap_ = QImage(w, h, QImage::Format_RGB32);
  editorBitmap_.fill(Qt::white);
  if (w <= 0 || h <= 0) return;

  const vh::Image& picture = session.leafTextureImage;
  if (session.params.leafTextureLoaded && !picture.Empty()) {
    const vh::LeafPictureMapping mapping = Mapping();
    for (int row = 0; row < h; ++row) {
      auto* line = reinterpret_cast<QRgb*>(editorBitmap_.scanLine(row));
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

  QPainter painter(&editorBitmap_);
  painter.fillRect(QRect(CentreX(), 0, 1, h), QColor(kAxisColour));
  painter.fillRect(QRect(0, CentreY(), w, 1), QColor(kAxisColour));

  const std::vector<vh::Vector2>& outline = session.params.leafOutline;
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

void LeafEditor::PressAt(int x, int y) {
  if (host_.BillboardMode() || host_.EditsLocked()) return;
  dragging_ = true;
  lastMouseX_ = x - CentreX();
  lastMouseY_ = y - CentreY();
  if (!pointMode_) return;
  vh::TreeParameters& params = host_.Session().params;
  std::vector<vh::Vector2>& outline = params.leafOutline;
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const int dx = static_cast<int>(outline[i].x - static_cast<float>(lastMouseX_));
    const int dy = static_cast<int>(outline[i].y - static_cast<float>(lastMouseY_));
    if (std::abs(dx) < kPickDistance && std::abs(dy) < kPickDistance) {
      selectedPoint_ = static_cast<int>(i);  // the point drawn first wins
      update();
      return;
    }
  }
  params.leafTexCoords.resize(outline.size());
  outline.emplace_back(static_cast<float>(lastMouseX_), static_cast<float>(lastMouseY_));
  params.leafTexCoords.push_back(ComputeTexCoord(x, y));
  selectedPoint_ = static_cast<int>(outline.size()) - 1;
  update();
}

void LeafEditor::DragTo(int x, int y) {
  if (host_.BillboardMode() || !dragging_) return;
  const int dx = x - CentreX() - lastMouseX_;
  const int dy = y - CentreY() - lastMouseY_;
  if (pointMode_) {
    vh::TreeParameters& params = host_.Session().params;
    if (params.leafOutline.empty()) return;
    if (selectedPoint_ < 0 || selectedPoint_ >= static_cast<int>(params.leafOutline.size())) return;
    params.leafTexCoords.resize(params.leafOutline.size());
    vh::Vector2& point = params.leafOutline[static_cast<std::size_t>(selectedPoint_)];
    point.x += static_cast<float>(dx);
    point.y += static_cast<float>(dy);
    // The coordinate of the point where it now lies (the grab offset kept
    // between cursor and point must not shift the picture under it).
    params.leafTexCoords[static_cast<std::size_t>(selectedPoint_)] =
        ComputeTexCoord(static_cast<int>(static_cast<float>(CentreX()) + point.x),
                        static_cast<int>(static_cast<float>(CentreY()) + point.y));
    lastMouseX_ += dx;
    lastMouseY_ += dy;
    update();
    return;
  }
  // Texture mode: the sliders' handlers store the placement and recompute.
  if (translateX_ != nullptr) translateX_->setValue(translateX_->value() + dx);
  if (translateY_ != nullptr) translateY_->setValue(translateY_->value() + dy);
  lastMouseX_ += dx;
  lastMouseY_ += dy;
}

void LeafEditor::Release() {
  if (host_.BillboardMode()) return;
  dragging_ = false;
  // Every click or drag ends in a regeneration when "AutoUpdate" is on.
  host_.UpdateAfterChange();
}
