// The ground grid's geometry and material.
#include <gtest/gtest.h>

#include "view/ground_plane.h"
#include "view/submesh_drawing.h"

namespace {

TEST(GroundPlane, IsANineByNineGridOf128Triangles) {
  const auto plane = vh::BuildGroundPlane();
  ASSERT_EQ(plane->submeshes.size(), 1u);
  const vh::Submesh& s = *plane->submeshes.front();
  ASSERT_EQ(s.vertices.size(), 81u);
  ASSERT_EQ(s.triangles.size(), 128u);
  EXPECT_EQ(plane->PolygonCount(), 128u);
  for (int i = 0; i < 9; ++i) {
    for (int j = 0; j < 9; ++j) {
      const vh::Vertex& v = s.vertices[static_cast<std::size_t>(9 * i + j)];
      EXPECT_NEAR(v.position.x, -1000.0 + i * 2000.0 / 9.0, 1e-3);
      EXPECT_EQ(v.position.y, 0.0f);
      EXPECT_NEAR(v.position.z, -1000.0 + j * 2000.0 / 9.0, 1e-3);
      EXPECT_EQ(v.colour, (vh::Vector3{0.2f, 0.45f, 0.1f}));
      EXPECT_EQ(v.normal, (vh::Vector3{0.0f, 1.0f, 0.0f}));
      EXPECT_TRUE(v.hasColour);
      EXPECT_FALSE(v.hasTexCoord);
    }
  }
  EXPECT_NEAR(s.vertices.back().position.x, 777.78, 0.01);
}

TEST(GroundPlane, TrianglesFollowTheGridOrder) {
  const auto plane = vh::BuildGroundPlane();
  const vh::Submesh& s = *plane->submeshes.front();
  // Row k = 1, column l = 2: cells start at index 2 × (8k + l).
  const vh::Triangle& first = s.triangles[2 * (8 * 1 + 2)];
  const vh::Triangle& second = s.triangles[2 * (8 * 1 + 2) + 1];
  EXPECT_EQ(first.a, 11u);
  EXPECT_EQ(first.b, 21u);
  EXPECT_EQ(first.c, 12u);
  EXPECT_EQ(second.a, 21u);
  EXPECT_EQ(second.b, 11u);
  EXPECT_EQ(second.c, 20u);
  for (const auto& t : s.triangles) EXPECT_TRUE(t.visible);
}

TEST(GroundPlane, IsAnUntexturedTriangleListSeenFromBothSides) {
  const auto plane = vh::BuildGroundPlane();
  const vh::Submesh& s = *plane->submeshes.front();
  EXPECT_FALSE(s.strip);
  EXPECT_EQ(s.texture, 0);
  EXPECT_FALSE(vh::CullsBackFaces(s));
  for (const auto& v : s.vertices) EXPECT_FALSE(v.hasTexCoord);
}

TEST(GroundPlane, TakesTheNextObjectNumber) {
  const unsigned next = vh::Submesh::PeekObjectCounter();
  const auto plane = vh::BuildGroundPlane();
  EXPECT_EQ(plane->submeshes.front()->displayList, next);
}

}  // namespace
