#include "app/pages/control_edits.h"

#include <utility>

#include <QLineEdit>
#include <QSlider>

#include "app/widgets/control_caption.h"

namespace {
QString MergeKey(const QWidget& control) {
  // Each change a keyboard or wheel makes to a slider is a step; a drag is one.
  if (const auto* slider = qobject_cast<const QSlider*>(&control)) {
    return slider->isSliderDown() ? slider->objectName() : QString();
  }
  if (qobject_cast<const QLineEdit*>(&control) != nullptr) return control.objectName();
  return {};
}
}  // namespace

TreeDocument::ParameterChange ControlEdit(const QWidget& control,
                                          std::function<void(vh::TreeParameters&)> apply,
                                          EditEffects effects) {
  TreeDocument::ParameterChange change;
  change.name = ControlCaption(&control);
  change.apply = std::move(apply);
  change.effects = effects;
  change.mergeKey = MergeKey(control);
  return change;
}

void EndGesturesOf(QWidget& page, TreeDocument& document) {
  const auto end = [&document] { document.CloseMerge(); };
  for (QSlider* slider : page.findChildren<QSlider*>()) {
    QObject::connect(slider, &QSlider::sliderPressed, &document, end);
    QObject::connect(slider, &QSlider::sliderReleased, &document, end);
  }
  for (QLineEdit* field : page.findChildren<QLineEdit*>()) {
    QObject::connect(field, &QLineEdit::editingFinished, &document, end);
  }
}
