// The "billboard" command end to end: a leafy tree document in, a billboard
// cloud out, read back by Assimp and our BMP reader; bad input refused
// without writing anything.
#ifdef VH_CLI_BILLBOARD

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/run_tool.h"
#include "common/scratch_dir.h"
#include "imaging/bmp.h"

namespace {

const std::string kLeafyTree = std::string(VH_TEST_DATA_DIR) + "/billboard_tree.vhm";

using vh::test::ScratchDir;

struct Outcome {
  int status = -1;
  std::string output;
};

Outcome Execute(const std::string& command) {
  Outcome run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    run.output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

using vh::test::Quoted;

Outcome Billboard(const std::string& arguments) {
  const vh::test::ToolRun run = vh::test::RunTool("billboard " + arguments);
  return {run.status, run.out + run.err};
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

long Number(const std::string& text, const std::string& label) {
  std::smatch match;
  if (!std::regex_search(text, match, std::regex(label + ":?\\s+(\\d+)"))) return -1;
  return std::stol(match[1]);
}

TEST(BillboardCli, LeafyTreeBecomesObjWithBillboardMaterialAndTwoPictures) {
  ScratchDir dir;
  const Outcome run =
      Billboard(Quoted(kLeafyTree) + " -o " + Quoted(dir.File("leafy.obj")) + " --precision 20");
  ASSERT_EQ(run.status, 0) << run.output;
  const long billboards = Number(run.output, "billboards");
  const long polygons = Number(run.output, "polygons");
  EXPECT_GT(billboards, 0) << run.output;

  const std::string mtl = ReadText(dir.File("leafy.obj.mtl"));
  EXPECT_NE(mtl.find("newmtl BBdMat\n"), std::string::npos) << mtl;
  // The texture is named exactly as the file written beside the geometry.
  EXPECT_NE(mtl.find("map_Kd leafyTexture.bmp\n"), std::string::npos) << mtl;
  EXPECT_NE(mtl.find("newmtl Material2\n"), std::string::npos) << "mode 0 keeps the branches\n" << mtl;

  const Outcome info = Execute("assimp info " + Quoted(dir.File("leafy.obj")));
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_EQ(Number(info.output, "Materials"), 2) << info.output;
  EXPECT_EQ(Number(info.output, "Faces"), polygons) << info.output;
  EXPECT_NE(info.output.find("'BBdMat'"), std::string::npos);

  const vh::Image colour = vh::ReadBMP(dir.File("leafyTexture.bmp"));
  const vh::Image transparency = vh::ReadBMP(dir.File("leafyTransparency.bmp"));
  EXPECT_EQ(colour.width, 2048);
  EXPECT_EQ(colour.channels, 3);
  ASSERT_EQ(transparency.width, 2048);
  std::size_t white = 0, black = 0, keyed = 0;
  for (std::size_t i = 0; i < transparency.pixels.size(); i += 3) {
    white += transparency.pixels[i] == 255;
    black += transparency.pixels[i] == 0;
    keyed += colour.pixels[i] == 50 && colour.pixels[i + 1] == 134 && colour.pixels[i + 2] == 40;
  }
  EXPECT_GT(white, 0u) << "the leaves were drawn into the pictures";
  EXPECT_GT(black, white) << "most of the atlas is transparent";
  EXPECT_EQ(white + black, transparency.pixels.size() / 3);
  EXPECT_EQ(keyed, black) << "transparent exactly where the colour texture has the key colour";
  EXPECT_EQ(dir.Entries().size(), 4u);
}

TEST(BillboardCli, ModeOneReplacesTheBranchesAndHonoursTheResolution) {
  ScratchDir dir;
  const Outcome run = Billboard("-o " + Quoted(dir.File("all.3DS")) +
                                " --mode 1 --resolution 5 --count 3 --precision 5 "
                                "--quality 2 --favour-vertical");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Number(run.output, "billboards"), Number(run.output, "submeshes")) << run.output;
  EXPECT_EQ(Number(run.output, "polygons"), 2 * Number(run.output, "billboards")) << run.output;
  EXPECT_EQ(vh::ReadBMP(dir.File("allTexture.bmp")).width, 32);
  EXPECT_EQ(vh::ReadBMP(dir.File("allTransparency.bmp")).height, 32);
  const Outcome info = Execute("assimp info " + Quoted(dir.File("all.3DS")));
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_EQ(Number(info.output, "Materials"), 1) << info.output;
}

TEST(BillboardCli, SameInputGivesTheSameCloud) {
  ScratchDir dir;
  ASSERT_EQ(Billboard("-o " + Quoted(dir.File("a.dxf")) + " --precision 10 --resolution 6").status, 0);
  ASSERT_EQ(Billboard("-o " + Quoted(dir.File("b.dxf")) + " --precision 10 --resolution 6").status, 0);
  ASSERT_EQ(Billboard("-o " + Quoted(dir.File("c.dxf")) + " --precision 10 --resolution 6 --seed 7").status,
            0);
  EXPECT_EQ(ReadText(dir.File("a.dxf")), ReadText(dir.File("b.dxf")));
  EXPECT_NE(ReadText(dir.File("a.dxf")), ReadText(dir.File("c.dxf"))) << "another seed grows another tree";
  EXPECT_EQ(ReadText(dir.File("aTexture.bmp")), ReadText(dir.File("bTexture.bmp")));
}

TEST(BillboardCli, BadArgumentsAreRefusedAndWriteNothing) {
  ScratchDir dir;
  const std::string out = Quoted(dir.File("tree.obj"));
  const struct {
    std::string arguments;
    const char* message;
  } cases[] = {
      {"-o " + Quoted(dir.File("tree.png")), "extension must be .3ds, .dxf, .obj, .glb or .gltf"},
      {"", "no output file given"},
      {"-o " + out + " --count 0", "--count needs an integer from 1 to 100"},
      {"-o " + out + " --precision 501", "--precision needs an integer from 1 to 500"},
      {"-o " + out + " --mode 2", "--mode needs an integer from 0 to 1"},
      {"-o " + out + " --quality x", "--quality needs an integer from 1 to 15"},
      {"-o " + out + " --resolution 13", "--resolution needs an integer from 5 to 12"},
      {"-o " + out + " --resolution", "--resolution needs a number"},
      {"-o " + out + " --colour red", "unknown option '--colour'"},
      {"-o " + out + " --seed 1e3", "--seed needs an integer from -2147483648 to 2147483647"},
      {Quoted(dir.File("missing.vhm")) + " -o " + out, "missing.vhm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome run = Billboard(c.arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
  }
  EXPECT_EQ(dir.Entries().size(), 0u);
}

// The leafy document with a leaf picture (and its "loaded" flag) and a bark
// picture that does not exist.
std::string DocumentWithTextures(const ScratchDir& dir, const std::string& leafPicture) {
  std::istringstream in(ReadText(kLeafyTree));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  // Header, point count 4, eight point lines, then bark name, leaf name,
  // prefix, bark loaded, leaf loaded.
  lines.at(10) = dir.File("missing-bark.jpg");
  lines.at(11) = leafPicture;
  lines.at(14) = "1";
  const std::string path = dir.File("textured.vhm");
  std::ofstream out(path);
  for (const std::string& line : lines) out << line << '\n';
  return path;
}

TEST(BillboardCli, PicturesUseTheDocumentsLeafTexture) {
  ScratchDir dir;
  vh::Image pink(4, 4);
  for (std::size_t i = 0; i < pink.pixels.size(); i += 3) {
    pink.pixels[i] = 250;
    pink.pixels[i + 1] = 20;
    pink.pixels[i + 2] = 200;
  }
  vh::WriteBMP(dir.File("pink.bmp"), pink);
  const std::string document = DocumentWithTextures(dir, dir.File("pink.bmp"));
  const Outcome run = Billboard(Quoted(document) + " -o " + Quoted(dir.File("t.obj")) + " --resolution 9");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("warning: the bark picture '" + dir.File("missing-bark.jpg") + "' is missing"),
            std::string::npos)
      << run.output;
  const vh::Image colour = vh::ReadBMP(dir.File("tTexture.bmp"));
  std::size_t pinkish = 0, drawn = 0;
  for (std::size_t i = 0; i < colour.pixels.size(); i += 3) {
    const int r = colour.pixels[i], g = colour.pixels[i + 1], b = colour.pixels[i + 2];
    if (r == 50 && g == 134 && b == 40) continue;
    ++drawn;
    pinkish += r > g && b > g;
  }
  EXPECT_GT(drawn, 0u);
  EXPECT_EQ(pinkish, drawn) << "every leaf pixel is modulated by the pink picture";
}

TEST(BillboardCli, HelpListsTheCommand) {
  const vh::test::ToolRun run = vh::test::RunTool("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("billboard [DOC.vhm | --preset NAME] -o OUT [--seed N]"), std::string::npos)
      << run.out;
}

// The manual page, made by help2man from the help and the hand-written
// part as the build makes it, says what --count sets: the slice a billboard
// stands for, not how many are made (--count 30 makes more than 30).
TEST(BillboardCli, ManualPageSaysWhatCountSets) {
  if (std::system("help2man --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "help2man is not installed";
  ScratchDir dir;
  const std::string page = dir.File("verdanthollow-cli.1");
  ASSERT_EQ(std::system(("help2man --no-info --version-string=1 --include=" +
                         Quoted(VH_SOURCE_DIR "/packaging/verdanthollow-cli.h2m") +
                         " --output=" + Quoted(page) + " " + Quoted(vh::test::kCommandLineTool))
                            .c_str()),
            0);
  // As a reader sees it: line breaks and indents are spaces.
  const std::string text = std::regex_replace(ReadText(page), std::regex("\\s+"), " ");
  EXPECT_NE(text.find("sets the slice a billboard stands for, 100/N scene units either side"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("a slice of 100/30 scene units either side"), std::string::npos) << text;
  EXPECT_EQ(text.find("N billboards"), std::string::npos);
  EXPECT_EQ(text.find("30 billboards"), std::string::npos);
}

}  // namespace

#endif  // VH_CLI_BILLBOARD
