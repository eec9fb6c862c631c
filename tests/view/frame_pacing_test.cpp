// The pacing of the view: which level a frame draws, and when the
// full-detail frame is drawn in slices, shown or abandoned.
#include <gtest/gtest.h>

#include "view/frame_pacing.h"

namespace vh {
namespace {

using std::chrono::milliseconds;

// A renderer measured at 5 million primitives a second.
FrameCostModel MeasuredAtFiveMillion() {
  FrameCostModel cost;
  for (int i = 0; i < 20; ++i) cost.Record(1'000'000, 0.2 + 0.003);
  return cost;
}

TEST(FramePacing, TheCostModelLearnsTheRendererRate) {
  const FrameCostModel cost = MeasuredAtFiveMillion();
  EXPECT_NEAR(cost.PrimitivesPerSecond(), 5.0e6, 0.1e6);
  EXPECT_NEAR(cost.Predict(200'000), 0.043, 0.003);
  EXPECT_NEAR(static_cast<double>(cost.Fits(0.043)), 200'000.0, 10'000.0);
}

struct ChoiceCase {
  const char* what;
  std::vector<std::uint64_t> levels;
  bool fullReady;
  std::uint64_t full;
  LevelChoice expected;
};

class FramePacingChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(FramePacingChoice, PicksTheFinestThatFits) {
  const ChoiceCase& c = GetParam();
  const LevelChoice choice = ChooseLevel(c.levels, c.fullReady, c.full, MeasuredAtFiveMillion(), 0.040);
  EXPECT_EQ(choice.full, c.expected.full) << c.what;
  EXPECT_EQ(choice.level, c.expected.level) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FramePacingChoice,
    ::testing::Values(
        ChoiceCase{"a full tree that fits is drawn whole", {10'000}, true, 100'000, {true, -1}},
        ChoiceCase{"too large: the finest level that fits",
                   {10'000, 50'000, 180'000, 700'000},
                   true,
                   3'000'000,
                   {false, 2}},
        ChoiceCase{"full detail not ready yet", {10'000, 50'000}, false, 0, {false, 1}},
        ChoiceCase{"no level fits: the coarsest", {400'000, 1'600'000}, true, 6'000'000, {false, 0}},
        ChoiceCase{"nothing ready: nothing drawn", {}, false, 0, {false, -1}},
        ChoiceCase{"no levels (a small tree): full detail anyway", {}, true, 300'000, {true, -1}}));

TEST(FramePacing, RefinementWaitsForQuietThenDraws) {
  RefinementSchedule schedule(milliseconds(250));
  const auto t0 = PacingClock::now();
  schedule.Input(t0);
  schedule.Shown(false);  // a reduced level is on screen
  EXPECT_EQ(schedule.Now(), RefinementSchedule::State::kWaiting);
  EXPECT_TRUE(schedule.Moving(t0 + milliseconds(100)));
  EXPECT_FALSE(schedule.Begin(t0 + milliseconds(100))) << "the camera is still moving";
  EXPECT_EQ(schedule.StartsAt(), t0 + milliseconds(250));
  EXPECT_TRUE(schedule.Begin(t0 + milliseconds(260)));
  EXPECT_EQ(schedule.Now(), RefinementSchedule::State::kDrawing);
  schedule.Completed();
  EXPECT_EQ(schedule.Now(), RefinementSchedule::State::kIdle);
  EXPECT_FALSE(schedule.Begin(t0 + milliseconds(600))) << "full detail is on screen: nothing to refine";
}

TEST(FramePacing, InputAbandonsTheRefinementBeingDrawn) {
  RefinementSchedule schedule(milliseconds(250));
  const auto t0 = PacingClock::now();
  schedule.Input(t0);
  schedule.Shown(false);
  ASSERT_TRUE(schedule.Begin(t0 + milliseconds(300)));
  schedule.Input(t0 + milliseconds(320));
  EXPECT_EQ(schedule.Now(), RefinementSchedule::State::kWaiting);
  EXPECT_FALSE(schedule.Begin(t0 + milliseconds(400))) << "starts over only after quiet again";
  EXPECT_TRUE(schedule.Begin(t0 + milliseconds(580)));
}

TEST(FramePacing, AFullFrameShownLeavesNothingToRefine) {
  RefinementSchedule schedule;
  schedule.Input(PacingClock::now());
  schedule.Shown(true);
  EXPECT_EQ(schedule.Now(), RefinementSchedule::State::kIdle);
}

}  // namespace
}  // namespace vh
