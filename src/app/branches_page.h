// The "Branches" page: "Nb Levels :", the level tabs, the per-level branch
// shape and children positioning controls, "Generate", "AutoUpdate" and
// "Seed". Every control stores its value into the selected level's record
// the moment it changes and asks for an automatic update.
#pragma once

#include <vector>

#include <QWidget>

#include "tree/tree.h"

class EditorHost;
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
  // StoreControls move too; they must outlive this page.
  BranchesPage(EditorHost& host, std::vector<ParameterPage*> otherPages,
               QWidget* parent = nullptr);

  // Parameter set → controls (the selected level and the globals), with
  // "AutoUpdate" unticked meanwhile so that no handler regenerates.
  void LoadLevelControls();
  // Controls → parameter set, then UpdateAfterChange unless a level switch
  // is storing. A slider still showing a value outside its range keeps
  // that value (StoreSlider). Does nothing while a billboard cloud is built; a "Seed" that is
  // not an integer is reported and ends the store before the remaining
  // steps.
  void StoreControls();

  bool AutoUpdate() const;
  void SetAutoUpdate(bool on);
  // The level whose record the controls show (tab "1" = 0).
  int SelectedLevel() const { return shownLevel_; }
  // The slider that takes the keyboard focus back from check boxes.
  QWidget* FocusTarget() const;

 public slots:
  void baseSizeChange();
  void baseLengthChange();
  void sizeDecreaseChange();
  void TrackBar8Change();
  void twistingFreqChange();
  void twistingRadChange();
  void bendingUpChange();
  void noiseChange();
  void qualityAngleChange();
  void qualityHeightChange();
  void TrackBar9Change();
  void e();  // "Scaling :" (TrackBar10)
  void nbChildrenMinChange();
  void nbChildrenMaxChange();
  void TrackBar2Change();
  void TrackBar3Change();
  void TrackBar4Change();
  void TrackBar5Change();
  void TrackBar6Change();
  void TrackBar7Change();
  void CheckBox1Click();
  void CheckBox2Click();
  void CheckBox3Click();
  void CheckBox9Click();
  void RadioButton1Click();
  void RadioButton3Click();
  void TrackBar1Change();
  void Edit1Change();
  void SpeedButton1Click();

 private:
  // One per-level slider: where it stores, how its label reads.
  struct LevelSlider {
    const char* name;
    int vh::LevelParameters::*field;
    int storeOffset;            // stored = position + storeOffset (Density: +1)
    QSlider* slider = nullptr;
    QLabel* label = nullptr;     // value label, or null
    const char* suffix = "";
    bool percentWhenInherited = false;  // base size/length: "%" only while inherited
  };
  struct LevelCheck {
    const char* name;
    bool vh::LevelParameters::*field;
    QCheckBox* box = nullptr;
  };

  void BuildLayout();
  QSlider* AddSliderRow(QGridLayout* grid, int row, QLabel* caption, LevelSlider& entry,
                        int minimum, int maximum, int designed, const char* labelName);
  void RebuildLevelTabs(int count);
  void SliderChanged(LevelSlider& entry);
  void CheckChanged(LevelCheck& entry);
  void WriteValueLabel(const LevelSlider& entry);
  void TabControl1Changing(int leavingLevel);
  void TabControl1Change(int newLevel);
  void ShowLevelCaptions();
  vh::LevelParameters& Level();
  LevelSlider& Slider(const char* name);
  LevelCheck& Check(const char* name);

  EditorHost& host_;
  std::vector<ParameterPage*> otherPages_;
  std::vector<LevelSlider> sliders_;
  std::vector<LevelCheck> checks_;
  bool storingLevel_ = false;
  bool rebuildingTabs_ = false;
  int shownLevel_ = 0;

  QSlider* nbLevels_ = nullptr;       // TrackBar1
  QLabel* nbLevelsLabel_ = nullptr;   // Label2
  FlatTabBar* levelTabs_ = nullptr;   // TabControl1
  QRadioButton* sizeConstant_ = nullptr;    // RadioButton1
  QRadioButton* sizeInherit_ = nullptr;     // RadioButton2
  QRadioButton* lengthConstant_ = nullptr;  // RadioButton3
  QRadioButton* lengthInherit_ = nullptr;   // RadioButton4
  QLabel* widthCaption_ = nullptr;    // Label4
  QLabel* lengthCaption_ = nullptr;   // Label21
  QLabel* bendingCaption_ = nullptr;  // Label12
  QLineEdit* seed_ = nullptr;         // Edit1
  QCheckBox* autoUpdate_ = nullptr;   // CheckBox4
  QToolButton* generate_ = nullptr;   // SpeedButton1
};
