// The "Branches" page: "Nb Levels :", the level tabs, the per-level branch
// shape and children positioning controls, "Generate", "AutoUpdate" and
// "Seed". Every control stores its value into the selected level's record
// the moment it changes and asks for an automatic update. The controls
// follow the document when its parameters are replaced as a whole.
#pragma once

#include <functional>
#include <vector>

#include <QWidget>

#include "tree/tree.h"

class TreeDocument;
class FlatTabBar;
class ParameterPage;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;
class QToolButton;

class BranchesPage : public QWidget {
  Q_OBJECT
 public:
  // `otherPages` hold the non-level controls that LoadLevelControls and
  // StoreControls move too; they and `document` must outlive this page.
  BranchesPage(TreeDocument& document, std::vector<ParameterPage*> otherPages, QWidget* parent = nullptr);

  // Parameter set → controls (the selected level and the globals), with
  // the controls' signals blocked: loading never writes back.
  void LoadLevelControls();
  // Controls → parameter set as one edit, then UpdateAfterChange unless a
  // level switch is storing. A slider still showing a value outside its range keeps
  // that value (StoreSlider). Does nothing while a billboard cloud is built; a "Seed" that is
  // not an integer is reported and ends the store before the remaining
  // steps.
  void StoreControls();

  bool AutoUpdate() const;
  void SetAutoUpdate(bool on);
  // The level whose record the controls show (tab "1" = 0).
  int SelectedLevel() const { return m_shownLevel; }
  // The slider that takes the keyboard focus back from check boxes.
  QWidget* FocusTarget() const;
  // Before the parameters go from `before` to `after` (an undo or redo):
  // shows the level tab of the first level that differs, so that the
  // controls show what was taken back. A changed level count rebuilds the
  // tabs anyway.
  void ShowChangedLevel(const vh::TreeParameters& before, const vh::TreeParameters& after);

 public slots:
  void onBaseSizeModeToggled();    // RadioButton1/2, width "Constant" or "Inherit"
  void onBaseLengthModeToggled();  // RadioButton3/4, length "Constant" or "Inherit"
  void onLevelCountChanged();      // TrackBar1, "Nb Levels :"
  void onSeedEdited();             // Edit1, "Seed"
  void onGenerateClicked();        // SpeedButton1, "Generate"

 private:
  // One per-level slider: the field it shows (its range and the offset
  // between position and value come from the parameter table), its control
  // and value label names and how the label reads.
  struct LevelSlider {
    int vh::LevelParameters::*field;
    const char* name;       // the slider's objectName
    const char* labelName;  // the value label's objectName, or null
    const char* suffix;
    QSlider* slider = nullptr;
    QLabel* label = nullptr;
  };
  struct LevelCheck {
    bool vh::LevelParameters::*field;
    const char* name;
    QCheckBox* box = nullptr;
  };

  void BuildLayout();
  QSlider* AddSliderRow(QGridLayout* grid, int row, QLabel* caption, LevelSlider& entry);
  void RebuildLevelTabs(int count);
  void SliderChanged(LevelSlider& entry);
  void CheckChanged(LevelCheck& entry);
  void WriteValueLabel(const LevelSlider& entry);
  void StoreLeavingLevel(int leavingLevel);
  void ShowSelectedLevel(int newLevel);
  void ShowLevelCaptions();
  const vh::LevelParameters& Level() const;
  // One edit of the selected level made with `control`; the tree regrows.
  // False when the document refused it (edits locked).
  bool EditLevel(const QWidget& control, const std::function<void(vh::LevelParameters&)>& apply,
                 bool evenWhileLocked = false);
  LevelSlider& Slider(int vh::LevelParameters::*field);
  LevelCheck& Check(bool vh::LevelParameters::*field);
  // Sets a slider from the selected level (no edit); returns whether it moved.
  bool ShowValue(LevelSlider& entry);
  // Stores a slider's value into `level`.
  static void StoreValue(const LevelSlider& entry, vh::LevelParameters& level);

  TreeDocument& m_document;
  std::vector<ParameterPage*> m_otherPages;
  std::vector<LevelSlider> m_sliders;
  std::vector<LevelCheck> m_checks;
  bool m_storingLevel = false;
  bool m_rebuildingTabs = false;
  int m_shownLevel = 0;

  QSlider* m_nbLevels = nullptr;             // TrackBar1
  QLabel* m_nbLevelsLabel = nullptr;         // Label2
  FlatTabBar* m_levelTabs = nullptr;         // TabControl1
  QRadioButton* m_sizeConstant = nullptr;    // RadioButton1
  QRadioButton* m_sizeInherit = nullptr;     // RadioButton2
  QRadioButton* m_lengthConstant = nullptr;  // RadioButton3
  QRadioButton* m_lengthInherit = nullptr;   // RadioButton4
  QLabel* m_widthCaption = nullptr;          // Label4
  QLabel* m_lengthCaption = nullptr;         // Label21
  QLabel* m_bendingCaption = nullptr;        // Label12
  QLineEdit* m_seed = nullptr;               // Edit1
  QCheckBox* m_autoUpdate = nullptr;         // CheckBox4
  QToolButton* m_generate = nullptr;         // SpeedButton1
};
