// glTF 2.0 export: a mesh (or a chain of levels of detail) as a binary .glb
// or as a .gltf with its .bin and picture files beside it.
//
// Submeshes are merged by material number into one primitive per material,
// so a tree draws in as many calls as it has materials. Coordinates are
// (position - origin) x 0.01, times the scene's scale, as the OBJ export
// scales them; the origin is the scene's own when it has one (a billboard
// cloud takes its tree's, so that both stand in the same place), otherwise
// the centre of the first level's trunk base (EngineOrigin), where engines
// expect a tree to stand.
// Triangles are written counter-clockwise (the generator's are clockwise),
// normals as the generator made them (made unit length where they are
// not), texture coordinates as they are: the program's pictures, like
// glTF's, have their origin at the top-left corner. Untextured materials with
// per-vertex colours get COLOR_0 (in linear light); one uniform colour
// becomes the material's base colour. Pictures are embedded as PNG when
// they have transparent parts, as JPEG otherwise. With the scene's wind the
// file also carries a skin and a looping animation (see gltf_wind.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "fileio/export_scene.h"

namespace vh {

class AtomicFile;
class FreshBlock;
class GltfAsset;

// The generator string written into every file's asset block.
inline constexpr const char* kGltfGenerator = "Verdanthollow 2.0";

// Writes `scene` as one binary glTF file. Throws std::runtime_error (with
// the file's name) for a scene without triangles, a textured material whose
// picture is missing, or a file beyond the 4 GiB a .glb can hold;
// PictureError when a picture cannot be encoded; FileError when the file
// cannot be written. A failure leaves any previous file as it was.
void ExportGLB(const ExportScene& scene, const std::string& path);

// A binary glTF file built in memory: what ExportGLB writes, kept apart so
// that building and writing can be measured apart. The file is planned and
// its JSON written at once; its geometry is filled by Fill, or by WriteTo
// while it writes what is already complete.
class GlbFile {
 public:
  // Plans the file of `scene`. `path` is where it will go: it names the
  // nodes when the scene has no name, and the file in every message. Throws
  // as ExportGLB, except FileError. The scene's meshes must stay as they
  // are until the file is filled.
  GlbFile(const ExportScene& scene, const std::string& path);
  ~GlbFile();
  GlbFile(const GlbFile&) = delete;
  GlbFile& operator=(const GlbFile&) = delete;

  std::uint64_t Size() const;
  void Fill();
  // The whole file, filled first where Fill has not filled it; it lives as
  // long as this object.
  std::string_view Bytes();
  // Writes the whole file into `file`, which the caller commits; fills
  // what Fill has not.
  void WriteTo(AtomicFile& file);

 private:
  std::unique_ptr<GltfAsset> m_asset;
  std::unique_ptr<FreshBlock> m_image;  // the whole file
  std::size_t m_binaryStart = 0;        // where the binary chunk's content starts
  bool m_filled = false;
};

// Writes `scene` as `path` (JSON), the binary data as <stem>.bin and each
// picture as <stem>_<material name>.png or .jpg beside it. Every file is
// complete before any replaces a previous one. Errors as ExportGLB.
void ExportGLTF(const ExportScene& scene, const std::string& path);

}  // namespace vh
