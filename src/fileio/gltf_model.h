// The glTF document of an export: the JSON part built as a tinygltf model
// and serialised by it, and the binary part laid out as the model is built
// and then filled in one block.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "fileio/export_scene.h"
#include "fileio/gltf_binary.h"
#include "fileio/gltf_geometry.h"
#include "fileio/gltf_pictures.h"

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

  const GltfBinary& Binary() const { return m_binary; }
  const std::vector<GltfPictureFile>& PictureFiles() const { return m_pictureFiles; }

 private:
  friend class GltfModelBuilder;

  std::list<EncodedPicture> m_pictures;  // a list keeps them where they are
  std::vector<GltfPictureFile> m_pictureFiles;
  GltfBinary m_binary;
  std::string m_json;  // serialised without the buffer
};

// `name` as a relative URI reference: bytes outside the unreserved set
// (letters, digits, "-._~") percent-encoded.
std::string EscapeUri(const std::string& name);

}  // namespace vh
