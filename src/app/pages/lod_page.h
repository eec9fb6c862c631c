// The "Level of detail" page: the billboard cloud's settings, "Create
// Billboard Cloud", "Destroy Billboard Cloud", the level-of-detail chain's
// shares and layout, "Export LOD chain..." and the progress bar.
//
// Creating runs on the user-interface thread; the progress callback
// processes pending events, so the window stays responsive and Escape
// cancels (the tree is then left as it was, without a cloud). While a cloud
// or a chain is built edits are locked, so that nothing regrows or replaces
// the tree underneath the builder. A build starts only while no tree grows.
#pragma once

#include <QWidget>

#include <functional>

#include "billboard/billboard_cloud.h"
#include "billboard/lod_chain.h"

class TreeDocument;
class ViewContext;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QSpinBox;
class QLabel;
class QProgressBar;
class QSlider;
class QToolButton;

class LodPage : public QWidget {
  Q_OBJECT
 public:
  // The billboard pictures are drawn in `view`'s context; it and `document`
  // must outlive the page.
  LodPage(TreeDocument& document, ViewContext& view, QWidget* parent = nullptr);

  // The controls' values as the builder takes them.
  vh::BillboardSettings Settings() const;
  // The level-of-detail chain's settings: the two reduced levels' shares
  // and the cards' atlas size (the billboards' texture resolution).
  vh::LodChainOptions ChainOptions() const;

 public slots:
  // SpeedButton22, "Create Billboard Cloud": replaces any current cloud by a
  // new one.
  void onCreateCloudClicked();
  // SpeedButton23, "Destroy Billboard Cloud": leaves billboard mode.
  void onDestroyCloudClicked();
  // TrackBar20: Label58 shows the output texture side, 2 to the slider's power.
  void onResolutionChanged();
  // "Export LOD chain...": asks for a glTF file and its scale, builds the
  // tree's level-of-detail chain (the shares of its reduced levels and the
  // texture resolution of its cards from this page) and writes it in the
  // chosen layout. Escape cancels the build; failures are shown, and a
  // finished export says so (chainExported).
  void ExportLodChain();

 signals:
  // A chain was written: what the user is told ("LOD chain exported to ...").
  void chainExported(const QString& note);

 private:
  bool ShowProgress(int percent);
  // Runs `work` with edits locked (the view keeps its last frame) and
  // `status` on the status line, then puts both back; returns the message
  // of what `work` threw, or an empty text.
  QString RunWhileBusy(const char* status, const std::function<void()>& work);

  TreeDocument& m_document;
  ViewContext& m_view;
  QSlider* m_count = nullptr;             // TrackBar18
  QSlider* m_precision = nullptr;         // TrackBar19
  QCheckBox* m_favourVertical = nullptr;  // CheckBox10
  QButtonGroup* m_mode = nullptr;         // RadioGroup1's items
  QSlider* m_resolution = nullptr;        // TrackBar20
  QLabel* m_resolutionValue = nullptr;    // Label58
  QSlider* m_quality = nullptr;           // TrackBar21
  QProgressBar* m_progress = nullptr;     // ProgressBar1
  QSpinBox* m_firstShare = nullptr;       // LodFirstShare: LOD1's most triangles, percent
  QSpinBox* m_secondShare = nullptr;      // LodSecondShare
  QComboBox* m_chainLayout = nullptr;     // LodLayout, in vh::LodLayout's order
  QString m_chainName;                    // the chain dialog's last name, filter and scale
  int m_chainFilter = 0;
  double m_chainScale = 1.0;
};
