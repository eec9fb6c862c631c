// Exports that fail part-way, the way a full disk makes them fail, leave the
// files that were there before untouched.
#include <gtest/gtest.h>

#include "common/file_size_limit.h"
#include "common/kept_files.h"
#include "fileio/dxf_export.h"
#include "fileio/obj_export.h"
#include "test_support.h"

namespace vh {
namespace {

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
