// Scoring of candidate billboard planes.
//
// A plane's score is the sum, over the uncovered triangles of the tree in
// submesh and triangle order, of ProjectedWeight for every triangle whose
// three vertices lie strictly closer to the plane than the threshold. The sum
// is a float accumulated in that order; two planes with equal scores keep the
// earlier one, so the order and the precision decide which plane wins.
//
// ScorePlaneReference is the plain statement of that rule. UncoveredTriangles
// gives the same float, bit for bit, much faster: it holds only the uncovered
// triangles, rejects surely far triangles with a conservative vectorised
// float test (the others go through the exact NearWeight) and scores many
// candidates on several threads, each candidate's sum still running in tree
// order.
#pragma once

#include <cstddef>
#include <vector>

#include "billboard/billboard_geometry.h"

namespace vh {

class MeshObject;
class TriangleCoverage;

// The straightforward score of one candidate over every uncovered triangle of
// `mesh`. The reference the fast scorer is tested against.
float ScorePlaneReference(const MeshObject& mesh, const TriangleCoverage& coverage,
                          const CandidatePlane& candidate, float threshold, bool favourVertical);

class UncoveredTriangles {
 public:
  // A snapshot of the positions of the uncovered triangles, in tree order.
  // Valid until the coverage or the vertex positions change.
  UncoveredTriangles(const MeshObject& mesh, const TriangleCoverage& coverage);

  std::size_t Size() const { return m_count; }

  // Equals ScorePlaneReference for the coverage of the snapshot.
  float Score(const CandidatePlane& candidate, float threshold, bool favourVertical) const;

  // The scores of all candidates, in candidate order, computed on up to
  // `threads` threads (at least one).
  std::vector<float> ScoreAll(const std::vector<CandidatePlane>& candidates, float threshold,
                              bool favourVertical, unsigned threads) const;

 private:
  std::size_t m_count = 0;
  // Structure of arrays: m_coord[3 * k + axis][i] is coordinate `axis` of
  // vertex k of uncovered triangle i.
  std::vector<float> m_coord[9];
};

// Threads worth using for scoring on this machine (at least 1).
unsigned ScoringThreads();

}  // namespace vh
