#include "fileio/tds_export.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

#include "fileio/export_common.h"
#include "foundations/atomic_file.h"
#include "foundations/file_error.h"

namespace vh {
namespace {

constexpr std::size_t kMaxCount = 65535;  // the format's 16-bit counts and indices

// Chunk identifiers.
enum : std::uint16_t {
  kMain = 0x4D4D,
  kVersion = 0x0002,
  kEditor = 0x3D3D,
  kMaterial = 0xAFFF,
  kMaterialName = 0xA000,
  kAmbient = 0xA010,
  kDiffuse = 0xA020,
  kSpecular = 0xA030,
  kColour24 = 0x0011,
  kShininess = 0xA040,
  kShininessStrength = 0xA041,
  kTransparency = 0xA050,
  kTransparencyFalloff = 0xA052,
  kReflectionBlur = 0xA053,
  kShading = 0xA100,
  kSelfIllumination = 0xA084,
  kPercentage = 0x0030,
  kTextureMap = 0xA200,
  kMapName = 0xA300,
  kMapTiling = 0xA351,
  kMapBlur = 0xA353,
  kNamedObject = 0x4000,
  kTriangleMesh = 0x4100,
  kVertexList = 0x4110,
  kMappingCoordinates = 0x4140,
  kFaceList = 0x4120,
  kFaceMaterial = 0x4130,
};

// Little-endian output into the file's buffer, whatever the host order.
class BinaryWriter {
 public:
  explicit BinaryWriter(AtomicFile& file) : m_file(file) {}
  void U8(std::uint8_t value) { Put(value, 1); }
  void U16(std::uint64_t value) { Put(value, 2); }
  void U32(std::uint64_t value) { Put(value, 4); }
  void F32(float value) { Put(std::bit_cast<std::uint32_t>(value), 4); }
  void Header(std::uint16_t id, std::uint64_t length) {
    U16(id);
    U32(length);
  }
  void String(std::string_view text) {  // with its terminating zero byte
    m_file.Write(text);
    U8(0);
  }

 private:
  void Put(std::uint64_t value, int bytes) {
    char* out = m_file.Reserve(4);
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    m_file.Advance(static_cast<std::size_t>(bytes));
  }
  AtomicFile& m_file;
};

// One object chunk: a whole submesh, or one part of a split submesh.
struct Piece {
  const Submesh* submesh = nullptr;
  std::string name;
  bool whole = true;                    // the submesh itself, no remapping
  std::vector<std::uint32_t> vertices;  // part: submesh vertex of each local vertex
  std::vector<Triangle> triangles;      // part: faces with local indices

  std::size_t VertexCount() const { return whole ? submesh->vertices.size() : vertices.size(); }
  std::size_t FaceCount() const { return whole ? submesh->triangles.size() : triangles.size(); }
  std::uint64_t ObjectLength() const {
    return name.size() + VertexCount() * 20 + FaceCount() * 10 + submesh->materialName.size() + 46;
  }
};

// Splits a submesh that does not fit the 16-bit counts, greedily in triangle
// order: a part is closed when the next triangle would bring it over 65535
// vertices or faces.
void SplitSubmesh(const Submesh& submesh, const std::string& name, std::vector<Piece>& pieces) {
  constexpr std::uint32_t kUnused = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::uint32_t> owner(submesh.vertices.size(), kUnused);  // part of each vertex
  std::vector<std::uint32_t> local(submesh.vertices.size(), 0);
  std::uint32_t part = 0;
  auto startPart = [&] {
    Piece piece;
    piece.submesh = &submesh;
    piece.whole = false;
    piece.name = part == 0 ? name : name + "_" + std::to_string(part);
    pieces.push_back(std::move(piece));
  };
  startPart();
  for (const Triangle& t : submesh.triangles) {
    Piece* piece = &pieces.back();
    const std::uint32_t corners[3] = {t.a, t.b, t.c};
    std::size_t needed = 0;
    for (int i = 0; i < 3; ++i) {
      const bool repeated = (i > 0 && corners[i] == corners[0]) || (i > 1 && corners[i] == corners[1]);
      if (owner[corners[i]] != part && !repeated) ++needed;
    }
    if (piece->vertices.size() + needed > kMaxCount || piece->triangles.size() + 1 > kMaxCount) {
      ++part;
      startPart();
      piece = &pieces.back();
    }
    std::uint32_t mapped[3];
    for (int i = 0; i < 3; ++i) {
      const std::uint32_t v = corners[i];
      if (owner[v] != part) {
        owner[v] = part;
        local[v] = static_cast<std::uint32_t>(piece->vertices.size());
        piece->vertices.push_back(v);
      }
      mapped[i] = local[v];
    }
    piece->triangles.push_back(Triangle{mapped[0], mapped[1], mapped[2], t.visible});
  }
}

std::vector<Piece> PlanObjects(const MeshObject& mesh) {
  std::vector<Piece> pieces;
  for (const auto& submesh : mesh.submeshes) {
    // Numbers from 90000 on give longer names than "objt" plus five digits;
    // the lengths below use each name's real length.
    const std::string name = "objt" + std::to_string(std::uint64_t{submesh->displayList} + 10000);
    if (submesh->vertices.size() <= kMaxCount && submesh->triangles.size() <= kMaxCount) {
      Piece piece;
      piece.submesh = submesh.get();
      piece.name = name;
      pieces.push_back(std::move(piece));
    } else {
      SplitSubmesh(*submesh, name, pieces);
    }
  }
  return pieces;
}

std::uint64_t MaterialLength(const ExportMaterial& material) {
  const std::uint64_t n = material.submesh->materialName.size();
  if (!material.textured) return n + 150;
  return n + FileNamePart(material.submesh->textureFile).size() + 181;
}

// Colour component as a byte: times 255, truncated toward zero. Values out
// of 0..1 are clamped rather than wrapped into a wrong colour.
std::uint8_t ColourByte(float component) {
  const float scaled = component * 255.0f;
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<std::uint8_t>(scaled);
}

void WriteColourChunk(BinaryWriter& out, std::uint16_t id, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  out.Header(id, 15);
  out.Header(kColour24, 9);
  out.U8(r);
  out.U8(g);
  out.U8(b);
}

void WritePercentageChunk(BinaryWriter& out, std::uint16_t id) {
  out.Header(id, 14);
  out.Header(kPercentage, 8);
  out.U16(0);
}

void WriteMaterial(BinaryWriter& out, const ExportMaterial& material) {
  const std::string_view name = material.submesh->materialName;
  out.Header(kMaterial, MaterialLength(material));
  out.Header(kMaterialName, name.size() + 7);
  out.String(name);
  const std::uint8_t r = ColourByte(material.colour.x), g = ColourByte(material.colour.y),
                     b = ColourByte(material.colour.z);
  WriteColourChunk(out, kAmbient, r, g, b);
  WriteColourChunk(out, kDiffuse, r, g, b);
  WriteColourChunk(out, kSpecular, 0, 0, 0);
  for (std::uint16_t id :
       {kShininess, kShininessStrength, kTransparency, kTransparencyFalloff, kReflectionBlur})
    WritePercentageChunk(out, id);
  out.Header(kShading, 8);
  out.U16(3);
  WritePercentageChunk(out, kSelfIllumination);
  if (material.textured) {
    const std::string map = FileNamePart(material.submesh->textureFile);
    out.Header(kTextureMap, map.size() + 31);
    out.Header(kMapName, map.size() + 7);
    out.String(map);
    out.Header(kMapTiling, 8);
    out.U16(0);
    out.Header(kMapBlur, 10);
    out.F32(0.07f);
  }
}

void WriteObject(BinaryWriter& out, const Piece& piece, const Vector3& origin) {
  const Submesh& submesh = *piece.submesh;
  const std::size_t v = piece.VertexCount(), f = piece.FaceCount();
  const std::size_t n = submesh.materialName.size();
  auto vertexAt = [&](std::size_t i) -> const Vertex& {
    return submesh.vertices[piece.whole ? i : piece.vertices[i]];
  };
  auto faceAt = [&](std::size_t i) -> const Triangle& {
    return piece.whole ? submesh.triangles[i] : piece.triangles[i];
  };

  out.Header(kNamedObject, piece.ObjectLength());
  out.String(piece.name);
  out.Header(kTriangleMesh, v * 20 + f * 10 + n + 39);

  out.Header(kVertexList, v * 12 + 8);
  out.U16(v);
  for (std::size_t i = 0; i < v; ++i) {
    const Vector3 p = vertexAt(i).position - origin;
    out.F32(p.x);
    out.F32(p.z);
    out.F32(p.y);
  }

  out.Header(kMappingCoordinates, v * 8 + 8);
  out.U16(v);
  for (std::size_t i = 0; i < v; ++i) {
    const Vector2& uv = vertexAt(i).texCoord;
    out.F32(uv.x);
    out.F32(static_cast<float>(1.0L - uv.y));
  }

  out.Header(kFaceList, n + f * 10 + 17);
  out.U16(f);
  for (std::size_t i = 0; i < f; ++i) {
    const Triangle& t = faceAt(i);
    out.U16(t.a);
    out.U16(t.b);
    out.U16(t.c);
    out.U16(6);
  }
  out.Header(kFaceMaterial, n + f * 2 + 9);
  out.String(submesh.materialName);
  out.U16(f);
  for (std::size_t i = 0; i < f; ++i) out.U16(i);
}

}  // namespace

void Export3DS(const MeshObject& mesh, const std::string& path) {
  CheckIndices(mesh, path);
  const std::vector<Piece> pieces = PlanObjects(mesh);
  const std::vector<ExportMaterial> materials = DistinctMaterials(mesh);

  std::uint64_t objectsLength = 0, materialsLength = 0;
  for (const Piece& piece : pieces) objectsLength += piece.ObjectLength();
  for (const ExportMaterial& material : materials) materialsLength += MaterialLength(material);
  const std::uint64_t total = objectsLength + materialsLength + 22;
  if (total > std::numeric_limits<std::uint32_t>::max())
    throw FileError("cannot export '" + path + "': the mesh is too large for a 3DS file (" +
                    std::to_string(total) + " bytes, at most 4294967295)");

  AtomicFile file(path);
  BinaryWriter out(file);
  out.Header(kMain, total);
  out.Header(kVersion, 10);
  out.U32(3);
  out.Header(kEditor, objectsLength + materialsLength + 6);
  for (const ExportMaterial& material : materials) WriteMaterial(out, material);
  const Vector3 origin = ExportOrigin(mesh);
  for (const Piece& piece : pieces) WriteObject(out, piece, origin);
  file.Commit();
}

}  // namespace vh
