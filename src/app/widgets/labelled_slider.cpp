#include "app/widgets/labelled_slider.h"

#include <algorithm>

#include <QGridLayout>
#include <QLabel>
#include <QSlider>

#include "tree/parameter_table.h"

QSlider* AddLabelledSlider(QGridLayout* grid, int row, const QString& caption, const char* name, int minimum,
                           int maximum, int position) {
  QWidget* owner = grid->parentWidget();
  auto* slider = new QSlider(Qt::Horizontal, owner);
  slider->setObjectName(name);
  slider->setRange(minimum, maximum);
  slider->setValue(position);
  grid->addWidget(new QLabel(caption, owner), row, 0);
  grid->addWidget(slider, row, 1);
  return slider;
}

QSlider* AddLabelledSlider(QGridLayout* grid, int row, const QString& caption, const char* name,
                           const vh::ControlRange& range) {
  return AddLabelledSlider(grid, row, caption, name, range.minimum, range.maximum, range.initial);
}

void StoreSlider(const QSlider& slider, int& field, int offset) {
  // In 64 bits: a document's value may lie anywhere in the int range.
  const long long shown =
      std::clamp<long long>(static_cast<long long>(field) - offset, slider.minimum(), slider.maximum());
  if (shown != slider.value()) field = slider.value() + offset;
}
