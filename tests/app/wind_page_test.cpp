// The "Wind" page in the main window: a wind edit is an undoable step that
// sways the tree without regrowing it, the settings travel with the saved
// document, and "Export..." writes the wind when "Sway with the wind" is
// ticked.
#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <tiny_gltf.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/flows/document_changes.h"
#include "app/viewport/viewport.h"
#include "app/viewport/wind_player.h"
#include "fileio/export_formats.h"
#include "flow_test_support.h"

namespace {

constexpr int kWindPage = 4;

class WindPageTest : public WorkflowTest {
 protected:
  void SetUp() override {
    WorkflowTest::SetUp();
    ShowPage(kWindPage);
    QObject::connect(&window->Document(), &TreeDocument::treeReplaced, [this] { ++grown; });
  }
  DocumentChanges& Changes() { return *window->findChild<DocumentChanges*>(); }
  QAction* Action(const char* name) { return window->findChild<QAction*>(name); }
  void ClickWindOn() {
    auto* box = Find<QCheckBox>("WindOn");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
  }

  int grown = 0;  // trees that arrived since SetUp
};

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(WindPageTest, AWindEditIsAStepThatSwaysTheTreeWithoutRegrowingIt) {
  const vh::TreeParameters before = State().params;
  const std::vector<float> tree = GrownVertexData();
  ClickWindOn();
  DragSlider(Find<QSlider>("WindStrength"), 80);
  const vh::TreeParameters windy = State().params;
  ASSERT_TRUE(windy.wind.enabled);
  ASSERT_NE(windy.wind.strength, before.wind.strength);
  EXPECT_EQ(LabelText("WindStrengthValue"), QString("%1 %").arg(windy.wind.strength));
  EXPECT_EQ(Changes().History().StepCount(), 2u) << "the box and the drag";
  EXPECT_EQ(Action("Undo1")->text(), "Undo Strength");
  EXPECT_TRUE(Changes().Modified());
  EXPECT_FALSE(window->Document().Busy()) << "a wind edit grows nothing";

  Action("Undo1")->trigger();
  Action("Undo1")->trigger();
  EXPECT_EQ(State().params, before);
  EXPECT_FALSE(Find<QCheckBox>("WindOn")->isChecked());
  EXPECT_EQ(Find<QSlider>("WindStrength")->value(), before.wind.strength);
  EXPECT_FALSE(Changes().Modified());
  Action("Redo1")->trigger();
  Action("Redo1")->trigger();
  EXPECT_EQ(State().params, windy);
  EXPECT_EQ(Find<QSlider>("WindStrength")->value(), windy.wind.strength);
  EXPECT_FALSE(window->Document().Busy()) << "undoing and redoing the wind grows nothing";
  EXPECT_EQ(grown, 0);
  EXPECT_EQ(VertexData(Tree()), tree);

  // A step that changes the tree still regrows it.
  Find<QSlider>("WindStrength")->setValue(10);
  ShowPage(0);
  Find<QSlider>("noise")->setValue(Find<QSlider>("noise")->value() + 9);
  ASSERT_TRUE(WaitForTree());
  const int afterNoise = grown;
  EXPECT_GT(afterNoise, 0);
  Action("Undo1")->trigger();
  ASSERT_TRUE(WaitForTree());
  EXPECT_GT(grown, afterNoise);
}

TEST_F(WindPageTest, PlayAndPauseAreNoEdits) {
  ClickWindOn();
  auto* play = Find<QToolButton>("WindPlay");
  EXPECT_EQ(play->text(), "Pause");
  const std::size_t steps = Changes().History().StepCount();
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_FALSE(window->Document().WindPlaying());
  EXPECT_EQ(play->text(), "Play");
  EXPECT_EQ(Changes().History().StepCount(), steps);
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_TRUE(window->Document().WindPlaying());
}

TEST_F(WindPageTest, TheWindIsSavedWithTheDocumentAndOpenedAgain) {
  ClickWindOn();
  Find<QSlider>("WindDirection")->setValue(90);
  Find<QSlider>("WindLoopLength")->setValue(120);
  const vh::TreeParameters windy = State().params;
  dialogs->Choose(Path("windy"));
  Trigger("Save1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_NE(Contents(scratch.File("windy.vhm")).find("\nWind\n"), std::string::npos);
  EXPECT_FALSE(Changes().Modified());

  Trigger("New1");
  EXPECT_FALSE(Find<QCheckBox>("WindOn")->isChecked());
  dialogs->Choose(Path("windy.vhm"));
  Trigger("Open1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(State().params.wind, windy.wind);
  EXPECT_TRUE(Find<QCheckBox>("WindOn")->isChecked());
  EXPECT_EQ(Find<QSlider>("WindDirection")->value(), 90);
  EXPECT_EQ(LabelText("WindLoopLengthValue"), "12.0 s");
}

TEST_F(WindPageTest, ExportSwaysWhenTheBoxIsTickedWhichTheDocumentsWindDecides) {
  ASSERT_TRUE(WaitForTree());
  dialogs->answers.push_back({false, FileChoice{Path("still.glb"), 3, 1.0, false}});
  dialogs->answers.push_back({false, FileChoice{Path("swaying.glb"), 3, 1.0, true}});
  dialogs->answers.push_back({false, FileChoice{Path("windy.glb"), 3, 1.0, true}});
  Trigger("Export1");
  Trigger("Export1");
  ClickWindOn();
  Trigger("Export1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_TRUE(dialogs->requests.at(0).askWind);
  EXPECT_FALSE(dialogs->requests.at(0).initialWind) << "a document without wind exports still";
  EXPECT_TRUE(dialogs->requests.at(2).initialWind) << "one with wind exports swaying";

  // The file of the tool's --wind (the document's wind), written under the
  // same name, which the nodes are named after.
  std::filesystem::create_directories(scratch.File("core"));
  vh::ExportScene scene = vh::SingleMeshScene(Tree(), window->Document().Pictures());
  scene.wind = vh::SwayingExport(State().params.wind);
  vh::WriteExport(vh::ExportFormat::kGLB, scene, scratch.File("core/windy.glb"));
  EXPECT_EQ(Contents(scratch.File("windy.glb")), Contents(scratch.File("core/windy.glb")));
  // The default wind sways a document without wind when the box is ticked.
  tinygltf::TinyGLTF loader;
  tinygltf::Model still, swaying;
  std::string error, warning;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&still, &error, &warning, scratch.File("still.glb"))) << error;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&swaying, &error, &warning, scratch.File("swaying.glb"))) << error;
  EXPECT_TRUE(still.skins.empty());
  EXPECT_TRUE(still.animations.empty());
  ASSERT_EQ(swaying.animations.size(), 1u);
  EXPECT_EQ(swaying.animations[0].name, "Wind");
  EXPECT_EQ(swaying.skins.size(), 1u);
}

// A preview stood still at a moment (a test's, a picture's) is a paused
// one, and "Play" says so: the view tells, the window has the document follow.
TEST_F(WindPageTest, APreviewStoodStillShowsPlay) {
  ClickWindOn();
  ASSERT_EQ(Find<QToolButton>("WindPlay")->text(), "Pause");
  window->View().Wind().ShowAt(0.5);
  EXPECT_FALSE(window->Document().WindPlaying());
  EXPECT_EQ(Find<QToolButton>("WindPlay")->text(), "Play");
}

// The preview draws the tree in the wind, posed on the processor, and with
// wind off the frame it always drew.
TEST_F(WindPageTest, ThePreviewSwaysAndWithoutWindDrawsTodaysFrame) {
  ASSERT_TRUE(WaitForTree());
  Viewport& view = window->View();
  if (!view.Bound()) GTEST_SKIP() << "the view has no OpenGL context";
  const QImage today = view.Grab();
  ClickWindOn();
  EXPECT_TRUE(view.Wind().Playing());
  const double loop = 0.1 * State().params.wind.loopLength;
  view.Wind().ShowAt(0.0);
  EXPECT_FALSE(view.Wind().Playing()) << "a frame shown is a paused preview";
  const QImage start = view.Grab();
  view.Wind().ShowAt(0.25 * loop);
  const QImage quarter = view.Grab();
  EXPECT_NE(start, quarter) << "two frames a quarter of the loop apart differ";
  EXPECT_NE(start, today) << "the wind leans the tree at any time";
  view.Wind().ShowAt(loop);
  EXPECT_EQ(view.Grab(), start) << "the loop ends where it starts";
  EXPECT_EQ(grown, 0) << "the preview regrows nothing";

  ClickWindOn();
  EXPECT_FALSE(view.Wind().Playing());
  EXPECT_EQ(view.Grab(), today);
}

}  // namespace
