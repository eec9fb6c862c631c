#include "billboard/lod_chain.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "billboard/atlas.h"
#include "billboard/card_level.h"
#include "billboard/lod_error.h"
#include "billboard/lod_reduction.h"
#include "fileio/export_common.h"

namespace vh {
namespace {

// A level takes over once its error spans less than this many lines of a
// screen of kScreenLines; below kCullCoverage the tree (one line tall) is
// not drawn at all.
constexpr double kScreenLines = 1080.0;
constexpr double kPixelTolerance = 1.0;
constexpr double kCullCoverage = 1.0 / kScreenLines;
// Each level gives way at a smaller size than the one before, by at least
// this factor, whatever the measurements say.
constexpr double kSmallestStep = 0.8;
// Where levels give way when their errors could not be measured.
constexpr double kUnmeasuredCoverage[] = {0.25, 0.125, 0.05};

// The thinnest branch the reduced levels keep, as a fraction of the tree's
// height: thinner than a pixel where the level before gives way to them
// (half and a quarter of the screen's height).
constexpr double kFirstThinnest = 1.0 / (0.5 * kScreenLines);
constexpr double kSecondThinnest = 1.0 / (0.25 * kScreenLines);

LodLevel Level(std::string description, std::unique_ptr<MeshObject> mesh) {
  LodLevel level;
  level.description = std::move(description);
  level.mesh = std::move(mesh);
  return level;
}

double Height(const MeshObject& mesh) {
  float low = 1e30f, high = -1e30f;
  for (const auto& submesh : mesh.submeshes)
    for (const Vertex& v : submesh->vertices) {
      low = std::min(low, v.position.y);
      high = std::max(high, v.position.y);
    }
  return high > low ? high - low : 0.0;
}

// The levels' outlines against the tree's, through the measuring frames;
// false when cancelled.
bool MeasureErrors(LodChain& chain, const MeshObject& tree, const CardLayout& cards,
                   const std::vector<Image>& cardPictures, const LodRendererFactory& renderer,
                   const BillboardProgress& progress) {
  const std::vector<PictureFrame> frames = MeasuringFrames(tree);
  const auto outlines = [&frames](const PictureRenderer& render) {
    std::vector<Image> pictures;
    for (const PictureFrame& frame : frames) pictures.push_back(render(frame));
    return pictures;
  };
  const std::vector<Image> reference = outlines(renderer(tree));
  for (std::size_t i = 1; i < chain.levels.size(); ++i) {
    if (progress && !progress(static_cast<int>(60 + 40 * i / chain.levels.size()))) return false;
    LodLevel& level = chain.levels[i];
    std::vector<Image> pictures;
    if (level.billboardColour.Empty()) {
      pictures = outlines(renderer(*level.mesh));
    } else {
      // The cards through each frame, and where they show nothing, the
      // geometry the level keeps (the trunk).
      MeshObject geometry;
      for (const auto& submesh : level.mesh->submeshes)
        if (submesh->texture != kCardMaterial) geometry.submeshes.push_back(submesh);
      const PictureRenderer drawGeometry = renderer(geometry);
      for (const PictureFrame& frame : frames) {
        Image seen = CardsThroughFrame(cards, cardPictures, frame);
        if (!geometry.submeshes.empty()) FillKeyedPixels(seen, drawGeometry(frame));
        pictures.push_back(std::move(seen));
      }
    }
    level.error = OutlineError(reference, pictures, frames);
  }
  return true;
}

// Where each level gives way to the next: where the next one's error
// spans one line, always smaller than where the level before gave way.
void SetScreenCoverage(LodChain& chain, double height, bool measured) {
  double previous = 1.0 / kSmallestStep;
  for (std::size_t i = 0; i + 1 < chain.levels.size(); ++i) {
    double coverage = kUnmeasuredCoverage[std::min<std::size_t>(i, std::size(kUnmeasuredCoverage) - 1)];
    if (measured) {
      const double error = chain.levels[i + 1].error;
      coverage = error > 0 && height > 0 ? kPixelTolerance * height / (error * kScreenLines) : 1.0;
    }
    coverage = std::clamp(coverage, kCullCoverage / kSmallestStep, previous * kSmallestStep);
    chain.levels[i].screenCoverage = coverage;
    previous = coverage;
  }
  if (!chain.levels.empty())
    chain.levels.back().screenCoverage = std::min(kCullCoverage, previous * kSmallestStep);
}

// The trunk the card level keeps: the first reduction's (about as close to
// the tree's outline as the tree's own, for fewer triangles), or the
// second's when the cards with the first's would be heavier than the level
// before them.
std::shared_ptr<Submesh> KeptTrunk(const LodChain& geometry, const CardLayout& layout) {
  const std::size_t cardTriangles = 4 * layout.cards.size();
  std::shared_ptr<Submesh> trunk = Trunk(*geometry.levels[1].mesh);
  if (trunk && cardTriangles + trunk->triangles.size() >= geometry.levels[2].mesh->PolygonCount())
    trunk = Trunk(*geometry.levels[2].mesh);
  return trunk;
}

// "dir/oak.glb" -> "dir/oak" and ".glb".
std::pair<std::string, std::string> SplitExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot == (slash == std::string::npos ? 0 : slash + 1))
    return {path, ""};
  return {path.substr(0, dot), path.substr(dot)};
}

}  // namespace

void CheckLodChainOptions(const LodChainOptions& options) {
  if (!(options.firstShare > 0.0 && options.firstShare <= 1.0) ||
      !(options.secondShare > 0.0 && options.secondShare <= options.firstShare))
    throw std::invalid_argument(
        "the shares of the reduced levels must satisfy 0 < second <= first <= 1, not " +
        std::to_string(options.firstShare) + " and " + std::to_string(options.secondShare));
  const IntRange resolutions = FieldOf(BillboardSetting::kTextureResolution).accepted;
  if (!resolutions.Contains(options.textureResolution))
    throw std::invalid_argument(
        "the cards' texture resolution must be " + std::to_string(resolutions.minimum) + ".." +
        std::to_string(resolutions.maximum) + ", not " + std::to_string(options.textureResolution));
}

LodChain BuildGeometryLevels(const MeshObject& tree, const LodChainOptions& options) {
  CheckLodChainOptions(options);
  LodChain chain;
  auto full = std::make_unique<MeshObject>();
  full->submeshes = tree.submeshes;
  chain.levels.push_back(Level("full tree", std::move(full)));
  chain.levels.push_back(Level("reduced geometry", ReduceTree(tree, {options.firstShare, kFirstThinnest})));
  chain.levels.push_back(Level("coarse geometry", ReduceTree(tree, {options.secondShare, kSecondThinnest})));
  return chain;
}

LodChain BuildLodChain(const MeshObject& tree, const LodChainOptions& options,
                       const LodRendererFactory& renderer, const BillboardProgress& progress) {
  LodChain chain = BuildGeometryLevels(tree, options);
  if (progress && !progress(10)) return {};
  CardLayout layout = LayOutCards(tree);
  SizeCardPictures(layout, 1 << options.textureResolution);
  CardLevel cards;
  if (!layout.cards.empty()) {
    // The cards' pictures take 10 % to 60 % of the way.
    cards = BuildCardLevel(layout, options.textureResolution, tree, renderer, KeptTrunk(chain, layout),
                           [&progress](std::size_t drawn, std::size_t pictures) {
                             return !progress || progress(static_cast<int>(10 + 50 * drawn / pictures));
                           });
    if (!cards.mesh) return {};
    LodLevel& level = chain.levels.emplace_back(Level("cards", std::move(cards.mesh)));
    level.billboardColour = std::move(cards.colour);
    level.billboardTransparency = std::move(cards.transparency);
  }
  if (progress && !progress(60)) return {};
  const bool measured = static_cast<bool>(renderer);
  if (measured && !MeasureErrors(chain, tree, layout, cards.pictures, renderer, progress)) return {};
  SetScreenCoverage(chain, Height(tree), measured);
  if (progress && !progress(100)) return {};
  return chain;
}

ExportScene ChainScene(const LodChain& chain, const MaterialPictures& treePictures, double scale,
                       LodLayout layout) {
  ExportScene scene;
  scene.scale = scale;
  scene.allLevelsInScene = layout == LodLayout::kGrouped;
  for (const LodLevel& level : chain.levels) {
    MaterialPictures pictures = treePictures;
    if (!level.billboardColour.Empty()) {
      pictures.billboardColour = &level.billboardColour;
      pictures.billboardTransparency = &level.billboardTransparency;
    }
    scene.levels.push_back(ExportLevel{level.mesh.get(), pictures, level.screenCoverage});
  }
  return scene;
}

std::vector<std::string> ChainFileNames(const std::string& path, std::size_t levels, LodLayout layout) {
  if (layout != LodLayout::kFilePerLevel) return {path};
  const auto [stem, extension] = SplitExtension(path);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < levels; ++i) names.push_back(stem + "_LOD" + std::to_string(i) + extension);
  return names;
}

void WriteChain(ExportFormat format, const LodChain& chain, const MaterialPictures& treePictures,
                double scale, LodLayout layout, const std::string& path, const WindExport& wind) {
  ExportScene whole = ChainScene(chain, treePictures, scale, layout);
  whole.wind = wind;
  if (layout != LodLayout::kFilePerLevel) {
    WriteExport(format, whole, path);
    return;
  }
  // Every level in a file of its own shares the finest level's origin, so
  // that the files stand in the same place, and sways on the finest level's
  // branches, as it does in a file of the whole chain.
  const std::vector<std::string> names = ChainFileNames(path, chain.levels.size(), layout);
  for (std::size_t i = 0; i < whole.levels.size(); ++i) {
    ExportScene single;
    single.levels.push_back(whole.levels[i]);
    single.scale = scale;
    single.wind = wind;
    single.wind.grownTree = whole.levels[0].mesh;
    single.origin =
        whole.levels.empty() ? std::nullopt : std::optional<Vector3>(EngineOrigin(*whole.levels[0].mesh));
    WriteExport(format, single, names[i]);
  }
}

}  // namespace vh
