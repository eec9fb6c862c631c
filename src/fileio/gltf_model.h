// The glTF document of an export: the JSON part built as a tinygltf model
// and serialised by it, and the binary part as a list of byte ranges laid
// out in one buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "fileio/export_scene.h"
#include "fileio/gltf_geometry.h"
#include "fileio/gltf_pictures.h"

namespace vh {

// The buffer's content: byte ranges owned by the asset, each placed at a
// multiple of 4 bytes (the alignment glTF asks of every accessor).
struct GltfBinary {
  struct Piece {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
  };
  std::vector<Piece> pieces;
  std::size_t size = 0;  // including the padding after the last piece

  // Places `size` bytes at the next multiple of 4; returns their offset.
  std::size_t Add(const void* data, std::size_t size);
};

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

  const GltfBinary& Binary() const { return m_binary; }
  const std::vector<GltfPictureFile>& PictureFiles() const { return m_pictureFiles; }

 private:
  friend class GltfModelBuilder;

  // Everything the binary pieces point into; lists keep addresses stable.
  std::list<std::vector<GltfPrimitive>> m_levels;
  std::list<std::vector<std::uint16_t>> m_shortIndices;
  std::list<EncodedPicture> m_pictures;
  std::vector<GltfPictureFile> m_pictureFiles;
  GltfBinary m_binary;
  std::string m_json;  // serialised without the buffer
};

// `name` as a relative URI reference: bytes outside the unreserved set
// (letters, digits, "-._~") percent-encoded.
std::string EscapeUri(const std::string& name);

}  // namespace vh
