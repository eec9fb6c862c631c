#include "fileio/gltf_export.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "fileio/export_common.h"
#include "fileio/glb_pages.h"
#include "fileio/gltf_memory.h"
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
std::unique_ptr<GltfAsset> BuildAsset(const ExportScene& scene, const std::string& path,
                                      PicturePlacement placement) {
  const std::string stem = FileStem(path);
  try {
    return std::make_unique<GltfAsset>(scene, scene.name.empty() ? stem : scene.name, placement, stem);
  } catch (const PictureError&) {
    throw;  // names the picture already
  } catch (const std::runtime_error& error) {
    throw std::runtime_error("cannot export '" + path + "': " + error.what());
  }
}

// The file goes to the disk in runs of at least this many complete bytes
// while it is being filled: long enough for the disk to take them at full
// speed.
constexpr std::size_t kWrittenRun = std::size_t{4} << 20;

void AppendLittleEndian32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

}  // namespace

// The whole file is built in one block: the header and the JSON chunk
// (complete before any geometry is written, the bounds being planned), then
// the binary chunk filled in place.
GlbFile::GlbFile(const ExportScene& scene, const std::string& path)
    : m_asset(BuildAsset(scene, path, PicturePlacement::kInBuffer)) {
  const GltfAsset* asset = m_asset.get();
  std::string json = asset->Json("", false);
  json.append((4 - json.size() % 4) % 4, ' ');  // chunks end on 4-byte boundaries
  const std::uint64_t total = 12 + 8 + json.size() + 8 + asset->BinarySize();
  if (total > std::numeric_limits<std::uint32_t>::max())
    throw std::runtime_error("cannot export '" + path + "': the mesh needs " + std::to_string(total >> 20) +
                             " MiB, more than a .glb file can hold (4 GiB); write .gltf instead");
  std::string head = "glTF";
  AppendLittleEndian32(head, 2);
  AppendLittleEndian32(head, static_cast<std::uint32_t>(total));
  AppendLittleEndian32(head, static_cast<std::uint32_t>(json.size()));
  AppendLittleEndian32(head, 0x4E4F534A);  // "JSON"
  head += json;
  AppendLittleEndian32(head, static_cast<std::uint32_t>(asset->BinarySize()));
  AppendLittleEndian32(head, 0x004E4942);  // "BIN\0"

  m_image = std::make_unique<FreshBlock>(static_cast<std::size_t>(total));
  std::copy(head.begin(), head.end(), m_image->Data());
  m_binaryStart = head.size();
}

GlbFile::~GlbFile() = default;

std::uint64_t GlbFile::Size() const { return m_image->Size(); }

void GlbFile::Fill() {
  if (!m_filled) m_asset->FillBinary(m_image->Data() + m_binaryStart);
  m_filled = true;
}

std::string_view GlbFile::Bytes() {
  Fill();
  return m_image->Bytes();
}

// Filling and writing overlap: each run of pages of the file goes to the
// disk as soon as the filling has completed it and it is long enough,
// while the rest is being filled. The block starts on a page, as the
// file does, so that whole pages can go to the disk directly.
void GlbFile::WriteTo(AtomicFile& file) {
  const std::string_view bytes = m_image->Bytes();
  if (m_filled) {
    file.Write(bytes);
    return;
  }
  CompletedPageWriter pages(bytes.size(), kWrittenRun, [&](std::size_t begin, std::size_t end) {
    file.WriteAt(begin, bytes.substr(begin, end - begin));
  });
  pages.Complete(0, m_binaryStart);
  m_asset->FillBinary(m_image->Data() + m_binaryStart, [&](std::span<const GltfGeometry::ByteRange> ranges) {
    for (const GltfGeometry::ByteRange& range : ranges)
      pages.Complete(m_binaryStart + range.begin, m_binaryStart + range.end);
  });
  pages.Finish();
  m_filled = true;
}

void ExportGLB(const ExportScene& scene, const std::string& path) {
  GlbFile glb(scene, path);
  AtomicFile file(path);
  glb.WriteTo(file);
  file.Finish();
  file.Publish();
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
  FreshBlock binaryContent(asset->BinarySize());
  asset->FillBinary(binaryContent.Data());
  AtomicFile& binary = *files.emplace_back(std::make_unique<AtomicFile>(directory + binaryName));
  binary.Write(binaryContent.Bytes());
  AtomicFile& json = *files.emplace_back(std::make_unique<AtomicFile>(path));
  json.Write(asset->Json(EscapeUri(binaryName), true));
  json.Write("\n");
  for (const auto& file : files) file->Finish();
  for (const auto& file : files) file->Publish();
}

}  // namespace vh
