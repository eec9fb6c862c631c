// The leaf shape editor: drawing and dragging outline points, texture mode,
// the buttons, the leaf picture and what the editor paints.
#include <GL/gl.h>
#include <QAction>
#include <QCheckBox>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <ostream>

#include "app/pages/leaf_editor.h"
#include "app/viewport/tree_view.h"
#include "flow_test_support.h"

namespace {

class LeafEditorTest : public WorkflowTest {
 protected:
  void SetUp() override {
    WorkflowTest::SetUp();
    ShowPage(1);
    SetAutoUpdate(false);  // most cases need no regeneration
    editor = Editor();
    ASSERT_GT(editor->width(), 100);
    ASSERT_GT(editor->height(), 100);
    cx = editor->CentreX();
    cy = editor->CentreY();
  }

  // A click at (dx, dy) from the editor's centre.
  void ClickAt(int dx, int dy) { QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(cx + dx, cy + dy)); }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(editor, Qt::LeftButton, {}, from);
    QTest::mouseMove(editor, to);
    QTest::mouseRelease(editor, Qt::LeftButton, {}, to);
  }
  void Click(const char* button) { QTest::mouseClick(Find<QToolButton>(button), Qt::LeftButton); }
  QRgb Pixel(int x, int y) {
    editor->update();
    QTest::qWait(30);
    return editor->EditorBitmap().pixel(x, y);
  }
  const std::vector<vh::Vector2>& Outline() { return State().params.leafOutline; }
  // Every outline point's coordinate is the editor's at that point's pixel.
  void ExpectCoordinatesPairedWithPoints() {
    const auto& params = State().params;
    ASSERT_EQ(params.leafTexCoords.size(), params.leafOutline.size());
    for (std::size_t i = 0; i < params.leafOutline.size(); ++i) {
      const vh::Vector2 expected = editor->ComputeTexCoord(cx + static_cast<int>(params.leafOutline[i].x),
                                                           cy + static_cast<int>(params.leafOutline[i].y));
      EXPECT_EQ(params.leafTexCoords[i], expected) << "point " << i;
    }
  }

  LeafEditor* editor = nullptr;
  int cx = 0;
  int cy = 0;
};

TEST_F(LeafEditorTest, ClicksDrawTheOutlineInOrder) {
  ASSERT_TRUE(Outline().empty());
  ClickAt(-40, -30);
  ClickAt(40, -30);
  ClickAt(0, 40);
  ASSERT_EQ(Outline(), (std::vector<vh::Vector2>{{-40, -30}, {40, -30}, {0, 40}}));
  EXPECT_EQ(editor->SelectedPoint(), 2);
  ExpectCoordinatesPairedWithPoints();
}

TEST_F(LeafEditorTest, PaintsAxesOutlineAndMarkers) {
  ClickAt(-40, -30);
  ClickAt(40, -30);
  ClickAt(0, 40);
  const QRgb white = qRgb(255, 255, 255);
  EXPECT_EQ(Pixel(2, 2), white) << "background";
  EXPECT_EQ(Pixel(cx, 2), qRgb(128, 128, 128)) << "vertical axis";
  EXPECT_EQ(Pixel(2, cy), qRgb(128, 128, 128)) << "horizontal axis";
  EXPECT_EQ(Pixel(cx - 20, cy - 30), qRgb(0, 0, 255)) << "outline between the first two points";
  EXPECT_EQ(Pixel(cx + 20, cy - 30), qRgb(0, 0, 255));
  // The marker: a 4 x 4 square outlined in red and filled white.
  EXPECT_EQ(Pixel(cx - 42, cy - 32), qRgb(255, 0, 0));
  EXPECT_EQ(Pixel(cx - 39, cy - 29), qRgb(255, 0, 0));
  EXPECT_EQ(Pixel(cx - 41, cy - 31), white);
  EXPECT_EQ(Pixel(cx - 40, cy - 30), white);
}

struct PickCase {
  int dx;
  int dy;
  bool selects;
};
void PrintTo(const PickCase& c, std::ostream* os) { *os << c.dx << "," << c.dy; }

class LeafEditorPick : public LeafEditorTest, public ::testing::WithParamInterface<PickCase> {};

// A click closer than 5 pixels in both x and y picks the point; the one
// drawn first wins when two are that close.
TEST_P(LeafEditorPick, ClickNearAPointSelectsItElseAppends) {
  const PickCase& c = GetParam();
  ClickAt(10, 10);
  ClickAt(13, 12);  // within reach of the first: selects it, adds nothing
  ASSERT_EQ(Outline().size(), 1u);
  ClickAt(-50, 0);
  ASSERT_EQ(Outline().size(), 2u);
  ClickAt(10 + c.dx, 10 + c.dy);
  if (c.selects) {
    EXPECT_EQ(Outline().size(), 2u);
    EXPECT_EQ(editor->SelectedPoint(), 0);
  } else {
    EXPECT_EQ(Outline().size(), 3u);
    EXPECT_EQ(editor->SelectedPoint(), 2);
  }
}

INSTANTIATE_TEST_SUITE_P(LeafEditor, LeafEditorPick,
                         ::testing::Values(PickCase{4, 4, true}, PickCase{-4, 3, true}, PickCase{0, 0, true},
                                           PickCase{5, 0, false}, PickCase{0, -5, false},
                                           PickCase{-5, 4, false}));

TEST_F(LeafEditorTest, DragMovesThePointByTheMouseMovement) {
  ClickAt(-40, -30);
  ClickAt(40, -30);
  ClickAt(0, 40);
  // Grab the second point 3 pixels off and drag: the offset is kept.
  Drag(QPoint(cx + 43, cy - 28), QPoint(cx + 58, cy - 21));
  ASSERT_EQ(Outline().size(), 3u);
  EXPECT_EQ(Outline()[1], vh::Vector2(55, -23));
  EXPECT_EQ(Outline()[0], vh::Vector2(-40, -30));
  ExpectCoordinatesPairedWithPoints();
}

TEST_F(LeafEditorTest, ClearPointsThenThreeClicksGiveThreePairedEntries) {
  for (int i = 0; i < 5; ++i) ClickAt(-60 + 25 * i, (i % 2) * 30);
  ASSERT_EQ(Outline().size(), 5u);
  Click("SpeedButton2");
  EXPECT_TRUE(Outline().empty());
  EXPECT_TRUE(State().params.leafTexCoords.empty());
  EXPECT_EQ(Tree().leafTemplate, nullptr);
  ClickAt(0, -50);
  ClickAt(30, 20);
  ClickAt(-30, 20);
  EXPECT_EQ(Outline().size(), 3u);
  ExpectCoordinatesPairedWithPoints();
}

TEST_F(LeafEditorTest, TextureModeDragMovesTheTranslateSlidersPixelForPixel) {
  ClickAt(-40, -30);
  ClickAt(40, -30);
  ClickAt(0, 40);
  const auto outline = Outline();
  const auto before = State().params.leafTexCoords;
  Click("SpeedButton21");
  EXPECT_FALSE(editor->PointMode());
  EXPECT_FALSE(Find<QToolButton>("SpeedButton20")->isChecked());
  QSlider* tx = Find<QSlider>("TrackBar13");
  QSlider* ty = Find<QSlider>("TrackBar14");
  const int x0 = tx->value();
  const int y0 = ty->value();
  QTest::mousePress(editor, Qt::LeftButton, {}, QPoint(cx, cy));
  QTest::mouseMove(editor, QPoint(cx + 13, cy - 6));
  EXPECT_EQ(tx->value(), x0 + 13);
  EXPECT_EQ(ty->value(), y0 - 6);
  QTest::mouseMove(editor, QPoint(cx + 20, cy + 4));
  QTest::mouseRelease(editor, Qt::LeftButton, {}, QPoint(cx + 20, cy + 4));
  EXPECT_EQ(tx->value(), x0 + 20);
  EXPECT_EQ(ty->value(), y0 + 4);
  EXPECT_EQ(State().params.leafTexTranslateX, x0 + 20);
  EXPECT_EQ(State().params.leafTexTranslateY, y0 + 4);
  EXPECT_EQ(Outline(), outline) << "texture mode leaves the outline alone";
  EXPECT_NE(State().params.leafTexCoords, before) << "the coordinates follow the picture";
  ExpectCoordinatesPairedWithPoints();
  Click("SpeedButton20");
  EXPECT_TRUE(editor->PointMode());
}

TEST_F(LeafEditorTest, APictureDragIsOneStepOfItsOwnName) {
  ClickAt(-40, -30);
  Click("SpeedButton21");
  const std::size_t steps = window->Document().History().StepCount();
  QTest::mousePress(editor, Qt::LeftButton, {}, QPoint(cx, cy));
  for (int dx = 3; dx <= 15; dx += 3) QTest::mouseMove(editor, QPoint(cx + dx, cy));
  QTest::mouseRelease(editor, Qt::LeftButton, {}, QPoint(cx + 15, cy));
  EXPECT_EQ(window->Document().History().StepCount(), steps + 1);
  EXPECT_EQ(Find<QAction>("Undo1")->text(), "Undo Leaf picture position");
  Find<QAction>("Undo1")->trigger();
  EXPECT_EQ(Find<QSlider>("TrackBar13")->value(), State().params.leafTexTranslateX);
  EXPECT_EQ(Find<QAction>("Undo1")->text(), "Undo Leaf outline");
}

TEST_F(LeafEditorTest, PlacementSlidersRecomputeTheCoordinates) {
  ClickAt(-40, -30);
  ClickAt(40, -30);
  ClickAt(0, 40);
  for (const auto& [name, value] : {std::pair{"TrackBar12", 45}, std::pair{"TrackBar15", 320}}) {
    const auto before = State().params.leafTexCoords;
    Find<QSlider>(name)->setValue(value);
    EXPECT_NE(State().params.leafTexCoords, before) << name;
    ExpectCoordinatesPairedWithPoints();
  }
  EXPECT_EQ(State().params.leafTexRotate, 45);
  EXPECT_EQ(State().params.leafTexScale, 320);
}

TEST_F(LeafEditorTest, ReleaseRegeneratesWithTheNewOutlineEvenInTextureMode) {
  ClickAt(0, -50);
  ClickAt(30, 20);
  ClickAt(-30, 20);
  EXPECT_EQ(Tree().leafTemplate, nullptr) << "no update while AutoUpdate is off";
  SetAutoUpdate(true);
  Click("SpeedButton21");
  ClickAt(5, 5);  // a click without a drag
  ASSERT_TRUE(WaitForTree());
  ASSERT_NE(Tree().leafTemplate, nullptr);
  // The template closes the polygon by repeating the first point.
  EXPECT_EQ(Tree().leafTemplate->vertices.size(), 4u);
  EXPECT_GT(Tree().leafCount, 0);
}

TEST_F(LeafEditorTest, LoadTextureShowsThePictureAndUploadsTextureOne) {
  const QString path = Path("leaf.bmp");
  WritePicture(path, GradientPicture(64, 32));
  Find<QSlider>("TrackBar13")->setValue(50);  // picture's left edge 50 px right of the editor's
  ClickAt(-40, -30);
  ClickAt(40, -30);
  ClickAt(0, 40);
  dialogs->Choose(path);
  Click("SpeedButton3");
  ASSERT_EQ(dialogs->requests.size(), 1u);
  EXPECT_EQ(QtFilter(dialogs->requests[0].filter),
            "Tous (*.jpg *.jpeg *.bmp);;Fichier image JPEG (*.jpg);;Fichier image JPEG (*.jpeg);;"
            "Bitmaps (*.bmp)");
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_TRUE(State().params.leafTextureLoaded);
  EXPECT_EQ(State().params.leafTextureFile, path.toStdString());
  EXPECT_EQ(State().leafTextureImage.width, 64);
  EXPECT_EQ(State().leafTextureImage.height, 32);
  ExpectCoordinatesPairedWithPoints();

  // At scale s = 1.5 * 32 / height, editor pixel x shows picture column
  // (x - 50) * s; left of the picture the editor is black.
  const double s = 1.5 * 32.0 / editor->height();
  const int x = 50 + 70;
  const int y = 90;
  const QRgb shown = Pixel(x, y);
  EXPECT_NEAR(qRed(shown), (x - 50) * s, 1.0);
  EXPECT_NEAR(qGreen(shown), y * s, 1.0);
  EXPECT_EQ(qBlue(shown), 200);
  EXPECT_EQ(Pixel(10, 5), qRgb(0, 0, 0));

  const TextureState texture = ReadTextureState(*window, 1);
  EXPECT_EQ(texture.width, 64);
  EXPECT_EQ(texture.height, 32);
  EXPECT_EQ(texture.minFilter, GL_LINEAR_MIPMAP_LINEAR);
}

// Textured leaves show the new picture at once: the view is redrawn.
TEST_F(LeafEditorTest, LoadTextureRedrawsTheView) {
  auto* view = window->findChild<TreeView*>("StaticText1");
  if (view == nullptr || !window->ViewBound()) GTEST_SKIP() << "no OpenGL on this display";
  const QString path = Path("leaf.bmp");
  WritePicture(path, GradientPicture(16, 16));
  ASSERT_TRUE(WaitUntil([&] { return !window->ViewDirty(); }, 2000)) << "start-up frames drawn";
  QTest::qWait(50);
  int frames = 0;
  const QMetaObject::Connection counting =
      QObject::connect(view, &TreeView::framePainted, [&frames] { ++frames; });
  dialogs->Choose(path);
  Click("SpeedButton3");
  EXPECT_TRUE(WaitUntil([&] { return frames > 0; }, 1000));
  QObject::disconnect(counting);
}

TEST_F(LeafEditorTest, CorruptPictureIsReportedAndChangesNothing) {
  ClickAt(-40, -30);
  ClickAt(40, -30);
  ClickAt(0, 40);
  const vh::TreeParameters before = State().params;
  const QString path = Path("broken.bmp");
  vh::test::WriteWholeFile(path.toStdString(), "BM this is not a picture");
  dialogs->Choose(path);
  Click("SpeedButton3");
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(recorder->messages.front().contains("broken.bmp")) << recorder->messages.front().toStdString();
  EXPECT_EQ(State().params, before);
  EXPECT_TRUE(State().leafTextureImage.Empty());
}

TEST_F(LeafEditorTest, CancelledLoadStillRecomputesTheCoordinates) {
  ClickAt(-40, -30);
  ClickAt(40, -30);
  ClickAt(0, 40);
  State().params.leafTexCoords.assign(3, vh::Vector2(9.0f, 9.0f));
  dialogs->Cancel();
  Click("SpeedButton3");
  EXPECT_FALSE(State().params.leafTextureLoaded);
  ExpectCoordinatesPairedWithPoints();
}

TEST_F(LeafEditorTest, ClearTextureKeepsThePictureButDropsItsUse) {
  const QString path = Path("leaf.jpg");
  WritePicture(path, GradientPicture(32, 32));
  dialogs->Choose(path);
  Click("SpeedButton3");
  ASSERT_TRUE(State().params.leafTextureLoaded);
  Click("SpeedButton6");
  EXPECT_FALSE(State().params.leafTextureLoaded);
  EXPECT_TRUE(State().params.leafTextureFile.empty());
  EXPECT_EQ(State().leafTextureImage.width, 32);
  EXPECT_EQ(Pixel(2, 2), qRgb(255, 255, 255)) << "the editor no longer shows the picture";
}

TEST_F(LeafEditorTest, BendingAndNoLeavesOnTrunkStoreTheirValues) {
  Find<QSlider>("TrackBar11")->setValue(77);
  EXPECT_EQ(State().params.leafBending, 77);
  auto* box = Find<QCheckBox>("CheckBox5");
  box->setChecked(!box->isChecked());
  EXPECT_EQ(State().params.noLeavesOnTrunk, box->isChecked());
}

TEST_F(LeafEditorTest, ModeButtonsShowPicturesOnly) {
  for (const char* name : {"SpeedButton20", "SpeedButton21"}) {
    auto* button = Find<QToolButton>(name);
    EXPECT_TRUE(button->text().isEmpty()) << name;
    EXPECT_FALSE(button->icon().isNull()) << name;
  }
  EXPECT_TRUE(Find<QToolButton>("SpeedButton20")->isChecked()) << "point mode at start";
}

}  // namespace
