#include "billboard/billboard_builder.h"

#include <algorithm>

#include "billboard/coverage.h"
#include "tree/mesh.h"

namespace vh {

namespace {

void Widen(Vector3& boxMin, Vector3& boxMax, const Vector3& p) {
  boxMin = {std::min(boxMin.x, p.x), std::min(boxMin.y, p.y), std::min(boxMin.z, p.z)};
  boxMax = {std::max(boxMax.x, p.x), std::max(boxMax.y, p.y), std::max(boxMax.z, p.z)};
}

std::shared_ptr<Submesh> MakeQuadSubmesh(const BillboardQuad& quad) {
  static constexpr Vector2 kTexCoords[4] = {{1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}, {0.0f, 1.0f}};
  auto submesh = std::make_shared<Submesh>();
  for (int k = 0; k < 4; ++k) {
    Vertex vertex(quad.corner[k]);
    vertex.colour = {1.0f, 1.0f, 1.0f};
    vertex.normal = {0.0f, 1.0f, 0.0f};
    vertex.texCoord = kTexCoords[k];
    vertex.alpha = 1.0f;
    vertex.hasTexCoord = true;
    vertex.hasColour = false;
    submesh->vertices.push_back(vertex);
  }
  submesh->triangles.push_back(Triangle{0, 1, 2, true});
  submesh->triangles.push_back(Triangle{2, 3, 0, true});
  submesh->texture = kBillboardMaterial;
  submesh->textureFile = "result.bmp";
  submesh->strip = false;
  return submesh;
}

}  // namespace

Billboard BuildBillboard(MeshObject& mesh, TriangleCoverage& coverage, const CandidatePlane& candidate,
                         float threshold) {
  const BillboardPlane plane = MakePlane(candidate);
  // The box starts at the origin, not at a first vertex: it always encloses
  // the origin, also for a cluster far from it.
  Vector3 boxMin = Zero;
  Vector3 boxMax = Zero;
  for (std::size_t s = 0; s < mesh.submeshes.size(); ++s) {
    Submesh& submesh = *mesh.submeshes[s];
    ++submesh.revision;
    for (std::size_t t = 0; t < submesh.triangles.size(); ++t) {
      Triangle& triangle = submesh.triangles[t];
      triangle.visible = false;
      if (coverage.Covered(s, t)) continue;
      const Vector3 v[3] = {submesh.vertices[triangle.a].position, submesh.vertices[triangle.b].position,
                            submesh.vertices[triangle.c].position};
      float d[3];
      bool near = true;
      for (int k = 0; k < 3 && near; ++k) {
        d[k] = SignedDistance(plane, v[k]);
        near = IsNear(d[k], threshold);
      }
      if (!near) continue;
      coverage.Cover(s, t);
      triangle.visible = true;
      for (int k = 0; k < 3; ++k) Widen(boxMin, boxMax, Project(plane, v[k], d[k]));
    }
  }
  coverage.Cover(candidate.submesh, candidate.triangle);

  Billboard billboard;
  billboard.quad = QuadFromBox(candidate, boxMin, boxMax);
  billboard.submesh = MakeQuadSubmesh(billboard.quad);
  return billboard;
}

}  // namespace vh
