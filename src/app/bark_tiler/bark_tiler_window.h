// BarkTilerWindow: the user loads a bark photograph, chooses a crop rectangle and options, runs the tiling
// with "Generate !" and saves the result as BMP or JPEG. It works only on its own two pictures and never
// touches the main window or the tree. Created once at start-up, hidden;
// closing it only hides it, so its pictures survive between showings.
//
// The result view keeps its picture (retained mode): a repaint, for example
// after the window is uncovered or resized, redraws the result as it is,
// so a generated tile is never lost before it is saved. Every crop change
// and every click on an option rebuilds the preview, the plain crop.
#pragma once

#include <QString>
#include <QWidget>

#include "bark/bark_tiler.h"
#include "foundations/image.h"

class PictureView;
class QCheckBox;
class QFrame;
class QProgressBar;
class QSlider;
class QToolButton;

class BarkTilerWindow : public QWidget {
  Q_OBJECT
 public:
  explicit BarkTilerWindow(QWidget* parent = nullptr);

  // The photograph S (RGB) and the result R (RGB): the plain crop, or the
  // tile from the last "Generate !" until the next crop or option change.
  // R is empty while the crop is smaller than 2 x 2 pixels.
  const vh::Image& Source() const { return m_source; }
  const vh::Image& Result() const { return m_result; }
  // True while "Generate !" runs.
  bool Generating() const { return m_generating; }
  // The options as the controls show them.
  vh::BarkTileOptions Options() const;

 public slots:
  void onCropChanged();         // the crop sliders cropx0, cropy0, cropx1, cropy1
  void onOpenPictureClicked();  // SpeedButton1
  void onSaveTileClicked();     // SpeedButton2
  void onGenerateClicked();     // SpeedButton3, "Generate !" (a second click cancels)

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildLayout();
  QWidget* BuildControlPanel();
  // Rebuilds R as the plain crop of S, refits both views and redraws them.
  void PreviewBarkTile();
  // Runs the tiling on S into R, driving ProgressBar1; Escape or a second
  // click on the button cancels and leaves the plain crop.
  void GenerateBarkTile();
  void ShowSource();
  void ShowResult();
  void FitViews();
  void SetGenerating(bool on);

  vh::Image m_source;
  vh::Image m_result;
  QString m_lastOpenName;  // what each dialog shows first: its last choice
  QString m_lastSaveName;
  bool m_generating = false;
  bool m_cancelRequested = false;

  QFrame* m_panel5 = nullptr;
  QFrame* m_panel8 = nullptr;
  PictureView* m_image1 = nullptr;
  PictureView* m_image2 = nullptr;
  QSlider* m_cropX0 = nullptr;
  QSlider* m_cropX1 = nullptr;
  QSlider* m_cropY0 = nullptr;
  QSlider* m_cropY1 = nullptr;
  QCheckBox* m_shadingRemoval = nullptr;  // CheckBox1
  QSlider* m_strength = nullptr;          // TrackBar1
  QCheckBox* m_symmetrize = nullptr;      // CheckBox2
  QCheckBox* m_powerOfTwo = nullptr;      // CheckBox3
  QToolButton* m_generate = nullptr;      // SpeedButton3
  QToolButton* m_load = nullptr;          // SpeedButton1
  QToolButton* m_save = nullptr;          // SpeedButton2
  QProgressBar* m_progress = nullptr;     // ProgressBar1
};
