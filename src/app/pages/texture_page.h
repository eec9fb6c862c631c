// The "Texture" page: the bark texture's "Material name prefix :" and its
// "U Scale :" and "V Scale :". The bark preview and the texture buttons sit
// above these controls.
#pragma once

#include <QWidget>

#include "app/pages/parameter_page.h"

class BarkTexturePanel;
class TreeDocument;
class QLineEdit;
class QSlider;

class TexturePage : public QWidget, public ParameterPage {
  Q_OBJECT
 public:
  explicit TexturePage(TreeDocument& document, QWidget* parent = nullptr);

  void LoadGlobals(const vh::TreeParameters& params) override;
  void StoreGlobals(vh::TreeParameters& params) const override;
  // The slider that takes the keyboard focus back from check boxes.
  QWidget* FocusTarget() const;
  // The bark preview and its "Load texture" / "Remove texture" buttons.
  BarkTexturePanel* Bark() const { return m_bark; }

 public slots:
  void onMaterialPrefixEdited();  // Edit2
  void onUScaleChanged();         // TrackBar16
  void onVScaleChanged();         // TrackBar17

 private:
  void ScaleChanged(const QSlider& slider, int vh::TreeParameters::*field);

  TreeDocument& m_document;
  BarkTexturePanel* m_bark = nullptr;
  QLineEdit* m_materialPrefix = nullptr;  // Edit2
  QSlider* m_uScale = nullptr;            // TrackBar16
  QSlider* m_vScale = nullptr;            // TrackBar17
};
