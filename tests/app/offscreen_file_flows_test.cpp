// The editing workflow without OpenGL: pictures load (nothing is uploaded),
// documents save and open, and the screenshot is the blank view surface.
#include <QTest>
#include <QToolButton>

#include "app_test_support.h"
#include "fileio/test_support.h"
#include "imaging/picture_io.h"
#include "scripted_dialogs.h"

namespace {

class WorkflowWithoutOpenGL : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (window->ViewBound()) GTEST_SKIP() << "this offscreen platform offers OpenGL";
    recorder->messages.clear();  // the missing context was reported
  }
  QString Path(const char* name) const { return QString::fromStdString(scratch.File(name)); }
  void Trigger(const char* name) {
    window->findChild<QAction*>(name)->trigger();
    EXPECT_TRUE(WaitForTree());
  }

  vh::test::ScratchDir scratch;
  ScriptedDialogsScope scripted;
};

TEST_F(WorkflowWithoutOpenGL, PicturesLoadAndDocumentsRoundTrip) {
  vh::SavePicture(scratch.File("bark.bmp"), vh::Image(16, 8, 3));
  scripted.dialogs->Choose(Path("bark.bmp"));
  QTest::mouseClick(Find<QToolButton>("SpeedButton4"), Qt::LeftButton);
  EXPECT_TRUE(State().params.barkTextureLoaded);
  EXPECT_EQ(State().barkTextureImage.width, 16);
  scripted.dialogs->Choose(Path("oak"));
  Trigger("Save1");
  Trigger("New1");
  EXPECT_FALSE(State().params.barkTextureLoaded);
  scripted.dialogs->Choose(Path("oak.vhm"));
  Trigger("Open1");
  EXPECT_TRUE(State().params.barkTextureLoaded);
  EXPECT_EQ(State().params.barkTextureFile, scratch.File("bark.bmp"));
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
}

TEST_F(WorkflowWithoutOpenGL, ScreenshotIsTheBlankViewAtItsSize) {
  scripted.dialogs->Choose(Path("shot.bmp"));
  Trigger("Exportscreenshot1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  const vh::Image shot = vh::LoadPicture(scratch.File("shot.bmp"));
  QWidget* view = Find<QWidget>("StaticText1");
  EXPECT_EQ(shot.width, view->width());
  EXPECT_EQ(shot.height, view->height());
  const std::uint8_t* centre = shot.At(shot.width / 2, shot.height / 2);
  EXPECT_EQ(centre[0] + centre[1] + centre[2], 3 * 255);
}

}  // namespace
