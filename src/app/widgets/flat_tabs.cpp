#include "app/widgets/flat_tabs.h"

#include <QPainter>

#include "app/widgets/palette.h"

FlatTabBar::FlatTabBar(int textIndent, int fixedTabWidth, QWidget* parent)
    : QTabBar(parent), m_textIndent(textIndent), m_fixedTabWidth(fixedTabWidth) {
  setDrawBase(false);
  setExpanding(false);
  ApplyWindowColours(this);
}

QSize FlatTabBar::tabSizeHint(int index) const {
  QSize size = QTabBar::tabSizeHint(index);
  // Flat tabs need no room for a frame: the caption and a small margin.
  size.setWidth(m_fixedTabWidth > 0 ? m_fixedTabWidth
                                    : fontMetrics().horizontalAdvance(tabText(index)) + 2 * m_textIndent + 8);
  return size;
}

void FlatTabBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kWindowColour);
  for (int i = 0; i < count(); ++i) {
    const QRect tab = tabRect(i);
    painter.fillRect(tab, kWindowColour);
    painter.fillRect(tab.adjusted(2, 2, -2, -2), kWindowColour);
    if (i == currentIndex()) {
      painter.setPen(kTextColour);
      painter.drawRect(tab.adjusted(0, 0, -1, -1));
    }
    painter.setPen(kTextColour);
    const QRect textArea = tab.adjusted(m_textIndent, 2, 0, 0);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, tabText(i));
  }
}

FlatTabWidget::FlatTabWidget(QWidget* parent) : QTabWidget(parent) {
  setTabBar(new FlatTabBar(2, 0, this));
  setDocumentMode(true);
  ApplyWindowColours(this);
}
