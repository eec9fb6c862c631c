// When the view draws what: plain logic, no GL, so that it can be checked
// without a display.
//
// A frame must fit a budget (about 40 ms, so that the window answers every
// input at once). The cost model predicts a frame's time from its
// primitives, learning the renderer's rate from the frames it times. While
// the camera moves, while full detail is not ready and whenever a full frame
// would miss the budget, the view draws the finest reduced level that fits;
// full detail follows a quarter of a second after the last input, drawn in
// slices between events into a frame that is shown only once complete, and
// abandoned at the next input.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace vh {

using PacingClock = std::chrono::steady_clock;

// A frame that takes longer than this makes the window feel stuck: larger
// trees are drawn reduced while the camera moves.
inline constexpr double kFrameBudgetSeconds = 0.040;

class FrameCostModel {
 public:
  // A frame (or slice) that drew `primitives` primitives took `seconds`,
  // measured to the end of the GL work.
  void Record(std::uint64_t primitives, double seconds);
  // The seconds a frame of `primitives` primitives is expected to take.
  double Predict(std::uint64_t primitives) const;
  // The primitives that fit in `seconds` (at least 1).
  std::uint64_t Fits(double seconds) const;
  double PrimitivesPerSecond() const { return m_rate; }

 private:
  // Before any measurement: a software renderer's pace on one core, so
  // that the first frames of a large tree are reduced rather than slow.
  double m_rate = 3.0e6;
  double m_overhead = 0.003;  // clearing, camera, presenting
  bool m_measured = false;
};

// Which level a frame draws: `levels` are the primitive counts of the
// reduced levels that are ready, coarsest first; `full` those of the whole
// tree, or nothing when it is not ready.
struct LevelChoice {
  bool full = false;
  int level = -1;  // index into the reduced levels; -1 with `full` or nothing to draw
};
// Full detail whenever it is ready and fits; otherwise the finest level
// that fits, or the coarsest when none does.
LevelChoice ChooseLevel(const std::vector<std::uint64_t>& levels, bool fullReady,
                        std::uint64_t fullPrimitives, const FrameCostModel& cost, double budgetSeconds);

// The progressive drawing of full detail after the camera stops.
class RefinementSchedule {
 public:
  enum class State {
    kIdle,     // full detail is on screen, or nothing to refine
    kWaiting,  // a reduced level is on screen; refine once settled
    kDrawing,  // slices of full detail are being drawn off screen
  };
  explicit RefinementSchedule(std::chrono::milliseconds settle = std::chrono::milliseconds(250))
      : m_settle(settle) {}

  // The camera moved or what is shown changed: a refinement being drawn is
  // abandoned, and the next one waits for quiet again.
  void Input(PacingClock::time_point now);
  // A frame was shown: full detail or a reduced level.
  void Shown(bool full);
  // True while the last input is more recent than the settling time.
  bool Moving(PacingClock::time_point now) const;
  // When a waiting refinement may start (meaningful in kWaiting).
  PacingClock::time_point StartsAt() const { return m_lastInput + m_settle; }
  // Begins the off-screen frame if it is time: returns true when the caller
  // should start drawing slices now.
  bool Begin(PacingClock::time_point now);
  // The off-screen frame is complete and shown.
  void Completed() { m_state = State::kIdle; }
  State Now() const { return m_state; }

 private:
  std::chrono::milliseconds m_settle;
  PacingClock::time_point m_lastInput{};
  State m_state = State::kIdle;
};

}  // namespace vh
