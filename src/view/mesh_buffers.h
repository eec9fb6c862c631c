// The geometry of a mesh object as the view draws it: a few large
// interleaved vertex arrays with 32-bit indices, one batch per drawing
// state (material, texturing, culling), each cut into blocks of bounded size.
//
// The arrays reproduce exactly what the per-submesh immediate-mode drawing
// (SendSubmeshPrimitive in submesh_drawing.h) sends: the same triangles
// with the same winding, strips unrolled into triangles (their degenerate
// joins dropped), wireframe outlines as the same line segments, and each
// vertex with the colour, alpha and texture coordinate that GL's current
// state has when it is sent (a "short" send drops the alpha, a "closing"
// send keeps the colour of the vertex before it). Vertices no visible
// triangle uses are left out.
//
// Plain data, no GL: filling happens on a worker thread, and the GL side
// (gpu_buffers.h) uploads and draws what is filled here.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tree/mesh.h"

namespace vh {

// One vertex as GL reads it: interleaved, 36 bytes. The colour is red,
// green, blue and alpha on 0..255 (GL reads unsigned bytes as 0..1).
struct BufferVertex {
  float position[3];
  float normal[3];
  float texCoord[2];
  std::uint8_t colour[4];
};
static_assert(sizeof(BufferVertex) == 36, "BufferVertex must stay tightly packed for the interleaved arrays");

// How a batch is drawn: its texture (0 when untextured) and whether back
// faces are culled.
struct BatchState {
  int texture = 0;  // material number to bind; 0: texturing off
  bool cullBackFaces = false;
  bool operator==(const BatchState&) const = default;
};

// A piece of a batch small enough to upload and draw in one step. Indices
// are local to the block's vertices.
struct BufferBlock {
  std::vector<BufferVertex> vertices;
  std::vector<std::uint32_t> indices;
  // Filled with FillOptions::recordSources only: for each vertex, the
  // vertex it was sent from, numbered through the mesh submesh after
  // submesh (as a WindSkin numbers them), so that a posed copy of those
  // vertices can be written into the block.
  std::vector<std::uint32_t> sources;
  // Bytes of the arrays (their contents, not their capacity).
  std::size_t Bytes() const {
    return vertices.size() * sizeof(BufferVertex) + (indices.size() + sources.size()) * sizeof(std::uint32_t);
  }
};

struct BufferBatch {
  BatchState state;
  std::vector<BufferBlock> blocks;
};

struct MeshBuffers {
  bool lines = false;                // wireframe: indices are pairs (GL_LINES), else triples (GL_TRIANGLES)
  std::vector<BufferBatch> batches;  // in the order their first submesh appears in the mesh
  std::uint64_t primitives = 0;      // triangles or line segments over all batches

  std::size_t Bytes() const;
  std::uint64_t VertexCount() const;
};

struct FillOptions {
  bool wireframe = false;
  // A block is closed before a submesh would take it past this many
  // vertices (a single larger submesh gets a block of its own).
  std::size_t blockVertices = std::size_t{1} << 18;
  bool recordSources = false;  // fill BufferBlock::sources
};

// Fills the buffers of `mesh`. Checks `cancel` (may be null) between
// submeshes and returns whatever was filled so far once it is set; the
// caller, which set it, throws that away. Triangle indices must be valid
// for their submesh (the generator's invariant); a submesh without
// vertices contributes nothing, as it draws nothing.
MeshBuffers FillMeshBuffers(const MeshObject& mesh, const FillOptions& options,
                            const std::atomic<bool>* cancel = nullptr);

}  // namespace vh
