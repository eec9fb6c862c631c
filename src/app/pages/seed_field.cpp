#include "app/pages/seed_field.h"

#include <algorithm>
#include <limits>

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
// The width of the field's frame and margins around `textWidth` pixels of
// text, as the style lays out a line edit.
int FieldWidthFor(const QLineEdit& field, int textWidth) {
  constexpr int kLineEditTextMargin = 2;  // QLineEdit's own space on each side of the text
  constexpr int kCursorWidth = 1;
  const QMargins text = field.textMargins();
  const QMargins contents = field.contentsMargins();
  const int inner = textWidth + 2 * kLineEditTextMargin + kCursorWidth + text.left() + text.right() +
                    contents.left() + contents.right();
  QStyleOptionFrame option;
  option.initFrom(&field);
  option.lineWidth =
      field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field) : 0;
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  return field.style()
      ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, field.sizeHint().height()), &field)
      .width();
}
}  // namespace

QLineEdit* MakeSeedField(QWidget* parent) {
  auto* field = new QLineEdit("160", parent);
  field->setObjectName("Edit1");
  field->ensurePolished();  // measured in the font and style it is shown with
  // The widest accepted seed: the sign and ten digits of the smallest int,
  // each digit as wide as the font's widest.
  const QFontMetrics metrics = field->fontMetrics();
  int digit = 0;
  for (char c = '0'; c <= '9'; ++c) digit = std::max(digit, metrics.horizontalAdvance(QChar(c)));
  const int widest = std::max(metrics.horizontalAdvance(QString::number(std::numeric_limits<int>::min())),
                              metrics.horizontalAdvance(QChar('-')) + 10 * digit);
  field->setFixedWidth(FieldWidthFor(*field, widest));
  return field;
}
