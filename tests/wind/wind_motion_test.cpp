// The wind's motion: a seamless loop, rest without wind, and the lean with
// the wind's direction.
#include "wind/wind_motion.h"

#include <gtest/gtest.h>

#include "wind/wind_test_support.h"

namespace vh {
namespace {

bool SameRotation(const WindRotation& a, const WindRotation& b) {
  return a.w == b.w && a.x == b.x && a.y == b.y && a.z == b.z;
}

double Angle(const WindRotation& q) { return 2.0 * std::acos(std::min(1.0, std::fabs(q.w))); }

TEST(WindMotion, TheLoopEndsExactlyWhereItStarts) {
  const WindRig rig = BuildWindRig(test::LeafyTree());
  WindSettings wind = test::Wind();
  wind.loopLength = 37;  // 3.7 s: no whole number of samples or of most frequencies
  wind.gustFrequency = 41;
  wind.turbulence = 80;
  const WindMotion motion(rig, wind);
  const double loop = motion.LoopLength();
  ASSERT_EQ(loop, 3.7);
  for (std::size_t j = 0; j < motion.JointCount(); ++j) {
    EXPECT_TRUE(SameRotation(motion.LocalRotation(j, 0.0), motion.LocalRotation(j, loop))) << "joint " << j;
    EXPECT_NEAR(motion.LocalRotation(j, 1.25).x, motion.LocalRotation(j, 1.25 + loop).x, 1e-12)
        << "joint " << j;
  }
  const WindMotion::Flutter start = motion.LeafFlutter(0.3, 0.8, 0.0),
                            end = motion.LeafFlutter(0.3, 0.8, loop);
  EXPECT_EQ(start.twist, end.twist);
  EXPECT_EQ(start.flap, end.flap);
  EXPECT_NE(start.twist, motion.LeafFlutter(0.3, 0.8, loop / 4).twist);
}

TEST(WindMotion, WithoutWindOrStrengthEveryJointStaysAtRest) {
  const WindRig rig = BuildWindRig(Generate(TreeParameters()));
  WindSettings off = test::Wind();
  off.enabled = false;
  WindSettings still = test::Wind();
  still.strength = 0;
  for (const WindSettings& settings : {off, still}) {
    const WindMotion motion(rig, settings);
    EXPECT_TRUE(motion.AtRest());
    WindPose pose;
    PoseJoints(motion, 2.5, pose);
    EXPECT_TRUE(pose.atRest);
    for (std::size_t j = 0; j < motion.JointCount(); ++j) {
      EXPECT_TRUE(SameRotation(pose.local[j], WindRotation())) << j;
      EXPECT_EQ(pose.offset[j], Zero) << j;
    }
    EXPECT_EQ(motion.LeafFlutter(0.2, 0.5, 1.0).twist, 0.0);
  }
}

// Over a loop the top of the trunk leans, on average, the way the wind
// blows, and a few degrees at most.
TEST(WindMotion, TheTrunkLeansTheWayTheWindBlows) {
  const WindRig rig = BuildWindRig(Generate(TreeParameters()));
  const Vector3 top = rig.branches[0].tip;
  for (const auto& [direction, expected] :
       {std::pair{0, UnitX}, std::pair{90, UnitZ}, std::pair{180, -UnitX}}) {
    WindSettings wind = test::Wind();
    wind.direction = direction;
    wind.strength = 100;
    const WindMotion motion(rig, wind);
    WindPose pose;
    Vector3 drift;
    double largest = 0.0;
    for (int i = 0; i < 80; ++i) {
      PoseJoints(motion, motion.LoopLength() * i / 80, pose);
      drift += (Times(pose.rotation[1], top) + pose.offset[1]) - top;
      largest = std::max(largest, Angle(pose.local[1]));
    }
    drift = drift * (1.0f / 80);
    EXPECT_GT(Dot(drift, expected), 0.9f * std::sqrt(Dot(drift, drift))) << direction;
    EXPECT_GT(largest, 0.01) << direction;
    EXPECT_LT(largest, 0.1) << direction;
  }
}

}  // namespace
}  // namespace vh
