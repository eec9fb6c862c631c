// The menu bar, the start-up splash / about box and the window's look.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include "app/about/about_box.h"
#include "app_test_support.h"

namespace {

using MainWindowLook = MainWindowTest;

QStringList Captions(QMenu* menu) {
  QStringList captions;
  for (QAction* action : menu->actions()) {
    captions << (action->isSeparator() ? QString("-") : action->text());
  }
  return captions;
}

TEST_F(MainWindowLook, TitleSizeAndPanels) {
  EXPECT_EQ(window->windowTitle(), "Verdanthollow v2.0");
  EXPECT_EQ(window->size(), QSize(992, 682));
  EXPECT_EQ(Find<QWidget>("Panel3")->width(), 153);
  EXPECT_EQ(Find<QWidget>("Panel2")->width(), 308);
  EXPECT_EQ(Find<QWidget>("Panel1")->height(), 30);
  auto* pages = Find<QTabWidget>("PageControl1");
  // The four pages, then the wind's.
  const QStringList expected{"Branches", "Leaves", "Texture", "Level of detail", "Wind"};
  ASSERT_EQ(pages->count(), expected.size());
  for (int i = 0; i < expected.size(); ++i) EXPECT_EQ(pages->tabText(i), expected[i]);
  EXPECT_EQ(Find<QWidget>("Panel3")->palette().color(QPalette::Window), QColor(165, 216, 175));
}

TEST_F(MainWindowLook, MenusHoldEveryItem) {
  const QList<QAction*> menus = window->menuBar()->actions();
  ASSERT_EQ(menus.size(), 4);
  EXPECT_EQ(menus[0]->text(), "File");
  EXPECT_EQ(
      Captions(menus[0]->menu()),
      (QStringList{"New", "Open...", "Open recent", "New from preset", "Save", "Save As...", "-", "Export...",
                   "Export screenshot...", "Export billboard...", "Export forest...", "-", "Quit"}));
  EXPECT_EQ(menus[1]->text(), "Edit");
  EXPECT_EQ(Captions(menus[1]->menu()), (QStringList{"Undo", "Redo"}));
  EXPECT_EQ(menus[2]->text(), "Tools");
  EXPECT_EQ(Captions(menus[2]->menu()), QStringList{"Bark tiler"});
  EXPECT_EQ(Captions(menus[3]->menu()), (QStringList{"Help", "About..."}));
}

TEST_F(MainWindowLook, QuitCancelsARunningGeneration) {
  MakeGenerationLong();
  GenerateAndMeanwhile(50, [&] { window->findChild<QAction*>("Quit1")->trigger(); });
  EXPECT_TRUE(Tree().cancelled);
}

TEST(AboutBox, IsABorderlessSplashWithItsTexts) {
  AboutBox about;
  EXPECT_EQ(about.size(), QSize(518, 555));
  EXPECT_TRUE(about.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(about.findChild<QLabel*>("Label1")->text(), "Verdanthollow v2.0");
  EXPECT_EQ(about.findChild<QLabel*>("Label5")->text(), "Click to close");
  EXPECT_EQ(about.findChild<QLabel*>("Image1")->pixmap().size(), QSize(512, 384));
  auto* timer = about.findChild<QTimer*>("Timer1");
  EXPECT_EQ(timer->interval(), 3000);
  EXPECT_TRUE(timer->isActive());
}

TEST(AboutBox, HidesOnceByItsTimerThenStaysUntilClicked) {
  AboutBox about;
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  QTest::mouseClick(about.findChild<QLabel*>("Image1"), Qt::LeftButton);
  EXPECT_FALSE(about.isVisible()) << "a click hides it at once";
  about.show();
  auto* timer = about.findChild<QTimer*>("Timer1");
  about.onSplashTimeout();
  EXPECT_FALSE(about.isVisible());
  EXPECT_FALSE(timer->isActive()) << "the timer stops for good";
  about.show();
  QTest::keyClick(&about, Qt::Key_A);
  EXPECT_FALSE(about.isVisible()) << "any key hides it";
  about.show();
  QTest::mouseClick(about.findChild<QLabel*>("Label5"), Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
}

TEST_F(MainWindowLook, AboutItemShowsTheAboutBoxAgain) {
  AboutBox about;
  about.hide();
  window->SetAboutBox(&about);
  window->findChild<QAction*>("About1")->trigger();
  EXPECT_TRUE(about.isVisible());
  window->SetAboutBox(nullptr);
}

}  // namespace

namespace {

// A handler that fails the way core code does: with an exception.
class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("tree.vhm, line 3: not a number");
    return QObject::event(e);
  }
};

TEST(Application, ShowsAnExceptionFromAHandlerAndCarriesOn) {
  MessageRecorder recorder;
  Thrower thrower;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&thrower, &event);
  EXPECT_EQ(recorder.messages, QStringList{"tree.vhm, line 3: not a number"});
}

}  // namespace
