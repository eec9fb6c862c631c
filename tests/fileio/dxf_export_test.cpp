#include "fileio/dxf_export.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "foundations/file_error.h"
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

TEST(DxfExport, WritesTheWholeFileAsSpecified) {
  test::ScratchDir dir;
  MeshObject mesh;
  auto first = MakeSubmesh({{5, 5, 5}, {6, 7, 8}, {5, 6, 5}}, {{0, 1, 2}});
  first->displayList = 12;
  auto empty = MakeSubmesh({{0, 0, 0}}, {});
  empty->displayList = 13;
  mesh.submeshes = {first, empty};
  std::vector<std::string> expected = {
      "999", "DXF created from Verdanthollow v2.0", "0", "SECTION", "2", "ENTITIES"};
  // (1, 2, 3) relative to the origin is written as X 1, Y 3, Z 2.
  for (const std::string& line :
       Face(12, {"0.000000", "0.000000", "0.000000", "1.000000", "3.000000", "2.000000", "0.000000",
                 "0.000000", "1.000000", "0.000000", "0.000000", "1.000000"}))
    expected.push_back(line);
  for (const char* line :
       {"0", "ENDSEC", "0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "0", "EOF"})
    expected.push_back(line);
  EXPECT_EQ(Export(mesh, dir), expected);
}

TEST(DxfExport, OneFacePerTriangleOnItsSubmeshLayer) {
  test::ScratchDir dir;
  MeshObject mesh;
  mesh.submeshes = {test::MakeStrip(5), test::MakeStrip(3, {0, 10, 0})};
  const std::vector<std::string> lines = Export(mesh, dir);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("3DFACE")),
            static_cast<long>(mesh.PolygonCount()));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("ENTITIES")), 2);
  const std::string secondLayer = std::to_string(mesh.submeshes[1]->displayList);
  long onSecond = 0;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i)
    if (lines[i] == "8" && lines[i + 1] == secondLayer) ++onSecond;
  EXPECT_EQ(onSecond, 6);
}

TEST(DxfExport, EmptyFirstSubmeshKeepsTheOrigin) {
  test::ScratchDir dir;
  MeshObject mesh;
  mesh.submeshes = {MakeSubmesh({}, {}),
                    MakeSubmesh({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, {{0, 1, 2}})};
  const std::vector<std::string> lines = Export(mesh, dir);
  const auto x = std::find(lines.begin(), lines.end(), "10");
  ASSERT_NE(x, lines.end());
  EXPECT_EQ(*(x + 1), "1.000000");
  EXPECT_EQ(*(x + 3), "3.000000");
  EXPECT_EQ(*(x + 5), "2.000000");
}

TEST(DxfExport, FailureKeepsTheOldFile) {
  test::ScratchDir dir;
  const std::string path = dir.File("tree.dxf");
  test::WriteWholeFile(path, "old");
  MeshObject mesh;
  mesh.submeshes.push_back(MakeSubmesh({{0, 0, 0}}, {{0, 3, 0}}));
  EXPECT_THROW(ExportDXF(mesh, path), std::runtime_error);
  EXPECT_EQ(test::ReadWholeFile(path), "old");
  EXPECT_THROW(ExportDXF(MeshObject(), dir.File("none/tree.dxf")), FileError);
}

}  // namespace
}  // namespace vh
