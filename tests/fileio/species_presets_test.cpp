// The species presets shipped with the program: each one loads with its own
// pictures, grows within the bounds an interactive editor can carry, differs
// from the others and exports.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <set>

#include "fileio/obj_export.h"
#include "fileio/presets.h"
#include "imaging/picture_io.h"
#include "test_support.h"

namespace vh {
namespace {

// The presets of the source tree (the build copies the same files).
const PresetLibrary& Library() {
  static const PresetLibrary library(VH_SOURCE_DIR "/presets");
  return library;
}

// Far below the generator's budget: a preset is a starting point the
// editor must regrow quickly at every change.
constexpr std::uint64_t kInteractiveVertexLimit = 400'000;

TEST(SpeciesPresets, EightOrMoreWithTheirNames) {
  const std::vector<std::string> names = Library().Names();
  EXPECT_GE(names.size(), 8u);
  for (const char* expected : {"broadleaf-oak", "white-birch", "conifer", "weeping-willow", "palm", "shrub",
                               "young-sapling", "dead-tree"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  }
}

class EveryPreset : public testing::TestWithParam<std::string> {
 protected:
  TreeParameters Read() const { return Library().Read(GetParam(), TreeParameters()); }
};

TEST_P(EveryPreset, LoadsItsOwnLeafAndBarkPictures) {
  const TreeParameters params = Read();
  ASSERT_TRUE(params.leafTextureLoaded);
  ASSERT_TRUE(params.barkTextureLoaded);
  for (const std::string* file : {&params.leafTextureFile, &params.barkTextureFile}) {
    EXPECT_EQ(std::filesystem::path(*file).parent_path(), std::filesystem::absolute(Library().Folder()));
    EXPECT_NE(file->find(GetParam() + "-"), std::string::npos) << *file << " is not the preset's own";
    const Image picture = LoadPicture(*file);
    EXPECT_EQ(picture.width, 256);
    EXPECT_EQ(picture.height, 256);
  }
  ASSERT_GE(params.leafOutline.size(), 3u);
  ASSERT_EQ(params.leafTexCoords.size(), params.leafOutline.size());
  for (const Vector2& t : params.leafTexCoords) {
    EXPECT_TRUE(t.x >= 0.0f && t.x <= 1.0f && t.y >= 0.0f && t.y <= 1.0f) << t.x << ", " << t.y;
  }
}

TEST_P(EveryPreset, GrowsWithinTheVertexBudgetWithLeaves) {
  const Tree tree = Generate(Read());
  EXPECT_FALSE(tree.budgetExceeded);
  EXPECT_LT(tree.VertexCount(), kInteractiveVertexLimit);
  EXPECT_GT(tree.leafCount, 0);
  EXPECT_GT(tree.submeshes.size(), static_cast<std::size_t>(tree.leafCount) + 1)
      << "branches as well as leaves";
}

TEST_P(EveryPreset, ExportsWithItsPicturesAsMaterials) {
  const Tree tree = Generate(Read());
  test::ScratchDir scratch;
  const std::string path = scratch.File(GetParam() + ".obj");
  ExportOBJ(tree, path);
  const std::string obj = test::ReadWholeFile(path);
  std::uint64_t vertices = 0;
  for (const std::string& line : test::SplitLines(obj)) vertices += line.rfind("v ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(vertices, tree.VertexCount());
  // The material file names the pictures (in whatever case it writes names).
  std::string mtl = test::ReadWholeFile(path + ".mtl");
  for (char& c : mtl) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(mtl.find("map_kd " + GetParam() + "-bark.jpg\n"), std::string::npos) << mtl;
  EXPECT_NE(mtl.find("map_kd " + GetParam() + "-leaf.jpg\n"), std::string::npos) << mtl;
}

// How much the pixels on both sides of the seam (last column and first,
// or last row and first) differ, against the most that neighbours inside
// the picture differ across a JPEG block boundary, as the seam lies: at
// most about 1 for a picture that tiles; a picture that does not tile
// joins unrelated pixels there and stands out.
double SeamContrast(const Image& picture, bool acrossColumns) {
  const int lines = acrossColumns ? picture.height : picture.width;
  const int length = acrossColumns ? picture.width : picture.height;
  const auto difference = [&](int k0, int k1) {
    double sum = 0.0;
    for (int i = 0; i < lines; ++i) {
      const std::uint8_t* a = acrossColumns ? picture.At(k0, i) : picture.At(i, k0);
      const std::uint8_t* b = acrossColumns ? picture.At(k1, i) : picture.At(i, k1);
      for (int c = 0; c < 3; ++c) sum += std::abs(a[c] - b[c]);
    }
    return sum;
  };
  double inside = 1.0;
  for (int k = 7; k + 1 < length; k += 8) inside = std::max(inside, difference(k, k + 1));
  return difference(length - 1, 0) / inside;
}

TEST_P(EveryPreset, BarkTilesWithoutASeam) {
  const Image bark = LoadPicture(Read().barkTextureFile);
  EXPECT_LT(SeamContrast(bark, true), 1.1) << "around the branch";
  EXPECT_LT(SeamContrast(bark, false), 1.1) << "along the branch";
}

std::vector<std::string> PresetNames() { return Library().Names(); }

INSTANTIATE_TEST_SUITE_P(SpeciesPresets, EveryPreset, testing::ValuesIn(PresetNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

// FNV-1a of the bytes of `values`: equal for equal contents.
template <class T>
std::uint64_t Fingerprint(const std::vector<T>& values) {
  std::uint64_t hash = 14695981039346656037ull;
  const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
  for (std::size_t i = 0; i < values.size() * sizeof(T); ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return hash;
}

TEST(SpeciesPresets, DifferFromEachOther) {
  std::set<std::string> documents;
  std::set<std::uint64_t> vertexCounts;
  std::set<std::uint64_t> leaves;
  std::set<std::uint64_t> barks;
  std::set<std::uint64_t> outlines;
  const std::vector<std::string> names = Library().Names();
  for (const std::string& name : names) {
    const TreeParameters params = Library().Read(name, TreeParameters());
    const Tree tree = Generate(params);
    // Without the picture names, which differ anyway.
    TreeParameters shape = params;
    shape.barkTextureFile = shape.leafTextureFile = "";
    documents.insert(FormatDocument(shape));
    vertexCounts.insert(tree.VertexCount());
    leaves.insert(Fingerprint(LoadPicture(params.leafTextureFile).pixels));
    barks.insert(Fingerprint(LoadPicture(params.barkTextureFile).pixels));
    std::vector<float> outline;
    for (const Vector2& p : params.leafOutline) outline.insert(outline.end(), {p.x, p.y});
    outlines.insert(Fingerprint(outline));
  }
  EXPECT_EQ(documents.size(), names.size());
  EXPECT_EQ(vertexCounts.size(), names.size());
  EXPECT_EQ(leaves.size(), names.size()) << "each preset has a leaf picture of its own";
  EXPECT_EQ(barks.size(), names.size()) << "each preset has a bark picture of its own";
  EXPECT_EQ(outlines.size(), names.size()) << "each preset has a leaf outline of its own";
}

// The committed presets are what tools/preset_maker makes: documents byte
// for byte, pictures pixel for pixel within what JPEG coding may vary.
TEST(SpeciesPresets, AreWhatThePresetMakerMakes) {
  test::ScratchDir scratch;
  const std::string command =
      "'" VH_BINARY_DIR "/tools/preset_maker/preset_maker' '" + scratch.path().string() + "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const std::string& name : Library().Names()) {
    EXPECT_EQ(test::ReadWholeFile(scratch.File(name + ".vhm")), test::ReadWholeFile(Library().PathOf(name)))
        << name;
    for (const std::string suffix : {"-leaf.jpg", "-bark.jpg"}) {
      const Image made = LoadPicture(scratch.File(name + suffix));
      const Image kept = LoadPicture(Library().Folder() + "/" + name + suffix);
      ASSERT_EQ(made.pixels.size(), kept.pixels.size()) << name << suffix;
      int worst = 0;
      for (std::size_t i = 0; i < made.pixels.size(); ++i)
        worst = std::max(worst, std::abs(made.pixels[i] - kept.pixels[i]));
      EXPECT_LE(worst, 3) << name << suffix;
    }
  }
}

}  // namespace
}  // namespace vh
