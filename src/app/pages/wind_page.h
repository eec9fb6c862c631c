// The "Wind" page: whether the tree sways in the wind ("Sway in the wind"),
// the wind's settings (strength, direction, gusts, turbulence, leaf flutter,
// loop length) and the preview's "Play" / "Pause".
//
// The wind changes how the tree moves, never the tree: an edit here stores
// into the parameters' wind settings and tells the view (WindChanged),
// nothing regrows. The edits are steps of the undo history like any other
// page's and are saved with the document; "Play" / "Pause" is a setting of
// the view, neither an edit nor saved.
#pragma once

#include <array>

#include <QWidget>

#include "tree/parameter_table.h"

class TreeDocument;
class QCheckBox;
class QLabel;
class QSlider;
class QToolButton;

class WindPage : public QWidget {
  Q_OBJECT
 public:
  explicit WindPage(TreeDocument& document, QWidget* parent = nullptr);

  // The slider that takes the keyboard focus back from check boxes.
  QWidget* FocusTarget() const;

 public slots:
  void onWindToggled();                        // WindOn
  void onSliderChanged(const QSlider& moved);  // WindStrength ... WindLoopLength
  void onPlayClicked();                        // WindPlay

 private:
  // Sets the controls from the document's wind settings without storing.
  void LoadControls();
  void ShowValues();
  void ShowPlaying();

  TreeDocument& m_document;
  QCheckBox* m_on = nullptr;                              // WindOn
  std::array<QSlider*, vh::kWindFieldCount> m_sliders{};  // in WindFields() order
  std::array<QLabel*, vh::kWindFieldCount> m_values{};    // what each slider's value means
  QToolButton* m_play = nullptr;                          // WindPlay
};
