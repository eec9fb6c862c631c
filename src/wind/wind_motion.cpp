#include "wind/wind_motion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vh {
namespace {

// The trunk's lean in radians per unit of strength: between gusts, at full
// gust, and the turbulent rocking on top.
constexpr double kTrunkRestLean = 0.015;
constexpr double kTrunkGustLean = 0.03;
constexpr double kTrunkRestless = 0.015;
constexpr double kTrunkSide = 0.012;
constexpr double kTrunkHertz = 0.35;
// A branch's swing in radians per unit of strength and of its sway, and
// its own frequency at the first level below the trunk (deeper levels
// swing faster).
constexpr double kBranchRestLean = 0.015;
constexpr double kBranchGust = 0.035;
constexpr double kBranchSwing = 0.02;
constexpr double kBranchRestless = 0.025;
constexpr double kBranchSideCalm = 0.008;
constexpr double kBranchSideRestless = 0.02;
constexpr double kBranchHertz = 0.6;
constexpr double kDeeperFaster = 0.35;
// How late a branch follows a gust, at most, in seconds.
constexpr double kGustDelay = 0.6;
// Leaves: turn about the midrib at full flutter and strength, and their
// frequency.
constexpr double kLeafTwist = 0.3;
constexpr double kLeafFlap = 0.15;
constexpr double kLeafHertz = 2.5;

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// The wind direction's unit vector in the ground plane.
Vector3 WindDirection(int degrees) {
  const double a = degrees * std::numbers::pi / 180.0;
  return {static_cast<float>(std::cos(a)), 0.0f, static_cast<float>(std::sin(a))};
}

double Percent(int value) { return std::clamp(value, 0, 100) / 100.0; }

}  // namespace

WindMotion::WindMotion(const WindRig& rig, const WindSettings& settings)
    : m_loop(std::clamp(settings.loopLength, 10, 600) / 10.0),
      m_strength(settings.enabled ? Percent(settings.strength) : 0.0),
      m_turbulence(Percent(settings.turbulence)),
      m_flutter(Percent(settings.leafFlutter)) {
  const int gust = std::clamp(settings.gustFrequency, 0, 500);
  m_gustCycles = gust == 0 ? 0 : CyclesOf(gust / 100.0);
  const Vector3 wind = WindDirection(settings.direction);
  const double s = m_strength, u = m_turbulence;
  for (const WindJoint& joint : rig.joints) {
    JointWave wave;
    wave.base = joint.base;
    wave.parent = joint.parent;
    wave.phase = joint.phase;
    if (joint.branch < 0) {  // the ground stays
      m_joints.push_back(wave);
      continue;
    }
    const WindBranch& branch = rig.branches[static_cast<std::size_t>(joint.branch)];
    const Vector3 along = UnitOr(branch.tip - branch.base, UnitY);
    // Turning about along x wind tips the branch towards the wind; a branch
    // that points along the wind rocks about any axis across it.
    wave.lean = UnitOr(CrossF(along, wind), UnitOr(CrossF(along, UnitX), UnitZ));
    wave.side = UnitOr(CrossF(along, wave.lean), UnitY);
    if (joint.level == 0) {
      wave.restAngle = s * kTrunkRestLean;
      wave.gustAngle = s * kTrunkGustLean;
      wave.restlessAngle = s * u * kTrunkRestless;
      wave.sideAngle = s * u * kTrunkSide;
      wave.swing = wave.restless = CyclesOf(kTrunkHertz);
      wave.sideways = CyclesOf(kTrunkHertz * 0.8);
    } else {
      const double sway = joint.sway * (0.85 + 0.3 * joint.variety);
      const double hertz =
          kBranchHertz * (1.0 + kDeeperFaster * (joint.level - 1)) * (0.85 + 0.3 * joint.variety);
      wave.restAngle = s * sway * kBranchRestLean;
      wave.gustAngle = s * sway * kBranchGust;
      wave.swingAngle = s * sway * kBranchSwing;
      wave.restlessAngle = s * u * sway * kBranchRestless;
      wave.sideAngle = s * sway * (kBranchSideCalm + kBranchSideRestless * u);
      wave.swing = CyclesOf(hertz);
      wave.restless = 2 * wave.swing + 1;
      wave.sideways = wave.swing + 1;
      wave.lag = kGustDelay * joint.phase;
    }
    m_joints.push_back(wave);
  }
}

int WindMotion::CyclesOf(double hertz) const {
  return std::max(1, static_cast<int>(std::lround(hertz * m_loop)));
}

double WindMotion::Wave(int cycles, double phase, double t) const {
  // The whole cycles are dropped before the phase is added: at t = T the
  // turns are exactly `cycles`, a whole number, so the sine's argument is
  // the one at t = 0 bit for bit.
  const double turns = cycles * (t / m_loop);
  const double x = (turns - std::floor(turns)) + phase;
  return std::sin(kTwoPi * (x - std::floor(x)));
}

double WindMotion::Gust(double t, double lag) const {
  if (m_gustCycles == 0) return 0.5;
  // A delay is a phase: lag seconds behind is lag / T of a loop.
  const double behind = lag / m_loop;
  const int slow = m_gustCycles, fast = 2 * m_gustCycles + 1;
  return 0.5 + 0.32 * Wave(slow, -slow * behind, t) + 0.18 * Wave(fast, 0.3 - fast * behind, t);
}

WindRotation WindMotion::LocalRotation(std::size_t joint, double t) const {
  const JointWave& w = m_joints[joint];
  if (w.parent < 0 || m_strength == 0.0) return {};
  const double lean = w.restAngle + w.gustAngle * Gust(t, w.lag) + w.swingAngle * Wave(w.swing, w.phase, t) +
                      w.restlessAngle * Wave(w.restless, w.phase + 0.5, t);
  const double side = w.sideAngle * Wave(w.sideways, w.phase + 0.25, t);
  return RotationFromVector(lean * w.lean.x + side * w.side.x, lean * w.lean.y + side * w.side.y,
                            lean * w.lean.z + side * w.side.z);
}

WindMotion::Flutter WindMotion::LeafFlutter(double phase, double variety, double t) const {
  if (m_strength == 0.0 || m_flutter == 0.0) return {};
  const int cycles = CyclesOf(kLeafHertz * (0.7 + 0.6 * variety));
  const double amount = m_strength * m_flutter;
  return {amount * kLeafTwist * Wave(cycles, phase, t),
          amount * kLeafFlap * Wave(cycles + 1, phase + 0.4, t)};
}

void PoseJoints(const WindMotion& motion, double t, WindPose& pose) {
  const std::size_t n = motion.JointCount();
  pose.time = t;
  pose.atRest = motion.AtRest();
  pose.local.resize(n);
  pose.world.resize(n);
  pose.rotation.resize(n);
  pose.offset.resize(n);
  std::vector<double> posed(3 * n);  // each joint's base, moved
  for (std::size_t j = 0; j < n; ++j) {
    const WindRotation local = motion.LocalRotation(j, t);
    const Vector3& base = motion.BaseOf(j);
    const int parent = motion.ParentOf(j);
    double x = base.x, y = base.y, z = base.z;
    WindRotation world = local;
    if (parent >= 0) {
      const auto p = static_cast<std::size_t>(parent);
      const Vector3& parentBase = motion.BaseOf(p);
      x -= parentBase.x;
      y -= parentBase.y;
      z -= parentBase.z;
      RotateInPlace(pose.world[p], x, y, z);
      x += posed[3 * p];
      y += posed[3 * p + 1];
      z += posed[3 * p + 2];
      world = pose.world[p] * local;
    }
    posed[3 * j] = x;
    posed[3 * j + 1] = y;
    posed[3 * j + 2] = z;
    // x' = world (x - base) + posed base = world x + (posed base - world base)
    double bx = base.x, by = base.y, bz = base.z;
    RotateInPlace(world, bx, by, bz);
    pose.local[j] = local;
    pose.world[j] = world;
    pose.rotation[j] = MatrixOf(world);
    pose.offset[j] = {static_cast<float>(x - bx), static_cast<float>(y - by), static_cast<float>(z - bz)};
  }
}

}  // namespace vh
