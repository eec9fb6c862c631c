// The wind's motion: for a time t, a rotation of every joint of a rig about
// its base, and the flutter of a leaf. Every motion is a sum of sines whose
// frequencies are whole multiples of 1/T, T the loop length, so the motion
// at t + T is the motion at t: it loops without a seam, and a looping
// animation sampled from it over [0, T] starts where it ends.
//
// The trunk leans with the wind, further in gusts; each branch swings
// towards the wind at a frequency of its own (shorter, deeper branches
// faster), follows the gusts a little late, and rocks sideways more the
// more turbulent the wind. Phases and frequencies come from each branch's
// place in the tree (see WindRig), so a tree always sways the same way.
// Angles stay a few degrees: a strength of 100 % is a strong breeze, not a
// storm.
#pragma once

#include <cstddef>
#include <vector>

#include "foundations/vector3.h"
#include "tree/wind_settings.h"
#include "wind/wind_math.h"
#include "wind/wind_rig.h"

namespace vh {

class WindMotion {
 public:
  // The motion of `rig` (which it copies what it needs from) in the wind of
  // `settings`, taken as they are clamped to the ranges of the wind fields.
  // Wind off, or a strength of 0, keeps every joint at rest.
  WindMotion(const WindRig& rig, const WindSettings& settings);

  // T in seconds.
  double LoopLength() const { return m_loop; }
  // Whether every joint and leaf stays at rest at every time.
  bool AtRest() const { return m_strength == 0.0; }
  std::size_t JointCount() const { return m_joints.size(); }

  // The rotation of joint `joint` about its base at time `t` (seconds, any
  // value), relative to its parent joint; the identity for the ground.
  WindRotation LocalRotation(std::size_t joint, double t) const;

  // The flutter of a leaf at time t: its turn about its midrib and about
  // the axis across it, in radians, for the leaf's phase and variety (0..1).
  struct Flutter {
    double twist = 0.0, flap = 0.0;
  };
  Flutter LeafFlutter(double phase, double variety, double t) const;

  // Where each joint is and hangs, as the rig has it.
  const Vector3& BaseOf(std::size_t joint) const { return m_joints[joint].base; }
  int ParentOf(std::size_t joint) const { return m_joints[joint].parent; }

 private:
  // One joint's motion: swings about `lean` (towards the wind) and `side`
  // (across it).
  struct JointWave {
    Vector3 base;
    int parent = -1;
    Vector3 lean, side;  // unit axes
    double phase = 0.0;
    double lag = 0.0;                           // seconds behind the gusts
    double gustAngle = 0.0;                     // radians at full gust
    double swingAngle = 0.0;                    // radians of its own swing
    double restlessAngle = 0.0;                 // radians of the turbulent swing
    double sideAngle = 0.0;                     // radians across the wind
    double restAngle = 0.0;                     // radians it leans between gusts
    int swing = 1, restless = 1, sideways = 1;  // whole cycles per loop
  };

  // sin 2 pi (k t / T + phase), exactly periodic in T.
  double Wave(int cycles, double phase, double t) const;
  // The gusts' strength at t, 0..1, felt `lag` seconds late (0.5
  // throughout without gusts).
  double Gust(double t, double lag) const;
  // The whole number of cycles per loop nearest `hertz`, at least one.
  int CyclesOf(double hertz) const;

  double m_loop = 8.0;
  double m_strength = 0.0;  // 0..1
  double m_turbulence = 0.0;
  double m_flutter = 0.0;
  int m_gustCycles = 0;  // 0: no gusts
  std::vector<JointWave> m_joints;
};

// The rig posed at one time: each joint's rotation relative to its parent
// and the transform that skinning applies for it, which takes a point of
// the tree at rest to its place at that time: x' = rotation x + offset.
struct WindPose {
  double time = 0.0;
  bool atRest = true;  // every transform is the identity
  std::vector<WindRotation> local;
  std::vector<WindRotation> world;
  std::vector<WindMatrix> rotation;
  std::vector<Vector3> offset;
};

// Poses every joint of `motion` at time `t` into `pose` (whose arrays are
// reused). A child's transform is its parent's followed by its own turn
// about its base.
void PoseJoints(const WindMotion& motion, double t, WindPose& pose);

}  // namespace vh
