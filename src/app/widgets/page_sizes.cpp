#include "app/widgets/page_sizes.h"

#include <QEvent>
#include <QLayout>
#include <QTabWidget>

namespace {

class PageSizer : public QObject {
 public:
  explicit PageSizer(QTabWidget* tabs) : QObject(tabs), m_tabs(tabs) {}

  void FollowCurrent() {
    QWidget* current = m_tabs->currentWidget();
    if (current == nullptr || !current->isVisible()) return;
    for (int i = 0; i < m_tabs->count(); ++i) {
      QWidget* page = m_tabs->widget(i);
      if (page == current || page->geometry() == current->geometry()) continue;
      page->setGeometry(current->geometry());
      if (page->layout() != nullptr) page->layout()->activate();
    }
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && watched == m_tabs->currentWidget()) FollowCurrent();
    return false;
  }

 private:
  QTabWidget* m_tabs;
};

}  // namespace

void KeepPagesSized(QTabWidget* tabs) {
  auto* sizer = new PageSizer(tabs);
  for (int i = 0; i < tabs->count(); ++i) tabs->widget(i)->installEventFilter(sizer);
  sizer->FollowCurrent();
}
