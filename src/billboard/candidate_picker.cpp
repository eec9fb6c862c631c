#include "billboard/candidate_picker.h"

#include <stdexcept>

#include "billboard/coverage.h"
#include "tree/mesh.h"

namespace vh {

CandidatePlane BillboardPicker::Pick(const MeshObject& mesh, const TriangleCoverage& coverage) {
  if (coverage.Uncovered() == 0)
    throw std::runtime_error("No uncovered triangle left to pick a billboard plane from");
  const FastModulo submeshIndex(static_cast<std::uint32_t>(coverage.SubmeshCount()));
  std::uint32_t submesh = 0;
  std::uint32_t triangle = 0;
  for (;;) {
    submesh = submeshIndex(m_random.NextUInt32());
    const TriangleCoverage::SubmeshState state = coverage.State(submesh);
    // An empty submesh has no triangle to draw; treat it like a covered one.
    if (state == TriangleCoverage::SubmeshState::kEmpty) continue;
    const std::uint32_t draw = m_random.NextUInt32();
    // Late in a run most submeshes are fully covered: whatever the triangle
    // draw, it is redrawn, so the remainder need not be computed.
    if (state == TriangleCoverage::SubmeshState::kFullyCovered) continue;
    triangle = draw % static_cast<std::uint32_t>(coverage.TriangleCount(submesh));
    if (!coverage.Covered(submesh, triangle)) break;
  }

  const Submesh& source = *mesh.submeshes[submesh];
  const Triangle& t = source.triangles[triangle];
  const std::uint32_t corners[3] = {t.a, t.b, t.c};
  Vector3 points[3];
  for (int k = 0; k < 3; ++k) {
    // The first draw moves z, the second y, the third x, each by at most 0.01.
    const Ext r1 = m_random.NextReal();
    const Ext r2 = m_random.NextReal();
    const Ext r3 = m_random.NextReal();
    const Vector3 jitter(static_cast<float>((r3 - 0.5) * 2 * 0.01), static_cast<float>((r2 - 0.5) * 2 * 0.01),
                         static_cast<float>((r1 - 0.5) * 2 * 0.01));
    points[k] = source.vertices[corners[k]].position + jitter;
  }
  return {points[0], points[1], points[2], submesh, triangle};
}

}  // namespace vh
