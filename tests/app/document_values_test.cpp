// A document may hold values outside the ranges of the sliders that show
// them. The sliders show such a value at the nearest end of their range,
// but the document keeps it until the user moves the slider: opening and
// saving changes nothing, and the window grows the same tree as the
// command-line tool.
#include <cstdio>

#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "common/run_tool.h"
#include "fileio/document.h"
#include "flow_test_support.h"

namespace {

// Values beyond the sliders' ends, on both levels that get children and in
// the globals of the "Leaves" and "Texture" pages.
vh::TreeParameters OutOfRangeDocument() {
  vh::TreeParameters p(1);
  p.seed = 77;
  vh::LevelParameters& trunk = p.levels[0];
  trunk.nbChildrenMin = 11;  // slider 0..10
  trunk.nbChildrenMax = 12;  // slider 0..10
  trunk.qualityAngle = 60;   // slider 3..50
  trunk.baseSize = 250;      // slider 0..200
  trunk.leafDensity = 150;   // slider 0..100 shows leafDensity - 1
  vh::LevelParameters& branch = p.levels[1];
  branch.nbChildrenMax = 12;
  branch.sizeDecrease = -5;      // slider 0..50
  branch.twistingFreq = 25;      // slider 0..20
  branch.angleMax = 400;         // slider 0..360
  branch.inclinationMin = -200;  // slider -180..180
  p.leafBending = 0;             // slider 1..100
  p.uScale = 150;                // slider 0..100
  p.vScale = -5;                 // slider 0..100
  return p;
}

struct Counts {
  unsigned long long submeshes = 0, vertices = 0, polygons = 0;
  bool operator==(const Counts&) const = default;
};
void PrintTo(const Counts& c, std::ostream* os) {
  *os << c.submeshes << " submeshes, " << c.vertices << " vertices, " << c.polygons << " polygons";
}

// What `verdanthollow-cli info DOC` reports.
Counts CommandLineCounts(const std::string& document) {
  const vh::test::ToolRun run = vh::test::RunTool("info '" + document + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  Counts counts;
  int leaves = 0;
  EXPECT_EQ(std::sscanf(run.out.c_str(), "submeshes %llu vertices %llu polygons %llu leaves %d",
                        &counts.submeshes, &counts.vertices, &counts.polygons, &leaves),
            4)
      << run.out;
  return counts;
}

Counts TreeCounts(const vh::Tree& tree) {
  return Counts{tree.submeshes.size(), tree.VertexCount(), tree.PolygonCount()};
}

class DocumentValues : public WorkflowTest {
 protected:
  void SetUp() override {
    WorkflowTest::SetUp();
    document = scratch.File("wide.vhm");
    vh::SaveDocument(OutOfRangeDocument(), document);
    original = vh::test::ReadWholeFile(document);
    dialogs->Choose(QString::fromStdString(document));
    Trigger("Open1");
    ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  }
  // Looks at every level and page as a user would, touching no control.
  void BrowseEverything() {
    SelectLevelTab(1);
    SelectLevelTab(0);
    for (int page : {1, 2, 0}) ShowPage(page);
  }
  std::string document;
  std::string original;
};

TEST_F(DocumentValues, SlidersShowTheNearestEndOfTheirRange) {
  EXPECT_EQ(Find<QSlider>("nbChildrenMax")->value(), 10);
  EXPECT_EQ(Find<QSlider>("qualityAngle")->value(), 50);
  EXPECT_EQ(Find<QSlider>("TrackBar9")->value(), 100);
  EXPECT_EQ(Find<QSlider>("TrackBar11")->value(), 1);
  EXPECT_EQ(Find<QSlider>("TrackBar17")->value(), 0);
  SelectLevelTab(1);
  EXPECT_EQ(Find<QSlider>("TrackBar6")->value(), -180);
  EXPECT_EQ(Find<QSlider>("TrackBar4")->value(), 360);
}

TEST_F(DocumentValues, OpenThenSaveWritesTheDocumentUnchanged) {
  BrowseEverything();
  dialogs->Choose(Path("copy.vhm"));
  Trigger("SaveAs1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(vh::test::ReadWholeFile(scratch.File("copy.vhm")), original);
}

TEST_F(DocumentValues, WindowGrowsTheCommandLineToolsTree) {
  const Counts expected = CommandLineCounts(document);
  EXPECT_EQ(TreeCounts(Tree()), expected) << "as opened";
  // A store of every control, then a generation from what was stored.
  BrowseEverything();
  QTest::mouseClick(Find<QToolButton>("SpeedButton1"), Qt::LeftButton);  // "Generate"
  ASSERT_TRUE(WaitForTree());
  EXPECT_EQ(TreeCounts(Tree()), expected) << "regrown from the stored controls";
  EXPECT_TRUE(vh::test::SameParameters(State().params, OutOfRangeDocument()));
}

TEST_F(DocumentValues, MovedSliderStoresItsPosition) {
  auto* children = Find<QSlider>("nbChildrenMax");
  children->setValue(9);
  EXPECT_EQ(State().params.levels[0].nbChildrenMax, 9);
  children->setValue(10);  // back to the end of the range: now the user's choice
  EXPECT_EQ(State().params.levels[0].nbChildrenMax, 10);
  auto* bending = Find<QSlider>("TrackBar11");
  bending->setValue(2);
  EXPECT_EQ(State().params.leafBending, 2);
  // The other out-of-range values stay.
  EXPECT_EQ(State().params.levels[0].qualityAngle, 60);
  EXPECT_EQ(State().params.uScale, 150);
}

}  // namespace
