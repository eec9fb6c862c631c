// The generation driver on its own: trees grown on its worker and delivered
// on the caller's thread, the newest request winning, cancelling, failures,
// and stopping when it is destroyed mid-generation.
#include <chrono>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include "app/document/generation_driver.h"
#include "app_test_support.h"
#include "tree/tree.h"

namespace {

// Many levels of many children: seconds of growing, bounded by the budget.
vh::TreeParameters LongParameters() {
  vh::TreeParameters params(6);
  for (auto& level : params.levels) level.nbChildrenMin = level.nbChildrenMax = 8;
  return params;
}

GrowthRequest Request(const vh::TreeParameters& params, std::uint64_t budget = 3'000'000) {
  return {params, vh::GenerationOptions{}, budget};
}

class GenerationWorker : public ::testing::Test {
 protected:
  GenerationWorker()
      : driver(std::make_unique<GenerationDriver>([this](GrownTree grown) {
          onCallersThread = onCallersThread && QThread::currentThread() == qApp->thread();
          delivered.push_back(std::move(grown));
        })) {}
  bool WaitForIdle(int timeoutMs = 30000) {
    QElapsedTimer clock;
    clock.start();
    while (driver->Busy() && clock.elapsed() < timeoutMs) QTest::qWait(5);
    return !driver->Busy();
  }

  std::vector<GrownTree> delivered;
  bool onCallersThread = true;
  std::unique_ptr<GenerationDriver> driver;
};

TEST_F(GenerationWorker, DeliversTheTreeOfTheRequestOnTheCallersThread) {
  vh::TreeParameters params(3);
  params.seed = 7;
  driver->Grow(Request(params));
  EXPECT_TRUE(driver->Busy());
  ASSERT_TRUE(WaitForIdle());
  ASSERT_EQ(delivered.size(), 1u);
  ASSERT_NE(delivered[0].tree, nullptr);
  EXPECT_TRUE(onCallersThread);
  EXPECT_FALSE(delivered[0].tree->cancelled);
  EXPECT_TRUE(SameGeometry(*delivered[0].tree, vh::Generate(params)));
}

TEST_F(GenerationWorker, TheNewestRequestWinsAndOnlyItIsDelivered) {
  int idles = 0;
  QObject::connect(driver.get(), &GenerationDriver::idle, [&] { ++idles; });
  driver->Grow(Request(LongParameters()));
  QTest::qWait(50);
  vh::TreeParameters middle(2);
  middle.seed = 1;
  driver->Grow(Request(LongParameters()));
  driver->Grow(Request(middle));
  vh::TreeParameters newest(2);
  newest.seed = 161;
  driver->Grow(Request(newest));
  ASSERT_TRUE(WaitForIdle());
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_FALSE(delivered[0].tree->cancelled);
  EXPECT_TRUE(SameGeometry(*delivered[0].tree, vh::Generate(newest)));
  EXPECT_EQ(idles, 1);
}

TEST_F(GenerationWorker, CancelDeliversTheConsistentPartialTree) {
  driver->Grow(Request(LongParameters()));
  QTest::qWait(100);
  ASSERT_TRUE(driver->Busy());
  driver->Cancel();
  ASSERT_TRUE(WaitForIdle(5000));
  ASSERT_EQ(delivered.size(), 1u);
  const vh::Tree& tree = *delivered[0].tree;
  EXPECT_TRUE(tree.cancelled);
  EXPECT_FALSE(tree.budgetExceeded);
  EXPECT_GT(tree.VertexCount(), 0u);
  EXPECT_LT(tree.VertexCount(), 3'000'000u);
  EXPECT_TRUE(IndicesInside(tree));
}

TEST_F(GenerationWorker, CancelWhileIdleDoesNotReachTheNextGeneration) {
  driver->Cancel();
  driver->Grow(Request(vh::TreeParameters(3)));
  ASSERT_TRUE(WaitForIdle());
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_FALSE(delivered[0].tree->cancelled);
}

TEST_F(GenerationWorker, CancelDropsTheRequestWaitingForTheRunningOne) {
  driver->Grow(Request(LongParameters()));
  QTest::qWait(50);
  driver->Grow(Request(LongParameters()));  // waits; the first is superseded
  driver->Cancel();
  ASSERT_TRUE(WaitForIdle(5000));
  EXPECT_TRUE(delivered.empty()) << "the superseded tree is not wanted, the waiting one not grown";
}

TEST_F(GenerationWorker, AParameterSetThatCannotGrowIsReported) {
  vh::TreeParameters params(2);
  params.lastParentLevel = 42;
  driver->Grow(Request(params));
  ASSERT_TRUE(WaitForIdle());
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].tree, nullptr);
  EXPECT_TRUE(delivered[0].failure.startsWith(
      "This tree cannot be grown: lastParentLevel 42 must lie between -1 and 8."))
      << delivered[0].failure.toStdString();
}

// A tree that is in within the wait is handed over before SettleWithin
// returns, once: the call the worker posted finds nothing left.
TEST_F(GenerationWorker, SettlingHandsASmallTreeOverAtOnceAndOnlyOnce) {
  driver->Grow(Request(vh::TreeParameters(2)));
  ASSERT_TRUE(driver->SettleWithin(std::chrono::seconds(10)));
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_FALSE(driver->Busy());
  EXPECT_TRUE(SameGeometry(*delivered[0].tree, vh::Generate(vh::TreeParameters(2))));
  QTest::qWait(50);
  EXPECT_EQ(delivered.size(), 1u);

  driver->Grow(Request(LongParameters()));
  EXPECT_FALSE(driver->SettleWithin(std::chrono::milliseconds(1))) << "a long generation goes on";
  EXPECT_TRUE(delivered.size() == 1u && driver->Busy());
  driver->Cancel();
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(delivered.size(), 2u);
}

TEST_F(GenerationWorker, TheBudgetStopsAGenerationAndSaysSo) {
  driver->Grow(Request(LongParameters(), 20'000));
  ASSERT_TRUE(WaitForIdle());
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_TRUE(delivered[0].tree->budgetExceeded);
  EXPECT_LE(delivered[0].tree->VertexCount(), 20'000u);
}

// Destroying the driver (the window closing) stops the generation at its
// next branch; nothing is delivered afterwards.
TEST_F(GenerationWorker, DestroyedDuringAGenerationItStopsAtOnce) {
  driver->Grow(Request(LongParameters(), vh::kDefaultVertexBudget));
  QTest::qWait(300);
  ASSERT_TRUE(driver->Busy());
  QElapsedTimer clock;
  clock.start();
  driver.reset();
  EXPECT_LT(clock.elapsed(), 1000);
  QTest::qWait(20);  // a result posted before the end must not arrive
  EXPECT_TRUE(delivered.empty());
}

}  // namespace
