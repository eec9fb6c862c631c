#include "billboard/plane_scoring.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <system_error>
#include <thread>

#include "billboard/coverage.h"
#include "tree/mesh.h"

namespace vh {

namespace {

// Adds a triangle's weight to a running score the way the score has always
// been summed: one float addition per near triangle.
inline float Accumulate(float score, float weight) {
  return static_cast<float>(static_cast<Ext>(score) + weight);
}

// The exact test and weight of one triangle; false when it is not near.
inline bool NearWeight(const BillboardPlane& plane, const Vector3 (&v)[3], float threshold,
                       bool favourVertical, float& weight) {
  float d[3];
  for (int k = 0; k < 3; ++k) {
    d[k] = SignedDistance(plane, v[k]);
    if (!IsNear(d[k], threshold)) return false;
  }
  weight = ProjectedWeight(plane, v, d, favourVertical);
  return true;
}

enum Verdict : std::uint8_t { kFar = 0, kUndecided = 1, kNear = 2 };

constexpr std::size_t kBlock = 1024;

}  // namespace

float ScorePlaneReference(const MeshObject& mesh, const TriangleCoverage& coverage,
                          const CandidatePlane& candidate, float threshold, bool favourVertical) {
  const BillboardPlane plane = MakePlane(candidate);
  float score = 0.0f;
  for (std::size_t s = 0; s < mesh.submeshes.size(); ++s) {
    const Submesh& submesh = *mesh.submeshes[s];
    for (std::size_t t = 0; t < submesh.triangles.size(); ++t) {
      if (coverage.Covered(s, t)) continue;
      const Triangle& triangle = submesh.triangles[t];
      const Vector3 v[3] = {submesh.vertices[triangle.a].position, submesh.vertices[triangle.b].position,
                            submesh.vertices[triangle.c].position};
      float weight = 0.0f;
      if (NearWeight(plane, v, threshold, favourVertical, weight)) score = Accumulate(score, weight);
    }
  }
  return score;
}

UncoveredTriangles::UncoveredTriangles(const MeshObject& mesh, const TriangleCoverage& coverage)
    : m_count(coverage.Uncovered()) {
  for (auto& coordinate : m_coord) coordinate.reserve(m_count);
  for (std::size_t s = 0; s < mesh.submeshes.size(); ++s) {
    const Submesh& submesh = *mesh.submeshes[s];
    for (std::size_t t = 0; t < submesh.triangles.size(); ++t) {
      if (coverage.Covered(s, t)) continue;
      const Triangle& triangle = submesh.triangles[t];
      const std::uint32_t corner[3] = {triangle.a, triangle.b, triangle.c};
      for (int k = 0; k < 3; ++k) {
        const Vector3& p = submesh.vertices[corner[k]].position;
        m_coord[3 * k].push_back(p.x);
        m_coord[3 * k + 1].push_back(p.y);
        m_coord[3 * k + 2].push_back(p.z);
      }
    }
  }
}

float UncoveredTriangles::Score(const CandidatePlane& candidate, float threshold, bool favourVertical) const {
  const BillboardPlane plane = MakePlane(candidate);
  const float ox = plane.origin.x, oy = plane.origin.y, oz = plane.origin.z;
  const double nx = plane.normal.x, ny = plane.normal.y, nz = plane.normal.z;
  // The exact distance is Dot(v - P0, n): the differences are float
  // subtractions (rounding the extended difference of two floats to float
  // gives the correctly rounded float difference), the products of two
  // floats are exact in double, and only the two additions and the final
  // rounding to float differ from the extended evaluation, by less than
  // 2^-51 of the sum of the products' magnitudes. A vertex whose double
  // distance clears the threshold by more than that, and by a relative 2^-22
  // for the rounding to float, is decided here; the rest go the exact way.
  const double nearLimit = threshold * (1.0 - 0x1p-22);
  const double farLimit = threshold * (1.0 + 0x1p-22);

  float score = 0.0f;
  std::uint8_t verdict[kBlock];
  for (std::size_t start = 0; start < m_count; start += kBlock) {
    const std::size_t end = std::min(m_count, start + kBlock);
    // Pass 1, branch-free so that it vectorises: classify each triangle.
    for (std::size_t i = start; i < end; ++i) {
      bool anyFar = false;
      bool allNear = true;
      for (int k = 0; k < 3; ++k) {
        const double px = static_cast<double>(m_coord[3 * k][i] - ox) * nx;
        const double py = static_cast<double>(m_coord[3 * k + 1][i] - oy) * ny;
        const double pz = static_cast<double>(m_coord[3 * k + 2][i] - oz) * nz;
        const double distance = std::fabs(px + py + pz);
        const double slack = (std::fabs(px) + std::fabs(py) + std::fabs(pz)) * 0x1p-50;
        anyFar |= distance - slack > farLimit;
        allNear &= distance + slack < nearLimit;
      }
      verdict[i - start] = anyFar ? kFar : (allNear ? kNear : kUndecided);
    }
    // Pass 2, in tree order: exact weights of the triangles not surely far.
    for (std::size_t i = start; i < end; ++i) {
      if (verdict[i - start] == kFar) continue;
      Vector3 v[3];
      for (int k = 0; k < 3; ++k) v[k] = {m_coord[3 * k][i], m_coord[3 * k + 1][i], m_coord[3 * k + 2][i]};
      float weight = 0.0f;
      if (NearWeight(plane, v, threshold, favourVertical, weight)) score = Accumulate(score, weight);
    }
  }
  return score;
}

std::vector<float> UncoveredTriangles::ScoreAll(const std::vector<CandidatePlane>& candidates, float threshold,
                                                bool favourVertical, unsigned threads) const {
  std::vector<float> scores(candidates.size(), 0.0f);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < candidates.size(); i = next++) {
      scores[i] = Score(candidates[i], threshold, favourVertical);
    }
  };
  const auto helpers = static_cast<std::size_t>(std::max(1u, threads) - 1);
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  try {
    for (std::size_t i = 0; i < std::min(helpers, candidates.size()); ++i) pool.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads to be had: the ones running (and this one) do the rest.
  }
  work();
  for (std::thread& thread : pool) thread.join();
  return scores;
}

unsigned ScoringThreads() {
  const unsigned available = std::thread::hardware_concurrency();
  return std::clamp(available, 1u, 16u);
}

}  // namespace vh
