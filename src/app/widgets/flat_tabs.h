// Owner-drawn flat tabs: every tab is filled with the window colour and
// carries its caption; the selected one gets a thin outline so the user can
// tell it apart. Used by the page control and the level tabs.
#pragma once

#include <QTabBar>
#include <QTabWidget>

class FlatTabBar : public QTabBar {
  Q_OBJECT
 public:
  // `textIndent` is the caption's distance from the tab's left edge
  // (2 for pages, 4 for level tabs); `fixedTabWidth` > 0 gives every tab
  // that width.
  FlatTabBar(int textIndent, int fixedTabWidth, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  QSize tabSizeHint(int index) const override;

 private:
  int m_textIndent;
  int m_fixedTabWidth;
};

// A page control whose tab row is a FlatTabBar and whose page area is flat.
class FlatTabWidget : public QTabWidget {
  Q_OBJECT
 public:
  explicit FlatTabWidget(QWidget* parent = nullptr);
};
