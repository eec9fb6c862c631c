// Without OpenGL (the offscreen platform offers none) the window still
// opens, reports the missing context once and every other function works.
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "app_test_support.h"
#include "view/framing.h"

namespace {

using WithoutOpenGL = MainWindowTest;

TEST_F(WithoutOpenGL, WindowOpensAndReportsTheMissingContextOnce) {
  const GlAvailability gl = ProbeOpenGL();
  if (gl == GlAvailability::kAvailable) {
    EXPECT_TRUE(recorder->messages.isEmpty());
    GTEST_SKIP() << "this offscreen platform offers OpenGL";
  }
  EXPECT_TRUE(window->isVisible());
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_EQ(recorder->messages.front(), GlFailureMessage(gl));
  EXPECT_FALSE(window->ViewBound());
  EXPECT_NE(window->findChild<QWidget*>("StaticText1"), nullptr);
}

TEST_F(WithoutOpenGL, EditingAndViewControlsStillWork) {
  Find<QSlider>("noise")->setValue(55);
  EXPECT_EQ(State().params.levels[0].noise, 55);
  EXPECT_EQ(LabelText("Label45"), VertexText(Tree()));
  QTest::mouseClick(Find<QToolButton>("SpeedButton15"), Qt::LeftButton);
  EXPECT_FLOAT_EQ(window->ViewCamera().position.y, 50.0f + vh::MoveStep(vh::MeshBounds(Tree())));
  Find<QCheckBox>("CheckBox6")->click();
  EXPECT_TRUE(State().wireframe.tree);
  Find<QCheckBox>("CheckBox8")->click();
  window->RenderFrameNow();
  EXPECT_FALSE(window->WithViewContext([] {}));
}

// A context that exists but cannot be made current gets the other message.
TEST(WithoutOpenGLMessages, EachFailureHasItsOwnText) {
  MessageRecorder recorder;
  for (GlAvailability gl : {GlAvailability::kNoContext, GlAvailability::kCannotMakeCurrent}) {
    recorder.messages.clear();
    MainWindow window(gl);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(WaitUntil([&] { return !recorder.messages.isEmpty(); }, 1000));
    EXPECT_EQ(recorder.messages, QStringList{GlFailureMessage(gl)});
  }
  EXPECT_EQ(GlFailureMessage(GlAvailability::kNoContext), ":-)~ hrc == NULL");
  EXPECT_EQ(GlFailureMessage(GlAvailability::kCannotMakeCurrent), "Could not MakeCurrent");
}

}  // namespace
