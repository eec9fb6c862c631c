// The bark texture part of the "Texture" page: the preview Image1 and the
// buttons "Load texture" (SpeedButton4) and "Remove texture" (SpeedButton5).
// The bark picture becomes texture object 2, which the viewer binds for the
// branches. The preview shows every bark picture the document loads.
#pragma once

#include <QImage>
#include <QWidget>

class QToolButton;
class TreeDocument;

// Image1: a white picture the bark preview is drawn into, top-aligned.
class BarkPreview : public QWidget {
  Q_OBJECT
 public:
  explicit BarkPreview(QWidget* parent = nullptr);
  // The preview's own picture, as large as the widget.
  const QImage& Picture() const { return m_picture; }
  // Stretches `image` over the preview's full width, keeping its aspect
  // ratio, at the top; what does not fit below is cut off, the rest is
  // white.
  void ShowPicture(const QImage& image);
  // Fills the preview with white.
  void Clear();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage m_source;  // what is shown, kept to redraw at a new size
  QImage m_picture;
  void Redraw();
};

class BarkTexturePanel : public QWidget {
  Q_OBJECT
 public:
  explicit BarkTexturePanel(TreeDocument& document, QWidget* parent = nullptr);

 public slots:
  void onLoadBarkTextureClicked();    // SpeedButton4, "Load texture"
  void onRemoveBarkTextureClicked();  // SpeedButton5, "Remove texture"

 private:
  TreeDocument& m_document;
  BarkPreview* m_preview = nullptr;  // Image1
  QToolButton* m_load = nullptr;     // SpeedButton4
  QToolButton* m_remove = nullptr;   // SpeedButton5
};
