// Our exports read back by independent readers: Assimp for OBJ and 3DS,
// ezdxf for DXF. Counts and bounds must match the mesh we wrote.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>

#include "fileio/dxf_export.h"
#include "fileio/obj_export.h"
#include "fileio/tds_export.h"
#include "test_support.h"
#include "tree/tree.h"

namespace vh {
namespace {

struct CommandResult {
  int status = -1;
  std::string output;
};

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    result.output.append(buffer.data(), n);
  result.status = ::pclose(pipe);
  return result;
}

// A number reported by `assimp info` on the line "<label>: <number>", or -1.
long AssimpCount(const std::string& output, const std::string& label) {
  const std::size_t at = output.find("\n" + label + ":");
  if (at == std::string::npos) return -1;
  long value = -1;
  std::sscanf(output.c_str() + at + label.size() + 2, " %ld", &value);
  return value;
}

// "Minimum point (x y z)" / "Maximum point (x y z)"; NaN when missing.
Vector3 AssimpPoint(const std::string& output, const std::string& label) {
  Vector3 p{std::nanf(""), 0, 0};
  const std::size_t at = output.find(label);
  if (at != std::string::npos)
    std::sscanf(output.c_str() + at + label.size(), " (%f %f %f)", &p.x, &p.y, &p.z);
  return p;
}

CommandResult AssimpInfo(const std::string& path, bool raw) {
  const CommandResult result = RunCommand("assimp info '" + path + "'" + (raw ? " -r" : ""));
  EXPECT_EQ(result.status, 0) << result.output;
  return result;
}

// Bounds of (position - origin) * scale, where origin is the first vertex.
void Bounds(const MeshObject& mesh, float scale, Vector3& low, Vector3& high) {
  const float inf = std::numeric_limits<float>::infinity();
  low = {inf, inf, inf};
  high = {-inf, -inf, -inf};
  const Vector3 origin = mesh.submeshes.front()->vertices.front().position;
  for (const auto& submesh : mesh.submeshes)
    for (const Vertex& v : submesh->vertices) {
      const Vector3 p = (v.position - origin) * scale;
      low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
      high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
}

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A tree with leaves, so that both materials and both kinds of submesh occur.
Tree GrowSmallLeafyTree() {
  TreeParameters params(1);
  params.leafOutline = {{0, -20}, {10, 0}, {0, 30}, {-10, 0}};
  params.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
  return Generate(params);
}

// The per-mesh lines of `assimp info`: "  3 (name): [V / B / F | types]",
// as (name, face count) in mesh order.
std::vector<std::pair<std::string, long>> AssimpMeshes(const std::string& output) {
  std::vector<std::pair<std::string, long>> meshes;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t open = line.find(" ("), close = line.find("): [");
    long index = 0, vertices = 0, bones = 0, faces = 0;
    if (open == std::string::npos || close == std::string::npos || close < open) continue;
    if (std::sscanf(line.c_str(), " %ld", &index) != 1) continue;
    if (std::sscanf(line.c_str() + close, "): [%ld / %ld / %ld |", &vertices, &bones, &faces) != 3) continue;
    meshes.emplace_back(line.substr(open + 2, close - open - 2), faces);
  }
  return meshes;
}

// Assimp drops meshes without faces; the others must come in list order
// with their face counts.
void ExpectMeshFaces(const std::string& output, const MeshObject& mesh, bool namedGroups) {
  const auto meshes = AssimpMeshes(output);
  std::size_t next = 0;
  for (const auto& submesh : mesh.submeshes) {
    if (submesh->triangles.empty()) continue;
    ASSERT_LT(next, meshes.size()) << output;
    EXPECT_EQ(meshes[next].second, static_cast<long>(submesh->triangles.size()));
    if (namedGroups) {
      EXPECT_EQ(meshes[next].first, "object" + std::to_string(submesh->displayList));
    }
    ++next;
  }
  EXPECT_EQ(next, meshes.size());
}

long MeshesWithFaces(const MeshObject& mesh) {
  long count = 0;
  for (const auto& submesh : mesh.submeshes) count += submesh->triangles.empty() ? 0 : 1;
  return count;
}

TEST(ThirdPartyReaders, AssimpReadsOurObjWithItsCounts) {
  test::ScratchDir dir;
  const Tree tree = GrowSmallLeafyTree();
  ASSERT_GT(tree.leafCount, 0);
  const std::string path = dir.File("tree.obj");
  ExportOBJ(tree, path);
  const std::string raw = AssimpInfo(path, true).output;
  EXPECT_EQ(AssimpCount(raw, "Meshes"), MeshesWithFaces(tree)) << raw;
  EXPECT_EQ(AssimpCount(raw, "Faces"), static_cast<long>(tree.PolygonCount())) << raw;
  // In a raw import Assimp gives every face corner a vertex of its own.
  EXPECT_EQ(AssimpCount(raw, "Vertices"), static_cast<long>(3 * tree.PolygonCount())) << raw;
  // Assimp adds a default material to those of the material file.
  EXPECT_EQ(AssimpCount(raw, "Materials"), 3) << raw;

  Vector3 low, high;
  Bounds(tree, 0.01f, low, high);
  ExpectNear(AssimpPoint(raw, "Minimum point"), low, 1e-5f);
  ExpectNear(AssimpPoint(raw, "Maximum point"), high, 1e-5f);

  ExpectMeshFaces(raw, tree, true);
}

TEST(ThirdPartyReaders, AssimpReadsOur3dsWithItsCounts) {
  test::ScratchDir dir;
  const Tree tree = GrowSmallLeafyTree();
  const std::string path = dir.File("tree.3ds");
  Export3DS(tree, path);
  const std::string raw = AssimpInfo(path, true).output;
  EXPECT_EQ(AssimpCount(raw, "Meshes"), MeshesWithFaces(tree)) << raw;
  EXPECT_EQ(AssimpCount(raw, "Faces"), static_cast<long>(tree.PolygonCount())) << raw;
  EXPECT_EQ(AssimpCount(raw, "Vertices"), static_cast<long>(3 * tree.PolygonCount())) << raw;
  EXPECT_EQ(AssimpCount(raw, "Materials"), 2) << raw;  // bark and leaves

  // The file stores (x, z, y); Assimp turns 3DS's z-up into y-up as
  // (x, z, -y) of the file, which is (x, y, -z) of ours.
  Vector3 low, high;
  Bounds(tree, 1.0f, low, high);
  ExpectNear(AssimpPoint(raw, "Minimum point"), {low.x, low.y, -high.z}, 1e-3f);
  ExpectNear(AssimpPoint(raw, "Maximum point"), {high.x, high.y, -low.z}, 1e-3f);

  ExpectMeshFaces(raw, tree, false);
}

TEST(ThirdPartyReaders, AssimpReadsASplit3dsSubmesh) {
  test::ScratchDir dir;
  MeshObject mesh;
  mesh.submeshes = {test::MakeStrip(40000)};  // 80002 vertices, 80000 faces
  const std::string path = dir.File("big.3ds");
  Export3DS(mesh, path);
  const std::string raw = AssimpInfo(path, true).output;
  EXPECT_EQ(AssimpCount(raw, "Meshes"), 2) << raw;
  EXPECT_EQ(AssimpCount(raw, "Faces"), 80000) << raw;
}

// The DXF tests run on the default tree (branches only) and on a tree with
// leaves, whose many small submeshes are many layers.
struct DxfTree {
  const char* name;
  Tree (*grow)();
};
void PrintTo(const DxfTree& tree, std::ostream* os) { *os << tree.name; }

class DxfReaders : public ::testing::TestWithParam<DxfTree> {
 protected:
  void SetUp() override {
    tree = GetParam().grow();
    ASSERT_GT(tree.PolygonCount(), 1000u);
    path = dir.File("tree.dxf");
    ExportDXF(tree, path);
  }
  test::ScratchDir dir;
  Tree tree;
  std::string path;
};

// Our DXF has one ENTITIES section and no header or tables. ezdxf's strict
// reader must find every face on its submesh's layer, and its audit no error.
TEST_P(DxfReaders, EzdxfStrictReaderFindsEveryFace) {
  const std::string script =
      "import ezdxf, collections\n"
      "doc = ezdxf.readfile('" +
      path +
      "')\n"
      "auditor = doc.audit()\n"
      "print('errors', len(auditor.errors))\n"
      "faces = doc.modelspace().query('3DFACE')\n"
      "print('faces', len(faces))\n"
      "print('layers', len(collections.Counter(f.dxf.layer for f in faces)))\n"
      "print('first %.6f %.6f %.6f' % tuple(faces[0].dxf.vtx0))\n";
  test::WriteWholeFile(dir.File("check.py"), script);
  const CommandResult result = RunCommand("/usr/bin/python3 '" + dir.File("check.py") + "'");
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("errors 0\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("faces " + std::to_string(tree.PolygonCount()) + "\n"), std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find("layers " + std::to_string(MeshesWithFaces(tree)) + "\n"), std::string::npos)
      << result.output;
  // The first face starts at the first submesh's first vertex: the origin.
  EXPECT_NE(result.output.find("first 0.000000 0.000000 0.000000"), std::string::npos) << result.output;
}

TEST_P(DxfReaders, AssimpFindsEveryFace) {
  const std::string info = AssimpInfo(path, true).output;
  EXPECT_EQ(AssimpCount(info, "Faces"), static_cast<long>(tree.PolygonCount())) << info;
  // DXF's z is our y: the file holds (x, z, y) relative to the origin, and
  // Assimp turns that z-up space into y-up as (x, z, -y) of the file.
  Vector3 low, high;
  Bounds(tree, 1.0f, low, high);
  ExpectNear(AssimpPoint(info, "Minimum point"), {low.x, low.y, -high.z}, 1e-3f);
  ExpectNear(AssimpPoint(info, "Maximum point"), {high.x, high.y, -low.z}, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(ThirdPartyReaders, DxfReaders,
                         ::testing::Values(DxfTree{"DefaultTree", [] { return Generate(TreeParameters(2)); }},
                                           DxfTree{"LeafyTree", GrowSmallLeafyTree}),
                         [](const ::testing::TestParamInfo<DxfTree>& info) { return info.param.name; });

}  // namespace
}  // namespace vh
