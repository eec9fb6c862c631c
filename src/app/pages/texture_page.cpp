#include "app/pages/texture_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "app/document/tree_document.h"
#include "app/pages/bark_texture_panel.h"
#include "app/pages/control_edits.h"
#include "app/widgets/labelled_slider.h"
#include "tree/parameter_table.h"
#include "tree/tree.h"

TexturePage::TexturePage(TreeDocument& document, QWidget* parent) : QWidget(parent), m_document(document) {
  setObjectName("TabSheet3");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  m_bark = new BarkTexturePanel(document, this);
  layout->addWidget(m_bark);
  auto* panel = new QWidget(this);
  panel->setObjectName("Panel8");
  auto* grid = new QGridLayout(panel);
  grid->addWidget(new QLabel("Material name prefix :", panel), 0, 0);
  m_materialPrefix = new QLineEdit("Material", panel);
  m_materialPrefix->setObjectName("Edit2");
  // The prefix is one word: the material files and the document store it
  // as such, so white space is refused as it is typed.
  m_materialPrefix->setValidator(
      new QRegularExpressionValidator(QRegularExpression("\\S*"), m_materialPrefix));
  grid->addWidget(m_materialPrefix, 0, 1);
  using T = vh::TreeParameters;
  m_uScale = AddLabelledSlider(grid, 1, "U Scale :", "TrackBar16", vh::FieldOf(&T::uScale).control);
  m_vScale = AddLabelledSlider(grid, 2, "V Scale :", "TrackBar17", vh::FieldOf(&T::vScale).control);
  layout->addWidget(panel);
  layout->addStretch(1);

  connect(m_materialPrefix, &QLineEdit::textChanged, this, &TexturePage::onMaterialPrefixEdited);
  connect(m_uScale, &QSlider::valueChanged, this, &TexturePage::onUScaleChanged);
  connect(m_vScale, &QSlider::valueChanged, this, &TexturePage::onVScaleChanged);
  EndGesturesOf(*this, m_document);
}

QWidget* TexturePage::FocusTarget() const { return m_uScale; }

void TexturePage::LoadGlobals(const vh::TreeParameters& params) {
  const QSignalBlocker loadingPrefix(m_materialPrefix);
  const QSignalBlocker loadingU(m_uScale);
  const QSignalBlocker loadingV(m_vScale);
  m_materialPrefix->setText(QString::fromStdString(params.materialPrefix));
  m_uScale->setValue(params.uScale);
  m_vScale->setValue(params.vScale);
}

void TexturePage::StoreGlobals(vh::TreeParameters& params) const {
  params.materialPrefix = m_materialPrefix->text().toStdString();
  StoreSlider(*m_uScale, params.uScale);
  StoreSlider(*m_vScale, params.vScale);
}

void TexturePage::onMaterialPrefixEdited() {
  const std::string prefix = m_materialPrefix->text().toStdString();
  m_document.Change(ControlEdit(*m_materialPrefix,
                                [&prefix](vh::TreeParameters& params) { params.materialPrefix = prefix; }));
}

void TexturePage::ScaleChanged(const QSlider& slider, int vh::TreeParameters::*field) {
  m_document.Change(ControlEdit(
      slider, [&slider, field](vh::TreeParameters& params) { StoreSlider(slider, params.*field); },
      {.regrow = true, .leafAppearance = true}));
}

void TexturePage::onUScaleChanged() { ScaleChanged(*m_uScale, &vh::TreeParameters::uScale); }

void TexturePage::onVScaleChanged() { ScaleChanged(*m_vScale, &vh::TreeParameters::vScale); }
