// The far end of the level-of-detail chain without a graphics context:
// where the cards stand, leaves with fewer corners, the outline error and
// the screen sizes it sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "billboard/atlas.h"
#include "billboard/card_level.h"
#include "billboard/leaf_simplification.h"
#include "billboard/lod_chain.h"
#include "billboard/lod_error.h"
#include "fileio/document.h"
#include "tree/tree.h"

namespace vh {
namespace {

Tree LeafyTree() {
  Tree tree;
  Generate(ReadDocumentFile(VH_TEST_DATA_DIR "/billboard_tree.vhm", TreeParameters()), {}, {}, tree);
  return tree;
}

double SurfaceOf(const Submesh& submesh) {
  double area = 0.0;
  for (const Triangle& t : submesh.triangles) {
    const Vector3& a = submesh.vertices[t.a].position;
    area += std::sqrt(LengthSquared(
                Cross(submesh.vertices[t.b].position - a, submesh.vertices[t.c].position - a))) /
            2;
  }
  return area;
}

// A picture of the frame's size, drawn (red) where `drawn(x, y)` says.
template <class Drawn>
Image Picture(const PictureFrame& frame, Drawn drawn) {
  Image picture = KeyColourImage(frame.width, frame.height);
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x)
      if (drawn(x, y)) picture.At(x, y)[0] = 255;
  return picture;
}

// Whether `p` lies on the kept side of every plane of `keep`.
bool Kept(const std::vector<KeptSide>& keep, const Vector3& p) {
  for (const KeptSide& side : keep)
    if (Dot(side.normal, p) + side.offset < 0.0f) return false;
  return true;
}

TEST(CardLevel, FinsStandOutFromTheTrunkAndHoldTheirWedges) {
  const Tree tree = LeafyTree();
  const CardLayout layout = LayOutCards(tree);
  ASSERT_EQ(layout.cards.size(), static_cast<std::size_t>(kFins + 1));
  // The centre of the trunk's base ring (its first vertices, up to the seam).
  const Submesh& trunk = *tree.submeshes.front();
  Vector3 base;
  for (std::uint32_t j = 0; j < trunk.triangles.front().b; ++j) base += trunk.vertices[j].position;
  base = base * (1.0f / static_cast<float>(trunk.triangles.front().b));
  const Vector3 foot{base.x, 0.0f, base.z};
  float low = 1e30f, high = -1e30f;
  for (const auto& submesh : tree.submeshes)
    for (const Vertex& v : submesh->vertices) {
      low = std::min(low, v.position.y);
      high = std::max(high, v.position.y);
    }
  const double wedge = 1.5 * 3.14159265 / kFins;  // half its angle
  for (int k = 0; k < kFins; ++k) {
    const PictureFrame& fin = layout.cards[static_cast<std::size_t>(k)];
    const Vector3 normal = FrameNormal(fin);
    EXPECT_NEAR(normal.y, 0.0f, 1e-6f) << "vertical fin " << k;
    EXPECT_LT(std::fabs(Dot(foot - fin.v0, normal)), 1e-3f * (high - low)) << "the axis lies in fin " << k;
    EXPECT_LE(fin.v0.y, low);
    EXPECT_GE(fin.v1.y, high);
    // Out from the axis along its own direction, 360 / kFins degrees apart.
    const double angle = 2 * 3.14159265 * k / kFins;
    const Vector3 out{static_cast<float>(std::cos(angle)), 0.0f, static_cast<float>(std::sin(angle))};
    EXPECT_NEAR(Dot(Normalized(fin.v1 - fin.v2), out), 1.0f, 1e-5f) << k;
    // The wedge: within 1.5 x 180 / kFins degrees of the fin's direction.
    for (const double off : {0.0, wedge - 0.01, -(wedge - 0.01)})
      EXPECT_TRUE(Kept(fin.keep, foot + Vector3{static_cast<float>(std::cos(angle + off)), 1.0f,
                                                static_cast<float>(std::sin(angle + off))}))
          << k << " at " << off;
    for (const double off : {wedge + 0.01, -(wedge + 0.01), 3.14159265})
      EXPECT_FALSE(Kept(fin.keep, foot + Vector3{static_cast<float>(std::cos(angle + off)), 1.0f,
                                                 static_cast<float>(std::sin(angle + off))}))
          << k << " at " << off;
    // Every vertex in its wedge falls on the fin, and every leaf that
    // reaches into the wedge is among the submeshes its picture is drawn from.
    const std::vector<MeshObject> slices = SubmeshesWithin(tree, {fin.keep});
    const MeshObject& slice = slices.front();
    for (const auto& submesh : tree.submeshes) {
      bool reaches = false;
      for (const Vertex& v : submesh->vertices) {
        if (!Kept(fin.keep, v.position)) continue;
        reaches = true;
        const Vector3 across = fin.v1 - fin.v2;
        const float u = Dot(v.position - fin.v2, across) / LengthSquared(across);
        ASSERT_GE(u, 0.0f);
        ASSERT_LE(u, 1.0f);
      }
      const bool drawn =
          std::find(slice.submeshes.begin(), slice.submeshes.end(), submesh) != slice.submeshes.end();
      if (reaches) {
        EXPECT_TRUE(drawn) << "fin " << k;
      }
    }
    EXPECT_LT(slice.submeshes.size(), tree.submeshes.size())
        << "a fin's picture draws its slice, not the tree";
  }
  const PictureFrame& top = layout.cards.back();
  EXPECT_NEAR(FrameNormal(top).y, 1.0f, 1e-6f) << "the top card faces up";
  EXPECT_GT(top.v0.y, low);
  EXPECT_LT(top.v0.y, high);
  EXPECT_TRUE(Kept(top.keep, top.v0 + Vector3{0.0f, 1e-3f, 0.0f})) << "and shows what lies above it";
  EXPECT_FALSE(Kept(top.keep, top.v0 - Vector3{0.0f, 1e-3f, 0.0f})) << "and nothing below";
}

TEST(CardLevel, TheTrunkStaysAndNoCardShowsIt) {
  // A trunk flattened onto fins shows beside its place wherever it leans
  // away from the axis of its base.
  const Tree tree = LeafyTree();
  const std::shared_ptr<Submesh>& trunk = tree.submeshes.front();
  bool trunkDrawn = false;
  const LodRendererFactory renderer = [&trunkDrawn, &trunk](const MeshObject& mesh) {
    trunkDrawn =
        trunkDrawn || std::find(mesh.submeshes.begin(), mesh.submeshes.end(), trunk) != mesh.submeshes.end();
    return PictureRenderer(
        [](const PictureFrame& frame) { return Picture(frame, [](int, int) { return false; }); });
  };
  CardLayout layout = LayOutCards(tree);
  SizeCardPictures(layout, 64);
  const CardLevel level = BuildCardLevel(layout, 6, tree, renderer, trunk);
  EXPECT_FALSE(trunkDrawn);
  ASSERT_EQ(level.mesh->submeshes.size(), layout.cards.size() + 1);
  EXPECT_EQ(level.mesh->submeshes.back(), trunk);
}

TEST(CardLevel, CardsHaveAFaceEachWayAndFillTheirAtlas) {
  const Tree tree = LeafyTree();
  CardLayout layout = LayOutCards(tree);
  SizeCardPictures(layout, 256);
  double area = 0;
  for (const PictureFrame& card : layout.cards) area += static_cast<double>(card.width) * card.height;
  EXPECT_NEAR(area * 1.4, 256.0 * 256.0, 0.05 * 256 * 256) << "about one atlas of pictures";
  const CardLevel level = BuildCardLevel(layout, 8, tree, {}, Trunk(tree));
  ASSERT_EQ(level.mesh->submeshes.size(), layout.cards.size() + 1) << "and the trunk";
  EXPECT_EQ(level.colour.width, 256);
  for (std::size_t i = 0; i < layout.cards.size(); ++i) {
    const Submesh& card = *level.mesh->submeshes[i];
    ASSERT_EQ(card.vertices.size(), 8u);
    const Vector3 facing = FrameNormal(layout.cards[i]);
    // Front faces turn clockwise seen from where they face (the generator's
    // rule): the first two face the picture's side, the last two the other.
    for (std::size_t t = 0; t < card.triangles.size(); ++t) {
      const Triangle& tri = card.triangles[t];
      const Vector3 a = card.vertices[tri.a].position;
      const Vector3 clockwiseNormal =
          Cross(card.vertices[tri.c].position - a, card.vertices[tri.b].position - a);
      EXPECT_GT(Dot(clockwiseNormal, facing) * (t < 2 ? 1.0f : -1.0f), 0.0f) << "card " << i << " face " << t;
    }
    for (const Vertex& v : card.vertices) EXPECT_NEAR(LengthSquared(v.normal), 1.0f, 1e-4f);
  }
}

TEST(CardLevel, CardsAreLitByTheNormalsOfWhatTheyShow) {
  // Leaves all around an axis, every one facing up: each card shows only
  // upward leaves and is lit as they are, on both faces. Bare branches:
  // each face takes the half of the tubes it sees, turned its way.
  MeshObject leaves;
  for (int k = 0; k < 128; ++k) {
    const float angle = 0.05f * static_cast<float>(k), radius = 1.0f + 0.05f * static_cast<float>(k % 7);
    const Vector3 centre{radius * std::cos(angle), 2.0f + 0.015f * static_cast<float>(k),
                         radius * std::sin(angle)};
    auto leaf = std::make_shared<Submesh>();
    leaf->texture = kLeafMaterial;
    for (const Vector3& corner : {Vector3{-0.1f, 0, -0.1f}, Vector3{0.1f, 0, -0.1f}, Vector3{0, 0, 0.1f}}) {
      Vertex v(centre + corner);
      v.normal = {0.0f, 1.0f, 0.0f};
      leaf->vertices.push_back(v);
    }
    leaf->triangles = {{0, 1, 2, true}};
    leaves.submeshes.push_back(leaf);
  }
  const CardLevel lit = BuildCardLevel(LayOutCards(leaves), 6, leaves, {}, nullptr);
  for (const auto& card : lit.mesh->submeshes)
    for (const Vertex& v : card->vertices) EXPECT_NEAR(v.normal.y, 1.0f, 1e-4f);

  Tree bare;
  Generate(TreeParameters(), {}, {}, bare);
  const CardLayout layout = LayOutCards(bare);
  const CardLevel cards = BuildCardLevel(layout, 6, bare, {}, nullptr);
  for (std::size_t i = 0; i < layout.cards.size(); ++i) {
    const Vector3 facing = FrameNormal(layout.cards[i]);
    for (std::size_t k = 0; k < 8; ++k)
      EXPECT_GT(Dot(cards.mesh->submeshes[i]->vertices[k].normal, facing) * (k < 4 ? 1.0f : -1.0f), 0.0f)
          << "card " << i << " corner " << k;
  }
}

TEST(LeafSimplification, KeepsTheCornersThatShapeTheLeafAndItsTurn) {
  // An octagon with one corner pushed out: four corners stay, the pushed
  // one among them, and the two triangles turn as the leaf's do.
  Submesh leaf;
  leaf.texture = kLeafMaterial;
  for (int k = 0; k < 8; ++k) {
    const double angle = k * 3.14159265 / 4;
    const float radius = k == 2 ? 1.5f : 1.0f;
    leaf.vertices.push_back(Vertex(
        {radius * static_cast<float>(std::cos(angle)), 0.0f, radius * static_cast<float>(std::sin(angle))}));
  }
  leaf.vertices.push_back(leaf.vertices.front());  // the outline closes on its first point
  for (std::uint32_t k = 1; k + 1 < 8; ++k) leaf.triangles.push_back({0, k, k + 1, true});
  EXPECT_EQ(LeafCorners(leaf), 8u);
  const LeafPlan plan = PlanLeafCorners(leaf, 4);
  ASSERT_EQ(plan.kept.size(), 4u);
  EXPECT_NE(std::find(plan.kept.begin(), plan.kept.end(), 2u), plan.kept.end());
  ASSERT_EQ(plan.triangles.size(), 2u);
  const auto simplified = SimplifiedLeaf(leaf, plan, 1.0);
  const auto facing = [](const Submesh& s, const Triangle& t) {
    return Cross(s.vertices[t.b].position - s.vertices[t.a].position,
                 s.vertices[t.c].position - s.vertices[t.a].position)
        .y;
  };
  double area = 0, original = 0;
  for (const Triangle& t : simplified->triangles) {
    EXPECT_GT(facing(*simplified, t) * facing(leaf, leaf.triangles[0]), 0.0f);
    area += std::fabs(facing(*simplified, t)) / 2;
  }
  for (const Triangle& t : leaf.triangles) original += std::fabs(facing(leaf, t)) / 2;
  EXPECT_NEAR(area, original, 1e-4 * original) << "grown back to its own area";
  EXPECT_NEAR(SurfaceOf(*SimplifiedLeaf(leaf, plan, 2.0)), 2.0 * original, 1e-4 * original);
  EXPECT_TRUE(PlanFits(plan, leaf));
}

TEST(LodError, OutlineErrorIsTheBandWidthInSceneUnits) {
  // A 64-pixel square frame over 64 units: a square outline, and the same
  // square two pixels wider on one side.
  PictureFrame frame;
  frame.v0 = {64, 0, 0};
  frame.v1 = {64, 64, 0};
  frame.v2 = {0, 64, 0};
  frame.width = frame.height = 64;
  const Image square = Picture(frame, [](int x, int y) { return x >= 16 && x < 48 && y >= 16 && y < 48; });
  const Image wider = Picture(frame, [](int x, int y) { return x >= 16 && x < 50 && y >= 16 && y < 48; });
  EXPECT_EQ(OutlineError({square}, {square}, {frame}), 0.0);
  // 64 pixels differ along an edge of 124 pixels: half a pixel, half a unit.
  EXPECT_NEAR(OutlineError({square}, {wider}, {frame}), 64.0 / 124.0, 1e-9);
  EXPECT_THROW(OutlineError({square}, {}, {frame}), std::runtime_error);
}

TEST(LodError, CardsSeenSquareOnShowTheirPictures) {
  const Tree tree = LeafyTree();
  CardLayout layout = LayOutCards(tree);
  SizeCardPictures(layout, 256);
  std::vector<Image> pictures;
  for (const PictureFrame& card : layout.cards)
    pictures.push_back(
        Picture(card, [&card](int x, int y) { return x < card.width / 2 && y > card.height / 3; }));
  PictureFrame front = layout.cards.front();
  const Image seen = CardsThroughFrame(layout, pictures, front);
  // Square on, the first fin shows its own picture (the others stand
  // turned and add their own parts).
  int own = 0, shown = 0;
  for (int y = 0; y < front.height; ++y)
    for (int x = 0; x < front.width; ++x) {
      if (IsKeyColour(pictures[0].At(x, y))) continue;
      ++own;
      shown += !IsKeyColour(seen.At(x, y));
    }
  ASSERT_GT(own, 0);
  EXPECT_EQ(shown, own);
}

TEST(LodChain, CardPicturesMoveTheProgressAndCanBeStopped) {
  // On a large tree the cards' pictures take seconds: the bar moves
  // picture by picture, and stopping halfway draws no more of them.
  const Tree tree = LeafyTree();
  int drawn = 0;
  const LodRendererFactory renderer = [&drawn](const MeshObject&) {
    return PictureRenderer([&drawn](const PictureFrame& frame) {
      ++drawn;
      return Picture(frame, [](int, int) { return true; });
    });
  };
  std::vector<int> reported;
  const LodChain chain = BuildLodChain(tree, {}, renderer, [&reported](int percent) {
    reported.push_back(percent);
    return true;
  });
  ASSERT_EQ(chain.levels.size(), 4u);
  EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
  EXPECT_GE(std::count_if(reported.begin(), reported.end(),
                          [](int percent) { return percent > 10 && percent < 60; }),
            kFins / 2);
  const int whole = drawn;
  drawn = 0;
  EXPECT_TRUE(BuildLodChain(tree, {}, renderer, [](int percent) { return percent < 35; }).levels.empty());
  EXPECT_LT(drawn, whole * 2 / 3) << "of " << whole;
}

TEST(LodChain, LevelsGiveWayWhereTheirErrorSpansALine) {
  // A renderer that draws the tree whole and any other mesh as its left
  // half only: every reduced level then errs by the same band.
  const Tree tree = LeafyTree();
  const LodChain chain = BuildLodChain(tree, {}, [&tree](const MeshObject& mesh) {
    const bool whole = &mesh == &tree;
    return PictureRenderer([whole](const PictureFrame& frame) {
      return Picture(frame, [&](int x, int) { return whole || x < frame.width / 2; });
    });
  });
  ASSERT_EQ(chain.levels.size(), 4u);
  float low = 1e30f, high = -1e30f;
  for (const auto& submesh : tree.submeshes)
    for (const Vertex& v : submesh->vertices) {
      low = std::min(low, v.position.y);
      high = std::max(high, v.position.y);
    }
  const double height = high - low;
  const LodLevel& first = chain.levels[1];
  ASSERT_GT(first.error, 0.0);
  EXPECT_NEAR(chain.levels[0].screenCoverage, std::min(1.0, height / (first.error * 1080.0)), 1e-9);
  for (std::size_t i = 1; i < chain.levels.size(); ++i)
    EXPECT_LE(chain.levels[i].screenCoverage, 0.8 * chain.levels[i - 1].screenCoverage + 1e-12) << i;
  EXPECT_LE(chain.levels.back().screenCoverage, 1.0 / 1080.0);
}

}  // namespace
}  // namespace vh
