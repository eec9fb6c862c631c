#include "app/widgets/page_sizes.h"

#include <QEvent>
#include <QLayout>
#include <QTabWidget>

namespace {

class PageSizer : public QObject {
 public:
  explicit PageSizer(QTabWidget* tabs) : QObject(tabs), tabs_(tabs) {}

  void FollowCurrent() {
    QWidget* current = tabs_->currentWidget();
    if (current == nullptr || !current->isVisible()) return;
    for (int i = 0; i < tabs_->count(); ++i) {
      QWidget* page = tabs_->widget(i);
      if (page == current || page->geometry() == current->geometry()) continue;
      page->setGeometry(current->geometry());
      if (page->layout() != nullptr) page->layout()->activate();
    }
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && watched == tabs_->currentWidget()) FollowCurrent();
    return false;
  }

 private:
  QTabWidget* tabs_;
};

}  // namespace

void KeepPagesSized(QTabWidget* tabs) {
  auto* sizer = new PageSizer(tabs);
  for (int i = 0; i < tabs->count(); ++i) tabs->widget(i)->installEventFilter(sizer);
  sizer->FollowCurrent();
}
