#include "app/widgets/shortcut_fields.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace {

class ShortcutPassage : public QObject {
 public:
  explicit ShortcutPassage(QWidget* window) : QObject(window), m_window(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return QObject::eventFilter(watched, event);
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QAction* action : m_window->findChildren<QAction*>()) {
      if (action->isEnabled() && action->shortcuts().contains(pressed)) {
        // Not taken by the field: the key goes on to the action.
        event->ignore();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* m_window;
};

}  // namespace

void LetShortcutsPassTextFields(QWidget* window) {
  auto* passage = new ShortcutPassage(window);
  for (QLineEdit* field : window->findChildren<QLineEdit*>()) field->installEventFilter(passage);
}
