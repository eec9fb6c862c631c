// Keyboard shortcuts: shown in the menus and reaching their actions.
#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "app_test_support.h"

namespace {

struct Shortcut {
  const char* action;
  QKeyCombination keys;
};

const Shortcut kShortcuts[] = {
    {"New1", Qt::CTRL | Qt::Key_N},
    {"Open1", Qt::CTRL | Qt::Key_O},
    {"Save1", Qt::CTRL | Qt::Key_S},
    {"SaveAs1", Qt::CTRL | Qt::SHIFT | Qt::Key_S},
    {"Export1", Qt::CTRL | Qt::Key_E},
    {"Quit1", Qt::CTRL | Qt::Key_Q},
    {"Help2", QKeyCombination(Qt::Key_F1)},
    {"Undo1", Qt::CTRL | Qt::Key_Z},
    {"Redo1", Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
    {"Redo1", Qt::CTRL | Qt::Key_Y},
};

using Shortcuts = MainWindowTest;

TEST_F(Shortcuts, AreShownInTheMenus) {
  for (const Shortcut& shortcut : kShortcuts) {
    auto* action = Find<QAction>(shortcut.action);
    EXPECT_TRUE(action->shortcuts().contains(QKeySequence(shortcut.keys))) << shortcut.action;
    // A menu shows the first shortcut of its action beside the caption.
    EXPECT_FALSE(action->shortcut().isEmpty()) << shortcut.action;
  }
  EXPECT_EQ(Find<QAction>("Save1")->shortcut().toString(QKeySequence::PortableText), "Ctrl+S");
  EXPECT_EQ(Find<QAction>("Redo1")->shortcut().toString(QKeySequence::PortableText), "Ctrl+Shift+Z");
}

TEST_F(Shortcuts, ReachTheirActionsWhereverTheFocusIs) {
  // The keys are checked, not what the actions do (that is tested with the
  // actions themselves): the handlers are taken off first.
  for (const Shortcut& shortcut : kShortcuts) {
    QObject::disconnect(Find<QAction>(shortcut.action), &QAction::triggered, nullptr, nullptr);
  }
  // With nothing to take back or repeat they are disabled, as they should.
  Find<QAction>("Undo1")->setEnabled(true);
  Find<QAction>("Redo1")->setEnabled(true);
  for (QWidget* focus : {static_cast<QWidget*>(window.get()), Find<QWidget>("baseSize"),
                         static_cast<QWidget*>(Find<QLineEdit>("Edit1"))}) {
    for (const Shortcut& shortcut : kShortcuts) {
      QSignalSpy triggered(Find<QAction>(shortcut.action), &QAction::triggered);
      focus->setFocus();
      MakeActive(window.get());
      QTest::keyClick(focus, shortcut.keys.key(), shortcut.keys.keyboardModifiers());
      EXPECT_EQ(triggered.count(), 1) << shortcut.action << " from " << focus->objectName().toStdString();
    }
  }
}

}  // namespace
