// Generated geometry is part of the file format: a saved document must grow
// the same tree forever. These digests were taken from the straightforward
// implementation; any optimisation must keep every float bit for bit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "tree/tree.h"
#include "tree_test_support.h"

namespace vh {
namespace {

// FNV-1a over every vertex's position, normal, colour and texture coordinate.
std::uint64_t Digest(const Tree& tree) {
  std::uint64_t hash = 1469598103934665603ull;
  for (const auto& submesh : tree.submeshes) {
    for (const Vertex& v : submesh->vertices) {
      const float fields[11] = {v.position.x, v.position.y, v.position.z, v.normal.x,
                                v.normal.y,   v.normal.z,   v.colour.x,   v.colour.y,
                                v.colour.z,   v.texCoord.x, v.texCoord.y};
      unsigned char bytes[sizeof fields];
      std::memcpy(bytes, fields, sizeof fields);
      for (const unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 1099511628211ull;
      }
    }
  }
  return hash;
}

TEST(GoldenTrees, DefaultTreeIsUnchangedBitForBit) {
  const Tree tree = Generate(TreeParameters(2));
  EXPECT_EQ(tree.VertexCount(), 3441u);
  EXPECT_EQ(Digest(tree), 0xfcfe3ce264b234bfull);
}

TEST(GoldenTrees, TwistedNoisyLeafyTreeIsUnchangedBitForBit) {
  TreeParameters params(3);
  testing::GiveLeaves(params);
  for (LevelParameters& level : params.levels) {
    level.leafDensity = 50;
    level.twistingRad = 40;
    level.noise = 70;
  }
  const Tree tree = Generate(params);
  EXPECT_EQ(tree.VertexCount(), 33145u);
  EXPECT_EQ(Digest(tree), 0xd48b0a2a0928ec29ull);
}

}  // namespace
}  // namespace vh
