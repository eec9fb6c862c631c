// The filled buffers of a mesh (mesh_buffers.h) in the current GL context:
// vertex buffer objects where the context has them (OpenGL 1.5 or
// ARB_vertex_buffer_object), client-side vertex arrays otherwise. Uploads
// happen a block at a time so that the window's thread is never held for
// long; drawing goes batch by batch with one glDrawElements per block, or
// part of one, so that a large mesh can be drawn in slices.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "view/mesh_buffers.h"

namespace vh {

// The buffer-object entry points, looked up at run time: the view links
// only OpenGL 1.1.
struct BufferObjectFunctions {
  PFNGLGENBUFFERSPROC genBuffers = nullptr;
  PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
  PFNGLBINDBUFFERPROC bindBuffer = nullptr;
  PFNGLBUFFERDATAPROC bufferData = nullptr;
  PFNGLBUFFERSUBDATAPROC bufferSubData = nullptr;

  bool Available() const {
    return genBuffers != nullptr && deleteBuffers != nullptr && bindBuffer != nullptr &&
           bufferData != nullptr && bufferSubData != nullptr;
  }
};

// Looks a GL function up by name in the current context (the context
// provider's getProcAddress); null when unknown.
using GlResolver = std::function<void*(const char* name)>;

// The entry points of the current context: the core ones when its version
// is 1.5 or later, the ARB ones when it offers ARB_vertex_buffer_object,
// none otherwise (and none when `resolve` is empty or finds nothing).
BufferObjectFunctions ResolveBufferObjects(const GlResolver& resolve);

// Where a slice of drawing stopped: the next primitive to draw.
struct DrawCursor {
  std::size_t batch = 0;
  std::size_t block = 0;
  std::uint64_t primitive = 0;  // within the block
  bool operator==(const DrawCursor&) const = default;
};

// Told of each batch's state as drawing reaches it, after that state is
// set: a shader look sets its material from it (which picture, whether bark).
class BatchObserver {
 public:
  virtual void BatchBegins(const BatchState& state) const = 0;

 protected:
  ~BatchObserver() = default;
};

class GpuMeshBuffers {
 public:
  GpuMeshBuffers() = default;
  // Takes the filled buffers. With `functions` available the blocks become
  // buffer objects as Upload goes (and their memory here is freed, since GL
  // keeps its own copy); without, they stay here and are drawn from here.
  GpuMeshBuffers(MeshBuffers buffers, const BufferObjectFunctions& functions);
  GpuMeshBuffers(GpuMeshBuffers&&) noexcept;
  GpuMeshBuffers& operator=(GpuMeshBuffers&&) noexcept;
  GpuMeshBuffers(const GpuMeshBuffers&) = delete;
  GpuMeshBuffers& operator=(const GpuMeshBuffers&) = delete;
  ~GpuMeshBuffers();

  // Adds the blocks of `more` (filled with the same wireframe choice): a
  // large mesh arrives in parts, each uploaded, and its memory here freed,
  // while the next is filled. Blocks join the batch of their drawing state,
  // so that the whole draws as if it had been filled at once.
  void Append(MeshBuffers more);

  // Uploads blocks, at least one, until `deadline` has passed. Returns
  // true once everything is uploaded (at once for client arrays).
  // Context current.
  bool Upload(std::chrono::steady_clock::time_point deadline);
  bool Ready() const { return m_uploaded == m_blockCount; }
  bool UsesBufferObjects() const { return m_functions.Available(); }

  // Draws everything; Ready() must hold. The enable, texture, current
  // colour, hint and client-array state it changes are restored. `observer`
  // (may be null) hears of every batch drawn.
  void Draw(const BatchObserver* observer = nullptr) const;
  // Draws from `from` until at most `maxPrimitives` primitives (at least
  // one, unless nothing is left) were drawn. Returns where it stopped;
  // End() when everything was drawn.
  DrawCursor DrawSome(DrawCursor from, std::uint64_t maxPrimitives,
                      const BatchObserver* observer = nullptr) const;
  DrawCursor End() const { return {m_batches.size(), 0, 0}; }

  // Replaces vertices of one block in place, from its vertex `first` on:
  // a mesh whose vertices move every frame (a posed copy of the tree) is
  // drawn through the same buffers with only this upload. The indices stay.
  // Ready() must hold and the range lie within the block (asserted).
  // Context current.
  void UpdateVertices(std::size_t batch, std::size_t block, std::size_t first,
                      std::span<const BufferVertex> vertices);
  std::size_t BatchCount() const { return m_batches.size(); }
  std::size_t BlockCount(std::size_t batch) const { return m_batches[batch].blocks.size(); }
  std::size_t BlockVertices(std::size_t batch, std::size_t block) const {
    return m_batches[batch].blocks[block].vertexCount;
  }

  std::uint64_t Primitives() const { return m_primitives; }
  bool Lines() const { return m_lines; }
  // Bytes this object keeps in the process's memory (client arrays, or
  // blocks not uploaded yet).
  std::size_t HostBytes() const;

  // Frees the buffer objects (context current). Idempotent.
  void Release();
  // The context that held the buffer objects is gone: forget their names
  // without a GL call. Buffer objects can't be drawn any more (their data
  // was freed here once uploaded): Lost() tells the owner to fill anew.
  void Forget();
  bool Lost() const { return m_lost; }

 private:
  struct Block {
    BufferBlock data;  // emptied once uploaded into buffer objects
    std::uint64_t primitives = 0;
    std::size_t vertexCount = 0;
    bool uploaded = false;  // into buffer objects, or drawn from here
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
  };
  struct Batch {
    BatchState state;
    std::vector<Block> blocks;
  };
  void DrawRange(const Block& block, std::uint64_t first, std::uint64_t count) const;

  BufferObjectFunctions m_functions;
  std::vector<Batch> m_batches;
  bool m_lines = false;
  std::uint64_t m_primitives = 0;
  std::size_t m_blockCount = 0;
  std::size_t m_uploaded = 0;
  bool m_lost = false;
};

// Sets the GL state a batch is drawn with (culling, texturing). Used by
// both drawing paths so that they agree.
void ApplyBatchState(const BatchState& state);

}  // namespace vh
