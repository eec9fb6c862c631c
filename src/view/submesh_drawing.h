// The vertex stream of one submesh, written once for every GL back end.
//
// DrawSubmeshWith is a template over a small set of GL entry points so that
// the exact order of vertices (strips, wireframe outlines, the shortened
// vertex sends) can be checked against a recording stand-in without a
// display. The real back end lives in mesh_drawing.cpp.
//
// A back end `Gl` provides:
//   unsigned GenList();                         // 0 when no list could be made
//   void NewList(unsigned name);                // compile and execute
//   void CompileList(unsigned name);            // compile only
//   void EndList();
//   void CallList(unsigned name);
//   void SetCulling(bool enabled);
//   void EnableTexture(int textureName);        // enable 2-D texturing and bind
//   void DisableTexture();
//   void Begin(Primitive primitive);
//   void End();
//   void Color4(float r, float g, float b, float a);
//   void Color3(float r, float g, float b);
//   void TexCoord2(float u, float v);
//   void Normal3(float x, float y, float z);
//   void Vertex3(float x, float y, float z);
#pragma once

#include <cstddef>
#include <cstdint>

#include "tree/mesh.h"

namespace vh {

enum class Primitive { kLineStrip, kTriangleStrip, kTriangles };

// How a frame draws its meshes.
struct DrawOptions {
  bool wireframe = false;  // every submesh as one line strip instead of triangles
  // Every face drawn, bark seen from inside too. A picture of part of a
  // branch (a billboard's cluster) must show the far side of a tube whose
  // near side lies in another cluster.
  bool allFaces = false;
};

// The display list one GL context keeps for one submesh, and what it was
// compiled from. A list whose revision or wireframe option no longer match
// the submesh and the frame is compiled again, under the same name.
struct CompiledList {
  unsigned name = 0;           // from GenList; 0 until one was made
  bool compiled = false;       // `name` holds the drawing described below
  std::uint64_t revision = 0;  // the submesh's revision it was compiled from
  DrawOptions options;         // the options it was compiled with
};

// Bark is a closed tube seen from outside, so its back faces are culled,
// and so are a card's two faces, each drawn from its own side; leaves,
// billboards and the ground plane are open surfaces seen from both sides.
inline bool CullsBackFaces(const Submesh& submesh) {
  return submesh.texture == kBarkMaterial || submesh.texture == kCardMaterial;
}

namespace detail {

// "Full" send: the colour with its alpha, the texture coordinate whenever
// the submesh is textured, then normal and position.
template <class Gl>
void SendFull(Gl& gl, const Vertex& v, bool textured) {
  gl.Color4(v.colour.x, v.colour.y, v.colour.z, v.alpha);
  if (textured) gl.TexCoord2(v.texCoord.x, v.texCoord.y);
  gl.Normal3(v.normal.x, v.normal.y, v.normal.z);
  gl.Vertex3(v.position.x, v.position.y, v.position.z);
}

// "Short" send: the vertex's own texture coordinate if it has one, an
// opaque colour, normal and position. A "closing" send, which closes a
// wireframe triangle outline, sends the colour only when the vertex
// carries one.
template <class Gl>
void SendOpaque(Gl& gl, const Vertex& v, bool closing) {
  if (v.hasTexCoord) gl.TexCoord2(v.texCoord.x, v.texCoord.y);
  if (!closing || v.hasColour) gl.Color3(v.colour.x, v.colour.y, v.colour.z);
  gl.Normal3(v.normal.x, v.normal.y, v.normal.z);
  gl.Vertex3(v.position.x, v.position.y, v.position.z);
}

}  // namespace detail

// How a vertex of a submesh is sent (see detail::SendFull and SendOpaque):
// the state each leaves behind differs.
enum class VertexSend { kFull, kShort, kClosing };

// The primitive a submesh is sent as: wireframe draws everything as one
// line strip.
inline Primitive PrimitiveOf(const Submesh& submesh, bool wireframe) {
  return wireframe ? Primitive::kLineStrip
                   : (submesh.strip ? Primitive::kTriangleStrip : Primitive::kTriangles);
}

// The vertex stream of the submesh's visible triangles, in order: calls
// `send(how, vertex index)` for each vertex sent. A strip submesh is the
// first visible triangle's a, b, c, that c once more (the c of the list
// neighbour before the second visible triangle) and then the c of every
// following visible triangle; its triangles were built so that this order
// is a valid strip. Every way of drawing a submesh (display lists, the
// view's buffers) walks it here, so that they send the same.
template <class Send>
void WalkSubmesh(const Submesh& submesh, bool wireframe, const Send& send) {
  const auto& triangles = submesh.triangles;
  std::size_t visibleCount = 0;
  for (std::size_t j = 0; j < triangles.size(); ++j) {
    const Triangle& t = triangles[j];
    if (!t.visible) continue;
    ++visibleCount;
    if (visibleCount == 1 || !submesh.strip) {
      send(VertexSend::kFull, t.a);
      send(VertexSend::kFull, t.b);
      send(VertexSend::kFull, t.c);
    } else {
      if (visibleCount == 2) send(VertexSend::kShort, triangles[j - 1].c);
      send(VertexSend::kShort, t.c);
    }
    if (wireframe && submesh.strip) send(VertexSend::kShort, t.b);
    if (wireframe && !submesh.strip) send(VertexSend::kClosing, t.a);
  }
}

// Sends the submesh's visible triangles between Begin and End (WalkSubmesh).
template <class Gl>
void SendSubmeshPrimitive(Gl& gl, const Submesh& submesh, bool textured, bool wireframe) {
  const auto& vertices = submesh.vertices;
  gl.Begin(PrimitiveOf(submesh, wireframe));
  WalkSubmesh(submesh, wireframe, [&](VertexSend how, std::uint32_t index) {
    switch (how) {
      case VertexSend::kFull:
        detail::SendFull(gl, vertices[index], textured);
        break;
      case VertexSend::kShort:
      case VertexSend::kClosing:
        detail::SendOpaque(gl, vertices[index], how == VertexSend::kClosing);
        break;
    }
  });
  gl.End();
}

namespace detail {

inline bool ListUpToDate(const Submesh& submesh, const DrawOptions& options, const CompiledList& list) {
  return list.compiled && list.revision == submesh.revision && list.options.wireframe == options.wireframe &&
         list.options.allFaces == options.allFaces;
}

// The state and vertices of one submesh, as recorded into its list.
template <class Gl>
void SendSubmesh(Gl& gl, const Submesh& submesh, const DrawOptions& options) {
  const bool textured = submesh.vertices.front().hasTexCoord;
  gl.SetCulling(CullsBackFaces(submesh) && !options.allFaces);
  if (textured) {
    gl.EnableTexture(submesh.texture);
  } else {
    gl.DisableTexture();
  }
  SendSubmeshPrimitive(gl, submesh, textured, options.wireframe);
}

inline void MarkCompiled(const Submesh& submesh, const DrawOptions& options, CompiledList& list) {
  list.compiled = true;
  list.revision = submesh.revision;
  list.options = options;
}

}  // namespace detail

// Draws one submesh through `list`, its display list in the current context,
// compiling it (compile-and-execute) when it does not hold the submesh's
// current revision drawn with `options`.
// Contract: a submesh without vertices issues no call and leaves `list` as
// it was; otherwise `list` is up to date afterwards, unless the back end
// could not provide a list name, in which case the geometry is drawn
// directly and a later frame tries again. Triangle indices must be valid
// for the vertex list (the generator's invariant).
template <class Gl>
void DrawSubmeshWith(Gl& gl, const Submesh& submesh, const DrawOptions& options, CompiledList& list) {
  if (submesh.vertices.empty()) return;
  if (detail::ListUpToDate(submesh, options, list)) {
    gl.CallList(list.name);
    return;
  }
  if (list.name == 0) list.name = gl.GenList();
  const bool cached = list.name != 0;
  if (cached) gl.NewList(list.name);
  detail::SendSubmesh(gl, submesh, options);
  if (cached) {
    gl.EndList();
    detail::MarkCompiled(submesh, options, list);
  }
}

// Brings `list` up to date without drawing anything, so that a later frame
// only replays it. Returns whether it compiled (false when the list was up
// to date, the submesh has no vertices or no list name could be made: a
// frame then draws it directly).
template <class Gl>
bool CompileSubmeshWith(Gl& gl, const Submesh& submesh, const DrawOptions& options, CompiledList& list) {
  if (submesh.vertices.empty() || detail::ListUpToDate(submesh, options, list)) return false;
  if (list.name == 0) list.name = gl.GenList();
  if (list.name == 0) return false;
  gl.CompileList(list.name);
  detail::SendSubmesh(gl, submesh, options);
  gl.EndList();
  detail::MarkCompiled(submesh, options, list);
  return true;
}

}  // namespace vh
