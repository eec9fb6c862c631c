// "Infos" shows the counts of what the view shows: the tree of a document
// just opened (by the menu or on the command line, also out of billboard
// mode), the tree again once the billboard cloud is destroyed, and counts
// of eight digits in full.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "app/pages/view_controls.h"
#include "fileio/document.h"
#include "flow_test_support.h"

namespace {

const char* const kCountLabels[] = {"Label44", "Label45", "Label46"};

class InfosCounts : public WorkflowTest {
 protected:
  // Shows the counts and waits for the panel's layout, which makes room
  // over a few passes of the event loop.
  void ShowCounts(std::uint64_t polygons, std::uint64_t vertices, std::uint64_t submeshes) {
    window->findChild<ViewControls*>()->ShowCounts(polygons, vertices, submeshes);
    WaitUntil(
        [&] {
          return std::all_of(std::begin(kCountLabels), std::end(kCountLabels),
                             [&](const char* name) { return bool(ShowsWholeText(*Find<QLabel>(name))); });
        },
        1000);
  }
  QStringList Shown() { return {LabelText("Label44"), LabelText("Label45"), LabelText("Label46")}; }
  static QStringList CountsOf(const vh::MeshObject& mesh) {
    return {PolygonText(mesh), VertexText(mesh), SubmeshText(mesh)};
  }
  // A document whose tree differs from the one the window starts with.
  QString OtherDocument() {
    vh::TreeParameters p(1);
    p.seed = 5;
    p.levels[0].nbChildrenMax = 7;
    vh::SaveDocument(p, scratch.File("other.vhm"));
    return Path("other.vhm");
  }
  // Billboard mode with a cloud built quickly from a small leafy tree.
  void EnterBillboardMode() {
    vh::TreeParameters& p = State().params;
    p.lastParentLevel = 1;
    p.leafOutline = {{0, -20}, {10, 0}, {0, 30}, {-10, 0}};
    p.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
    window->UpdateAfterChange();
    ASSERT_TRUE(WaitForTree());
    Find<QSlider>("TrackBar19")->setValue(5);  // few candidates per billboard
    QTest::mouseClick(Find<QToolButton>("SpeedButton22"), Qt::LeftButton);
    ASSERT_TRUE(window->BillboardMode());
    ASSERT_EQ(Shown(), CountsOf(*window->Billboard()));
    ASSERT_NE(Shown(), CountsOf(Tree())) << "the cloud must count otherwise than the tree";
  }
};

TEST_F(InfosCounts, OpenShowsTheOpenedTree) {
  const QStringList before = Shown();
  dialogs->Choose(OtherDocument());
  Trigger("Open1");
  ASSERT_EQ(State().params.seed, 5);
  ASSERT_NE(CountsOf(Tree()), before) << "the document must grow another tree";
  EXPECT_EQ(Shown(), CountsOf(Tree()));
}

TEST_F(InfosCounts, DocumentOnTheCommandLineShowsItsTree) {
  window->OpenDocumentFile(OtherDocument());
  ASSERT_TRUE(WaitUntil([&] { return State().params.seed == 5; }));
  ASSERT_TRUE(WaitForTree());
  EXPECT_EQ(Shown(), CountsOf(Tree()));
}

TEST_F(InfosCounts, OpenOutOfBillboardModeShowsTheOpenedTree) {
  EnterBillboardMode();
  dialogs->Choose(OtherDocument());
  Trigger("Open1");
  ASSERT_FALSE(window->BillboardMode());
  EXPECT_EQ(Shown(), CountsOf(Tree()));
}

TEST_F(InfosCounts, DestroyBillboardCloudShowsTheTreeAgain) {
  EnterBillboardMode();
  QTest::mouseClick(Find<QToolButton>("SpeedButton23"), Qt::LeftButton);
  ASSERT_FALSE(window->BillboardMode());
  EXPECT_EQ(Shown(), CountsOf(Tree()));
}

// Without "AutoUpdate" the new tree is not grown: the view shows nothing,
// and so do the counts.
TEST_F(InfosCounts, NewWithoutAutoUpdateShowsTheUngrownTree) {
  SetAutoUpdate(false);
  Trigger("New1");
  ASSERT_TRUE(Tree().submeshes.empty());
  EXPECT_EQ(Shown(), (QStringList{"Nb Polygons : 0", "Nb Vertices : 0", "Nb Submeshes : 0"}));
}

// A large tree's counts (up to seven digits, a few submeshes) stay on
// their captions' lines.
TEST_F(InfosCounts, SevenDigitCountsStayOnOneLine) {
  ShowCounts(9'999'999, 9'999'999, 999);
  for (const char* name : kCountLabels) {
    const QLabel* label = Find<QLabel>(name);
    EXPECT_LT(label->height(), 2 * label->fontMetrics().lineSpacing()) << label->text().toStdString();
    EXPECT_TRUE(ShowsWholeText(*label));
  }
}

TEST_F(InfosCounts, EightDigitCountsAreShownWhole) {
  ShowCounts(99'999'999, 88'888'888, 77'777'777);
  EXPECT_EQ(Shown(),
            (QStringList{"Nb Polygons : 99999999", "Nb Vertices : 88888888", "Nb Submeshes : 77777777"}));
  const QWidget* panel = Find<QWidget>("Panel3");
  for (const char* name : kCountLabels) {
    SCOPED_TRACE(name);
    const QLabel* label = Find<QLabel>(name);
    EXPECT_TRUE(ShowsWholeText(*label));
    EXPECT_TRUE(LiesWithin(*label, *panel));
  }
}

}  // namespace
