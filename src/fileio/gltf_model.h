// The glTF document of an export: the JSON part built as a tinygltf model
// and serialised by it, and the binary part laid out as the model is built
// and filled on demand, straight into the memory it is written from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fileio/export_scene.h"
#include "fileio/gltf_geometry.h"
#include "fileio/gltf_pictures.h"
#include "fileio/gltf_wind.h"

namespace vh {

// How the pictures leave with the document.
enum class PicturePlacement {
  kInBuffer,  // .glb: in the binary buffer
  kAsFiles,   // .gltf: separate files beside the JSON
};

// A picture written as a file of its own (kAsFiles).
struct GltfPictureFile {
  std::string fileName;  // without directory
  const EncodedPicture* picture = nullptr;
};

class GltfAsset {
 public:
  // Builds the document of `scene`. `name` names the nodes; with kAsFiles,
  // picture files are named `fileStem` + "_" + material name + extension.
  // Throws std::runtime_error for a scene without triangles or a textured
  // material without its picture, PictureError for a picture that cannot be
  // encoded.
  GltfAsset(const ExportScene& scene, const std::string& name, PicturePlacement placement,
            const std::string& fileStem);
  GltfAsset(const GltfAsset&) = delete;
  GltfAsset& operator=(const GltfAsset&) = delete;

  // The JSON text. `binaryUri` empty: the buffer is the .glb's binary chunk;
  // otherwise the buffer is read from that (already escaped) URI.
  std::string Json(const std::string& binaryUri, bool pretty) const;

  // The binary buffer's length, a multiple of 4.
  std::size_t BinarySize() const { return m_binarySize; }
  // Writes the binary buffer to `binary`: BinarySize() bytes that are zero
  // (what the gaps between its pieces stay). Reads the scene's meshes,
  // which must not have changed since the asset was built. Large meshes are
  // written on two threads; with `completed`, on two helper threads while
  // this one calls `completed(ranges)` with the parts of the buffer as they
  // are complete, the pictures first. The gaps are never reported.
  using CompletedRanges = std::function<void(std::span<const GltfGeometry::ByteRange>)>;
  void FillBinary(std::uint8_t* binary, const CompletedRanges& completed = {}) const;

  const std::vector<GltfPictureFile>& PictureFiles() const { return m_pictureFiles; }

 private:
  friend class GltfModelBuilder;

  GltfGeometry m_geometry;
  std::unique_ptr<GltfWind> m_wind;      // with the scene's wind only
  std::list<EncodedPicture> m_pictures;  // a list keeps them where they are
  std::vector<GltfPictureFile> m_pictureFiles;
  std::vector<std::pair<std::size_t, const EncodedPicture*>> m_picturesInBuffer;  // offset, picture
  std::size_t m_binarySize = 0;
  std::string m_json;  // serialised without the buffer
};

// `name` as a relative URI reference: bytes outside the unreserved set
// (letters, digits, "-._~") percent-encoded.
std::string EscapeUri(const std::string& name);

}  // namespace vh
