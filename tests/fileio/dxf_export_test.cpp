#include "fileio/dxf_export.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace vh {
namespace {

using test::MakeSubmesh;

std::vector<std::string> Export(const MeshObject& mesh, test::ScratchDir& dir) {
  const std::string path = dir.File("tree.dxf");
  ExportDXF(mesh, path);
  return test::SplitLines(test::ReadWholeFile(path));
}

std::vector<std::string> Face(unsigned layer, const std::vector<std::string>& corners) {
  std::vector<std::string> lines = {"0", "3DFACE", "8", std::to_string(layer), "62", "3"};
  const char* codes[] = {"10", "20", "30", "11", "21", "31", "12", "22", "32", "13", "23", "33"};
  for (std::size_t i = 0; i < corners.size(); ++i) {
    lines.push_back(codes[i]);
    lines.push_back(corners[i]);
  }
  return lines;
}

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

TEST(DxfExport, WritesTheWholeFileAsSpecified) {
  test::ScratchDir dir;
  MeshObject mesh;
  auto first = MakeSubmesh({{5, 5, 5}, {6, 7, 8}, {5, 6, 5}}, {{0, 1, 2}});
  first->displayList = 12;
  auto empty = MakeSubmesh({{0, 0, 0}}, {});
  empty->displayList = 13;
  auto last = MakeSubmesh({{5, 5, 6}, {5, 5, 5}}, {{1, 0, 0}});
  last->displayList = 14;
  mesh.submeshes = {first, empty, last};
  std::vector<std::string> expected = {"999",     "DXF created from Verdanthollow v2.0", "0", "SECTION", "2",
                                       "ENTITIES"};
  // (1, 2, 3) relative to the origin is written as X 1, Y 3, Z 2.
  Append(expected, Face(12, {"0.000000", "0.000000", "0.000000", "1.000000", "3.000000", "2.000000",
                             "0.000000", "0.000000", "1.000000", "0.000000", "0.000000", "1.000000"}));
  // The empty submesh writes nothing; the next one's faces follow in the
  // same section, relative to the same origin, on their own layer.
  Append(expected, Face(14, {"0.000000", "0.000000", "0.000000", "0.000000", "1.000000", "0.000000",
                             "0.000000", "1.000000", "0.000000", "0.000000", "1.000000", "0.000000"}));
  Append(expected, {"0", "ENDSEC", "0", "EOF"});
  EXPECT_EQ(Export(mesh, dir), expected);
}

TEST(DxfExport, AMeshWithoutFacesWritesAnEmptySection) {
  test::ScratchDir dir;
  const std::vector<std::string> expected = {
      "999", "DXF created from Verdanthollow v2.0", "0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "0",
      "EOF"};
  EXPECT_EQ(Export(MeshObject(), dir), expected);
  MeshObject mesh;
  mesh.submeshes = {MakeSubmesh({{1, 2, 3}}, {}), MakeSubmesh({}, {})};
  EXPECT_EQ(Export(mesh, dir), expected);
}

// Every face in one section, submesh after submesh in list order, each on
// its submesh's layer.
TEST(DxfExport, OneSectionHoldsEveryFaceInListOrderOnItsSubmeshLayer) {
  test::ScratchDir dir;
  MeshObject mesh;
  mesh.submeshes = {test::MakeStrip(5), test::MakeStrip(3, {0, 10, 0}), test::MakeStrip(1, {0, 20, 0})};
  mesh.submeshes[0]->displayList = 7;
  mesh.submeshes[1]->displayList = 3;
  mesh.submeshes[2]->displayList = 40;
  const std::vector<std::string> lines = Export(mesh, dir);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("SECTION")), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("ENTITIES")), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("ENDSEC")), 1);
  std::vector<std::string> layers;
  for (std::size_t i = 0; i + 3 < lines.size(); ++i)
    if (lines[i] == "3DFACE" && lines[i + 1] == "8") layers.push_back(lines[i + 2]);
  std::vector<std::string> expected(10, "7");
  expected.insert(expected.end(), 6, "3");
  expected.insert(expected.end(), 2, "40");
  EXPECT_EQ(layers, expected);
  EXPECT_EQ(static_cast<long>(layers.size()), static_cast<long>(mesh.PolygonCount()));
  // The section closes after the last face, just before the end of file.
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"0", "ENDSEC", "0", "EOF"}));
}

TEST(DxfExport, EmptyFirstSubmeshKeepsTheOrigin) {
  test::ScratchDir dir;
  MeshObject mesh;
  mesh.submeshes = {MakeSubmesh({}, {}), MakeSubmesh({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, {{0, 1, 2}})};
  const std::vector<std::string> lines = Export(mesh, dir);
  // The first corner's group 10 follows the face's layer and colour.
  const auto face = std::find(lines.begin(), lines.end(), "3DFACE");
  ASSERT_GT(lines.end() - face, 10);
  const auto x = face + 5;
  ASSERT_EQ(*x, "10");
  EXPECT_EQ(*(x + 1), "1.000000");
  EXPECT_EQ(*(x + 3), "3.000000");
  EXPECT_EQ(*(x + 5), "2.000000");
}

}  // namespace
}  // namespace vh
