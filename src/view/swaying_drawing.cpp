#include "view/swaying_drawing.h"

#include <GL/gl.h>

#include "view/gpu_buffers.h"

namespace vh {

void DrawSwaying(const SwayingTree& tree) {
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_HINT_BIT);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  constexpr GLsizei kStride = sizeof(SwayingVertex);
  const GLenum mode = tree.Wireframe() ? GL_LINES : GL_TRIANGLES;
  for (const SwayingBatch& batch : tree.Batches()) {
    if (batch.indices.empty()) continue;
    ApplyBatchState(batch.state);
    const SwayingVertex* first = batch.vertices.data();
    glVertexPointer(3, GL_FLOAT, kStride, first->position);
    glNormalPointer(GL_FLOAT, kStride, first->normal);
    glTexCoordPointer(2, GL_FLOAT, kStride, first->texCoord);
    glColorPointer(4, GL_UNSIGNED_BYTE, kStride, first->colour);
    glDrawElements(mode, static_cast<GLsizei>(batch.indices.size()), GL_UNSIGNED_INT, batch.indices.data());
  }
  glPopClientAttrib();
  glPopAttrib();
}

}  // namespace vh
