// Exports that fail part-way, the way a full disk makes them fail, leave the
// files that were there before untouched.
#include <gtest/gtest.h>

#include "common/file_size_limit.h"
#include "fileio/dxf_export.h"
#include "fileio/obj_export.h"
#include "foundations/file_error.h"
#include "test_support.h"

namespace vh {
namespace {

TEST(FailedWrite, DxfExportStoppedPartWayKeepsTheOldFile) {
  test::ScratchDir dir;
  const std::string path = dir.File("tree.dxf");
  test::WriteWholeFile(path, "old dxf");
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(20000));  // several megabytes of DXF
  {
    test::FileSizeLimit limit(64 * 1024);
    try {
      ExportDXF(mesh, path);
      FAIL() << "the export did not notice the failed write";
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
  }
  EXPECT_EQ(test::ReadWholeFile(path), "old dxf");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"tree.dxf"});
}

TEST(FailedWrite, ObjExportKeepsBothOldFiles) {
  test::ScratchDir dir;
  const std::string path = dir.File("tree.obj");
  test::WriteWholeFile(path, "old obj");
  test::WriteWholeFile(path + ".mtl", "old mtl");
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(40000));
  {
    test::FileSizeLimit limit(256 * 1024);
    EXPECT_THROW(ExportOBJ(mesh, path), FileError);
  }
  EXPECT_EQ(test::ReadWholeFile(path), "old obj");
  EXPECT_EQ(test::ReadWholeFile(path + ".mtl"), "old mtl");
  EXPECT_EQ(dir.Entries().size(), 2u);
}

}  // namespace
}  // namespace vh
