// What the window system and the user see of the windows: the titles as
// the X server holds them, the main window's minimum size and captions
// that are never cut off.
#include <QAbstractButton>
#include <QGroupBox>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/about/about_box.h"
#include "app/bark_tiler/bark_tiler_window.h"
#include "flow_test_support.h"

namespace {

// `xprop -id WINDOW PROPERTY` for a shown top-level widget.
QString WindowProperty(QWidget& window, const char* property) {
  const CommandResult result = RunCommand("xprop -id " + std::to_string(window.winId()) + " " + property);
  EXPECT_EQ(result.status, 0) << result.output;
  return QString::fromStdString(result.output);
}

// The window's title as the X server holds it in `property` (WM_NAME or
// _NET_WM_NAME), e.g. from `_NET_WM_NAME(UTF8_STRING) = "Bark tiler"`.
QString WindowSystemTitle(QWidget& window, const char* property) {
  const QString line = WindowProperty(window, property).trimmed();
  const QRegularExpressionMatch match = QRegularExpression(" = \"(.*)\"$").match(line);
  EXPECT_TRUE(match.hasMatch()) << line.toStdString();
  return match.captured(1);
}

QSize WindowSystemMinimumSize(QWidget& window) {
  const QRegularExpressionMatch match =
      QRegularExpression("minimum size: (\\d+) by (\\d+)").match(WindowProperty(window, "WM_NORMAL_HINTS"));
  return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

void ShowAndWait(QWidget& window) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::qWait(20);  // the properties reach the server
}

// Descriptions of the visible captions under `root` that have less room
// than their text needs.
QStringList CutOffCaptions(const QWidget& root) {
  QStringList cut;
  for (const QWidget* widget : root.findChildren<QWidget*>()) {
    if (!widget->isVisible()) continue;
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
      const testing::AssertionResult whole = ShowsWholeText(*label);
      if (!whole) cut << QString::fromUtf8(whole.message());
    } else if (qobject_cast<const QAbstractButton*>(widget) != nullptr ||
               qobject_cast<const QGroupBox*>(widget) != nullptr) {
      if (widget->width() < widget->sizeHint().width()) {
        cut << QString("%1 \"%2\": %3 of %4 pixels")
                   .arg(widget->objectName(), widget->property("text").toString())
                   .arg(widget->width())
                   .arg(widget->sizeHint().width());
      }
    }
  }
  return cut;
}

class WindowFit : public WorkflowTest {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
    WorkflowTest::SetUp();
  }
  // Shows each page in turn and checks that none cuts a caption off.
  void ExpectEveryCaptionWhole() {
    auto* pages = Find<QTabWidget>("PageControl1");
    for (int i = 0; i < pages->count(); ++i) {
      ShowPage(i);
      SCOPED_TRACE(pages->tabText(i).toStdString());
      EXPECT_EQ(CutOffCaptions(*pages->widget(i)).join('\n').toStdString(), "");
    }
    EXPECT_EQ(CutOffCaptions(*Find<QWidget>("Panel3")).join('\n').toStdString(), "");
  }
};

TEST_F(WindowFit, TitlesAreExactlyTheWindowsCaptions) {
  for (const char* property : {"WM_NAME", "_NET_WM_NAME"}) {
    SCOPED_TRACE(property);
    EXPECT_EQ(WindowSystemTitle(*window, property), "Verdanthollow v2.0");
    BarkTilerWindow barkTiler;
    ShowAndWait(barkTiler);
    EXPECT_EQ(WindowSystemTitle(barkTiler, property), "Bark tiler");
    AboutBox about;
    ShowAndWait(about);
    EXPECT_EQ(WindowSystemTitle(about, property), "About Verdanthollow");
  }
}

TEST_F(WindowFit, EveryCaptionOnThePagesIsWhole) {
  ExpectEveryCaptionWhole();
  auto* first = Find<QAbstractButton>("RadioGroup1Item0");
  EXPECT_EQ(first->text(), "Geometry for branches, billboards for leaves");
  EXPECT_GE(first->width(), first->sizeHint().width());
}

TEST_F(WindowFit, MinimumSizeKeepsEveryControlUsable) {
  window->resize(1, 1);
  QTest::qWait(50);
  ASSERT_EQ(window->size(), window->minimumSize());
  EXPECT_EQ(WindowSystemMinimumSize(*window), window->minimumSize()) << "the window manager's limit";

  const QWidget* view = Find<QWidget>("StaticText1");
  EXPECT_GE(view->width(), 200);
  EXPECT_GE(view->height(), 150);

  // The camera buttons keep their size, apart from each other, inside the panel.
  const QWidget* panel = Find<QWidget>("Panel3");
  const QList<QToolButton*> buttons = panel->findChildren<QToolButton*>();
  ASSERT_EQ(buttons.size(), 14);  // the two rings, "Reset viewpoint" and "Frame the tree"
  for (qsizetype i = 0; i < buttons.size(); ++i) {
    const QToolButton* button = buttons[i];
    SCOPED_TRACE(button->objectName().toStdString());
    EXPECT_GE(button->width(), button->minimumSizeHint().width());
    EXPECT_GE(button->height(), button->minimumSizeHint().height());
    EXPECT_TRUE(LiesWithin(*button, *panel));
    for (qsizetype j = i + 1; j < buttons.size(); ++j) {
      EXPECT_FALSE(button->geometry().intersects(buttons[j]->geometry()))
          << "overlaps " << buttons[j]->objectName().toStdString();
    }
  }
  EXPECT_TRUE(LiesWithin(*Find<QWidget>("GroupBox1"), *panel));
  ExpectEveryCaptionWhole();
}

}  // namespace
