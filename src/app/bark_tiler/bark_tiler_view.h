// The two picture views of the bark tiler: `Image1` shows the photograph
// with the crop marked on it, `Image2` the crop preview or the generated
// tile. A view keeps its picture and redraws it on every paint (retained
// mode): uncovering the window never rebuilds or loses the result.
#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>

// The size of a view that shows a pictureWidth x pictureHeight picture as
// large as it fits in a panel: the view's height is the panel's inner height
// (panelHeight - 2) and its width pictureWidth * height / pictureHeight; if
// that is wider than the panel's inner width (panelWidth - 2), the width
// becomes the inner width and the height pictureHeight * width /
// pictureWidth. Integer arithmetic, products first, truncated. An empty
// picture or panel gives an empty size (never a division by zero).
QSize FitViewSize(int pictureWidth, int pictureHeight, int panelWidth, int panelHeight);

// Pixel bounds of a rectangle of a picture: [left, right) x [top, bottom).
struct CropMarks {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class PictureView : public QWidget {
  Q_OBJECT
 public:
  explicit PictureView(QWidget* parent = nullptr);

  // The picture drawn stretched over the whole view (nearest neighbour);
  // a null picture leaves the view blank.
  void SetPicture(QImage picture);
  const QImage& Picture() const { return m_picture; }

  // Marks a rectangle of the picture (bounds in 0..picture size) with
  // one-pixel black lines across the whole view: vertical lines at
  // x = view width * left / picture width and x = view width * right /
  // picture width, horizontal ones likewise (integer arithmetic).
  void SetCropMarks(const CropMarks& marks);
  void ClearCropMarks();
  // Draws the view's right and bottom border in black.
  void SetBorder(bool on);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage m_picture;
  QImage m_scaled;  // m_picture stretched to the view's size, kept between paints
  CropMarks m_marks;
  bool m_hasMarks = false;
  bool m_border = false;
};
