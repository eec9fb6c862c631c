// The glTF geometry planned and written in memory: submeshes with the same
// triangles share one topology and still come out each as its own, the
// checks that run in two halves (colours, bounds) see the whole mesh, and
// vertices that no triangle uses stay out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "fileio/gltf_colour.h"
#include "fileio/gltf_geometry.h"
#include "fileio/gltf_memory.h"
#include "gltf_test_support.h"

namespace vh {
namespace {

using test::Canonical;
using test::IndexTriangle;

// A grid of `columns` x `rows` cells, two clockwise triangles a cell: as
// wide as a branch's, so that it is reordered for the vertex cache.
std::shared_ptr<Submesh> Grid(int columns, int rows, float depth) {
  auto submesh = std::make_shared<Submesh>();
  submesh->texture = kBarkMaterial;
  for (int row = 0; row <= rows; ++row)
    for (int column = 0; column <= columns; ++column) {
      Vertex v({static_cast<float>(column), static_cast<float>(row), depth});
      v.colour = {0.4f, 0.3f, 0.2f};
      submesh->vertices.push_back(v);
    }
  const auto at = [columns](int column, int row) {
    return static_cast<std::uint32_t>(row * (columns + 1) + column);
  };
  for (int row = 0; row < rows; ++row)
    for (int column = 0; column < columns; ++column) {
      submesh->triangles.push_back({at(column, row), at(column, row + 1), at(column + 1, row)});
      submesh->triangles.push_back({at(column + 1, row), at(column, row + 1), at(column + 1, row + 1)});
    }
  return submesh;
}

// A zigzag strip of `vertices` vertices in thin triangles (rows of 300 stacked), all of one colour.
std::shared_ptr<Submesh> Fan(std::uint32_t vertices, float depth) {
  auto submesh = std::make_shared<Submesh>();
  submesh->texture = kBarkMaterial;
  for (std::uint32_t i = 0; i < vertices; ++i) {
    Vertex v({static_cast<float>(i / 2 % 300), static_cast<float>(i % 2 + 3 * (i / 600)), depth});
    v.colour = {0.5f, 0.3f, 0.1f};
    submesh->vertices.push_back(v);
  }
  for (std::uint32_t i = 0; i + 2 < vertices; ++i) submesh->triangles.push_back({i, i + 1, i + 2});
  return submesh;
}

// A mesh's single primitive, planned and written into memory of its own.
struct Written {
  std::vector<GltfPrimitive> primitives;
  std::vector<float> positions;
  std::vector<std::uint32_t> indices;
};

// Scale 100 writes the positions as they are.
Written PlanAndFill(const MeshObject& mesh, double scale = 100.0) {
  GltfGeometry geometry;
  std::vector<GltfPrimitive>& primitives = geometry.Plan(mesh, Vector3{0.0f, 0.0f, 0.0f}, scale);
  std::size_t size = 0;
  for (GltfPrimitive& primitive : primitives) {
    const auto place = [&size](std::size_t bytes) {
      const std::size_t offset = size;
      size += (bytes + 3) / 4 * 4;
      return offset;
    };
    primitive.at.positions = place(primitive.vertexCount * 12);
    primitive.at.normals = place(primitive.vertexCount * 12);
    if (primitive.withColours) primitive.at.colours = place(primitive.vertexCount * 12);
    primitive.at.indices = place(primitive.indexCount * (primitive.WideIndices() ? 4 : 2));
  }
  FreshBlock block(size);
  geometry.Fill(block.Data());
  Written written{primitives, {}, {}};
  const GltfPrimitive& first = primitives.front();
  written.positions.resize(first.vertexCount * 3);
  std::memcpy(written.positions.data(), block.Data() + first.at.positions, written.positions.size() * 4);
  for (std::size_t i = 0; i < first.indexCount; ++i) {
    const std::uint8_t* at = block.Data() + first.at.indices;
    if (first.WideIndices()) {
      std::uint32_t index;
      std::memcpy(&index, at + i * 4, 4);
      written.indices.push_back(index);
    } else {
      std::uint16_t index;
      std::memcpy(&index, at + i * 2, 2);
      written.indices.push_back(index);
    }
  }
  return written;
}

std::vector<IndexTriangle> SortedTriangles(const std::uint32_t* indices, std::size_t count) {
  std::vector<IndexTriangle> triangles;
  for (std::size_t i = 0; i + 2 < count; i += 3)
    triangles.push_back(Canonical(indices[i], indices[i + 1], indices[i + 2]));
  std::sort(triangles.begin(), triangles.end());
  return triangles;
}

// The submesh's own triangles turned counter-clockwise, numbered from `first`.
std::vector<IndexTriangle> ExpectedTriangles(const Submesh& submesh, std::uint32_t first) {
  std::vector<IndexTriangle> triangles;
  for (const Triangle& t : submesh.triangles)
    triangles.push_back(Canonical(first + t.a, first + t.c, first + t.b));
  std::sort(triangles.begin(), triangles.end());
  return triangles;
}

TEST(GltfGeometry, CopiesOfAGridShareTheirOrderAndANearCopyKeepsItsOwnTriangles) {
  // The second has the same sizes and nearly the same triangles: one
  // corner in the middle differs. (The planning halves are the first two
  // and the last two.)
  MeshObject mesh;
  for (int i = 0; i < 4; ++i) mesh.submeshes.push_back(Grid(24, 16, static_cast<float>(i)));
  auto& near = mesh.submeshes[1]->triangles;
  near[near.size() / 2 + 1].c = 0;
  const Written written = PlanAndFill(mesh);
  const std::size_t vertices = mesh.submeshes[0]->vertices.size();
  const std::size_t indices = mesh.submeshes[0]->triangles.size() * 3;
  ASSERT_EQ(written.indices.size(), 4 * indices);
  for (std::size_t i = 0; i < 4; ++i) {
    const auto first = static_cast<std::uint32_t>(i * vertices);
    EXPECT_EQ(SortedTriangles(written.indices.data() + i * indices, indices),
              ExpectedTriangles(*mesh.submeshes[i], first))
        << "submesh " << i;
  }
  // The reordering pays on a grid this wide, and the copies get the same order.
  std::vector<std::uint32_t> unordered;
  for (const Triangle& t : mesh.submeshes[0]->triangles) unordered.insert(unordered.end(), {t.a, t.c, t.b});
  EXPECT_FALSE(std::equal(unordered.begin(), unordered.end(), written.indices.begin()));
  for (std::size_t copy : {2, 3})
    for (std::size_t i = 0; i < indices; ++i)
      ASSERT_EQ(written.indices[copy * indices + i], written.indices[i] + copy * vertices)
          << copy << " " << i;
}

TEST(GltfGeometry, ManyNearCopiesEachKeepTheirOwnTriangles) {
  // More grids than are looked up by one key, each with another corner
  // changed where the key does not look, and then a true copy of each.
  MeshObject mesh;
  constexpr std::uint32_t kVariants = 12;
  for (std::uint32_t copy = 0; copy < 2; ++copy)
    for (std::uint32_t i = 0; i < kVariants; ++i) {
      mesh.submeshes.push_back(Grid(24, 16, static_cast<float>(i)));
      mesh.submeshes.back()->triangles[1 + 2 * i].c = i;
    }
  const Written written = PlanAndFill(mesh);
  const std::size_t vertices = mesh.submeshes[0]->vertices.size();
  const std::size_t indices = mesh.submeshes[0]->triangles.size() * 3;
  ASSERT_EQ(written.indices.size(), mesh.submeshes.size() * indices);
  for (std::size_t i = 0; i < mesh.submeshes.size(); ++i)
    EXPECT_EQ(SortedTriangles(written.indices.data() + i * indices, indices),
              ExpectedTriangles(*mesh.submeshes[i], static_cast<std::uint32_t>(i * vertices)))
        << "submesh " << i;
}

TEST(GltfGeometry, ColoursAndBoundsAreJudgedOverBothHalvesOfALargeMesh) {
  // Enough triangles for two threads; what differs is in the last submesh.
  MeshObject mesh;
  for (int i = 0; i < 5; ++i) mesh.submeshes.push_back(Fan(60000, static_cast<float>(i)));
  Written uniform = PlanAndFill(mesh);
  ASSERT_EQ(uniform.primitives.size(), 1u);
  EXPECT_FALSE(uniform.primitives[0].withColours);
  const SrgbCurve srgb;
  EXPECT_EQ(uniform.primitives[0].baseColour.x, srgb.Linear(0.5f));
  EXPECT_EQ(uniform.primitives[0].high[2], 4.0f);  // the last fan's depth, times 0.01 x 100
  EXPECT_EQ(uniform.primitives[0].low[2], 0.0f);
  const auto [low, high] = std::minmax_element(uniform.positions.begin(), uniform.positions.end());
  EXPECT_EQ(*low, 0.0f);
  EXPECT_EQ(*high, 299.0f);

  mesh.submeshes.back()->vertices[1234].colour.y = 0.31f;
  EXPECT_TRUE(PlanAndFill(mesh).primitives[0].withColours);
}

TEST(GltfGeometry, VerticesNoTriangleUsesStayOutOfCountsAndBounds) {
  MeshObject mesh;
  mesh.submeshes.push_back(Fan(10, 0.0f));
  mesh.submeshes.back()->vertices.push_back(Vertex({-500.0f, 900.0f, 7.0f}));  // used by nothing
  mesh.submeshes.back()->vertices.back().colour = {1.0f, 0.0f, 0.0f};
  mesh.submeshes.push_back(Fan(10, 1.0f));
  const Written written = PlanAndFill(mesh);
  const GltfPrimitive& primitive = written.primitives.at(0);
  EXPECT_EQ(primitive.vertexCount, 20u);
  EXPECT_EQ(written.positions[30], 0.0f);  // the second submesh's first vertex follows the first's ten
  EXPECT_EQ(written.positions[32], 1.0f);
  EXPECT_EQ(primitive.low, (std::array<float, 3>{0.0f, 0.0f, 0.0f}));
  EXPECT_EQ(primitive.high, (std::array<float, 3>{4.0f, 1.0f, 1.0f}));
  // Its colour still counts, as it always has: the material's vertices differ in colour.
  EXPECT_TRUE(primitive.withColours);
  EXPECT_EQ(written.indices[24], 10u);
}

TEST(GltfGeometry, TrianglesWhoseCornersMeetOnceWrittenAreLeftOut) {
  // Three floats in a row near 1000: scaled by 0.01 the second and the
  // third round to the same float, so the triangle they span has an area
  // in the scene and none in the file.
  const float x0 = 1000.0f, x1 = std::nextafter(x0, 2000.0f), x2 = std::nextafter(x1, 2000.0f);
  ASSERT_NE(x1, x2);
  ASSERT_EQ(static_cast<float>(x1 * 0.01), static_cast<float>(x2 * 0.01));
  auto submesh = std::make_shared<Submesh>();
  submesh->texture = kBarkMaterial;
  for (const Vector3& p :
       {Vector3{x1, 0.0f, 0.0f}, Vector3{x2, 0.0f, 0.0f}, Vector3{x0, 1.0f, 0.0f}, Vector3{x0, 0.0f, 5.0f}})
    submesh->vertices.push_back(Vertex(p));
  submesh->triangles = {{0, 1, 2}, {0, 2, 3}};
  MeshObject mesh;
  mesh.submeshes.push_back(submesh);
  const Written scaled = PlanAndFill(mesh, 1.0);
  EXPECT_EQ(scaled.indices.size(), 3u) << "the flattened triangle is gone";
  EXPECT_EQ(scaled.primitives.at(0).vertexCount, 3u);
  EXPECT_EQ(PlanAndFill(mesh).indices.size(), 6u) << "written as they are, both triangles have an area";
}

TEST(GltfGeometry, TriangleBeyondTheVerticesIsRefusedWithTheSubmeshNamed) {
  MeshObject mesh;
  mesh.submeshes.push_back(Fan(10, 0.0f));
  mesh.submeshes.back()->triangles.push_back({0, 1, 10});
  GltfGeometry geometry;
  try {
    geometry.Plan(mesh, Vector3{0.0f, 0.0f, 0.0f}, 1.0);
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("submesh " + std::to_string(mesh.submeshes[0]->displayList)),
              std::string::npos)
        << error.what();
    EXPECT_NE(std::string(error.what()).find("missing vertex"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace vh
