// Billboard clouds without OpenGL: the cloud still gets its geometry, its
// pictures stay blank (all key colour, so fully transparent) and nothing
// fails or shows a message beyond the missing-context report.
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "app_test_support.h"
#include "tree/tree.h"

namespace {

using BillboardsWithoutOpenGL = MainWindowTest;

TEST_F(BillboardsWithoutOpenGL, CreateMakesGeometryWithBlankPictures) {
  if (window->ViewBound()) GTEST_SKIP() << "this offscreen platform offers OpenGL";
  recorder->messages.clear();  // the missing-context report
  Find<QSlider>("TrackBar19")->setValue(3);
  Find<QSlider>("TrackBar20")->setValue(5);
  Find<QRadioButton>("RadioGroup1Item1")->click();  // the default tree has no leaves: billboard the branches
  QTest::mouseClick(Find<QToolButton>("SpeedButton22"), Qt::LeftButton);
  ASSERT_TRUE(window->BillboardMode());
  std::size_t billboards = 0;
  for (const auto& submesh : window->Billboard()->submeshes)
    billboards += submesh->texture == vh::kBillboardMaterial;
  EXPECT_GT(billboards, 0u);
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  QTest::mouseClick(Find<QToolButton>("SpeedButton23"), Qt::LeftButton);
  EXPECT_FALSE(window->BillboardMode());
}

}  // namespace
