// The File menu's flows through the real menu items with scripted dialogs:
// save, new, open, export, their extension rules, the remembered name and
// the failures that must leave everything as it was.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <regex>

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <tiny_gltf.h>
#include "app/flows/file_flows.h"
#include "app/pages/bark_texture_panel.h"
#include "app/pages/leaf_editor.h"
#include "common/engine_triangles.h"
#include "fileio/document.h"
#include "fileio/missing_pictures.h"
#include "flow_test_support.h"
#include "modal_answers.h"

namespace {

bool Exists(const QString& path) { return std::filesystem::exists(path.toStdString()); }

class FileFlowsTest : public WorkflowTest {
 protected:
  // Gives the tree a leaf outline (drawn on the editor), another noise and
  // another seed, through the controls, with automatic updates on.
  void EditTheTree() {
    ShowPage(1);
    LeafEditor* editor = Editor();
    const QPoint c(editor->CentreX(), editor->CentreY());
    for (const QPoint& p : {QPoint(0, -40), QPoint(20, 0), QPoint(0, 30), QPoint(-20, 0)}) {
      QTest::mouseClick(editor, Qt::LeftButton, {}, c + p);
    }
    Find<QSlider>("TrackBar12")->setValue(30);
    Find<QSlider>("noise")->setValue(55);
    Find<QLineEdit>("Edit1")->setText("4242");
    ASSERT_EQ(State().params.leafOutline.size(), 4u);
    ASSERT_TRUE(WaitForTree());
    ASSERT_GT(Tree().leafCount, 0) << "the edited tree must carry leaves";
  }
  FileFlows* Flows() { return window->findChild<FileFlows*>(); }
  // "Load texture" on the "Texture" page with `picture` chosen.
  void LoadBark(const QString& picture) {
    dialogs->Choose(picture);
    ShowPage(2);
    QTest::mouseClick(Find<QToolButton>("SpeedButton4"), Qt::LeftButton);
  }
};

TEST_F(FileFlowsTest, SaveNewOpenRegrowsTheSameTree) {
  EditTheTree();
  vh::TreeParameters saved = State().params;
  const std::vector<float> grown = VertexData(Tree(), false);

  dialogs->Choose(Path("oak"));
  Trigger("Save1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  ASSERT_TRUE(Exists(Path("oak.vhm")));
  EXPECT_EQ(QtFilter(dialogs->requests.at(0).filter), "Verdanthollow File (*.vhm)");
  EXPECT_EQ(dialogs->requests.at(0).kind, FileRequest::Kind::kSave);

  Trigger("New1");
  EXPECT_TRUE(vh::test::SameParameters(State().params, vh::TreeParameters(2)));
  EXPECT_NE(VertexData(Tree()), grown);
  EXPECT_EQ(Find<QSlider>("noise")->value(), vh::TreeParameters(2).levels[0].noise);

  dialogs->Choose(Path("oak.vhm"));
  Trigger("Open1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(QtFilter(dialogs->requests.at(1).filter), "Verdanthollow Files (*.vhm)");
  EXPECT_TRUE(vh::test::SameParameters(State().params, saved));
  // The same skeleton, branches and leaves; the texture coordinates are
  // those of the document, which keeps six decimals.
  EXPECT_EQ(VertexData(Tree(), false), grown);
  const vh::Tree fromDocument =
      vh::Generate(vh::ReadDocumentFile(scratch.File("oak.vhm"), vh::TreeParameters()));
  EXPECT_EQ(VertexData(Tree()), VertexData(fromDocument));
  // The controls show the document: a later store keeps it.
  EXPECT_EQ(Find<QSlider>("noise")->value(), 55);
  EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "4242");
  SelectLevelTab(1);
  SelectLevelTab(0);
  EXPECT_TRUE(vh::test::SameParameters(State().params, saved));
}

TEST_F(FileFlowsTest, SaveWritesTheDocumentsOwnFileAndAsksOnlyOnce) {
  dialogs->Choose(Path("first"));
  Trigger("Save1");
  ASSERT_TRUE(Exists(Path("first.vhm")));
  std::filesystem::remove(Path("first.vhm").toStdString());
  Find<QSlider>("noise")->setValue(12);
  Trigger("Save1");  // no dialog: the document's file
  EXPECT_EQ(dialogs->requests.size(), 1u);
  ASSERT_TRUE(Exists(Path("first.vhm")));
  EXPECT_EQ(vh::ReadDocumentFile(Path("first.vhm").toStdString(), vh::TreeParameters()).levels[0].noise, 12);

  // "Save As..." always asks, starting from the document's file.
  dialogs->Choose(Path("second.VHM"));
  Trigger("SaveAs1");
  ASSERT_EQ(dialogs->requests.size(), 2u);
  EXPECT_EQ(dialogs->requests[1].initialName, Path("first.vhm"));
  EXPECT_TRUE(Exists(Path("second.VHM")));
  Trigger("Save1");
  EXPECT_EQ(dialogs->requests.size(), 2u);
  EXPECT_FALSE(Exists(Path("second.VHM.vhm")));

  // A new document has no file yet: "Save" asks rather than writing over
  // the last document's.
  Trigger("New1");
  std::filesystem::remove(Path("second.VHM").toStdString());
  dialogs->Cancel();
  Trigger("Save1");
  ASSERT_EQ(dialogs->requests.size(), 3u);
  EXPECT_EQ(dialogs->requests[2].initialName, Path("Untitled"));
  EXPECT_FALSE(Exists(Path("second.VHM")));
}

// The fault as it was met, through the real save dialog and Ctrl+S: a
// preset saved once under a name, then another preset saved, must not be
// written over the first one's file.
TEST_F(FileFlowsTest, SavingASecondPresetNeverOverwritesTheFirstsFile) {
  UseRealDialogs();
  ModalAnswers answers;
  // Each save also asks whether to copy the preset's pictures beside the
  // document; keeping them where they are is enough here.
  answers.Then(TypeFileName(Path("fileA")))
      .Then(ClickButton(QMessageBox::No))
      .Then(TypeFileName(Path("palm-copy")))
      .Then(ClickButton(QMessageBox::No));
  Trigger("Preset_white-birch");
  QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
  const std::string birch = vh::test::ReadWholeFile(scratch.File("fileA.vhm"));
  ASSERT_FALSE(birch.empty());
  Trigger("Preset_palm");
  // The dialogs took the activation; with other tests on the display it
  // need not come back, and a shortcut reaches the active window only.
  MakeActive(window.get());
  QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(answers.seen.size(), 4) << "Ctrl+S asked for a name both times: "
                                    << answers.seen.join(" | ").toStdString();
  EXPECT_TRUE(answers.seen[2].endsWith(": palm"))
      << "offers the preset's name: " << answers.seen[2].toStdString();
  EXPECT_EQ(vh::test::ReadWholeFile(scratch.File("fileA.vhm")), birch);
  EXPECT_TRUE(Exists(Path("palm-copy.vhm")));
  EXPECT_EQ(Find<QLabel>("DocumentName")->toolTip(), "palm-copy.vhm");
}

struct SaveNameCase {
  const char* chosen;
  const char* written;
};
void PrintTo(const SaveNameCase& c, std::ostream* os) { *os << c.chosen; }

class SaveNames : public FileFlowsTest, public ::testing::WithParamInterface<SaveNameCase> {};

TEST_P(SaveNames, WriteUnderTheRuleName) {
  dialogs->Choose(Path(GetParam().chosen));
  Trigger("SaveAs1");
  EXPECT_TRUE(Exists(Path(GetParam().written)));
  EXPECT_EQ(scratch.Entries().size(), 1u) << "one file, no temporary left";
}

INSTANTIATE_TEST_SUITE_P(FileFlows, SaveNames,
                         ::testing::Values(SaveNameCase{"oak", "oak.vhm"}, SaveNameCase{"oak.VHM", "oak.VHM"},
                                           SaveNameCase{"oak.txt", "oak.txt.vhm"}));

TEST_F(FileFlowsTest, CancelledDialogsChangeNothing) {
  const vh::TreeParameters before = State().params;
  for (const char* item : {"Open1", "Save1", "SaveAs1", "Export1", "Exportscreenshot1"}) {
    dialogs->Cancel();
    Trigger(item);
  }
  EXPECT_EQ(State().params, before);
  EXPECT_TRUE(scratch.Entries().empty());
  EXPECT_TRUE(recorder->messages.isEmpty());
  EXPECT_TRUE(Flows()->DocumentFile().isEmpty());
}

TEST_F(FileFlowsTest, CorruptDocumentIsReportedAndKeepsTheTree) {
  EditTheTree();
  const vh::TreeParameters before = State().params;
  const std::vector<float> grown = VertexData(Tree());
  vh::test::WriteWholeFile(scratch.File("bad.vhm"), "Verdanthollow\n3\nnot-a-number\n");
  dialogs->Choose(Path("bad.vhm"));
  Trigger("Open1");
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(recorder->messages.front().contains("bad.vhm")) << recorder->messages.front().toStdString();
  EXPECT_EQ(recorder->kinds.front(), MessageKind::kWarning) << "a failure shows the warning icon";
  EXPECT_EQ(State().params, before);
  EXPECT_EQ(VertexData(Tree()), grown);
  EXPECT_EQ(Find<QSlider>("noise")->value(), 55);
}

// The document names a bark picture that is gone: the loss is reported, but
// the controls still show the document, so that the next store does not
// bring back the values the window showed before.
TEST_F(FileFlowsTest, MissingTextureIsReportedButTheControlsFollowTheDocument) {
  vh::TreeParameters document(3);
  document.levels[0].noise = 81;
  document.seed = 777;
  document.barkTextureLoaded = true;
  document.barkTextureFile = scratch.File("gone.jpg");
  vh::SaveDocument(document, scratch.File("named.vhm"));
  dialogs->Choose(Path("named.vhm"));
  Trigger("Open1");
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(recorder->messages.front().contains("gone.jpg")) << recorder->messages.front().toStdString();
  EXPECT_EQ(Find<QSlider>("noise")->value(), 81);
  EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "777");
  EXPECT_EQ(Find<QSlider>("TrackBar1")->value(), 4);
  SelectLevelTab(1);  // stores the controls into the parameter set
  EXPECT_EQ(State().params.levels[0].noise, 81);
  EXPECT_EQ(State().params.seed, 777);
  EXPECT_EQ(State().params.lastParentLevel, 3);
}

TEST_F(FileFlowsTest, OpenLoadsBothNamedPictures) {
  vh::TreeParameters document(2);
  document.barkTextureLoaded = true;
  document.barkTextureFile = scratch.File("bark.bmp");
  document.leafTextureLoaded = true;
  document.leafTextureFile = scratch.File("leaf.jpg");
  WritePicture(Path("bark.bmp"), GradientPicture(64, 64));
  WritePicture(Path("leaf.jpg"), GradientPicture(32, 16));
  vh::SaveDocument(document, scratch.File("textured.vhm"));
  dialogs->Choose(Path("textured.vhm"));
  Trigger("Open1");
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(State().barkTextureImage.width, 64);
  EXPECT_EQ(State().leafTextureImage.width, 32);
  EXPECT_EQ(ReadTextureState(*window, 2).width, 64);
  EXPECT_EQ(ReadTextureState(*window, 1).height, 16);
}

TEST_F(FileFlowsTest, UnwritableTargetsAreReportedAndWriteNothing) {
  const QString missingDir = Path("no-such-dir/oak");
  dialogs->Choose(missingDir);
  Trigger("SaveAs1");
  dialogs->Choose(missingDir, 2);
  Trigger("Export1");
  dialogs->Choose(missingDir + ".bmp");
  Trigger("Exportscreenshot1");
  EXPECT_EQ(recorder->messages.size(), 3);
  EXPECT_TRUE(scratch.Entries().empty());
}

// The File menu reads and replaces the tree as a whole: what is asked for
// while a tree grows runs, in order, once it is in.
TEST_F(FileFlowsTest, FileActionsWaitForTheGrowingTree) {
  MakeGenerationLong();
  dialogs->Choose(Path("waited.vhm"));
  bool anythingDuring = true;
  GenerateAndMeanwhile(30, [&] {
    ASSERT_TRUE(window->Busy());
    for (const char* item : {"SaveAs1", "New1"}) window->findChild<QAction*>(item)->trigger();
    anythingDuring = !dialogs->requests.empty() || !scratch.Entries().empty();
    QTest::keyClick(window.get(), Qt::Key_Escape);  // the partial tree is enough
  });
  EXPECT_FALSE(anythingDuring) << "nothing runs while the tree grows";
  ASSERT_TRUE(WaitForTree()) << "the tree New asked for";
  // "Save As..." saved the document as it was, then "New" replaced it.
  EXPECT_EQ(vh::ReadDocumentFile(scratch.File("waited.vhm"), vh::TreeParameters()).lastParentLevel, 6);
  EXPECT_EQ(State().params, vh::TreeParameters(2));
  EXPECT_EQ(Tree().VertexCount(), vh::Generate(vh::TreeParameters(2)).VertexCount());
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
}

// "Export..." with each filter, read back by Assimp or ezdxf.
struct ExportCase {
  int filter;
  const char* chosen;
  const char* written;
  const char* companion;  // a second file the format writes, or null
};
void PrintTo(const ExportCase& c, std::ostream* os) { *os << c.filter << ":" << c.chosen; }

class ExportFilters : public FileFlowsTest, public ::testing::WithParamInterface<ExportCase> {};

long AssimpFaces(const std::string& path) {
  const CommandResult result = RunCommand("assimp info '" + path + "' -r");
  EXPECT_EQ(result.status, 0) << result.output;
  std::smatch match;
  if (!std::regex_search(result.output, match, std::regex("Faces:\\s+(\\d+)"))) return -1;
  return std::stol(match[1]);
}

long EzdxfFaces(const std::string& path) {
  const CommandResult result =
      RunCommand("/usr/bin/python3 -c \"from ezdxf import recover; doc, a = recover.readfile('" + path +
                 "'); print('faces', len(doc.modelspace().query('3DFACE')), 'errors', len(a.errors))\"");
  EXPECT_EQ(result.status, 0) << result.output;
  std::smatch match;
  if (!std::regex_search(result.output, match, std::regex("faces (\\d+) errors 0"))) return -1;
  return std::stol(match[1]);
}

TEST_P(ExportFilters, WriteTheSelectedFormat) {
  const ExportCase& c = GetParam();
  EditTheTree();
  dialogs->Choose(Path(c.chosen), c.filter);
  Trigger("Export1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(QtFilter(dialogs->requests.at(0).filter),
            "3DS File (*.3ds);;AutoCAD File (*.dxf);;WaveFront Object File (*.obj);;glTF Binary (*.glb);;"
            "glTF (*.gltf)");
  EXPECT_TRUE(dialogs->requests.at(0).askScale);
  EXPECT_EQ(dialogs->requests.at(0).title, "Export");
  const std::string written = scratch.File(c.written);
  ASSERT_TRUE(std::filesystem::exists(written)) << c.written;
  EXPECT_EQ(scratch.Entries().size(), c.companion != nullptr ? 2u : 1u);
  if (c.companion != nullptr) {
    EXPECT_TRUE(std::filesystem::exists(scratch.File(c.companion)));
  }
  const long faces = c.filter == 1 ? EzdxfFaces(written) : AssimpFaces(written);
  // glTF, for engines, leaves out what draws nothing; the others keep every triangle.
  const bool engine = c.filter >= 3;  // glTF Binary, glTF
  EXPECT_EQ(faces, engine ? vh::test::EngineTriangles(Tree()) : static_cast<long>(Tree().PolygonCount()));
}

INSTANTIATE_TEST_SUITE_P(FileFlows, ExportFilters,
                         ::testing::Values(ExportCase{2, "tree", "tree.obj", "tree.obj.mtl"},
                                           ExportCase{0, "tree.obj", "tree.obj.3ds", nullptr},
                                           ExportCase{1, "tree", "tree.dxf", nullptr},
                                           ExportCase{0, "tree.3DS", "tree.3DS", nullptr},
                                           ExportCase{3, "tree", "tree.glb", nullptr},
                                           ExportCase{4, "tree.glb", "tree.glb.gltf", "tree.glb.bin"}));

// The dialog's "Scale :" reaches glTF and leaves the other formats alone.
TEST_F(FileFlowsTest, ExportScaleAppliesToGltfOnly) {
  EditTheTree();
  dialogs->answers.push_back({false, FileChoice{Path("one.glb"), 3, 1.0}});
  dialogs->answers.push_back({false, FileChoice{Path("half.glb"), 3, 0.5}});
  dialogs->answers.push_back({false, FileChoice{Path("half.obj"), 2, 0.5}});
  dialogs->answers.push_back({false, FileChoice{Path("one.obj"), 2, 1.0}});
  for (int i = 0; i < 4; ++i) Trigger("Export1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(dialogs->requests.at(1).initialScale, 1.0);
  EXPECT_EQ(dialogs->requests.at(2).initialScale, 0.5);  // remembered
  // OBJ writes what it always has; glTF halves every coordinate.
  const auto groups = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.substr(text.find("\ng "));  // past the mtllib line, which names the file
  };
  EXPECT_EQ(groups(scratch.File("half.obj")), groups(scratch.File("one.obj")));
  const auto highest = [](const std::string& path) {
    tinygltf::TinyGLTF loader;
    tinygltf::Model model;
    std::string error, warning;
    EXPECT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path)) << error;
    double y = 0;
    for (const tinygltf::Accessor& accessor : model.accessors)
      if (accessor.maxValues.size() == 3) y = std::max(y, accessor.maxValues[1]);
    return y;
  };
  EXPECT_GT(highest(scratch.File("one.glb")), 0.5);
  EXPECT_NEAR(highest(scratch.File("half.glb")), 0.5 * highest(scratch.File("one.glb")), 1e-6);
}

}  // namespace

namespace {

// What `verdanthollow DOC.vhm` does at start-up: the same open flow.
TEST_F(FileFlowsTest, CommandLineDocumentOpensLikeOpen) {
  vh::TreeParameters document(1);
  document.seed = 31;
  document.levels[0].noise = 64;
  vh::SaveDocument(document, scratch.File("start.vhm"));
  window->OpenDocumentFile(Path("start.vhm"));
  ASSERT_TRUE(WaitUntil([&] { return State().params.seed == 31; }));
  ASSERT_TRUE(WaitForTree());
  EXPECT_EQ(Find<QSlider>("noise")->value(), 64);
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  // "Save" writes it back where it came from, without asking.
  Find<QSlider>("noise")->setValue(65);
  Trigger("Save1");
  EXPECT_TRUE(dialogs->requests.empty());
  EXPECT_EQ(vh::ReadDocumentFile(scratch.File("start.vhm"), vh::TreeParameters()).levels[0].noise, 65);
}

// A document whose tree stops at the geometry budget opens and says so.
TEST_F(FileFlowsTest, DocumentGrownOnlyToTheBudgetIsReported) {
  vh::TreeParameters document(4);
  vh::SaveDocument(document, scratch.File("big.vhm"));
  State().vertexBudget = 5000;
  window->OpenDocumentFile(Path("big.vhm"));
  ASSERT_TRUE(WaitUntil([&] { return State().params.lastParentLevel == 4; }));
  ASSERT_TRUE(WaitForTree());
  EXPECT_TRUE(Tree().budgetExceeded);
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(recorder->messages.front().contains("more than 5000 vertices"));
}

// The budget is the tree's that was just grown, never the one's it
// replaces: a small document opened after a large one says nothing, and a
// large one opened again says it once.
TEST_F(FileFlowsTest, TheBudgetMessageIsTheOpenedTreesOwn) {
  vh::SaveDocument(vh::TreeParameters(4), scratch.File("big.vhm"));
  vh::SaveDocument(vh::TreeParameters(1), scratch.File("small.vhm"));
  State().vertexBudget = 5000;
  const struct {
    const char* document;
    int messages;
  } opens[] = {{"big.vhm", 1}, {"big.vhm", 1}, {"small.vhm", 0}};
  for (const auto& open : opens) {
    SCOPED_TRACE(open.document);
    recorder->messages.clear();
    dialogs->Choose(Path(open.document));
    Trigger("Open1");
    ASSERT_TRUE(WaitForTree());
    QTest::qWait(50);
    EXPECT_EQ(recorder->messages.size(), open.messages) << recorder->messages.join('\n').toStdString();
  }
  EXPECT_FALSE(Tree().budgetExceeded);
}

// A document without pictures (empty names) loads none and leaves the
// bark preview and the loaded pictures as they were.
TEST_F(FileFlowsTest, DocumentWithoutPicturesKeepsThePreviews) {
  const QString bark = Path("bark.bmp");
  WritePicture(bark, GradientPicture(64, 32));
  dialogs->Choose(bark);
  QTest::mouseClick(Find<QToolButton>("SpeedButton4"), Qt::LeftButton);
  const QImage preview = Find<BarkPreview>("Image1")->Picture();
  vh::SaveDocument(vh::TreeParameters(2), scratch.File("plain.vhm"));
  dialogs->Choose(Path("plain.vhm"));
  Trigger("Open1");
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(State().params.barkTextureFile, "");
  EXPECT_FALSE(State().params.barkTextureLoaded);
  EXPECT_EQ(Find<BarkPreview>("Image1")->Picture(), preview);
  EXPECT_EQ(State().barkTextureImage.width, 64);
}

}  // namespace

namespace {

// A save that fails half-way leaves the earlier document whole.
TEST_F(FileFlowsTest, FailedSaveKeepsTheEarlierDocument) {
  dialogs->Choose(Path("oak"));
  Trigger("Save1");
  const std::string before = vh::test::ReadWholeFile(scratch.File("oak.vhm"));
  ASSERT_FALSE(before.empty());
  // A name with a line break cannot be stored faithfully: the writer refuses.
  State().params.leafTextureFile = "first line\nsecond line";
  Trigger("Save1");
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_EQ(vh::test::ReadWholeFile(scratch.File("oak.vhm")), before);
  EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"oak.vhm"}) << "no temporary file left";
}

}  // namespace

namespace {

// Opening a document before the "Leaves" page was ever shown recomputes the
// coordinates about the editor's real centre.
TEST_F(FileFlowsTest, CoordinatesOfAnOpenedDocumentUseTheEditorsCentre) {
  vh::TreeParameters document(2);
  document.leafOutline = {{0, -40}, {25, 10}, {-25, 10}};
  document.leafTexCoords.assign(3, vh::Vector2());
  document.leafTexRotate = 30;  // moves "rotate :", which recomputes
  vh::SaveDocument(document, scratch.File("leaf.vhm"));
  dialogs->Choose(Path("leaf.vhm"));
  Trigger("Open1");
  LeafEditor* editor = Editor();
  const int cx = editor->width() / 2;
  const int cy = editor->height() / 2;
  ASSERT_GT(cx, 0);
  const auto& params = State().params;
  ASSERT_EQ(params.leafTexCoords.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(params.leafTexCoords[i],
              editor->ComputeTexCoord(cx + static_cast<int>(params.leafOutline[i].x),
                                      cy + static_cast<int>(params.leafOutline[i].y)))
        << "point " << i;
  }
}

}  // namespace

namespace {

// Saved in A with its picture in A/textures, the folder moved: the document
// opens with the picture and regrows the same tree.
TEST_F(FileFlowsTest, PicturesBelowTheDocumentTravelWithItsFolder) {
  std::filesystem::create_directories(scratch.File("A/textures"));
  WritePicture(Path("A/textures/bark.bmp"), GradientPicture(64, 32));
  LoadBark(Path("A/textures/bark.bmp"));
  const std::vector<float> grown = GrownVertexData();
  dialogs->Choose(Path("A/oak"));
  Trigger("SaveAs1");
  EXPECT_TRUE(questions->asked.isEmpty()) << "nothing lies outside the folder";
  std::filesystem::rename(scratch.File("A"), scratch.File("B"));
  Trigger("New1");
  dialogs->Choose(Path("B/oak.vhm"));
  Trigger("Open1");
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(State().barkTextureImage.width, 64);
  EXPECT_EQ(GrownVertexData(), grown);
}

// Saved beside a picture from elsewhere, a document offers to copy it: Yes
// copies it and names it relatively, No keeps its absolute name.
class PictureCopies : public FileFlowsTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PictureCopies, SaveAsOffersToCopyPicturesFromElsewhere) {
  std::filesystem::create_directories(scratch.File("doc"));
  WritePicture(Path("bark.bmp"), GradientPicture(8, 8));
  LoadBark(Path("bark.bmp"));
  questions->answers = {GetParam()};
  dialogs->Choose(Path("doc/tree"));
  Trigger("SaveAs1");
  EXPECT_EQ(questions->asked.size(), 1);
  const std::string named = GetParam() ? "bark.bmp" : scratch.File("bark.bmp");
  EXPECT_NE(vh::test::ReadWholeFile(scratch.File("doc/tree.vhm")).find("\n" + named + "\n"),
            std::string::npos);
  EXPECT_EQ(std::filesystem::exists(scratch.File("doc/bark.bmp")), GetParam());
}

INSTANTIATE_TEST_SUITE_P(FileFlows, PictureCopies, ::testing::Values(true, false));

}  // namespace

namespace {

// A document whose leaf picture is missing: the leaves grow, show and export
// untextured in their colours, as the command-line tool makes them, and the
// export says which picture was missing; the document keeps naming it.
TEST_F(FileFlowsTest, AMissingPictureIsGrownAndExportedUntextured) {
  vh::TreeParameters document(2);
  document.leafOutline = {{0, -40}, {25, 10}, {-25, 10}};
  document.leafTexCoords.assign(3, vh::Vector2(0.5f, 0.5f));
  document.leafTextureFile = scratch.File("gone.bmp");
  document.leafTextureLoaded = true;
  vh::SaveDocument(document, scratch.File("leafy.vhm"));
  dialogs->Choose(Path("leafy.vhm"));
  Trigger("Open1");
  ASSERT_TRUE(WaitForTree());
  ASSERT_EQ(recorder->messages.size(), 1) << "the picture that cannot be read";
  const vh::TreeParameters opened = vh::ReadDocumentFile(scratch.File("leafy.vhm"), vh::TreeParameters());
  const vh::DocumentPictures pictures = vh::ReadDocumentPictures(opened);
  ASSERT_EQ(pictures.missing.size(), 1u);
  EXPECT_EQ(GrownVertexData(),
            VertexData(vh::Generate(vh::WithoutMissingPictures(opened, pictures.missing))));
  EXPECT_TRUE(State().params.leafTextureLoaded);

  dialogs->Choose(Path("leafy.glb"), 3);
  Trigger("Export1");
  ASSERT_EQ(recorder->messages.size(), 2) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(recorder->messages[1].toStdString(), vh::Describe(pictures.missing.front()));
  EXPECT_TRUE(Exists(Path("leafy.glb")));
}

}  // namespace
