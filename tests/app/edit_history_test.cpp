// The document's undo stack on its own: steps, names, merging, the bound
// and the saved mark, through the document's one edit call. No window is
// needed.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/document/tree_document.h"
#include "common/scratch_dir.h"
#include "flow_test_support.h"

namespace {

class EditHistoryTest : public ::testing::Test {
 protected:
  EditHistoryTest() {
    document.SetAutoUpdate(false);  // nothing regrows: only the steps count here
    SetSeed(1);
    history.clear();
  }
  // Sets the seed as a control named `name` would, merging by `mergeKey`.
  bool SetSeed(int seed, const char* name = "Seed", const QString& mergeKey = QString()) {
    TreeDocument::ParameterChange change;
    change.name = name;
    change.apply = [seed](vh::TreeParameters& params) { params.seed = seed; };
    change.mergeKey = mergeKey;
    return document.Change(change);
  }
  int Undo() {
    document.Undo();
    return document.Params().seed;
  }
  int Redo() {
    document.Redo();
    return document.Params().seed;
  }

  TreeDocument document;
  EditHistory& history = document.History();
};

TEST_F(EditHistoryTest, UndoAndRedoWalkTheSteps) {
  EXPECT_FALSE(history.canUndo());
  EXPECT_FALSE(history.canRedo());
  SetSeed(2);
  SetSeed(3, "Noise");
  EXPECT_EQ(history.StepCount(), 2u);
  EXPECT_EQ(history.undoText(), "Noise");
  EXPECT_EQ(Undo(), 2);
  EXPECT_EQ(history.undoText(), "Seed");
  EXPECT_EQ(history.redoText(), "Noise");
  EXPECT_EQ(Undo(), 1);
  EXPECT_FALSE(history.canUndo());
  EXPECT_EQ(Redo(), 2);
  EXPECT_EQ(Redo(), 3);
  EXPECT_FALSE(history.canRedo());
}

TEST_F(EditHistoryTest, AnUnchangedStateRecordsNothing) {
  EXPECT_TRUE(SetSeed(1)) << "accepted";
  EXPECT_FALSE(history.canUndo()) << "but nothing to record";
  SetSeed(2);
  Undo();
  SetSeed(1);
  EXPECT_TRUE(history.canRedo()) << "what is current already keeps the redo step";
}

TEST_F(EditHistoryTest, ANewEditDropsWhatCouldBeRedone) {
  SetSeed(2, "a");
  SetSeed(3, "b");
  Undo();
  Undo();
  SetSeed(4, "c");
  EXPECT_FALSE(history.canRedo());
  EXPECT_EQ(history.StepCount(), 1u);
  EXPECT_EQ(Undo(), 1);
}

TEST_F(EditHistoryTest, AGestureMergesIntoOneStepUntilItEnds) {
  SetSeed(4, "Seed", "Edit1");
  SetSeed(42, "Seed", "Edit1");
  SetSeed(424, "Seed", "Edit1");
  EXPECT_EQ(history.StepCount(), 1u);
  document.CloseMerge();
  SetSeed(4242, "Seed", "Edit1");
  EXPECT_EQ(history.StepCount(), 2u);
  SetSeed(7, "Prefix", "Edit2");
  EXPECT_EQ(history.StepCount(), 3u) << "another field is another step";
  SetSeed(8, "Noise");
  SetSeed(9, "Noise");
  EXPECT_EQ(history.StepCount(), 5u) << "edits without a key never merge";
  for (const int seed : {8, 7, 4242, 424, 1}) EXPECT_EQ(Undo(), seed);
}

TEST_F(EditHistoryTest, AGestureBackToWhereItStartedLeavesNoStep) {
  SetSeed(5, "Seed", "TrackBar9");
  SetSeed(1, "Seed", "TrackBar9");
  EXPECT_FALSE(history.canUndo());
  SetSeed(6, "Seed", "TrackBar9");
  EXPECT_EQ(history.StepCount(), 1u);
}

TEST_F(EditHistoryTest, UndoEndsMerging) {
  SetSeed(2, "Seed", "Edit1");
  SetSeed(3, "Seed", "Edit1");
  Undo();
  SetSeed(5, "Seed", "Edit1");
  EXPECT_EQ(history.StepCount(), 1u);
  EXPECT_EQ(Undo(), 1);
}

TEST_F(EditHistoryTest, KeepsOnlyTheNewestStepsUpToItsLimit) {
  history.setUndoLimit(3);
  for (int seed = 2; seed <= 6; ++seed) SetSeed(seed);
  EXPECT_EQ(history.StepCount(), 3u);
  for (const int seed : {5, 4, 3}) EXPECT_EQ(Undo(), seed);
  EXPECT_FALSE(history.canUndo()) << "seeds 1 and 2 were forgotten";
}

TEST_F(EditHistoryTest, TheDefaultLimitIsTwoHundredSteps) {
  for (int seed = 2; seed <= 251; ++seed) SetSeed(seed);
  EXPECT_EQ(history.StepCount(), std::size_t{EditHistory::kDefaultLimit});
  EXPECT_EQ(EditHistory::kDefaultLimit, 200);
}

TEST_F(EditHistoryTest, ModifiedMeansAwayFromTheSavedStep) {
  EXPECT_FALSE(history.Modified());
  SetSeed(2, "a");
  EXPECT_TRUE(history.Modified());
  history.setClean();
  EXPECT_FALSE(history.Modified());
  Undo();
  EXPECT_TRUE(history.Modified());
  Redo();
  EXPECT_FALSE(history.Modified());
  SetSeed(1, "b");
  EXPECT_TRUE(history.Modified()) << "a step away, even back to equal values";
}

TEST_F(EditHistoryTest, ASavedStepThatIsDroppedLeavesTheDocumentModified) {
  SetSeed(2, "a");
  history.setClean();
  Undo();
  SetSeed(3, "b");  // drops the saved step "a"
  EXPECT_TRUE(history.Modified());
  Undo();
  EXPECT_TRUE(history.Modified()) << "the file holds \"a\", which no step holds any more";

  TreeDocument bounded;
  bounded.SetAutoUpdate(false);
  ASSERT_NE(bounded.Params().seed, 3);
  bounded.History().setUndoLimit(1);
  for (const int seed : {2, 3}) {  // the second forgets the opened state
    TreeDocument::ParameterChange change;
    change.name = "Seed";
    change.apply = [seed](vh::TreeParameters& params) { params.seed = seed; };
    bounded.Change(change);
  }
  bounded.Undo();
  EXPECT_TRUE(bounded.History().Modified()) << "the saved state is no longer in the history";
}

TEST_F(EditHistoryTest, TypingAfterASaveStartsANewStep) {
  SetSeed(2, "Seed", "Edit1");
  history.setClean();
  SetSeed(3, "Seed", "Edit1");
  EXPECT_TRUE(history.Modified());
  EXPECT_EQ(history.StepCount(), 2u);
}

TEST_F(EditHistoryTest, EditsAreRefusedWhileLockedUnlessTheyMayPass) {
  document.BeginBuildFromTree("Building");
  EXPECT_FALSE(SetSeed(2));
  TreeDocument::ParameterChange flag;
  flag.name = "Branch width: Constant";
  flag.apply = [](vh::TreeParameters& params) { params.levels[1].baseSizeInherited = false; };
  flag.evenWhileLocked = true;
  EXPECT_TRUE(document.Change(flag));
  document.Undo();
  EXPECT_FALSE(document.Params().levels[1].baseSizeInherited) << "no undo while locked";
  document.EndBuildFromTree();
  EXPECT_EQ(document.Params().seed, 1);
  EXPECT_EQ(history.StepCount(), 1u);
}

// Pictures copied beside a saved document are named by every step from
// then on: undoing an unrelated edit does not point back at the originals.
TEST_F(EditHistoryTest, CopiedPicturesAreNamedByEveryStep) {
  vh::test::ScratchDir scratch;
  std::filesystem::create_directories(scratch.File("saved"));
  WritePicture(QString::fromStdString(scratch.File("bark.bmp")), GradientPicture(8, 4));
  TreeDocument::ParameterChange named;
  named.name = "Load texture";
  named.apply = [&](vh::TreeParameters& params) {
    params.barkTextureLoaded = true;
    params.barkTextureFile = scratch.File("bark.bmp");
  };
  document.Change(named);
  SetSeed(2);
  document.CopyPicturesInto(scratch.File("saved"));
  const std::string copy = document.Params().barkTextureFile;
  ASSERT_NE(copy, scratch.File("bark.bmp"));
  EXPECT_EQ(Undo(), 1);
  EXPECT_EQ(document.Params().barkTextureFile, copy);
  Undo();
  EXPECT_TRUE(document.Params().barkTextureFile.empty());
  Redo();
  EXPECT_EQ(document.Params().barkTextureFile, copy);
}

}  // namespace
