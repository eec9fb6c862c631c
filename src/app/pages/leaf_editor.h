// PaintBox1, the leaf shape editor of the "Leaves" page: the user draws the
// leaf's outline as a closed polygon by clicking, drags its points, and
// places the leaf picture under it (texture mode drags the picture). Each
// outline point carries the texture coordinate of the picture point under
// it. The editor also owns the page's editing buttons: "Clear points",
// "Load texture", "Clear texture" and the two mode buttons. It repaints
// whenever the document says the leaf's appearance changed.
#pragma once

#include <functional>

#include <QImage>
#include <QWidget>

#include "tree/leaf_texture_mapping.h"
#include "tree/tree.h"

class TreeDocument;
class QButtonGroup;
class QToolButton;

class LeafEditor : public QWidget {
  Q_OBJECT
 public:
  // Tells `document` how the outline's coordinates are worked out for this
  // editor (TreeDocument::SetTexCoordsRule) until it is destroyed.
  explicit LeafEditor(TreeDocument& document, QWidget* parent = nullptr);
  ~LeafEditor() override;
  LeafEditor(const LeafEditor&) = delete;
  LeafEditor& operator=(const LeafEditor&) = delete;

  // A new row with the editing buttons (SpeedButton2, 3, 6, 20, 21),
  // parented to `parent`, for the page to place.
  QWidget* BuildButtons(QWidget* parent);

  // The texture coordinate under editor pixel (x, y) for the tree's current
  // placement, leaf picture and this editor's size (see LeafPictureMapping:
  // finite also without a picture).
  vh::Vector2 ComputeTexCoord(int x, int y) const;
  // Works out every outline point's texture coordinate in `params` at its
  // pixel, for the placement of `params`.
  void RecomputeTexCoords(vh::TreeParameters& params) const;

  bool PointMode() const { return m_pointMode; }
  // Half the editor's width and height (truncated): the outline's origin.
  // Worked out from the size itself, since a page never shown yet has its
  // size but has not had its resize event.
  int CentreX() const { return width() / 2; }
  int CentreY() const { return height() / 2; }
  int SelectedPoint() const { return m_selectedPoint; }
  // The off-screen picture of the editor as last painted.
  const QImage& EditorBitmap() const { return m_editorBitmap; }

 public slots:
  void onClearPointsClicked();      // SpeedButton2, "Clear points"
  void onLoadLeafTextureClicked();  // SpeedButton3, "Load texture"
  void onClearTextureClicked();     // SpeedButton6, "Clear texture"
  void onPointModeClicked();        // SpeedButton20
  void onTextureModeClicked();      // SpeedButton21

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PaintEditor();
  void PressAt(int x, int y);
  void DragTo(int x, int y);
  void Release();
  vh::LeafPictureMapping Mapping() const;
  vh::LeafPictureMapping Mapping(const vh::TreeParameters& params) const;
  // One edit of the outline or the picture's place made with the mouse.
  bool EditByMouse(const std::function<void(vh::TreeParameters&)>& apply);
  void ShowError(const QString& text);

  TreeDocument& m_document;
  QImage m_editorBitmap;
  int m_lastMouseX = 0;
  int m_lastMouseY = 0;
  int m_selectedPoint = 0;
  bool m_pointMode = true;
  bool m_dragging = false;
  QToolButton* m_clearPoints = nullptr;    // SpeedButton2
  QToolButton* m_loadTexture = nullptr;    // SpeedButton3
  QToolButton* m_clearTexture = nullptr;   // SpeedButton6
  QToolButton* m_pointButton = nullptr;    // SpeedButton20
  QToolButton* m_textureButton = nullptr;  // SpeedButton21
};
