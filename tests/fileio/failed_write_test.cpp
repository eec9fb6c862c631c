// Exports that fail, because the mesh cannot be written, the directory does
// not exist or the disk fills part-way, leave the files that were there
// before untouched.
#include <gtest/gtest.h>

#include "common/file_size_limit.h"
#include "common/kept_files.h"
#include "fileio/dxf_export.h"
#include "fileio/obj_export.h"
#include "fileio/tds_export.h"
#include "test_support.h"

namespace vh {
namespace {

TEST(FailedWrite, RefusedExportsKeepTheOldFiles) {
  using Writer = void (*)(const MeshObject&, const std::string&);
  const struct {
    Writer write;
    std::vector<std::string> files;  // the written file first
  } writers[] = {
      {ExportOBJ, {"tree.obj", "tree.obj.mtl"}},
      {ExportDXF, {"tree.dxf"}},
      {Export3DS, {"tree.3ds"}},
  };
  MeshObject missingVertex;  // a triangle naming a vertex the submesh does not have
  missingVertex.submeshes.push_back(test::MakeSubmesh({{0, 0, 0}}, {{0, 0, 1}}));
  for (const auto& writer : writers) {
    test::KeptFiles kept;
    for (const std::string& file : writer.files) kept.Put(file, "old " + file);
    const std::string& name = writer.files.front();
    EXPECT_THROW(writer.write(missingVertex, kept.dir.File(name)), std::runtime_error) << name;
    EXPECT_THROW(writer.write(MeshObject(), kept.dir.File("missing/" + name)), FileError) << name;
    kept.ExpectUntouched();
  }
}

TEST(FailedWrite, DxfExportStoppedPartWayKeepsTheOldFile) {
  test::KeptFiles kept;
  const std::string path = kept.Put("tree.dxf", "old dxf");
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(20000));  // several megabytes of DXF
  test::ExpectFailedWriteNaming(path, 64 * 1024, [&] { ExportDXF(mesh, path); });
  kept.ExpectUntouched();
}

TEST(FailedWrite, ObjExportKeepsBothOldFiles) {
  test::KeptFiles kept;
  const std::string path = kept.Put("tree.obj", "old obj");
  kept.Put("tree.obj.mtl", "old mtl");
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(40000));
  test::ExpectFailedWriteNaming(path, 256 * 1024, [&] { ExportOBJ(mesh, path); });
  kept.ExpectUntouched();
}

}  // namespace
}  // namespace vh
