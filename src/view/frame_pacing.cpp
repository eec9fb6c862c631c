#include "view/frame_pacing.h"

#include <algorithm>
#include <cmath>

namespace vh {
namespace {
// Frames this short say more about fixed costs than about the rate.
constexpr std::uint64_t kFewestForRate = 20'000;
// How much a new measurement moves the estimate.
constexpr double kWeight = 0.3;
}  // namespace

void FrameCostModel::Record(std::uint64_t primitives, double seconds) {
  if (!(seconds > 0.0)) return;
  if (primitives < kFewestForRate) {
    m_overhead = m_overhead * (1.0 - kWeight) + std::min(seconds, 0.05) * kWeight;
    return;
  }
  const double drawing = std::max(seconds - m_overhead, 1e-4);
  const double rate = static_cast<double>(primitives) / drawing;
  m_rate = m_measured ? m_rate * (1.0 - kWeight) + rate * kWeight : rate;
  m_measured = true;
}

double FrameCostModel::Predict(std::uint64_t primitives) const {
  return m_overhead + static_cast<double>(primitives) / m_rate;
}

std::uint64_t FrameCostModel::Fits(double seconds) const {
  const double drawing = std::max(seconds - m_overhead, 0.0);
  return std::max<std::uint64_t>(1, static_cast<std::uint64_t>(drawing * m_rate));
}

LevelChoice ChooseLevel(const std::vector<std::uint64_t>& levels, bool fullReady,
                        std::uint64_t fullPrimitives, const FrameCostModel& cost, double budgetSeconds) {
  // Full detail whenever it fits, moving or not: there is nothing to gain
  // from a coarser picture.
  if (fullReady && cost.Predict(fullPrimitives) <= budgetSeconds) return {true, -1};
  if (levels.empty()) return fullReady ? LevelChoice{true, -1} : LevelChoice{};
  int chosen = 0;
  for (int i = 0; i < static_cast<int>(levels.size()); ++i)
    if (cost.Predict(levels[i]) <= budgetSeconds) chosen = i;
  return {false, chosen};
}

void RefinementSchedule::Input(PacingClock::time_point now) {
  m_lastInput = now;
  if (m_state == State::kDrawing) m_state = State::kWaiting;
}

void RefinementSchedule::Shown(bool full) { m_state = full ? State::kIdle : State::kWaiting; }

bool RefinementSchedule::Moving(PacingClock::time_point now) const { return now < m_lastInput + m_settle; }

bool RefinementSchedule::Begin(PacingClock::time_point now) {
  if (m_state != State::kWaiting || Moving(now)) return false;
  m_state = State::kDrawing;
  return true;
}

}  // namespace vh
