#include "fileio/gltf_export.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "fileio/export_common.h"
#include "fileio/gltf_model.h"
#include "foundations/atomic_file.h"
#include "imaging/picture_file.h"

namespace vh {
namespace {

// The file name without directory and extension: "out/oak.glb" -> "oak".
std::string FileStem(const std::string& path) {
  std::string name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string DirectoryPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Builds the asset, naming the file in every message.
std::unique_ptr<GltfAsset> BuildAsset(const ExportScene& scene, const std::string& path, PicturePlacement placement) {
  for (const ExportLevel& level : scene.levels)
    if (level.mesh != nullptr) CheckIndices(*level.mesh, path);
  const std::string stem = FileStem(path);
  try {
    return std::make_unique<GltfAsset>(scene, scene.name.empty() ? stem : scene.name, placement, stem);
  } catch (const PictureError&) {
    throw;  // names the picture already
  } catch (const std::runtime_error& error) {
    throw std::runtime_error("cannot export '" + path + "': " + error.what());
  }
}

void PutLittleEndian32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The pieces at their offsets, zeros in the gaps and up to `binary.size`.
void WriteBinary(AtomicFile& file, const GltfBinary& binary) {
  static const char kZeros[4] = {0, 0, 0, 0};
  std::size_t written = 0;
  for (const GltfBinary::Piece& piece : binary.pieces) {
    file.Write(std::string_view(kZeros, piece.offset - written));
    file.Write(std::string_view(reinterpret_cast<const char*>(piece.data), piece.size));
    written = piece.offset + piece.size;
  }
  file.Write(std::string_view(kZeros, binary.size - written));
}

void WriteChunkHeader(AtomicFile& file, std::uint32_t length, std::uint32_t type) {
  std::uint8_t header[8];
  PutLittleEndian32(header, length);
  PutLittleEndian32(header + 4, type);
  file.Write(std::string_view(reinterpret_cast<const char*>(header), sizeof header));
}

}  // namespace

void ExportGLB(const ExportScene& scene, const std::string& path) {
  const std::unique_ptr<GltfAsset> asset = BuildAsset(scene, path, PicturePlacement::kInBuffer);
  std::string json = asset->Json("", false);
  json.append((4 - json.size() % 4) % 4, ' ');  // chunks end on 4-byte boundaries
  const std::uint64_t total = 12 + 8 + json.size() + 8 + asset->Binary().size;
  if (total > std::numeric_limits<std::uint32_t>::max())
    throw std::runtime_error("cannot export '" + path + "': the mesh needs " + std::to_string(total >> 20) +
                             " MiB, more than a .glb file can hold (4 GiB); write .gltf instead");

  AtomicFile file(path);
  std::uint8_t header[12];
  std::memcpy(header, "glTF", 4);
  PutLittleEndian32(header + 4, 2);
  PutLittleEndian32(header + 8, static_cast<std::uint32_t>(total));
  file.Write(std::string_view(reinterpret_cast<const char*>(header), sizeof header));
  WriteChunkHeader(file, static_cast<std::uint32_t>(json.size()), 0x4E4F534A);  // "JSON"
  file.Write(json);
  WriteChunkHeader(file, static_cast<std::uint32_t>(asset->Binary().size), 0x004E4942);  // "BIN\0"
  WriteBinary(file, asset->Binary());
  file.Commit();
}

void ExportGLTF(const ExportScene& scene, const std::string& path) {
  const std::unique_ptr<GltfAsset> asset = BuildAsset(scene, path, PicturePlacement::kAsFiles);
  const std::string directory = DirectoryPart(path);
  const std::string binaryName = FileStem(path) + ".bin";

  // Every file is written beside its target first; only when all are
  // complete do they replace anything. The JSON goes last, so that a reader
  // never finds it before the files it names.
  std::vector<std::unique_ptr<AtomicFile>> files;
  for (const GltfPictureFile& picture : asset->PictureFiles()) {
    AtomicFile& file = *files.emplace_back(std::make_unique<AtomicFile>(directory + picture.fileName));
    file.Write(std::string_view(reinterpret_cast<const char*>(picture.picture->bytes.data()),
                                picture.picture->bytes.size()));
  }
  AtomicFile& binary = *files.emplace_back(std::make_unique<AtomicFile>(directory + binaryName));
  WriteBinary(binary, asset->Binary());
  AtomicFile& json = *files.emplace_back(std::make_unique<AtomicFile>(path));
  json.Write(asset->Json(EscapeUri(binaryName), true));
  json.Write("\n");
  for (const auto& file : files) file->Finish();
  for (const auto& file : files) file->Publish();
}

}  // namespace vh
