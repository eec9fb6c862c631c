#include <gtest/gtest.h>

#include <stdexcept>

#include "billboard/atlas.h"
#include "billboard/billboard_builder.h"
#include "billboard/billboard_cloud.h"
#include "billboard/coverage.h"
#include "billboard/plane_scoring.h"
#include "billboard/test_meshes.h"

namespace vh {
namespace {

using Corners = std::array<Vector3, 3>;

// The renderer a test passes: remembers the corners and answers a solid
// picture of the requested side.
struct RecordingRenderer {
  std::vector<Corners> corners;
  std::vector<int> sides;
  BillboardRenderer Callback() {
    return [this](const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
      corners.push_back({v0, v1, v2});
      sides.push_back(side);
      Image picture(side, side, 3);
      std::fill(picture.pixels.begin(), picture.pixels.end(), static_cast<std::uint8_t>(corners.size()));
      return picture;
    };
  }
};

// The cloud-building loop written out plainly, one candidate at a time, with
// the reference scorer: what the builder must reproduce plane for plane.
std::vector<Corners> StraightforwardRun(MeshObject& mesh, const BillboardSettings& settings,
                                        BillboardPicker& picker) {
  TriangleCoverage coverage(mesh);
  if (settings.mode == BillboardMode::kGeometryForBranches) {
    for (std::size_t s = 0; s < mesh.submeshes.size(); ++s) {
      if (mesh.submeshes[s]->texture != kBarkMaterial) continue;
      for (std::size_t t = 0; t < coverage.TriangleCount(s); ++t) coverage.Cover(s, t);
    }
  }
  const float threshold = DistanceThreshold(settings.billboardCount);
  std::vector<Corners> result;
  while (coverage.Uncovered() > 0) {
    float bestScore = -1.0f;
    CandidatePlane best;
    for (int i = 0; i < settings.precision; ++i) {
      const CandidatePlane candidate = picker.Pick(mesh, coverage);
      const float score = ScorePlaneReference(mesh, coverage, candidate, threshold, settings.favourVertical);
      if (score > bestScore) {
        bestScore = score;
        best = candidate;
      }
    }
    const Billboard billboard = BuildBillboard(mesh, coverage, best, threshold);
    result.push_back({billboard.quad.corner[0], billboard.quad.corner[1], billboard.quad.corner[2]});
  }
  return result;
}

struct DrawState {
  std::vector<bool> strip;
  std::vector<bool> visible;
  bool operator==(const DrawState&) const = default;
};

DrawState StateOf(const MeshObject& mesh) {
  DrawState state;
  for (const auto& submesh : mesh.submeshes) {
    state.strip.push_back(submesh->strip);
    for (const Triangle& t : submesh->triangles) state.visible.push_back(t.visible);
  }
  return state;
}

std::vector<std::uint64_t> Revisions(const MeshObject& mesh) {
  std::vector<std::uint64_t> revisions;
  for (const auto& submesh : mesh.submeshes) revisions.push_back(submesh->revision);
  return revisions;
}

// Every submesh was changed (and so must be drawn again) since `before`.
void ExpectAllChangedSince(const MeshObject& mesh, const std::vector<std::uint64_t>& before) {
  ASSERT_EQ(mesh.submeshes.size(), before.size());
  for (std::size_t s = 0; s < before.size(); ++s) EXPECT_GT(mesh.submeshes[s]->revision, before[s]) << s;
}

std::unique_ptr<MeshObject> SmallTree(int leaves = 150) {
  test::LeafyMeshOptions options;
  options.leaves = leaves;
  options.emptySubmesh = true;
  return test::MakeLeafyMesh(options);
}

TEST(BillboardCloud, MatchesTheStraightforwardAlgorithm) {
  struct Case {
    BillboardMode mode;
    int precision;
    int count;
    bool favourVertical;
  };
  const Case cases[] = {{BillboardMode::kGeometryForBranches, 10, 10, false},
                        {BillboardMode::kBillboardsForAll, 7, 25, true},
                        {BillboardMode::kBillboardsForAll, 20, 3, false}};
  for (const Case& c : cases) {
    BillboardSettings settings;
    settings.mode = c.mode;
    settings.precision = c.precision;
    settings.billboardCount = c.count;
    settings.favourVertical = c.favourVertical;
    auto tree = SmallTree();
    RecordingRenderer renderer;
    BillboardPicker picker;
    const BillboardCloud cloud = CreateBillboardCloud(*tree, settings, picker, renderer.Callback(), {});

    auto plainTree = SmallTree();
    BillboardPicker plainPicker;
    const std::vector<Corners> expected = StraightforwardRun(*plainTree, settings, plainPicker);
    ASSERT_EQ(renderer.corners, expected) << static_cast<int>(c.mode) << " " << c.precision;
    ASSERT_NE(cloud.mesh, nullptr);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(cloud.mesh->submeshes[i]->vertices[0].position, expected[i][0]);
      EXPECT_EQ(cloud.mesh->submeshes[i]->vertices[2].position, expected[i][2]);
    }
  }
}

TEST(BillboardCloud, Mode0WithoutLeavesGivesOnlyTheBarkSubmeshes) {
  test::LeafyMeshOptions options;
  options.leaves = 0;
  options.emptySubmesh = true;
  auto tree = test::MakeLeafyMesh(options);
  RecordingRenderer renderer;
  BillboardPicker picker;
  BillboardSettings settings;
  settings.textureResolution = 6;
  const BillboardCloud cloud = CreateBillboardCloud(*tree, settings, picker, renderer.Callback(), {});
  EXPECT_TRUE(renderer.corners.empty());
  ASSERT_NE(cloud.mesh, nullptr);
  ASSERT_EQ(cloud.mesh->submeshes.size(), 3u);
  std::size_t next = 0;
  for (const auto& submesh : tree->submeshes) {
    if (submesh->texture == kBarkMaterial) {
      EXPECT_EQ(cloud.mesh->submeshes[next++], submesh);  // shared, not copied
    }
  }
  EXPECT_EQ(cloud.colourTexture.width, 64);
  EXPECT_EQ(cloud.transparency.height, 64);
  // No candidate was drawn.
  EXPECT_EQ(picker.Generator().NextUInt32(), MersenneTwister(0).NextUInt32());
}

TEST(BillboardCloud, PrecisionOneTakesTheFirstCandidate) {
  BillboardSettings settings;
  settings.precision = 1;
  auto tree = SmallTree();
  RecordingRenderer renderer;
  BillboardPicker picker;
  CreateBillboardCloud(*tree, settings, picker, renderer.Callback(), {});
  ASSERT_FALSE(renderer.corners.empty());

  auto plainTree = SmallTree();
  TriangleCoverage coverage(*plainTree);
  for (std::size_t s = 0; s < plainTree->submeshes.size(); ++s) {
    if (plainTree->submeshes[s]->texture != kBarkMaterial) continue;
    for (std::size_t t = 0; t < coverage.TriangleCount(s); ++t) coverage.Cover(s, t);
  }
  BillboardPicker plainPicker;
  const CandidatePlane first = plainPicker.Pick(*plainTree, coverage);
  const Billboard billboard =
      BuildBillboard(*plainTree, coverage, first, DistanceThreshold(settings.billboardCount));
  EXPECT_EQ(renderer.corners[0][0], billboard.quad.corner[0]);
  EXPECT_EQ(renderer.corners[0][1], billboard.quad.corner[1]);
  EXPECT_EQ(renderer.corners[0][2], billboard.quad.corner[2]);
}

TEST(BillboardCloud, FreshPickerRepeatsAndKeptPickerContinues) {
  BillboardSettings settings;
  settings.precision = 5;
  auto tree = SmallTree();
  RecordingRenderer first, again, second;
  BillboardPicker picker;
  CreateBillboardCloud(*tree, settings, picker, first.Callback(), {});
  CreateBillboardCloud(*tree, settings, picker, second.Callback(), {});
  BillboardPicker freshPicker;
  CreateBillboardCloud(*tree, settings, freshPicker, again.Callback(), {});
  EXPECT_EQ(first.corners, again.corners);
  EXPECT_NE(first.corners, second.corners);
}

TEST(BillboardCloud, TreeDrawsAsBeforeAfterwards) {
  auto tree = SmallTree();
  tree->submeshes[2]->strip = false;  // a mix of strip flags to give back
  const DrawState before = StateOf(*tree);
  BillboardPicker picker;
  for (BillboardMode mode : {BillboardMode::kGeometryForBranches, BillboardMode::kBillboardsForAll}) {
    const std::vector<std::uint64_t> revisions = Revisions(*tree);
    BillboardSettings settings;
    settings.mode = mode;
    settings.precision = 3;
    CreateBillboardCloud(*tree, settings, picker, {}, {});
    EXPECT_EQ(StateOf(*tree), before);
    ExpectAllChangedSince(*tree, revisions);
  }
}

TEST(BillboardCloud, RendererSeesExactlyTheNewCluster) {
  auto tree = SmallTree();
  std::vector<int> seen(tree->PolygonCount(), 0);
  BillboardSettings settings;
  settings.mode = BillboardMode::kBillboardsForAll;
  settings.precision = 4;
  settings.billboardCount = 20;
  const int quality = settings.textureQuality;
  int calls = 0;
  std::vector<std::uint64_t> lastPicture = Revisions(*tree);
  auto render = [&](const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
    ++calls;
    EXPECT_EQ(side, BillboardImageSide(v0, v1, v2, quality));
    // Each cluster shows other triangles: every submesh is drawn afresh.
    ExpectAllChangedSince(*tree, lastPicture);
    lastPicture = Revisions(*tree);
    std::size_t index = 0;
    int visible = 0;
    for (const auto& submesh : tree->submeshes) {
      EXPECT_FALSE(submesh->strip);
      for (const Triangle& t : submesh->triangles) {
        if (t.visible) {
          ++seen[index];
          ++visible;
        }
        ++index;
      }
    }
    EXPECT_GT(visible, 0);
    return KeyColourImage(side, side);
  };
  BillboardPicker picker;
  const BillboardCloud cloud = CreateBillboardCloud(*tree, settings, picker, render, {});
  // Every triangle was shown with exactly one cluster: the clusters cover the
  // tree once.
  for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], 1) << i;
  EXPECT_EQ(cloud.mesh->submeshes.size(), static_cast<std::size_t>(calls));
}

TEST(BillboardCloud, BillboardSubmeshesAndTheirPlaceInTheAtlas) {
  auto tree = SmallTree();
  BillboardSettings settings;
  settings.precision = 8;
  settings.textureQuality = 15;
  settings.textureResolution = 10;
  RecordingRenderer renderer;
  BillboardPicker picker;
  const unsigned firstNumber = Submesh::PeekObjectCounter();
  const BillboardCloud cloud = CreateBillboardCloud(*tree, settings, picker, renderer.Callback(), {});
  const std::size_t billboards = renderer.corners.size();
  ASSERT_GT(billboards, 1u);
  ASSERT_EQ(cloud.mesh->submeshes.size(), billboards + 3);  // then the 3 bark tubes
  for (std::size_t i = 0; i < billboards; ++i) {
    const Submesh& quad = *cloud.mesh->submeshes[i];
    EXPECT_EQ(quad.displayList, firstNumber + i);
    EXPECT_EQ(quad.texture, kBillboardMaterial);
    EXPECT_EQ(quad.textureFile, "result.bmp");
    EXPECT_TRUE(quad.materialName.empty());
    EXPECT_FALSE(quad.strip);
    ASSERT_EQ(quad.triangles.size(), 2u);
    EXPECT_EQ((std::array<std::uint32_t, 6>{quad.triangles[0].a, quad.triangles[0].b, quad.triangles[0].c,
                                            quad.triangles[1].a, quad.triangles[1].b, quad.triangles[1].c}),
              (std::array<std::uint32_t, 6>{0, 1, 2, 2, 3, 0}));
    ASSERT_EQ(quad.vertices.size(), 4u);
    float uMin = 2, uMax = -1, vMin = 2, vMax = -1;
    for (const Vertex& v : quad.vertices) {
      EXPECT_EQ(v.colour, Vector3(1, 1, 1));
      EXPECT_EQ(v.normal, Vector3(0, 1, 0));
      EXPECT_TRUE(v.hasTexCoord);
      EXPECT_FALSE(v.hasColour);
      uMin = std::min(uMin, v.texCoord.x);
      uMax = std::max(uMax, v.texCoord.x);
      vMin = std::min(vMin, v.texCoord.y);
      vMax = std::max(vMax, v.texCoord.y);
    }
    EXPECT_GE(uMin, 0.0f);
    EXPECT_LE(uMax, 1.0f);
    // V0 keeps the texture corner (1, 1), V2 the corner (0, 0).
    EXPECT_EQ(quad.vertices[0].texCoord, Vector2(uMax, vMax));
    EXPECT_EQ(quad.vertices[2].texCoord, Vector2(uMin, vMin));
    // The middle of its rectangle in the colour texture shows its own picture.
    const int e = cloud.colourTexture.width;
    const int x = static_cast<int>((uMin + uMax) / 2 * e);
    const int y = static_cast<int>((vMin + vMax) / 2 * e);
    EXPECT_EQ(cloud.colourTexture.At(x, y)[0], static_cast<std::uint8_t>(i + 1)) << i;
    EXPECT_EQ(cloud.transparency.At(x, y)[0], 255);
  }
  EXPECT_EQ(cloud.colourTexture.width, 1024);
  EXPECT_EQ(cloud.transparency.width, 1024);
}

TEST(BillboardCloud, ProgressRisesToOneHundred) {
  auto tree = SmallTree();
  std::vector<int> reported;
  BillboardSettings settings;
  settings.mode = BillboardMode::kBillboardsForAll;
  settings.precision = 3;
  BillboardPicker picker;
  RecordingRenderer renderer;
  const DrawState whole = StateOf(*tree);
  bool wholeAtTheEnd = false;
  CreateBillboardCloud(*tree, settings, picker, renderer.Callback(), [&](int percent) {
    reported.push_back(percent);
    if (percent == 100) wholeAtTheEnd = StateOf(*tree) == whole;
    return true;
  });
  EXPECT_TRUE(wholeAtTheEnd);
  ASSERT_EQ(reported.size(), renderer.corners.size() + 1);
  EXPECT_EQ(reported.front(), 0);  // nothing covered yet
  EXPECT_EQ(reported.back(), 100);
  for (std::size_t i = 1; i < reported.size(); ++i) EXPECT_GE(reported[i], reported[i - 1]);
}

TEST(BillboardCloud, CancelLeavesTheTreeAsItWas) {
  for (int cancelAt : {0, 2}) {
    auto tree = SmallTree();
    const DrawState before = StateOf(*tree);
    const std::uint64_t polygons = tree->PolygonCount();
    const std::vector<std::uint64_t> revisions = Revisions(*tree);
    int calls = 0;
    BillboardPicker picker;
    const BillboardCloud cloud =
        CreateBillboardCloud(*tree, {}, picker, {}, [&](int) { return calls++ < cancelAt; });
    EXPECT_EQ(calls, cancelAt + 1);
    EXPECT_EQ(cloud.mesh, nullptr);
    EXPECT_TRUE(cloud.colourTexture.Empty());
    EXPECT_TRUE(cloud.transparency.Empty());
    EXPECT_EQ(StateOf(*tree), before);
    EXPECT_EQ(tree->PolygonCount(), polygons);
    ExpectAllChangedSince(*tree, revisions);
  }
}

TEST(BillboardCloud, RendererFailureLeavesTheTreeAsItWas) {
  auto tree = SmallTree();
  const DrawState before = StateOf(*tree);
  BillboardPicker picker;
  int calls = 0;
  auto failing = [&](const Vector3&, const Vector3&, const Vector3&, int) -> Image {
    if (++calls == 2) throw std::runtime_error("no context");
    return Image();
  };
  EXPECT_THROW(CreateBillboardCloud(*tree, {}, picker, failing, {}), std::runtime_error);
  EXPECT_EQ(StateOf(*tree), before);
}

TEST(BillboardCloud, RejectsSettingsOutsideTheirRanges) {
  auto tree = SmallTree(10);
  BillboardPicker picker;
  auto with = [](auto change) {
    BillboardSettings settings;
    change(settings);
    return settings;
  };
  const BillboardSettings bad[] = {
      with([](BillboardSettings& s) { s.precision = 0; }),
      with([](BillboardSettings& s) { s.precision = 501; }),
      with([](BillboardSettings& s) { s.billboardCount = 0; }),
      with([](BillboardSettings& s) { s.billboardCount = 101; }),
      with([](BillboardSettings& s) { s.mode = static_cast<BillboardMode>(2); }),
      with([](BillboardSettings& s) { s.textureQuality = 0; }),
      with([](BillboardSettings& s) { s.textureResolution = 13; }),
  };
  for (const BillboardSettings& settings : bad) {
    EXPECT_THROW(CreateBillboardCloud(*tree, settings, picker, {}, {}), std::runtime_error);
  }
  EXPECT_EQ(picker.Generator().NextUInt32(), MersenneTwister(0).NextUInt32());
}

TEST(BillboardCloud, EndsOnDegenerateAndNonFiniteTriangles) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  auto tree = std::make_unique<MeshObject>();
  tree->submeshes.push_back(test::MakeTriangles(kLeafMaterial, {{0, 0, 0},
                                                                {0, 0, 0},
                                                                {0, 0, 0},
                                                                {nan, 1, 1},
                                                                {1, nan, 1},
                                                                {1, 1, nan},
                                                                {inf, 0, 0},
                                                                {0, inf, 0},
                                                                {0, 0, -inf},
                                                                {1e30f, 0, 0},
                                                                {0, 1e30f, 0},
                                                                {0, 0, 1e30f}}));
  BillboardSettings settings;
  settings.mode = BillboardMode::kBillboardsForAll;
  BillboardPicker picker;
  const BillboardCloud cloud = CreateBillboardCloud(*tree, settings, picker, {}, {});
  ASSERT_NE(cloud.mesh, nullptr);
  EXPECT_GE(cloud.mesh->submeshes.size(), 1u);
  EXPECT_LE(cloud.mesh->submeshes.size(), 4u);
  EXPECT_EQ(cloud.colourTexture.width, 2048);
}

TEST(BillboardCloud, EmptyTreeGivesEmptyCloud) {
  MeshObject tree;
  BillboardPicker picker;
  const BillboardCloud cloud = CreateBillboardCloud(tree, {}, picker, {}, {});
  ASSERT_NE(cloud.mesh, nullptr);
  EXPECT_TRUE(cloud.mesh->submeshes.empty());
  EXPECT_EQ(cloud.colourTexture.width, 2048);
}

}  // namespace
}  // namespace vh
