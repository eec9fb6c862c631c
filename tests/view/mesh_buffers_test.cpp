// The view's buffers hold exactly what the immediate-mode drawing sends:
// each case's submesh is sent through SendSubmeshPrimitive to a stand-in
// that keeps GL's current colour and texture coordinate and assembles the
// primitives as GL does, and the buffers must give the same primitives,
// corner for corner, with the same winding.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "view/mesh_buffers.h"
#include "view/submesh_drawing.h"

namespace vh {
namespace {

// A corner as GL draws it: position, normal, colour (0..255) and texture
// coordinate (zero when the primitive is not textured).
using Corner = std::array<float, 12>;
using Primitive3 = std::vector<Corner>;  // 3 corners, or 2 for a line

Corner Quantised(const Corner& c) {
  Corner q = c;
  for (int k = 6; k < 10; ++k) q[k] = std::round(std::clamp(c[k], 0.0f, 1.0f) * 255.0f);
  return q;
}

// Rotated so that the smallest corner comes first: the same triangle with
// the same winding compares equal whichever corner GL starts it with.
Primitive3 Canonical(Primitive3 p) {
  if (p.size() == 3) std::rotate(p.begin(), std::min_element(p.begin(), p.end()), p.end());
  return p;
}

bool SamePosition(const Corner& a, const Corner& b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

// The reference: GL's current state and primitive assembly.
struct StateGl {
  bool textured = false;
  std::array<float, 4> colour{1, 1, 1, 1};
  std::array<float, 2> texCoord{0, 0};
  std::array<float, 3> normal{0, 0, 1};
  vh::Primitive primitive = vh::Primitive::kTriangles;
  std::vector<Corner> sent;

  void Begin(vh::Primitive p) { primitive = p; }
  void End() {}
  void Color4(float r, float g, float b, float a) { colour = {r, g, b, a}; }
  void Color3(float r, float g, float b) { colour = {r, g, b, 1.0f}; }
  void TexCoord2(float u, float v) { texCoord = {u, v}; }
  void Normal3(float x, float y, float z) { normal = {x, y, z}; }
  void Vertex3(float x, float y, float z) {
    Corner c{x, y, z, normal[0], normal[1], normal[2], colour[0], colour[1], colour[2], colour[3], 0, 0};
    if (textured) {
      c[10] = texCoord[0];
      c[11] = texCoord[1];
    }
    sent.push_back(Quantised(c));
  }

  std::vector<Primitive3> Assembled() const {
    std::vector<Primitive3> out;
    const auto add = [&out](Primitive3 p) {
      for (std::size_t i = 0; i < p.size(); ++i)
        for (std::size_t j = i + 1; j < p.size(); ++j)
          if (SamePosition(p[i], p[j])) return;  // no area or length: draws nothing
      out.push_back(Canonical(std::move(p)));
    };
    switch (primitive) {
      case vh::Primitive::kTriangles:
        for (std::size_t i = 0; i + 2 < sent.size(); i += 3) add({sent[i], sent[i + 1], sent[i + 2]});
        break;
      case vh::Primitive::kTriangleStrip:
        for (std::size_t i = 0; i + 2 < sent.size(); ++i)
          add(i % 2 == 0 ? Primitive3{sent[i], sent[i + 1], sent[i + 2]}
                         : Primitive3{sent[i + 1], sent[i], sent[i + 2]});
        break;
      case vh::Primitive::kLineStrip:
        for (std::size_t i = 0; i + 1 < sent.size(); ++i) add({sent[i], sent[i + 1]});
        break;
    }
    return out;
  }
};

std::vector<Primitive3> FromBuffers(const MeshBuffers& buffers) {
  std::vector<Primitive3> out;
  const std::size_t corners = buffers.lines ? 2 : 3;
  for (const BufferBatch& batch : buffers.batches)
    for (const BufferBlock& block : batch.blocks)
      for (std::size_t i = 0; i + corners - 1 < block.indices.size(); i += corners) {
        Primitive3 p;
        for (std::size_t k = 0; k < corners; ++k) {
          const BufferVertex& v = block.vertices.at(block.indices[i + k]);
          p.push_back({v.position[0], v.position[1], v.position[2], v.normal[0], v.normal[1], v.normal[2],
                       static_cast<float>(v.colour[0]), static_cast<float>(v.colour[1]),
                       static_cast<float>(v.colour[2]), static_cast<float>(v.colour[3]), v.texCoord[0],
                       v.texCoord[1]});
        }
        out.push_back(Canonical(p));
      }
  return out;
}

// A strip of `cells` quads as the generator lays a branch out (vertex i at
// (i mod 2 ... ) distinct positions), with per-vertex colours and alpha.
std::shared_ptr<Submesh> Ribbon(int cells, bool strip, bool textured, float alpha) {
  auto submesh = std::make_shared<Submesh>();
  const int columns = cells + 1;
  for (int ring = 0; ring < 2; ++ring)
    for (int j = 0; j < columns; ++j) {
      Vertex v({static_cast<float>(j), static_cast<float>(ring), 0.0f});
      v.colour = {0.1f * static_cast<float>(j % 10), 0.5f, 0.25f * static_cast<float>(ring)};
      v.alpha = alpha;
      v.normal = {0.0f, 0.0f, 1.0f};
      v.texCoord = {static_cast<float>(j) / 4.0f, static_cast<float>(ring)};
      v.hasTexCoord = textured;
      v.hasColour = !textured;
      submesh->vertices.push_back(v);
    }
  const auto stride = static_cast<std::uint32_t>(columns);
  for (std::uint32_t k = 0; k + 1 < stride; ++k) {
    submesh->triangles.push_back({k, k + stride, k + stride + 1, true});
    submesh->triangles.push_back({k + stride + 1, k + 1, k, true});
  }
  submesh->strip = strip;
  submesh->texture = textured ? kBarkMaterial : kLeafMaterial;
  return submesh;
}

struct SendCase {
  const char* what;
  bool strip;
  bool textured;
  float alpha;
  bool wireframe;
  std::vector<int> hidden;  // triangles made invisible
};

class MeshBuffersSend : public ::testing::TestWithParam<SendCase> {};

TEST_P(MeshBuffersSend, GiveTheImmediateModePrimitives) {
  const SendCase& c = GetParam();
  auto submesh = Ribbon(6, c.strip, c.textured, c.alpha);
  for (int t : c.hidden) submesh->triangles[t].visible = false;
  StateGl reference;
  reference.textured = c.textured;
  SendSubmeshPrimitive(reference, *submesh, c.textured, c.wireframe);
  std::vector<Primitive3> expected = reference.Assembled();

  MeshObject mesh;
  mesh.submeshes.push_back(submesh);
  const MeshBuffers buffers = FillMeshBuffers(mesh, {c.wireframe});
  std::vector<Primitive3> actual = FromBuffers(buffers);
  EXPECT_EQ(buffers.lines, c.wireframe);
  EXPECT_EQ(buffers.primitives, actual.size());
  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  EXPECT_EQ(actual, expected) << c.what;
  EXPECT_FALSE(expected.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeshBuffersSend,
    ::testing::Values(
        SendCase{"triangle list", false, false, 1.0f, false, {}},
        SendCase{"strip: later vertices lose their alpha", true, false, 0.5f, false, {}},
        SendCase{"strip with hidden triangles (the neighbour's c joins)", true, true, 1.0f, false, {0, 3, 4}},
        SendCase{"list with hidden triangles and alpha", false, true, 0.25f, false, {1, 2}},
        SendCase{"wireframe list: closing sends keep the colour before", false, true, 0.5f, true, {}},
        SendCase{"wireframe strip", true, false, 1.0f, true, {2}}));

TEST(MeshBuffers, BatchesFollowTheFirstAppearanceOfEachDrawingState) {
  MeshObject mesh;
  mesh.submeshes.push_back(
      Ribbon(2, false, false, 1.0f));                     // leaf material, untextured: state {0, no culling}
  mesh.submeshes.push_back(Ribbon(2, true, true, 1.0f));  // bark, textured: culls back faces
  mesh.submeshes.push_back(std::make_shared<Submesh>());  // no vertices: nothing
  mesh.submeshes.push_back(Ribbon(3, false, false, 1.0f));
  const MeshBuffers buffers = FillMeshBuffers(mesh, {});
  ASSERT_EQ(buffers.batches.size(), 2u);
  EXPECT_EQ(buffers.batches[0].state, (BatchState{0, false}));
  EXPECT_EQ(buffers.batches[1].state, (BatchState{kBarkMaterial, true}));
  EXPECT_EQ(buffers.batches[0].blocks.size(), 1u);
  EXPECT_EQ(buffers.batches[0].blocks[0].vertices.size(), 6u + 8u) << "both leaf ribbons in one block";
}

TEST(MeshBuffers, BlocksCloseBeforeTheVertexLimitAndAsubmeshIsNeverSplit) {
  MeshObject mesh;
  for (int i = 0; i < 5; ++i) mesh.submeshes.push_back(Ribbon(3, false, false, 1.0f));  // 8 vertices each
  FillOptions options;
  options.blockVertices = 20;
  const MeshBuffers buffers = FillMeshBuffers(mesh, options);
  ASSERT_EQ(buffers.batches.size(), 1u);
  std::vector<std::size_t> sizes;
  for (const BufferBlock& block : buffers.batches[0].blocks) sizes.push_back(block.vertices.size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{16, 16, 8}));
  EXPECT_EQ(buffers.primitives, 5u * 6u);
}

TEST(MeshBuffers, ACancelledFillStopsAtTheNextSubmesh) {
  MeshObject mesh;
  for (int i = 0; i < 3; ++i) mesh.submeshes.push_back(Ribbon(3, false, false, 1.0f));
  std::atomic<bool> cancel{true};
  EXPECT_EQ(FillMeshBuffers(mesh, {}, &cancel).primitives, 0u);
}

}  // namespace
}  // namespace vh
