// libFuzzer target for the whole way from a document to every export: a
// document that reads is grown (within a small vertex budget, so that every
// input runs in milliseconds) and written as OBJ, DXF and 3DS, as a .glb,
// as a two-level chain of levels of detail (no pictures needed) and as a
// swaying .glb with the wind's skin. The .glb files are built in memory and
// read back by tinygltf (see glb_checks.h); the other formats go to a
// folder in memory (/dev/shm where there is one) through the program's own
// writers, and the OBJ and DXF files are read back and counted. Any crash,
// sanitizer report, exception or failed check is a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "billboard/lod_chain.h"
#include "fileio/document.h"
#include "fileio/document_error.h"
#include "fileio/dxf_export.h"
#include "fileio/export_scene.h"
#include "fileio/gltf_export.h"
#include "fileio/obj_export.h"
#include "fileio/tds_export.h"
#include "fuzzed_document.h"
#include "glb_checks.h"
#include "tree/tree.h"

namespace {

// A tree of the fuzzer's own size: large enough for several levels of
// branches with their leaves, small enough for many inputs a second.
constexpr std::uint64_t kFuzzVertexBudget = 6'000;

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

// A folder for the files, in memory where the system has a memory file
// system, removed when the fuzzer ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* root = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    m_path = std::string(root) + "/vh-export-fuzz-XXXXXX";
    if (::mkdtemp(m_path.data()) == nullptr) Finding("cannot make a folder for the exports");
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

const std::string& Folder() {
  static const ScratchFolder folder;
  return folder.path();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every OBJ face names vertices that were written before it.
void CheckObj(const std::string& text, std::size_t triangles) {
  std::istringstream lines(text);
  std::size_t vertices = 0, faces = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("v ", 0) == 0) ++vertices;
    if (line.rfind("f ", 0) != 0) continue;
    ++faces;
    std::istringstream corners(line.substr(2));
    for (std::string corner; corners >> corner;) {
      const unsigned long index = std::strtoul(corner.c_str(), nullptr, 10);
      if (index < 1 || index > vertices) Finding("an OBJ face names vertex " + corner);
    }
  }
  if (faces != triangles) Finding("the OBJ file has " + std::to_string(faces) + " faces");
}

void CheckDxf(const std::string& text, std::size_t triangles) {
  std::size_t faces = 0;
  for (std::size_t at = text.find("3DFACE"); at != std::string::npos; at = text.find("3DFACE", at + 1))
    ++faces;
  if (faces != triangles) Finding("the DXF file has " + std::to_string(faces) + " faces");
}

void CheckGlb(const vh::ExportScene& scene, const char* what) {
  vh::GlbFile glb(scene, Folder() + "/memory.glb");
  const std::string fault = vh::fuzz::GlbFault(glb.Bytes());
  if (!fault.empty()) Finding(std::string(what) + ": " + fault);
}

std::size_t Triangles(const vh::MeshObject& mesh) {
  std::size_t triangles = 0;
  for (const auto& submesh : mesh.submeshes) triangles += submesh->triangles.size();
  return triangles;
}

// Small pictures for both materials, so that textured materials export.
const vh::MaterialPictures& Pictures() {
  static const vh::Image leaf = [] {
    vh::Image image(4, 4, 4);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(i * 37);
    return image;
  }();
  static const vh::Image bark(8, 2);
  static const vh::MaterialPictures pictures{&leaf, &bark, nullptr, nullptr};
  return pictures;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<vh::TreeParameters> read = ReadFuzzedDocument(data, size);
  if (!read) return 0;
  const vh::TreeParameters& params = *read;
  vh::GenerationOptions options;
  options.workers = 1;
  vh::GenerationControl control;
  control.vertexBudget = kFuzzVertexBudget;
  const vh::Tree tree = vh::Generate(params, options, control);
  const std::size_t triangles = Triangles(tree);
  if (triangles == 0) return 0;  // nothing to export: every exporter refuses it

  vh::ExportOBJ(tree, Folder() + "/tree.obj");
  CheckObj(ReadFile(Folder() + "/tree.obj"), triangles);
  vh::ExportDXF(tree, Folder() + "/tree.dxf");
  CheckDxf(ReadFile(Folder() + "/tree.dxf"), triangles);
  vh::Export3DS(tree, Folder() + "/tree.3ds");

  CheckGlb(vh::SingleMeshScene(tree, Pictures()), "the .glb");

  // The tree and its first reduction, at a share the document's seed picks.
  vh::LodChainOptions shares;
  shares.firstShare = 0.05 + static_cast<unsigned>(params.seed) % 96 / 100.0;
  shares.secondShare = shares.firstShare / 2;
  vh::LodChain chain = vh::BuildGeometryLevels(tree, shares);
  chain.levels.resize(2);
  chain.levels[0].screenCoverage = 0.25;
  chain.levels[1].screenCoverage = 0.125;
  CheckGlb(vh::ChainScene(chain, Pictures()), "the chain's .glb");

  vh::ExportScene swaying = vh::SingleMeshScene(tree, Pictures());
  swaying.wind = vh::SwayingExport(params.wind, params.seed % 2 != 0);
  CheckGlb(swaying, "the swaying .glb");
  return 0;
}
