#include "view/selection_highlight.h"

#include <GL/gl.h>

#include <algorithm>

#include "tree/branch_places.h"

namespace vh {

namespace {

// Vertices a draw call takes at most: its count is a GLsizei.
constexpr std::size_t kVerticesPerCall = 3 << 20;

}  // namespace

void SelectionHighlight::Select(const MeshObject& tree, const BranchPath& path) {
  m_positions.clear();
  const BranchPlaces places = FindBranchPlaces(tree);
  for (const std::size_t index : SubmeshesOnBranch(places, path)) {
    const Submesh& submesh = *tree.submeshes[index];
    const auto& vertices = submesh.vertices;
    for (const Triangle& t : submesh.triangles) {
      if (!t.visible || std::max({t.a, t.b, t.c}) >= vertices.size()) continue;
      for (const std::uint32_t corner : {t.a, t.b, t.c}) {
        const Vector3& p = vertices[corner].position;
        m_positions.insert(m_positions.end(), {p.x, p.y, p.z});
      }
    }
  }
  m_positions.shrink_to_fit();
}

void SelectionHighlight::Clear() { m_positions = {}; }

void SelectionHighlight::Draw(const HighlightTint& tint) const {
  if (Empty()) return;
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glDisable(GL_ALPHA_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_FALSE);
  // The tint lies on the surfaces the frame drew; the offset keeps it from
  // fighting them for the depth.
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(-1.0f, -1.0f);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glColor4f(tint.red, tint.green, tint.blue, tint.alpha);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_VERTEX_ARRAY);
  const std::size_t vertexCount = m_positions.size() / 3;
  for (std::size_t first = 0; first < vertexCount; first += kVerticesPerCall) {
    glVertexPointer(3, GL_FLOAT, 0, m_positions.data() + 3 * first);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(std::min(kVerticesPerCall, vertexCount - first)));
  }
  glPopClientAttrib();
  glPopAttrib();
}

}  // namespace vh
