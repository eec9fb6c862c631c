// One step of the billboard-cloud builder: gathering the cluster of a chosen
// plane and making its billboard quad.
#pragma once

#include <memory>

#include "billboard/billboard_geometry.h"

namespace vh {

class MeshObject;
class Submesh;
class TriangleCoverage;

struct Billboard {
  std::shared_ptr<Submesh> submesh;
  BillboardQuad quad;  // V0..V3; V0, V1, V2 are the corners the picture is rendered from
};

// Gathers the cluster of `plane` and builds its billboard:
// - every triangle of `mesh` is hidden and every submesh's revision bumped;
//   each uncovered triangle whose three vertices are nearer than `threshold`
//   is covered and shown, and its projected vertices widen a box that starts
//   at the origin (so the box always encloses the origin);
// - should the candidate's own triangle not be among them (only non-finite
//   or enormous coordinates can cause that), it is covered anyway, so that
//   every billboard covers at least one triangle and the builder's loop ends;
// - the quad is QuadFromBox of that box; the submesh has the four corners with
//   colour (1, 1, 1), alpha 1, normal (0, 1, 0), texture coordinates
//   (1, 1), (1, 0), (0, 0), (0, 1) (hasTexCoord set, hasColour clear), the
//   triangles (0, 1, 2) and (2, 3, 0), texture 3, texture file "result.bmp",
//   no material name, strip off.
Billboard BuildBillboard(MeshObject& mesh, TriangleCoverage& coverage, const CandidatePlane& plane,
                         float threshold);

}  // namespace vh
