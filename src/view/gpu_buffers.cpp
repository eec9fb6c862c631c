#include "view/gpu_buffers.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <utility>

#include "view/texture_upload.h"

namespace vh {
namespace {

// The context's version, major and minor, from its version string.
std::pair<int, int> ContextVersion() {
  const auto* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0, minor = 0;
  if (text != nullptr && std::sscanf(text, "%d.%d", &major, &minor) != 2) major = minor = 0;
  return {major, minor};
}

bool HasExtension(const char* name) {
  const auto* text = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (text == nullptr) return false;
  const std::size_t length = std::strlen(name);
  for (const char* at = std::strstr(text, name); at != nullptr; at = std::strstr(at + 1, name)) {
    const bool starts = at == text || at[-1] == ' ';
    const bool ends = at[length] == '\0' || at[length] == ' ';
    if (starts && ends) return true;
  }
  return false;
}

template <class Function>
Function Lookup(const GlResolver& resolve, const char* name) {
  return reinterpret_cast<Function>(resolve(name));
}

BufferObjectFunctions Resolve(const GlResolver& resolve, bool arb) {
  BufferObjectFunctions f;
  f.genBuffers = Lookup<PFNGLGENBUFFERSPROC>(resolve, arb ? "glGenBuffersARB" : "glGenBuffers");
  f.deleteBuffers = Lookup<PFNGLDELETEBUFFERSPROC>(resolve, arb ? "glDeleteBuffersARB" : "glDeleteBuffers");
  f.bindBuffer = Lookup<PFNGLBINDBUFFERPROC>(resolve, arb ? "glBindBufferARB" : "glBindBuffer");
  f.bufferData = Lookup<PFNGLBUFFERDATAPROC>(resolve, arb ? "glBufferDataARB" : "glBufferData");
  f.bufferSubData = Lookup<PFNGLBUFFERSUBDATAPROC>(resolve, arb ? "glBufferSubDataARB" : "glBufferSubData");
  return f.Available() ? f : BufferObjectFunctions();
}

const GLvoid* Offset(const void* base, std::size_t bytes) { return static_cast<const char*>(base) + bytes; }

}  // namespace

BufferObjectFunctions ResolveBufferObjects(const GlResolver& resolve) {
  if (!resolve) return {};
  const auto [major, minor] = ContextVersion();
  if (major > 1 || (major == 1 && minor >= 5)) return Resolve(resolve, false);
  if (HasExtension("GL_ARB_vertex_buffer_object")) return Resolve(resolve, true);
  return {};
}

void ApplyBatchState(const BatchState& state) {
  if (state.cullBackFaces) {
    glEnable(GL_CULL_FACE);
  } else {
    glDisable(GL_CULL_FACE);
  }
  if (state.texture != 0) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, TextureObjectName(static_cast<unsigned>(state.texture)));
  } else {
    glDisable(GL_TEXTURE_2D);
  }
}

GpuMeshBuffers::GpuMeshBuffers(MeshBuffers buffers, const BufferObjectFunctions& functions)
    : m_functions(functions), m_lines(buffers.lines) {
  Append(std::move(buffers));
}

void GpuMeshBuffers::Append(MeshBuffers more) {
  const std::uint64_t corners = m_lines ? 2 : 3;
  m_primitives += more.primitives;
  for (BufferBatch& source : more.batches) {
    auto batch = std::find_if(m_batches.begin(), m_batches.end(),
                              [&source](const Batch& b) { return b.state == source.state; });
    if (batch == m_batches.end()) batch = m_batches.insert(m_batches.end(), Batch{source.state, {}});
    for (BufferBlock& data : source.blocks) {
      Block& block = batch->blocks.emplace_back();
      block.primitives = data.indices.size() / corners;
      block.vertexCount = data.vertices.size();
      block.data = std::move(data);
      std::vector<std::uint32_t>().swap(block.data.sources);  // drawing needs no sources
      ++m_blockCount;
      if (!m_functions.Available()) {  // drawn from here
        block.uploaded = true;
        ++m_uploaded;
      }
    }
  }
}

GpuMeshBuffers::GpuMeshBuffers(GpuMeshBuffers&& other) noexcept { *this = std::move(other); }

GpuMeshBuffers& GpuMeshBuffers::operator=(GpuMeshBuffers&& other) noexcept {
  if (this == &other) return *this;
  m_functions = other.m_functions;
  m_batches = std::move(other.m_batches);
  m_lines = other.m_lines;
  m_primitives = other.m_primitives;
  m_blockCount = other.m_blockCount;
  m_uploaded = other.m_uploaded;
  m_lost = other.m_lost;
  other.m_batches.clear();
  other.m_primitives = 0;
  other.m_blockCount = other.m_uploaded = 0;
  return *this;
}

// Buffer objects must be freed with Release while the context is current,
// or forgotten with it; a destructor can't know which context is current.
GpuMeshBuffers::~GpuMeshBuffers() = default;

bool GpuMeshBuffers::Upload(std::chrono::steady_clock::time_point deadline) {
  if (m_lost) return false;
  bool first = true;
  for (Batch& batch : m_batches) {
    for (Block& block : batch.blocks) {
      if (block.uploaded) continue;
      if (!first && std::chrono::steady_clock::now() >= deadline) return false;
      first = false;
      m_functions.genBuffers(1, &block.vertexBuffer);
      m_functions.genBuffers(1, &block.indexBuffer);
      m_functions.bindBuffer(GL_ARRAY_BUFFER, block.vertexBuffer);
      m_functions.bufferData(GL_ARRAY_BUFFER,
                             static_cast<GLsizeiptr>(block.data.vertices.size() * sizeof(BufferVertex)),
                             block.data.vertices.data(), GL_STATIC_DRAW);
      m_functions.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, block.indexBuffer);
      m_functions.bufferData(GL_ELEMENT_ARRAY_BUFFER,
                             static_cast<GLsizeiptr>(block.data.indices.size() * sizeof(std::uint32_t)),
                             block.data.indices.data(), GL_STATIC_DRAW);
      m_functions.bindBuffer(GL_ARRAY_BUFFER, 0);
      m_functions.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
      block.data = BufferBlock();  // GL keeps its own copy
      block.uploaded = true;
      ++m_uploaded;
    }
  }
  return true;
}

void GpuMeshBuffers::UpdateVertices(std::size_t batch, std::size_t block, std::size_t first,
                                    std::span<const BufferVertex> vertices) {
  assert(Ready() && "vertices are updated once the buffers are uploaded");
  Block& target = m_batches.at(batch).blocks.at(block);
  assert(first + vertices.size() <= target.vertexCount && "the updated range lies within the block");
  if (target.vertexBuffer == 0) {
    std::copy(vertices.begin(), vertices.end(),
              target.data.vertices.begin() + static_cast<std::ptrdiff_t>(first));
    return;
  }
  m_functions.bindBuffer(GL_ARRAY_BUFFER, target.vertexBuffer);
  m_functions.bufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(first * sizeof(BufferVertex)),
                            static_cast<GLsizeiptr>(vertices.size_bytes()), vertices.data());
  m_functions.bindBuffer(GL_ARRAY_BUFFER, 0);
}

std::size_t GpuMeshBuffers::HostBytes() const {
  std::size_t bytes = 0;
  for (const Batch& batch : m_batches)
    for (const Block& block : batch.blocks)
      bytes += block.data.vertices.capacity() * sizeof(BufferVertex) +
               block.data.indices.capacity() * sizeof(std::uint32_t);
  return bytes;
}

void GpuMeshBuffers::DrawRange(const Block& block, std::uint64_t first, std::uint64_t count) const {
  const bool objects = block.vertexBuffer != 0;
  const void* vertices = objects ? nullptr : block.data.vertices.data();
  const void* indices = objects ? nullptr : block.data.indices.data();
  if (objects) {
    m_functions.bindBuffer(GL_ARRAY_BUFFER, block.vertexBuffer);
    m_functions.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, block.indexBuffer);
  }
  constexpr GLsizei stride = sizeof(BufferVertex);
  glVertexPointer(3, GL_FLOAT, stride, Offset(vertices, offsetof(BufferVertex, position)));
  glNormalPointer(GL_FLOAT, stride, Offset(vertices, offsetof(BufferVertex, normal)));
  glTexCoordPointer(2, GL_FLOAT, stride, Offset(vertices, offsetof(BufferVertex, texCoord)));
  glColorPointer(4, GL_UNSIGNED_BYTE, stride, Offset(vertices, offsetof(BufferVertex, colour)));
  const std::uint64_t corners = m_lines ? 2 : 3;
  glDrawElements(m_lines ? GL_LINES : GL_TRIANGLES, static_cast<GLsizei>(count * corners), GL_UNSIGNED_INT,
                 Offset(indices, first * corners * sizeof(std::uint32_t)));
  if (objects) {
    m_functions.bindBuffer(GL_ARRAY_BUFFER, 0);
    m_functions.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  }
}

void GpuMeshBuffers::Draw(const BatchObserver* observer) const { DrawSome({}, m_primitives + 1, observer); }

DrawCursor GpuMeshBuffers::DrawSome(DrawCursor from, std::uint64_t maxPrimitives,
                                    const BatchObserver* observer) const {
  if (m_lost || from.batch >= m_batches.size()) return End();
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_HINT_BIT);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  std::uint64_t left = std::max<std::uint64_t>(maxPrimitives, 1);
  DrawCursor at = from;
  while (at.batch < m_batches.size() && left > 0) {
    const Batch& batch = m_batches[at.batch];
    ApplyBatchState(batch.state);
    if (observer != nullptr) observer->BatchBegins(batch.state);
    if (batch.state.texture != 0) {
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
      glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    while (at.block < batch.blocks.size() && left > 0) {
      const Block& block = batch.blocks[at.block];
      const std::uint64_t count = std::min(left, block.primitives - at.primitive);
      if (count > 0) DrawRange(block, at.primitive, count);
      left -= count;
      at.primitive += count;
      if (at.primitive >= block.primitives) at = {at.batch, at.block + 1, 0};
    }
    if (at.block >= batch.blocks.size()) at = {at.batch + 1, 0, 0};
  }
  glPopClientAttrib();
  glPopAttrib();
  return at.batch >= m_batches.size() ? End() : at;
}

void GpuMeshBuffers::Release() {
  for (Batch& batch : m_batches)
    for (Block& block : batch.blocks) {
      if (block.vertexBuffer != 0) m_functions.deleteBuffers(1, &block.vertexBuffer);
      if (block.indexBuffer != 0) m_functions.deleteBuffers(1, &block.indexBuffer);
      block.vertexBuffer = block.indexBuffer = 0;
      if (UsesBufferObjects()) block.uploaded = false;
    }
  if (UsesBufferObjects()) {
    m_lost = m_uploaded > 0;
    m_uploaded = 0;
  }
}

void GpuMeshBuffers::Forget() {
  for (Batch& batch : m_batches)
    for (Block& block : batch.blocks) {
      block.vertexBuffer = block.indexBuffer = 0;
      if (UsesBufferObjects()) block.uploaded = false;
    }
  if (UsesBufferObjects()) {
    m_lost = m_uploaded > 0;
    m_uploaded = 0;
  }
}

}  // namespace vh
