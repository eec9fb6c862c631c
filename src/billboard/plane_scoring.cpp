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
  const float nx = plane.normal.x, ny = plane.normal.y, nz = plane.normal.z;
  // The exact distance is Dot(v - P0, n), three products of floats summed in
  // extended precision and rounded to float. The same sum in float differs
  // from it by less than 3 * 2^-24 of the sum of the products' magnitudes
  // (plus a few denormal steps). A vertex whose float distance exceeds the
  // threshold by more than 2^-20 of that magnitude, and by a relative 2^-20
  // for the final rounding, is surely far, and its triangle is dropped in
  // float arithmetic that the compiler vectorises; all other triangles go
  // through the exact test.
  const float farLimit = threshold * (1.0f + 0x1p-20f);
  constexpr float kRelativeSlack = 0x1p-20f;
  constexpr float kAbsoluteSlack = 0x1p-140f;
  const float* const x[3] = {m_coord[0].data(), m_coord[3].data(), m_coord[6].data()};
  const float* const y[3] = {m_coord[1].data(), m_coord[4].data(), m_coord[7].data()};
  const float* const z[3] = {m_coord[2].data(), m_coord[5].data(), m_coord[8].data()};

  float score = 0.0f;
  std::uint8_t maybeNear[kBlock];
  for (std::size_t start = 0; start < m_count; start += kBlock) {
    const std::size_t end = std::min(m_count, start + kBlock);
    // Pass 1, branch-free so that it vectorises: drop the surely far.
    for (std::size_t i = start; i < end; ++i) {
      int anyFar = 0;
      for (int k = 0; k < 3; ++k) {
        const float px = (x[k][i] - ox) * nx;
        const float py = (y[k][i] - oy) * ny;
        const float pz = (z[k][i] - oz) * nz;
        const float distance = std::fabs(px + py + pz);
        const float slack = (std::fabs(px) + std::fabs(py) + std::fabs(pz)) * kRelativeSlack + kAbsoluteSlack;
        anyFar |= static_cast<int>(distance - slack > farLimit);
      }
      maybeNear[i - start] = static_cast<std::uint8_t>(1 - anyFar);
    }
    // Pass 2, in tree order: the exact test and weight of the others.
    for (std::size_t i = start; i < end; ++i) {
      if (maybeNear[i - start] == 0) continue;
      Vector3 v[3];
      for (int k = 0; k < 3; ++k) v[k] = {m_coord[3 * k][i], m_coord[3 * k + 1][i], m_coord[3 * k + 2][i]};
      float weight = 0.0f;
      if (NearWeight(plane, v, threshold, favourVertical, weight)) score = Accumulate(score, weight);
    }
  }
  return score;
}

std::vector<float> UncoveredTriangles::ScoreAll(const std::vector<CandidatePlane>& candidates,
                                                float threshold, bool favourVertical,
                                                unsigned threads) const {
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
