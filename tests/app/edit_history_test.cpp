// The undo history on its own: steps, names, merging, the bound and the
// saved mark. No window is needed.
#include <gtest/gtest.h>

#include "app/document/edit_history.h"

namespace {

vh::TreeParameters WithSeed(int seed) {
  vh::TreeParameters params;
  params.seed = seed;
  return params;
}

TEST(EditHistory, UndoAndRedoWalkTheSteps) {
  EditHistory history(WithSeed(1));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  EXPECT_TRUE(history.Record("Seed", WithSeed(2)));
  EXPECT_TRUE(history.Record("Noise", WithSeed(3)));
  EXPECT_EQ(history.StepCount(), 2u);
  EXPECT_EQ(history.UndoName(), "Noise");
  EXPECT_EQ(history.Undo().seed, 2);
  EXPECT_EQ(history.UndoName(), "Seed");
  EXPECT_EQ(history.RedoName(), "Noise");
  EXPECT_EQ(history.Undo().seed, 1);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.UndoName(), "");
  EXPECT_EQ(history.Redo().seed, 2);
  EXPECT_EQ(history.Redo().seed, 3);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.RedoName(), "");
  EXPECT_EQ(history.Current().seed, 3);
}

TEST(EditHistory, AnUnchangedStateRecordsNothing) {
  EditHistory history(WithSeed(1));
  EXPECT_FALSE(history.Record("Seed", WithSeed(1)));
  EXPECT_FALSE(history.CanUndo());
  history.Record("Seed", WithSeed(2));
  history.Undo();
  EXPECT_FALSE(history.Record("Seed", WithSeed(1))) << "what is current already";
  EXPECT_TRUE(history.CanRedo()) << "and the redo step stays";
}

TEST(EditHistory, ANewEditDropsWhatCouldBeRedone) {
  EditHistory history(WithSeed(1));
  history.Record("a", WithSeed(2));
  history.Record("b", WithSeed(3));
  history.Undo();
  history.Undo();
  history.Record("c", WithSeed(4));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.StepCount(), 1u);
  EXPECT_EQ(history.Undo().seed, 1);
}

TEST(EditHistory, TypingMergesIntoOneStepUntilMergingEnds) {
  EditHistory history(WithSeed(1));
  history.Record("Seed", WithSeed(4), "Edit1");
  history.Record("Seed", WithSeed(42), "Edit1");
  history.Record("Seed", WithSeed(424), "Edit1");
  EXPECT_EQ(history.StepCount(), 1u);
  history.CloseMerge();
  history.Record("Seed", WithSeed(4242), "Edit1");
  EXPECT_EQ(history.StepCount(), 2u);
  history.Record("Prefix", WithSeed(7), "Edit2");
  EXPECT_EQ(history.StepCount(), 3u) << "another field is another step";
  history.Record("Noise", WithSeed(8));
  history.Record("Noise", WithSeed(9));
  EXPECT_EQ(history.StepCount(), 5u) << "edits without a key never merge";
  EXPECT_EQ(history.Undo().seed, 8);
  EXPECT_EQ(history.Undo().seed, 7);
  EXPECT_EQ(history.Undo().seed, 4242);
  EXPECT_EQ(history.Undo().seed, 424);
  EXPECT_EQ(history.Undo().seed, 1);
}

TEST(EditHistory, UndoEndsMerging) {
  EditHistory history(WithSeed(1));
  history.Record("Seed", WithSeed(2), "Edit1");
  history.Record("Seed", WithSeed(3), "Edit1");
  history.Undo();
  history.Record("Seed", WithSeed(5), "Edit1");
  EXPECT_EQ(history.StepCount(), 1u);
  EXPECT_EQ(history.Undo().seed, 1);
}

TEST(EditHistory, KeepsOnlyTheNewestStepsUpToItsLimit) {
  EditHistory history(WithSeed(0), 3);
  for (int seed = 1; seed <= 5; ++seed) history.Record("Seed", WithSeed(seed));
  EXPECT_EQ(history.StepCount(), 3u);
  EXPECT_EQ(history.Undo().seed, 4);
  EXPECT_EQ(history.Undo().seed, 3);
  EXPECT_EQ(history.Undo().seed, 2);
  EXPECT_FALSE(history.CanUndo()) << "seeds 0 and 1 were forgotten";
}

TEST(EditHistory, TheDefaultLimitIsTwoHundredSteps) {
  EditHistory history(WithSeed(0));
  for (int seed = 1; seed <= 250; ++seed) history.Record("Seed", WithSeed(seed));
  EXPECT_EQ(history.StepCount(), EditHistory::kDefaultLimit);
  EXPECT_EQ(EditHistory::kDefaultLimit, 200u);
}

TEST(EditHistory, ModifiedMeansAwayFromTheSavedStep) {
  EditHistory history(WithSeed(1));
  EXPECT_FALSE(history.Modified());
  history.Record("a", WithSeed(2));
  EXPECT_TRUE(history.Modified());
  history.MarkSaved();
  EXPECT_FALSE(history.Modified());
  history.Undo();
  EXPECT_TRUE(history.Modified());
  history.Redo();
  EXPECT_FALSE(history.Modified());
  history.Record("b", WithSeed(1));
  EXPECT_TRUE(history.Modified()) << "a step away, even back to equal values";
}

TEST(EditHistory, ASavedStepThatIsDroppedLeavesTheDocumentModified) {
  EditHistory history(WithSeed(1), 2);
  history.Record("a", WithSeed(2));
  history.MarkSaved();
  history.Undo();
  history.Record("b", WithSeed(3));  // drops the saved step "a"
  EXPECT_TRUE(history.Modified());
  history.Undo();
  EXPECT_TRUE(history.Modified()) << "the file holds \"a\", which no step holds any more";
  history.Reset(WithSeed(9), false);
  EXPECT_TRUE(history.Modified());
  EXPECT_FALSE(history.CanUndo());
  EditHistory bounded(WithSeed(1), 1);
  bounded.Record("a", WithSeed(2));
  bounded.Record("b", WithSeed(3));  // forgets the opened state
  bounded.Undo();
  EXPECT_TRUE(bounded.Modified()) << "the saved state is no longer in the history";
}

TEST(EditHistory, TypingAfterASaveStartsANewStep) {
  EditHistory history(WithSeed(1));
  history.Record("Seed", WithSeed(2), "Edit1");
  history.MarkSaved();
  history.Record("Seed", WithSeed(3), "Edit1");
  EXPECT_TRUE(history.Modified());
  EXPECT_EQ(history.StepCount(), 2u);
}

TEST(EditHistory, AmendReplacesTheCurrentStateOnly) {
  EditHistory history(WithSeed(1));
  history.Record("a", WithSeed(2));
  history.Amend(WithSeed(20));
  EXPECT_EQ(history.Current().seed, 20);
  EXPECT_EQ(history.StepCount(), 1u);
  EXPECT_EQ(history.Undo().seed, 1);
  EXPECT_EQ(history.Redo().seed, 20);
}

}  // namespace
