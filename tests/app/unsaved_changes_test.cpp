// Unsaved changes: the mark after the document's name in "Infos", and the
// question "Save changes?" before New, Open..., a preset, Quit or closing
// give a changed document up.
#include <filesystem>

#include <QAction>
#include <QLabel>
#include <QSlider>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/flows/document_changes.h"
#include "flow_test_support.h"
#include "modal_answers.h"

namespace {

class UnsavedChanges : public WorkflowTest {
 protected:
  // A change of the document; returns once its tree is in.
  void Edit() {
    Find<QSlider>("noise")->setValue(Find<QSlider>("noise")->value() + 7);
    EXPECT_TRUE(WaitForTree());
  }
  QString ShownName() { return Find<QLabel>("DocumentName")->toolTip(); }
  bool Modified() { return window->findChild<DocumentChanges*>()->Modified(); }
};

TEST_F(UnsavedChanges, InfosShowTheNameAndAMarkWhileChanged) {
  EXPECT_EQ(ShownName(), "New tree");
  EXPECT_EQ(Find<QLabel>("DocumentName")->parentWidget()->objectName(), "GroupBox1");
  Edit();
  EXPECT_EQ(ShownName(), "New tree *");
  dialogs->Choose(Path("oak"));
  Trigger("Save1");
  EXPECT_EQ(ShownName(), "oak.vhm");
  EXPECT_EQ(Find<QLabel>("DocumentName")->text(), "oak.vhm");
  Edit();
  EXPECT_EQ(ShownName(), "oak.vhm *");
  Trigger("Undo1");
  EXPECT_EQ(ShownName(), "oak.vhm") << "back at what the file holds";
  Trigger("Redo1");
  EXPECT_EQ(ShownName(), "oak.vhm *");
}

TEST_F(UnsavedChanges, NewAsksAndCancelKeepsEverything) {
  Edit();
  const vh::TreeParameters edited = State().params;
  const std::vector<float> grown = GrownVertexData();
  savePrompt->answers = {SaveChangesAnswer::kCancel};
  Trigger("New1");
  EXPECT_EQ(savePrompt->asked, QStringList{"New tree"});
  EXPECT_EQ(State().params, edited);
  EXPECT_EQ(GrownVertexData(), grown);
  EXPECT_TRUE(Modified());
  EXPECT_TRUE(window->findChild<QAction*>("Undo1")->isEnabled()) << "the history stays";

  savePrompt->answers = {SaveChangesAnswer::kDiscard};
  Trigger("New1");
  EXPECT_EQ(savePrompt->asked.size(), 2);
  EXPECT_EQ(State().params, vh::TreeParameters(2));
  EXPECT_FALSE(Modified());
}

TEST_F(UnsavedChanges, NothingIsAskedWithoutChanges) {
  Trigger("New1");
  dialogs->Cancel();
  Trigger("Open1");
  EXPECT_TRUE(savePrompt->asked.isEmpty());
}

TEST_F(UnsavedChanges, SaveWritesTheDocumentBeforeItIsReplaced) {
  Edit();
  const vh::TreeParameters edited = State().params;
  savePrompt->answers = {SaveChangesAnswer::kSave};
  dialogs->Choose(Path("kept"));
  Trigger("New1");
  ASSERT_TRUE(std::filesystem::exists(Path("kept.vhm").toStdString()));
  EXPECT_EQ(vh::ReadDocumentFile(Path("kept.vhm").toStdString(), vh::TreeParameters()).levels[0].noise,
            edited.levels[0].noise);
  EXPECT_EQ(State().params, vh::TreeParameters(2));
}

TEST_F(UnsavedChanges, ASaveThatDoesNotHappenKeepsEverything) {
  Edit();
  const vh::TreeParameters edited = State().params;
  savePrompt->answers = {SaveChangesAnswer::kSave};
  dialogs->Cancel();
  Trigger("New1");
  EXPECT_EQ(State().params, edited) << "the save dialog was cancelled";
  savePrompt->answers = {SaveChangesAnswer::kSave};
  dialogs->Choose(Path("no/such/folder/tree"));
  Trigger("New1");
  EXPECT_EQ(State().params, edited) << "the save failed";
  EXPECT_EQ(recorder->messages.size(), 1);
}

TEST_F(UnsavedChanges, OpenAndPresetsAskToo) {
  Edit();
  const vh::TreeParameters edited = State().params;
  savePrompt->answers = {SaveChangesAnswer::kCancel, SaveChangesAnswer::kCancel};
  Trigger("Open1");
  EXPECT_TRUE(dialogs->requests.empty()) << "no file is asked for after Cancel";
  Trigger("Preset_palm");
  EXPECT_EQ(savePrompt->asked.size(), 2);
  EXPECT_EQ(State().params, edited);
}

// Quitting stops a growing tree, but only once the question was answered.
TEST_F(UnsavedChanges, QuitAsksAndCancelKeepsRunning) {
  Edit();
  MakeGenerationLong();
  window->GenerateTree();
  QAction* quit = window->findChild<QAction*>("Quit1");
  savePrompt->answers = {SaveChangesAnswer::kCancel};
  quit->trigger();
  EXPECT_EQ(savePrompt->asked.size(), 1);
  EXPECT_TRUE(window->Busy()) << "the tree still grows";
  savePrompt->answers = {SaveChangesAnswer::kDiscard};
  quit->trigger();
  ASSERT_TRUE(WaitForTree());
  EXPECT_TRUE(Tree().cancelled) << "the generation was stopped";
}

TEST_F(UnsavedChanges, ClosingTheWindowAsksAndCancelKeepsItOpen) {
  Edit();
  savePrompt->answers = {SaveChangesAnswer::kCancel};
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(savePrompt->asked, QStringList{"New tree"});
  savePrompt->answers = {SaveChangesAnswer::kDiscard};
  EXPECT_TRUE(window->close());
}

// Quit asks once: after Discard in the real box, the program ends.
TEST_F(UnsavedChanges, QuitAsksOnceAndDiscardEndsTheProgram) {
  Edit();
  UseRealDialogs();
  ModalAnswers answers;
  answers.Then(ClickButton(QMessageBox::Discard));
  QTimer::singleShot(0, window.get(),
                     [this] { QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier); });
  QTimer giveUp;  // a program that does not end fails the test rather than hanging it
  QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  giveUp.start(20000);
  EXPECT_EQ(QApplication::exec(), 0) << "the program ended";
  EXPECT_EQ(answers.seen.join(" | ").toStdString(), "Verdanthollow: Save changes?");
}

}  // namespace
