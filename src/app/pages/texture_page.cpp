#include "app/pages/texture_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QVBoxLayout>

#include "app/document/tree_document.h"
#include "app/pages/bark_texture_panel.h"
#include "app/widgets/labelled_slider.h"
#include "tree/parameter_table.h"
#include "tree/tree.h"

TexturePage::TexturePage(TreeDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
  setObjectName("TabSheet3");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  bark_ = new BarkTexturePanel(document, this);
  layout->addWidget(bark_);
  auto* panel = new QWidget(this);
  panel->setObjectName("Panel8");
  auto* grid = new QGridLayout(panel);
  grid->addWidget(new QLabel("Material name prefix :", panel), 0, 0);
  materialPrefix_ = new QLineEdit("Material", panel);
  materialPrefix_->setObjectName("Edit2");
  // The prefix is one word: the material files and the document store it
  // as such, so white space is refused as it is typed.
  materialPrefix_->setValidator(
      new QRegularExpressionValidator(QRegularExpression("\\S*"), materialPrefix_));
  grid->addWidget(materialPrefix_, 0, 1);
  using T = vh::TreeParameters;
  uScale_ = AddLabelledSlider(grid, 1, "U Scale :", "TrackBar16", vh::FieldOf(&T::uScale).control);
  vScale_ = AddLabelledSlider(grid, 2, "V Scale :", "TrackBar17", vh::FieldOf(&T::vScale).control);
  layout->addWidget(panel);
  layout->addStretch(1);

  connect(materialPrefix_, &QLineEdit::textChanged, this, &TexturePage::onMaterialPrefixEdited);
  connect(uScale_, &QSlider::valueChanged, this, &TexturePage::onUScaleChanged);
  connect(vScale_, &QSlider::valueChanged, this, &TexturePage::onVScaleChanged);
}

QWidget* TexturePage::FocusTarget() const { return uScale_; }

void TexturePage::LoadGlobals(const vh::TreeParameters& params) {
  materialPrefix_->setText(QString::fromStdString(params.materialPrefix));
  uScale_->setValue(params.uScale);
  vScale_->setValue(params.vScale);
}

void TexturePage::StoreGlobals(vh::TreeParameters& params) const {
  params.materialPrefix = materialPrefix_->text().toStdString();
  StoreSlider(*uScale_, params.uScale);
  StoreSlider(*vScale_, params.vScale);
}

void TexturePage::onMaterialPrefixEdited() {
  if (document_.EditsLocked()) return;
  document_.Session().params.materialPrefix = materialPrefix_->text().toStdString();
}

void TexturePage::onUScaleChanged() {
  if (document_.EditsLocked()) return;
  StoreSlider(*uScale_, document_.Session().params.uScale);
  document_.UpdateAfterChange();
  document_.LeafAppearanceChanged();
}

void TexturePage::onVScaleChanged() {
  if (document_.EditsLocked()) return;
  StoreSlider(*vScale_, document_.Session().params.vScale);
  document_.UpdateAfterChange();
  document_.LeafAppearanceChanged();
}
