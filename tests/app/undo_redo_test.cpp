// Undo and redo through the real controls: one step per finished edit,
// named after the control, restoring the parameters, the controls, the
// pictures and the grown tree.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include "app/flows/document_changes.h"
#include "app/pages/bark_texture_panel.h"
#include "app/pages/leaf_editor.h"
#include "billboard/billboard_cloud.h"
#include "fileio/document.h"
#include "flow_test_support.h"

namespace {

class UndoRedo : public WorkflowTest {
 protected:
  const EditHistory& History() { return window->findChild<DocumentChanges*>()->History(); }
  QAction* Undo() { return window->findChild<QAction*>("Undo1"); }
  QAction* Redo() { return window->findChild<QAction*>("Redo1"); }
  // Clicks a check box on its box (a wide check box's middle may be empty).
  void ClickCheckBox(const char* name) {
    auto* box = Find<QCheckBox>(name);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
  }
  // Clicks the leaf editor at `offset` from its centre.
  void ClickEditor(QPoint offset) {
    LeafEditor* editor = Editor();
    QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(editor->CentreX(), editor->CentreY()) + offset);
  }
};

TEST_F(UndoRedo, NothingToUndoAtStartUp) {
  EXPECT_FALSE(Undo()->isEnabled());
  EXPECT_FALSE(Redo()->isEnabled());
  EXPECT_EQ(Undo()->text(), "Undo");
  EXPECT_EQ(Redo()->text(), "Redo");
}

TEST_F(UndoRedo, ASliderDragIsOneStepAndUndoRegrowsTheTreeItReplaced) {
  auto* width = Find<QSlider>("baseSize");
  const vh::TreeParameters before = State().params;
  const std::vector<float> grownBefore = GrownVertexData();
  const QString labelBefore = LabelText("Label20");
  QSignalSpy moves(width, &QSlider::valueChanged);
  DragSlider(width, width->value() + 40);
  ASSERT_GT(moves.count(), 2) << "the drag passed several values";
  const vh::TreeParameters dragged = State().params;
  ASSERT_NE(dragged.levels[0].baseSize, before.levels[0].baseSize);
  const std::vector<float> grownDragged = GrownVertexData();
  EXPECT_EQ(History().StepCount(), 1u) << "one drag, one step";
  EXPECT_EQ(Undo()->text(), "Undo Trunk width");

  Undo()->trigger();
  EXPECT_EQ(State().params, before);
  EXPECT_EQ(width->value(), before.levels[0].baseSize);
  EXPECT_EQ(LabelText("Label20"), labelBefore);
  EXPECT_EQ(GrownVertexData(), grownBefore);
  EXPECT_EQ(Redo()->text(), "Redo Trunk width");
  EXPECT_FALSE(Undo()->isEnabled());

  Redo()->trigger();
  EXPECT_EQ(State().params, dragged);
  EXPECT_EQ(width->value(), dragged.levels[0].baseSize);
  EXPECT_EQ(GrownVertexData(), grownDragged);
  EXPECT_FALSE(Redo()->isEnabled());
}

// An opened document's leaf texture coordinates are values no control
// gives: a change and its undo give them back bit for bit, so that the tree,
// and an export after the undo, are the file's as before the change.
TEST_F(UndoRedo, UndoGivesBackTheOpenedDocumentsExactValues) {
  vh::TreeParameters document = State().params;  // the placement shown: kept on opening
  document.leafOutline = {{0, -40}, {25, 10}, {-25, 10}};
  document.leafTexCoords = {{0.123457f, 0.765432f}, {0.333333f, 0.666667f}, {0.987654f, 0.012346f}};
  vh::SaveDocument(document, scratch.File("leaf.vhm"));
  dialogs->Choose(Path("leaf.vhm"));
  Trigger("Open1");
  ASSERT_TRUE(WaitForTree());
  const vh::TreeParameters opened = State().params;
  const std::vector<float> grown = GrownVertexData();
  ASSERT_EQ(grown,
            VertexData(vh::Generate(vh::ReadDocumentFile(scratch.File("leaf.vhm"), vh::TreeParameters()))));
  ShowPage(2);
  auto* vScale = Find<QSlider>("TrackBar17");
  DragSlider(vScale, vScale->value() + 10);
  ASSERT_NE(State().params.vScale, opened.vScale);
  Undo()->trigger();
  ASSERT_TRUE(WaitForTree());
  EXPECT_EQ(State().params, opened);
  EXPECT_EQ(GrownVertexData(), grown);
}

TEST_F(UndoRedo, ARadioPairIsUndoneOnItsOwnLevel) {
  SelectLevelTab(1);
  QTest::mouseClick(Find<QRadioButton>("RadioButton1"), Qt::LeftButton);
  ASSERT_FALSE(State().params.levels[1].baseSizeInherited);
  EXPECT_EQ(Undo()->text(), "Undo Branch width: Constant");
  const std::vector<float> constant = GrownVertexData();

  SelectLevelTab(0);
  Undo()->trigger();
  EXPECT_TRUE(State().params.levels[1].baseSizeInherited);
  EXPECT_EQ(Find<QTabBar>("TabControl1")->currentIndex(), 1) << "the level of the change is shown";
  EXPECT_TRUE(Find<QRadioButton>("RadioButton2")->isChecked());
  Redo()->trigger();
  EXPECT_FALSE(State().params.levels[1].baseSizeInherited);
  EXPECT_TRUE(Find<QRadioButton>("RadioButton1")->isChecked());
  EXPECT_EQ(GrownVertexData(), constant);
}

TEST_F(UndoRedo, EachOutlineClickAndDragIsAStep) {
  ShowPage(1);
  const std::vector<float> bare = GrownVertexData();
  for (const QPoint& p : {QPoint(0, -40), QPoint(20, 0), QPoint(0, 30)}) ClickEditor(p);
  ASSERT_EQ(State().params.leafOutline.size(), 3u);
  EXPECT_EQ(History().StepCount(), 3u);
  EXPECT_EQ(Undo()->text(), "Undo Leaf outline");
  const std::vector<float> leafy = GrownVertexData();
  ASSERT_NE(leafy, bare);

  // Drag the first point 10 pixels to the right.
  LeafEditor* editor = Editor();
  const QPoint first(editor->CentreX(), editor->CentreY() - 40);
  QTest::mousePress(editor, Qt::LeftButton, {}, first);
  for (int dx = 2; dx <= 10; dx += 2) QTest::mouseMove(editor, first + QPoint(dx, 0));
  QTest::mouseRelease(editor, Qt::LeftButton, {}, first + QPoint(10, 0));
  EXPECT_EQ(State().params.leafOutline[0].x, 10.0f);
  EXPECT_EQ(History().StepCount(), 4u);

  Undo()->trigger();
  EXPECT_EQ(State().params.leafOutline[0].x, 0.0f);
  EXPECT_EQ(GrownVertexData(), leafy);
  for (int i = 0; i < 3; ++i) Undo()->trigger();
  EXPECT_TRUE(State().params.leafOutline.empty());
  EXPECT_EQ(GrownVertexData(), bare);
  for (int i = 0; i < 3; ++i) Redo()->trigger();
  EXPECT_EQ(State().params.leafOutline.size(), 3u);
  EXPECT_EQ(GrownVertexData(), leafy);
}

TEST_F(UndoRedo, ClearPointsIsUndone) {
  ShowPage(1);
  for (const QPoint& p : {QPoint(0, -40), QPoint(20, 0), QPoint(0, 30)}) ClickEditor(p);
  const auto outline = State().params.leafOutline;
  QTest::mouseClick(Find<QToolButton>("SpeedButton2"), Qt::LeftButton);
  ASSERT_TRUE(State().params.leafOutline.empty());
  EXPECT_EQ(Undo()->text(), "Undo Clear points");
  Undo()->trigger();
  EXPECT_EQ(State().params.leafOutline, outline);
}

TEST_F(UndoRedo, ABarkPictureLoadIsUndoneAndRedone) {
  ShowPage(2);
  WritePicture(Path("bark.bmp"), GradientPicture(64, 32));
  dialogs->Choose(Path("bark.bmp"));
  QTest::mouseClick(Find<QToolButton>("SpeedButton4"), Qt::LeftButton);
  ASSERT_TRUE(State().params.barkTextureLoaded);
  const std::vector<float> textured = GrownVertexData();
  EXPECT_EQ(Undo()->text(), "Undo Load texture");
  const auto* preview = Find<BarkPreview>("Image1");
  ASSERT_NE(preview->Picture().pixel(5, 5), qRgb(255, 255, 255));

  Undo()->trigger();
  EXPECT_FALSE(State().params.barkTextureLoaded);
  EXPECT_TRUE(State().params.barkTextureFile.empty());
  EXPECT_EQ(preview->Picture().pixel(5, 5), qRgb(255, 255, 255)) << "the preview shows no picture";
  EXPECT_NE(GrownVertexData(), textured) << "the branches are coloured again";

  Redo()->trigger();
  EXPECT_TRUE(State().params.barkTextureLoaded);
  EXPECT_EQ(State().params.barkTextureFile, Path("bark.bmp").toStdString());
  EXPECT_NE(preview->Picture().pixel(5, 5), qRgb(255, 255, 255));
  EXPECT_EQ(GrownVertexData(), textured);
  if (window->ViewBound()) {
    EXPECT_EQ(ReadTextureState(*window, 2).width, 64);
  }
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join('\n').toStdString();
}

TEST_F(UndoRedo, ALeafPictureLoadIsUndone) {
  ShowPage(1);
  WritePicture(Path("leaf.bmp"), GradientPicture(32, 32));
  dialogs->Choose(Path("leaf.bmp"));
  QTest::mouseClick(Find<QToolButton>("SpeedButton3"), Qt::LeftButton);
  ASSERT_TRUE(State().params.leafTextureLoaded);
  Undo()->trigger();
  EXPECT_FALSE(State().params.leafTextureLoaded);
  Redo()->trigger();
  EXPECT_TRUE(State().params.leafTextureLoaded);
  EXPECT_EQ(State().params.leafTextureFile, Path("leaf.bmp").toStdString());
}

TEST_F(UndoRedo, TypingASeedIsOneStepAndTheNewSeedButtonAnother) {
  auto* seed = Find<QLineEdit>("Edit1");
  seed->setFocus();
  seed->selectAll();
  QTest::keyClicks(seed, "77");
  ASSERT_EQ(State().params.seed, 77);
  EXPECT_EQ(History().StepCount(), 1u) << "two characters, one step";
  EXPECT_EQ(Undo()->text(), "Undo Seed");

  QTest::mouseClick(Find<QToolButton>("NewSeed"), Qt::LeftButton);
  const int fresh = State().params.seed;
  EXPECT_NE(fresh, 77);
  EXPECT_EQ(seed->text(), QString::number(fresh));
  EXPECT_EQ(History().StepCount(), 2u);

  Undo()->trigger();
  EXPECT_EQ(State().params.seed, 77);
  EXPECT_EQ(seed->text(), "77");
  Undo()->trigger();
  EXPECT_EQ(State().params.seed, 160);
  EXPECT_EQ(seed->text(), "160");
}

TEST_F(UndoRedo, CtrlZInATextFieldUndoesTheDocument) {
  auto* seed = Find<QLineEdit>("Edit1");
  seed->setFocus();
  seed->end(false);
  QTest::keyClicks(seed, "5");
  ASSERT_EQ(State().params.seed, 1605);
  Find<QSlider>("noise")->setValue(70);
  ASSERT_EQ(History().StepCount(), 2u);
  seed->setFocus();
  MakeActive(window.get());
  QTest::keyClick(seed, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(State().params.levels[0].noise, vh::TreeParameters().levels[0].noise)
      << "the last edit of the document was taken back";
  EXPECT_EQ(seed->text(), "1605") << "not the field's own typing";
}

TEST_F(UndoRedo, EveryKindOfControlNamesItsStep) {
  struct Case {
    const char* expected;
    std::function<void()> edit;
  };
  const Case cases[] = {
      {"Undo Nb Levels", [&] { Find<QSlider>("TrackBar1")->setValue(5); }},
      {"Undo Noise", [&] { Find<QSlider>("noise")->setValue(12); }},
      {"Undo Attach to parent",
       [&] {
         SelectLevelTab(1);
         ClickCheckBox("CheckBox9");
       }},
      {"Undo No leaves on trunk",
       [&] {
         ShowPage(1);
         ClickCheckBox("CheckBox5");
       }},
      {"Undo rotate", [&] { Find<QSlider>("TrackBar12")->setValue(40); }},
      {"Undo U Scale", [&] { Find<QSlider>("TrackBar16")->setValue(30); }},
      {"Undo Material name prefix",
       [&] {
         auto* prefix = Find<QLineEdit>("Edit2");
         prefix->setFocus();
         QTest::keyClicks(prefix, "Bark");
       }},
  };
  std::vector<vh::TreeParameters> states{State().params};
  for (const Case& c : cases) {
    c.edit();
    EXPECT_EQ(Undo()->text(), c.expected);
    EXPECT_NE(State().params, states.back()) << c.expected;
    states.push_back(State().params);
  }
  EXPECT_EQ(History().StepCount(), std::size(cases));
  for (std::size_t i = std::size(cases); i-- > 0;) {
    Undo()->trigger();
    EXPECT_EQ(State().params, states[i]) << cases[i].expected;
  }
  EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), "Material");
  EXPECT_EQ(Find<QSlider>("TrackBar1")->value(), 3);
}

// An undo while a tree grows is an edit like any other: it applies at once
// and the tree then grown is the one of the state taken back to.
TEST_F(UndoRedo, AppliesWhileATreeGrowsAndIsRefusedInBillboardMode) {
  Find<QSlider>("noise")->setValue(70);
  const vh::TreeParameters edited = State().params;
  MakeGenerationLong();
  const vh::TreeParameters longer = State().params;
  bool grewDuringUndo = false;
  GenerateAndMeanwhile(60, [&] {
    grewDuringUndo = window->Busy();
    // The parameters set behind the controls' back were recorded with the
    // click on "Generate".
    EXPECT_EQ(Undo()->text(), "Undo Generate");
    Undo()->trigger();
  });
  ASSERT_TRUE(WaitForTree());
  EXPECT_TRUE(grewDuringUndo);
  EXPECT_EQ(State().params, edited);
  EXPECT_TRUE(SameGeometry(Tree(), vh::Generate(edited))) << "the tree follows the undo";

  Redo()->trigger();
  ASSERT_EQ(State().params, longer);
  ASSERT_TRUE(WaitForTree());
  vh::BillboardCloud cloud;
  cloud.mesh = std::make_unique<vh::MeshObject>();
  window->SetBillboard(std::move(cloud));
  Undo()->trigger();
  EXPECT_EQ(State().params, longer) << "nothing is taken back in billboard mode";
  window->DestroyBillboard();
}

TEST_F(UndoRedo, NewAndOpenStartAFreshHistory) {
  Find<QSlider>("noise")->setValue(70);
  dialogs->Choose(Path("edited"));
  Trigger("Save1");
  ASSERT_TRUE(Undo()->isEnabled());
  Trigger("New1");
  EXPECT_FALSE(Undo()->isEnabled());
  EXPECT_FALSE(Redo()->isEnabled());
  Find<QSlider>("noise")->setValue(10);
  dialogs->Choose(Path("edited.vhm"));
  Trigger("Open1");
  EXPECT_EQ(State().params.levels[0].noise, 70);
  EXPECT_FALSE(Undo()->isEnabled());
  EXPECT_EQ(History().StepCount(), 0u);
}

}  // namespace
