// Billboards seen as an engine sees them: the written glTF file read back,
// its pictures decoded and the whole drawn with the viewer's frame from all
// around, against the tree's own file drawn the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "billboard/atlas.h"
#include "billboard/billboard_cloud.h"
#include "billboard/billboard_files.h"
#include "billboard/card_level.h"
#include "billboard/lod_chain.h"
#include "common/gltf_tools.h"
#include "common/scratch_dir.h"
#include "fileio/document.h"
#include "fileio/export_common.h"
#include "fileio/gltf_export.h"
#include "tree/tree.h"
#include "view/billboard_renderer.h"
#include "view/billboard_texture.h"
#include "view/headless_gl.h"
#include "view/views_around.h"

namespace vh {
namespace {

// The meshes of a glTF file as submeshes in the file's own units. The
// billboard material keeps its texture coordinates (which, in glTF as in
// the program, start at the picture's top-left corner); everything else is
// drawn plain, since only its silhouette is compared. Faces turn back to
// the program's clockwise order.
// Every mesh of the file, or only the one of the node named `node`.
std::unique_ptr<MeshObject> MeshOfFile(const tinygltf::Model& model, const std::string& node = "") {
  auto mesh = std::make_unique<MeshObject>();
  for (std::size_t m = 0; m < model.meshes.size(); ++m) {
    const bool wanted =
        node.empty() || std::any_of(model.nodes.begin(), model.nodes.end(), [&](const tinygltf::Node& n) {
          return n.name == node && n.mesh == static_cast<int>(m);
        });
    if (!wanted) continue;
    for (const tinygltf::Primitive& primitive : model.meshes[m].primitives) {
      const std::string& material = model.materials.at(static_cast<std::size_t>(primitive.material)).name;
      const bool card = material == kCardMaterialName;
      const bool billboard = card || material == kBillboardMaterialName;
      auto submesh = std::make_shared<Submesh>();
      submesh->texture = card ? kCardMaterial : billboard ? kBillboardMaterial : kLeafMaterial;
      submesh->strip = false;
      const std::vector<float> positions =
          test::AccessorValues<float>(model, primitive.attributes.at("POSITION"));
      std::vector<float> uv;
      if (billboard) uv = test::AccessorValues<float>(model, primitive.attributes.at("TEXCOORD_0"));
      for (std::size_t i = 0; i * 3 < positions.size(); ++i) {
        Vertex v({positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]});
        v.colour = {0.3f, 0.5f, 0.2f};
        if (billboard) {
          v.colour = {1.0f, 1.0f, 1.0f};
          v.texCoord = {uv[2 * i], uv[2 * i + 1]};
          v.hasTexCoord = true;
        }
        submesh->vertices.push_back(v);
      }
      const std::vector<std::uint32_t> indices = test::IndexValues(model, primitive.indices);
      for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
        submesh->triangles.push_back({indices[i], indices[i + 2], indices[i + 1], true});
      mesh->submeshes.push_back(std::move(submesh));
    }
  }
  return mesh;
}

// The atlas of the material named `name` as the view takes it: RGB with
// the key colour where the file's alpha cuts the surface away.
Image AtlasOfFile(const tinygltf::Model& model, const std::string& name = kBillboardMaterialName) {
  for (const tinygltf::Material& material : model.materials) {
    if (material.name != name) continue;
    const int texture = material.pbrMetallicRoughness.baseColorTexture.index;
    const tinygltf::Image& image = model.images.at(
        static_cast<std::size_t>(model.textures.at(static_cast<std::size_t>(texture)).source));
    Image atlas(image.width, image.height, 3);
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        const unsigned char* p =
            &image.image[static_cast<std::size_t>((y * image.width + x) * image.component)];
        const bool opaque = image.component < 4 || p[3] >= 128;
        std::uint8_t* to = atlas.At(x, y);
        to[0] = opaque ? p[0] : kKeyRed;
        to[1] = opaque ? p[1] : kKeyGreen;
        to[2] = opaque ? p[2] : kKeyBlue;
      }
    return atlas;
  }
  return Image();
}

class LevelCoverage : public ::testing::Test {
 protected:
  void SetUp() override {
    gl = std::make_unique<HeadlessGl>();
    InitViewState();
    Generate(ReadDocumentFile(VH_TEST_DATA_DIR "/billboard_tree.vhm", TreeParameters()), {}, {}, tree);
  }
  BillboardRenderer RendererFor(MeshObject& mesh) {
    return [this, &mesh](const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
      if (side <= 0) return Image();
      gl->BindFramebuffer(side, side);
      return RenderBillboardPicture(lists, mesh, {}, v0, v1, v2, side);
    };
  }
  ViewsAround Views(const MeshObject& framing, const MeshObject* treeMesh, const MeshObject* billboard,
                    int side = kSide) {
    gl->BindFramebuffer(side, side);
    FrameContents contents;
    contents.tree = treeMesh;
    contents.billboard = billboard;
    contents.showPlane = false;
    return DrawViewsAround(framing, contents, lists, side);
  }
  static constexpr int kSide = 128;
  std::unique_ptr<HeadlessGl> gl;
  DrawListCache lists;
  Tree tree;
};

TEST(ViewsCoverage, SampledScreensForgiveWhatMovesWithinAPixel) {
  // One view of 4 x 4 samples: a covered column, and the same column one
  // sample to the side. Sample by sample they are disjoint; seen as
  // 2 x 2-sampled pixels they cover the same share of each pixel.
  ViewsAround reference, moved;
  reference.side = moved.side = 4;
  reference.count = moved.count = 1;
  reference.rgb.assign(48, 255);
  moved.rgb.assign(48, 255);
  reference.covered.assign(16, 0);
  moved.covered.assign(16, 0);
  for (std::size_t y = 0; y < 4; ++y) {
    reference.covered[4 * y + 0] = 1;
    moved.covered[4 * y + 1] = 1;
  }
  EXPECT_DOUBLE_EQ(CompareViews(reference, moved).silhouette, 1.0);
  const ViewsDifference sampled = CompareCoverage(reference, moved, 2);
  EXPECT_DOUBLE_EQ(sampled.silhouette, 0.0);
  EXPECT_DOUBLE_EQ(CompareCoverage(reference, moved, 1).silhouette, 1.0);
  EXPECT_DOUBLE_EQ(CompareCoverage(reference, moved, 3).silhouette, 1.0) << "3 does not divide 4";
  moved.covered.assign(16, 0);  // nothing left
  const ViewsDifference gone = CompareCoverage(reference, moved, 2);
  EXPECT_DOUBLE_EQ(gone.missing, 1.0);
  EXPECT_DOUBLE_EQ(gone.extra, 0.0);
}

TEST_F(LevelCoverage, ALeafLitToFullWhiteStillCoversItsPixels) {
  // A white leaf square facing the light comes out pure white, the
  // background's colour; it covers its pixels all the same, exactly as the
  // same square in black does.
  const auto square = [](float shade) {
    const Vector3 n = Normalized(Vector3{20.0f, 15.0f, 15.0f});  // towards the view's light
    const Vector3 a = Normalized(Cross(n, Vector3{0.0f, 1.0f, 0.0f})), b = Cross(a, n);
    MeshObject mesh;
    auto leaf = std::make_shared<Submesh>();
    for (const Vector3 corner : {a + b, a * -1.0f + b, (a + b) * -1.0f, a - b}) {
      Vertex vertex(corner * 5.0f);
      vertex.colour = {shade, shade, shade};
      vertex.normal = n;
      leaf->vertices.push_back(vertex);
    }
    leaf->triangles = {{0, 1, 2, true}, {0, 2, 3, true}};
    leaf->texture = kLeafMaterial;
    mesh.submeshes.push_back(leaf);
    return mesh;
  };
  const MeshObject white = square(1.0f), black = square(0.0f);
  const ViewsAround lit = Views(white, &white, nullptr);
  std::size_t covered = 0, coveredWhite = 0;
  for (std::size_t i = 0; i < lit.covered.size(); ++i) {
    covered += Covered(lit, i);
    coveredWhite +=
        Covered(lit, i) && lit.rgb[3 * i] == 255 && lit.rgb[3 * i + 1] == 255 && lit.rgb[3 * i + 2] == 255;
  }
  ASSERT_GT(coveredWhite, covered / 2) << "the square should be lit to white where it shows";
  const ViewsDifference difference = CompareViews(Views(black, &black, nullptr), lit);
  EXPECT_DOUBLE_EQ(difference.silhouette, 0.0);
  EXPECT_DOUBLE_EQ(difference.missing, 0.0);
}

TEST_F(LevelCoverage, BillboardFileShowsWhatTheProgramShows) {
  // The whole tree as billboards: the file, read as an engine reads it,
  // looks from every side as the program's own view shows the cloud.
  BillboardSettings settings;
  settings.mode = BillboardMode::kBillboardsForAll;
  BillboardPicker picker;
  BillboardCloud cloud = CreateBillboardCloud(tree, settings, picker, RendererFor(tree), {});
  ASSERT_NE(cloud.mesh, nullptr);
  UploadBillboardTexture(cloud.colourTexture);
  const ViewsAround inProgram = Views(tree, nullptr, cloud.mesh.get());

  test::ScratchDir dir;
  ExportGLB(SingleMeshScene(tree), dir.File("tree.glb"));
  const BillboardFileNames names = BillboardExportNames(dir.File("cloud.glb"), ExportFormat::kGLB);
  ExportBillboardCloud(*cloud.mesh, cloud.colourTexture, cloud.transparency, names, ExportFormat::kGLB,
                       EngineOrigin(tree));
  const auto treeFile = MeshOfFile(test::LoadGltf(dir.File("tree.glb")));
  const tinygltf::Model cloudModel = test::LoadGltf(names.geometry);
  const auto cloudFile = MeshOfFile(cloudModel);
  UploadBillboardTexture(AtlasOfFile(cloudModel));
  const ViewsAround fromFile = Views(*treeFile, nullptr, cloudFile.get());

  const ViewsDifference difference = CompareViews(inProgram, fromFile);
  EXPECT_LT(difference.silhouette, 0.05)
      << "missing " << difference.missing << ", extra " << difference.extra;
}

TEST_F(LevelCoverage, BillboardPicturesHoldTheirWholeClusters) {
  // Each picture is drawn while exactly its cluster is visible; every
  // visible triangle whose centre falls on the square must show there (or
  // next to it, for triangles smaller than a pixel), however far it lies
  // from the square's plane and whichever way it faces.
  std::size_t triangles = 0, lost = 0;
  const BillboardRenderer draw = RendererFor(tree);
  const BillboardRenderer checked = [&](const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
    Image picture = draw(v0, v1, v2, side);
    const Vector3 n = Normalized(Cross(v1 - v0, v2 - v0)), centre = (v0 + v2) * 0.5f,
                  up = Normalized(v1 - v0);
    const Vector3 right = Cross(n * -1.0f, up);
    const float width = std::sqrt(LengthSquared(v2 - v1)), height = std::sqrt(LengthSquared(v1 - v0));
    for (const auto& submesh : tree.submeshes)
      for (const Triangle& t : submesh->triangles) {
        const Vector3& a = submesh->vertices[t.a].position;
        if (!t.visible || LengthSquared(Cross(submesh->vertices[t.b].position - a,
                                              submesh->vertices[t.c].position - a)) == 0.0f)
          continue;  // a triangle without area draws nothing
        const Vector3 middle = (submesh->vertices[t.a].position + submesh->vertices[t.b].position +
                                submesh->vertices[t.c].position) *
                               (1.0f / 3.0f);
        const int x =
            static_cast<int>((Dot(middle - centre, right) / width + 0.5f) * static_cast<float>(side));
        const int y = static_cast<int>((0.5f - Dot(middle - centre, up) / height) * static_cast<float>(side));
        // The square is spanned from the bounds of its cluster and the
        // origin, not around the cluster's own picture: what falls beside
        // it cannot be drawn, and is not the drawing's to answer for.
        if (x < 0 || y < 0 || x >= side || y >= side) continue;
        bool drawn = false;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            drawn = drawn || (x + dx >= 0 && y + dy >= 0 && x + dx < side && y + dy < side &&
                              !IsKeyColour(picture.At(x + dx, y + dy)));
        ++triangles;
        lost += !drawn;
      }
    return picture;
  };
  BillboardSettings settings;
  settings.mode = BillboardMode::kBillboardsForAll;
  settings.textureQuality = 15;
  BillboardPicker picker;
  const BillboardCloud cloud = CreateBillboardCloud(tree, settings, picker, checked, {});
  ASSERT_GT(triangles, tree.PolygonCount() / 2);
  EXPECT_LT(static_cast<double>(lost) / static_cast<double>(triangles), 0.05) << lost << " of " << triangles;
}

TEST_F(LevelCoverage, EveryLevelOfTheChainCoversTheTreesOutline) {
  // Each level drawn as the program draws it, from around the tree, against
  // the tree: none loses much of its outline (the whole-tree billboards the
  // chain once ended with lost 85 %), none adds much, and the cards read
  // back from the written file look as they do in memory.
  const LodChain chain = BuildLodChain(tree, {}, [this](const MeshObject& mesh) {
    return PictureRenderer([this, &mesh](const PictureFrame& frame) {
      gl->BindFramebuffer(frame.width, frame.height);
      return RenderLodPicture(lists, mesh, frame);
    });
  });
  ASSERT_EQ(chain.levels.size(), 4u);
  const ViewsAround treeViews = Views(tree, &tree, nullptr, 256);
  // The outline differs most for the cards, which stand in for the tree
  // with slices of it; drawn at 256 pixels, as the quality benchmark
  // compares them (at 128 the tree's twigs are fractions of a pixel). Each
  // bound sits a little above what the levels measure (LOD1 0.068, LOD2
  // 0.149, cards around the kept trunk 0.189 of which 0.110 missing and
  // 0.098 extra; with the trunk flattened onto the fins 0.218 with 0.124
  // extra; forty fins showing every branch near the trunk 0.354 with 0.373
  // extra; four cards crossed through the trunk, each showing the whole
  // tree, 0.44 with 0.21 missing). No level may miss more than 15 %.
  const double mostDifferent[] = {0.0, 0.08, 0.17, 0.21};
  const double mostMissing[] = {0.0, 0.07, 0.15, 0.15};
  const double mostExtra[] = {0.0, 0.03, 0.05, 0.12};
  for (std::size_t i = 0; i < chain.levels.size(); ++i) {
    const LodLevel& level = chain.levels[i];
    if (!level.billboardColour.Empty()) UploadCardTexture(level.billboardColour);
    const ViewsDifference difference = CompareViews(treeViews, Views(tree, level.mesh.get(), nullptr, 256));
    EXPECT_LE(difference.missing, mostMissing[i] + 1e-9) << "LOD" << i << " " << level.description;
    EXPECT_LE(difference.extra, mostExtra[i] + 1e-9) << "LOD" << i;
    EXPECT_LE(difference.silhouette, mostDifferent[i] + 1e-9) << "LOD" << i;
  }

  test::ScratchDir dir;
  ExportGLB(ChainScene(chain, {}), dir.File("chain.glb"));
  ExportGLB(SingleMeshScene(tree), dir.File("tree.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("chain.glb"));
  const auto cardsFile = MeshOfFile(model, "chain_LOD3");
  ASSERT_FALSE(cardsFile->submeshes.empty());
  UploadCardTexture(chain.levels.back().billboardColour);
  const ViewsAround inMemory = Views(tree, chain.levels.back().mesh.get(), nullptr);
  UploadCardTexture(AtlasOfFile(model, kCardMaterialName));
  const auto treeFile = MeshOfFile(test::LoadGltf(dir.File("tree.glb")));
  EXPECT_LT(CompareViews(inMemory, Views(*treeFile, cardsFile.get(), nullptr)).silhouette, 0.05);
}

}  // namespace
}  // namespace vh
