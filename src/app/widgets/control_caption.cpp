#include "app/widgets/control_caption.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

namespace {

struct LayoutSlot {
  QLayout* layout = nullptr;
  int index = -1;
};

// The layout (possibly nested in the parent's) that holds `widget` directly.
LayoutSlot FindSlot(QLayout* layout, const QWidget* widget) {
  if (layout == nullptr) return {};
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (item->widget() == widget) return {layout, i};
    if (LayoutSlot inner = FindSlot(item->layout(), widget); inner.layout != nullptr) return inner;
  }
  return {};
}

QString Trimmed(QString text) {
  text = text.trimmed();
  while (text.endsWith(':') || text.endsWith(';')) text = text.left(text.size() - 1).trimmed();
  text.remove('&');
  return text;
}

QString LabelText(QLayoutItem* item) {
  if (item == nullptr) return {};
  const auto* label = qobject_cast<const QLabel*>(item->widget());
  return label != nullptr ? Trimmed(label->text()) : QString();
}

// The caption in column 0 of the grid row `rowOffset` rows from the
// widget's own, or the item before it in a box layout.
QString CaptionBeside(const QWidget* widget, int rowOffset) {
  const QWidget* parent = widget->parentWidget();
  if (parent == nullptr) return {};
  const LayoutSlot slot = FindSlot(parent->layout(), widget);
  if (auto* grid = qobject_cast<QGridLayout*>(slot.layout)) {
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(slot.index, &row, &column, &rowSpan, &columnSpan);
    if (column == 0 && rowOffset == 0) return {};
    return LabelText(grid->itemAtPosition(row + rowOffset, 0));
  }
  if (qobject_cast<QBoxLayout*>(slot.layout) != nullptr && rowOffset == 0 && slot.index > 0) {
    return LabelText(slot.layout->itemAt(slot.index - 1));
  }
  return {};
}

}  // namespace

QString ControlCaption(const QWidget* control) {
  if (control == nullptr) return {};
  if (const auto* radio = qobject_cast<const QRadioButton*>(control)) {
    // A Constant/Inherit pair sits in a box of its own below the slider it
    // qualifies.
    const QWidget* row = radio->parentWidget();
    QString owner = row != nullptr ? CaptionBeside(row, 0) : QString();
    if (owner.isEmpty() && row != nullptr) owner = CaptionBeside(row, -1);
    const QString text = Trimmed(radio->text());
    return owner.isEmpty() ? text : owner + ": " + text;
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
    if (!button->text().isEmpty()) return Trimmed(button->text());
    return Trimmed(button->toolTip());
  }
  return CaptionBeside(control, 0);
}

bool HasLabelAfter(const QWidget* control) {
  const QWidget* parent = control != nullptr ? control->parentWidget() : nullptr;
  if (parent == nullptr) return false;
  const LayoutSlot slot = FindSlot(parent->layout(), control);
  QLayoutItem* next = nullptr;
  if (auto* grid = qobject_cast<QGridLayout*>(slot.layout)) {
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(slot.index, &row, &column, &rowSpan, &columnSpan);
    next = grid->itemAtPosition(row, column + columnSpan);
  } else if (slot.layout != nullptr && slot.index + 1 < slot.layout->count()) {
    next = slot.layout->itemAt(slot.index + 1);
  }
  return next != nullptr && qobject_cast<const QLabel*>(next->widget()) != nullptr;
}
