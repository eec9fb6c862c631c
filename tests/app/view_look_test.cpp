// The view's "Look": chosen after the display boxes, drawn at once,
// remembered for the next window, "Classic" pictures unchanged by a visit
// to "Realistic"; the screenshot is taken in the look shown; and the
// command line's --look.
#include <QComboBox>
#include <QLayout>
#include <QTest>

#include "app/shell/start_options.h"
#include "app/viewport/look_preference.h"
#include "app_test_support.h"

namespace {

class ViewLookTest : public MainWindowTest {
 protected:
  void SetUp() override {
    StoreLook(vh::Look::kClassic);
    MainWindowTest::SetUp();
    if (!window->ViewBound()) GTEST_SKIP() << "no OpenGL on this display";
    ASSERT_TRUE(WaitForTree());
  }
  // Later tests start in the classic look, whatever this one chose.
  void TearDown() override {
    StoreLook(vh::Look::kClassic);
    MainWindowTest::TearDown();
  }
  void Choose(const char* look) {
    QComboBox* choice = Find<QComboBox>("LookChoice");
    const int index = choice->findText(look);
    ASSERT_GE(index, 0) << look;
    choice->setCurrentIndex(index);
    emit choice->activated(index);
  }
  QImage Shot() { return window->View().Grab().convertToFormat(QImage::Format_RGB32); }
};

TEST_F(ViewLookTest, FollowsTheDisplayBoxesAndStartsClassic) {
  QComboBox* choice = Find<QComboBox>("LookChoice");
  EXPECT_EQ(choice->currentText(), "Classic");
  EXPECT_EQ(window->View().Look(), vh::Look::kClassic);
  QLayout* panel = Find<QWidget>("Panel3")->layout();
  const int plane = panel->indexOf(Find<QWidget>("CheckBox8"));
  int look = -1;
  for (int i = 0; i < panel->count(); ++i)
    if (QLayout* row = panel->itemAt(i)->layout(); row != nullptr && row->indexOf(choice) >= 0) look = i;
  EXPECT_GT(look, plane) << "after \"Show plane\"";
}

// The realistic picture shows a sky where the classic one is white, the
// choice is kept for the next window, and going back gives the classic
// picture to the pixel.
TEST_F(ViewLookTest, SwitchingShowsTheLookAndIsRemembered) {
  const QImage classic = Shot();
  Choose("Realistic");
  EXPECT_EQ(window->View().Look(), vh::Look::kRealistic);
  EXPECT_TRUE(LabelText("LookNote").isEmpty()) << "the software renderer draws the realistic look";
  const QImage realistic = Shot();
  ASSERT_EQ(realistic.size(), classic.size());
  EXPECT_EQ(QColor(classic.pixel(2, 2)), QColor(Qt::white));
  const QColor sky = realistic.pixel(2, 2);
  EXPECT_GT(sky.blue(), sky.red() + 20) << "a blue sky";
  EXPECT_EQ(StoredLook(), vh::Look::kRealistic);

  Choose("Classic");
  EXPECT_EQ(Shot(), classic);
  EXPECT_EQ(StoredLook(), vh::Look::kClassic);
}

TEST_F(ViewLookTest, ANewWindowStartsInTheRememberedLook) {
  Choose("Realistic");
  window.reset();
  window = std::make_unique<TestedWindow>(ProbeOpenGL());
  window->show();
  EXPECT_EQ(window->View().Look(), vh::Look::kRealistic);
  EXPECT_EQ(Find<QComboBox>("LookChoice")->currentText(), "Realistic");
}

TEST(StartOptions, ReadTheLookAndTheDocument) {
  const struct {
    QStringList arguments;
    std::optional<vh::Look> look;
    QString document;
    bool problem;
  } cases[] = {
      {{"vh"}, std::nullopt, "", false},
      {{"vh", "tree.vhm"}, std::nullopt, "tree.vhm", false},
      {{"vh", "--look", "realistic", "tree.vhm"}, vh::Look::kRealistic, "tree.vhm", false},
      {{"vh", "tree.vhm", "--look=Classic"}, vh::Look::kClassic, "tree.vhm", false},
      {{"vh", "--look", "shiny", "tree.vhm"}, std::nullopt, "tree.vhm", true},
      {{"vh", "--look"}, std::nullopt, "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const StartOptions options = ParseStartOptions(c.arguments);
    EXPECT_EQ(options.look, c.look);
    EXPECT_EQ(options.document, c.document);
    EXPECT_EQ(!options.problem.isEmpty(), c.problem) << options.problem.toStdString();
  }
  EXPECT_EQ(ParseStartOptions({"vh", "--look", "shiny"}).problem,
            "Unknown look \"shiny\": use \"classic\" or \"realistic\".");
}

}  // namespace
