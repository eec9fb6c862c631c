// The "Level of detail" page and billboard mode in the real main window:
// the page's controls, creating (with real pictures from the view's
// context), destroying, cancelling with Escape, the editing lock and
// "Export billboard...".
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app_test_support.h"
#include "common/scratch_dir.h"
#include "imaging/bmp.h"
#include "scripted_dialogs.h"
#include "tree/tree.h"

namespace {

// Every triangle visible and the strip flags of a tree, to compare before
// and after a run.
struct DrawingState {
  std::vector<const vh::Submesh*> submeshes;
  std::vector<bool> strips;
  bool allVisible = true;
  explicit DrawingState(const vh::Tree& tree) {
    for (const auto& submesh : tree.submeshes) {
      submeshes.push_back(submesh.get());
      strips.push_back(submesh->strip);
      for (const vh::Triangle& triangle : submesh->triangles) allVisible = allVisible && triangle.visible;
    }
  }
  bool operator==(const DrawingState&) const = default;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class LevelOfDetailTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // A small tree with leaves keeps the runs short and gives the pictures
    // something to show.
    vh::TreeParameters& p = State().params;
    p.lastParentLevel = 1;
    p.leafOutline = {{0, -20}, {10, 0}, {0, 30}, {-10, 0}};
    p.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
    window->GenerateTree();
    ASSERT_TRUE(WaitForTree());
    Find<QSlider>("TrackBar19")->setValue(5);  // precision: few candidates per billboard
  }
  void Create() { QTest::mouseClick(Find<QToolButton>("SpeedButton22"), Qt::LeftButton); }
  void Destroy() { QTest::mouseClick(Find<QToolButton>("SpeedButton23"), Qt::LeftButton); }
  std::size_t BillboardCount() {
    std::size_t count = 0;
    for (const auto& submesh : window->Billboard()->submeshes)
      count += submesh->texture == vh::kBillboardMaterial;
    return count;
  }
};

TEST_F(LevelOfDetailTest, PageControlsHaveTheirRangesAndDefaults) {
  const struct {
    const char* name;
    int minimum, maximum, position;
  } sliders[] = {{"TrackBar18", 1, 100, 10}, {"TrackBar20", 5, 12, 11}, {"TrackBar21", 1, 15, 7}};
  for (const auto& s : sliders) {
    SCOPED_TRACE(s.name);
    auto* slider = Find<QSlider>(s.name);
    EXPECT_EQ(slider->minimum(), s.minimum);
    EXPECT_EQ(slider->maximum(), s.maximum);
    EXPECT_EQ(slider->value(), s.position);
  }
  EXPECT_EQ(Find<QSlider>("TrackBar19")->maximum(), 500);
  EXPECT_EQ(Find<QCheckBox>("CheckBox10")->text(), "Favour vertical planes");
  EXPECT_FALSE(Find<QCheckBox>("CheckBox10")->isChecked());
  EXPECT_EQ(Find<QGroupBox>("RadioGroup1")->title(), "Geometry vs Billboards");
  EXPECT_EQ(Find<QRadioButton>("RadioGroup1Item0")->text(), "Geometry for branches, billboards for leaves");
  EXPECT_EQ(Find<QRadioButton>("RadioGroup1Item1")->text(), "Billboards for branches and leaves");
  EXPECT_TRUE(Find<QRadioButton>("RadioGroup1Item0")->isChecked());
  EXPECT_EQ(Find<QToolButton>("SpeedButton22")->text(), "Create Billboard Cloud");
  EXPECT_EQ(Find<QToolButton>("SpeedButton23")->text(), "Destroy Billboard Cloud");
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->maximum(), 100);
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 0);
}

// The chain's layout box shows each of its items whole on the page.
TEST_F(LevelOfDetailTest, LayoutBoxShowsItsItemsWhole) {
  Find<QTabWidget>("PageControl1")->setCurrentIndex(3);
  auto* box = Find<QComboBox>("LodLayout");
  ASSERT_TRUE(WaitUntil([&] { return box->isVisible(); }));
  for (int i = 0; i < box->count(); ++i) {
    box->setCurrentIndex(i);
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.currentText = box->currentText();
    const QRect field =
        box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
    EXPECT_LE(box->fontMetrics().horizontalAdvance(box->currentText()), field.width())
        << box->currentText().toStdString();
  }
}

TEST_F(LevelOfDetailTest, ResolutionLabelShowsTwoToThePosition) {
  EXPECT_EQ(LabelText("Label58"), "2048");
  const struct {
    int position;
    const char* text;
  } cases[] = {{5, "32"}, {12, "4096"}, {8, "256"}};
  for (const auto& c : cases) {
    Find<QSlider>("TrackBar20")->setValue(c.position);
    EXPECT_EQ(LabelText("Label58"), c.text);
  }
}

TEST_F(LevelOfDetailTest, CreateEntersBillboardModeAndShowsTheCloudsCounts) {
  const DrawingState before(Tree());
  Create();
  ASSERT_TRUE(window->BillboardMode());
  const vh::MeshObject& cloud = *window->Billboard();
  EXPECT_GT(BillboardCount(), 0u);
  EXPECT_EQ(LabelText("Label44"), QString("Nb Polygons : %1").arg(cloud.PolygonCount()));
  EXPECT_EQ(LabelText("Label45"), QString("Nb Vertices : %1").arg(cloud.VertexCount()));
  EXPECT_EQ(LabelText("Label46"), QString("Nb Submeshes : %1").arg(cloud.submeshes.size()));
  EXPECT_EQ(DrawingState(Tree()), before) << "the tree draws as before the run";
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 0);
  EXPECT_FALSE(window->Busy());
  EXPECT_TRUE(WaitUntil([&] {
    return LabelText("Label54") ==
           "You are in BillBoard mode - please delete your billboard to continue editing the tree";
  }));
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
}

TEST_F(LevelOfDetailTest, TreeEditsBuildNothingInBillboardMode) {
  Create();
  ASSERT_TRUE(window->BillboardMode());
  const DrawingState before(Tree());
  Find<QSlider>("baseSize")->setValue(Find<QSlider>("baseSize")->value() + 5);
  QTest::mouseClick(Find<QToolButton>("SpeedButton1"), Qt::LeftButton);  // "Generate"
  EXPECT_EQ(DrawingState(Tree()), before);
  EXPECT_TRUE(window->BillboardMode());
}

TEST_F(LevelOfDetailTest, DestroyLeavesBillboardModeAndKeepsTheTree) {
  Destroy();  // nothing to destroy: nothing happens
  EXPECT_FALSE(window->BillboardMode());
  Create();
  ASSERT_TRUE(window->BillboardMode());
  const DrawingState before(Tree());
  // In mode 0 the cloud lists the tree's own bark submeshes.
  std::size_t shared = 0;
  for (const auto& submesh : window->Billboard()->submeshes) shared += submesh.use_count() > 1 ? 1 : 0;
  EXPECT_GT(shared, 0u);
  Destroy();
  EXPECT_FALSE(window->BillboardMode());
  EXPECT_EQ(window->Billboard(), nullptr);
  EXPECT_EQ(DrawingState(Tree()), before);
  EXPECT_TRUE(WaitUntil([&] { return LabelText("Label54").isEmpty(); }));
}

TEST_F(LevelOfDetailTest, NewLeavesBillboardModeAndGrowsTheNewTree) {
  Create();
  ASSERT_TRUE(window->BillboardMode());
  window->onNew();
  EXPECT_FALSE(window->BillboardMode());
  EXPECT_EQ(window->Billboard(), nullptr);
  ASSERT_TRUE(WaitForTree());
  const vh::Tree fresh = vh::Generate(vh::TreeParameters(2));
  EXPECT_EQ(Tree().VertexCount(), fresh.VertexCount());
  EXPECT_EQ(LabelText("Label45"), VertexText(Tree()));
}

TEST_F(LevelOfDetailTest, SecondCloudContinuesThePickersSequence) {
  Create();
  ASSERT_TRUE(window->BillboardMode());
  const vh::Vector3 first = window->Billboard()->submeshes.front()->vertices.front().position;
  Create();  // replaces the current cloud
  ASSERT_TRUE(window->BillboardMode());
  const vh::Vector3 second = window->Billboard()->submeshes.front()->vertices.front().position;
  EXPECT_FALSE(first.x == second.x && first.y == second.y && first.z == second.z);
}

TEST_F(LevelOfDetailTest, EscapeCancelsAndLeavesTheTreeAsItWas) {
  const DrawingState before(Tree());
  // The key arrives while the first progress report processes events.
  QTimer::singleShot(0, window.get(), [this] { QTest::keyClick(window.get(), Qt::Key_Escape); });
  Create();
  EXPECT_FALSE(window->BillboardMode());
  EXPECT_EQ(DrawingState(Tree()), before);
  EXPECT_FALSE(window->Busy());
  EXPECT_FALSE(State().cancelRequested);
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 0);
  // The next run is not cancelled by the old key.
  Create();
  EXPECT_TRUE(window->BillboardMode());
}

TEST_F(LevelOfDetailTest, DuringTheBuildTheTreeIsBusyAndTheViewKeepsItsFrame) {
  const DrawingState before(Tree());
  bool busy = false, viewUpdates = true;
  const vh::TreeParameters paramsBefore = State().params;
  // Runs while the first progress report processes events.
  QString status;
  QTimer::singleShot(0, window.get(), [&] {
    busy = window->Busy();
    viewUpdates = Find<QWidget>("StaticText1")->updatesEnabled();
    window->onStatusTimer();
    status = LabelText("Label54");
    // Edits that would regenerate or replace the tree are refused meanwhile.
    QTest::mouseClick(Find<QToolButton>("SpeedButton1"), Qt::LeftButton);
    window->onNew();
  });
  Create();
  EXPECT_TRUE(busy);
  EXPECT_EQ(status, "Building the billboard cloud, please wait... (ESC to cancel)") << "no tree grows";
  EXPECT_FALSE(viewUpdates);
  EXPECT_TRUE(Find<QWidget>("StaticText1")->updatesEnabled());
  EXPECT_EQ(State().params, paramsBefore) << "New was refused";
  EXPECT_EQ(DrawingState(Tree()), before);
  EXPECT_TRUE(window->BillboardMode());
}

TEST_F(LevelOfDetailTest, ExportWithoutCloudSaysBillboardNotReady) {
  ScriptedDialogsScope scope;  // fails the test if a dialog is shown
  QString title, text;
  MessageKind kind = MessageKind::kWarning;
  const MessageSink previous =
      SetMessageSink([&](QWidget*, MessageKind k, const QString& t, const QString& m) {
        kind = k;
        title = t;
        text = m;
      });
  window->onExportBillboard();
  SetMessageSink(previous);
  EXPECT_EQ(kind, MessageKind::kInformation) << "a notice, not a failure";
  EXPECT_EQ(title, "Billboard not ready");
  EXPECT_EQ(text,
            "You have not generated a billboard cloud yet. Go in the level of detail section and generate a "
            "billboard cloud");
  EXPECT_TRUE(scope.dialogs->requests.empty());
}

TEST_F(LevelOfDetailTest, ExportWritesGeometryAndBothPicturesFromTheView) {
  Find<QSlider>("TrackBar20")->setValue(8);
  Create();
  ASSERT_TRUE(window->BillboardMode());
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vh-lod-export";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const vh::test::ScratchDir elsewhere;
  ScriptedDialogsScope scope;
  scope.dialogs->Choose(QString::fromStdString(elsewhere.File("whole")), 3);  // the tree as glTF Binary
  window->onExport();
  scope.dialogs->Cancel();
  window->onExportBillboard();                                                // cancelled: writes nothing
  scope.dialogs->Choose(QString::fromStdString((dir / "tree").string()), 2);  // OBJ
  window->onExportBillboard();
  ASSERT_EQ(scope.dialogs->requests.size(), 3u);
  EXPECT_EQ(scope.dialogs->requests[1].title, "Export billboard");
  EXPECT_EQ(scope.dialogs->requests[1].initialFilter, 3) << "starts with the format of the last export";
  EXPECT_EQ(scope.dialogs->requests[2].filter,
            "3DS File (*.3ds)|*.3ds|AutoCAD File (*.dxf)|*.dxf|WaveFront Object File (*.obj)|*.obj|"
            "glTF Binary (*.glb)|*.glb|glTF (*.gltf)|*.gltf");

  const std::string mtl = ReadText((dir / "tree.obj.mtl").string());
  EXPECT_NE(mtl.find("newmtl BBdMat\n"), std::string::npos) << mtl;
  EXPECT_NE(mtl.find("map_Kd treeTexture.bmp\n"), std::string::npos) << mtl;
  const vh::Image transparency = vh::ReadBMP((dir / "treeTransparency.bmp").string());
  EXPECT_EQ(transparency.width, 256);
  EXPECT_EQ(vh::ReadBMP((dir / "treeTexture.bmp").string()).width, 256);
  if (window->ViewBound()) {
    std::size_t white = 0;
    for (std::size_t i = 0; i < transparency.pixels.size(); i += 3) white += transparency.pixels[i] == 255;
    EXPECT_GT(white, 0u) << "the pictures were drawn in the view's context";
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
            4);
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  std::filesystem::remove_all(dir);
}

TEST_F(LevelOfDetailTest, ExportToMissingFolderIsReported) {
  Create();
  ASSERT_TRUE(window->BillboardMode());
  ScriptedDialogsScope scope;
  scope.dialogs->Choose("/nonexistent-vh-folder/tree.3ds", 0);
  window->onExportBillboard();
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(recorder->messages.front().contains("/nonexistent-vh-folder/tree.3ds"))
      << recorder->messages.front().toStdString();
}

}  // namespace
