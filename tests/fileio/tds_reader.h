// A minimal 3DS chunk reader for the tests: checks that every chunk's
// length matches what it holds and collects objects and materials.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace vh::test {

struct TdsObject {
  std::string name;
  std::vector<float> positions;      // x, z, y per vertex as stored
  std::vector<float> mapping;        // u, 1 - v per vertex
  std::vector<std::uint16_t> faces;  // a, b, c, flags per face
  std::string faceMaterial;
  std::vector<std::uint16_t> faceMaterialFaces;
  std::uint32_t chunkLength = 0;
};

struct TdsMaterial {
  std::string name;
  std::uint8_t ambient[3] = {}, diffuse[3] = {};
  std::string map;  // empty when untextured
  std::uint32_t chunkLength = 0;
};

struct TdsFile {
  std::vector<TdsObject> objects;
  std::vector<TdsMaterial> materials;
};

class TdsReader {
 public:
  explicit TdsReader(const std::string& bytes) : m_bytes(bytes) {}

  TdsFile Read() {
    TdsFile file;
    const std::size_t end = Chunk(0, 0x4D4D);
    if (end != m_bytes.size()) throw std::runtime_error("main chunk length is not the file size");
    std::size_t at = 6;
    const std::size_t versionEnd = Chunk(at, 0x0002);
    if (U32(at + 6) != 3 || versionEnd != at + 10) throw std::runtime_error("bad version chunk");
    at = versionEnd;
    const std::size_t editorEnd = Chunk(at, 0x3D3D);
    if (editorEnd != end) throw std::runtime_error("editor chunk does not fill the main chunk");
    at += 6;
    while (at < editorEnd) {
      const std::uint16_t id = U16(at);
      if (id == 0xAFFF) {
        file.materials.push_back(Material(at));
      } else if (id == 0x4000) {
        file.objects.push_back(Object(at));
      } else {
        throw std::runtime_error("unexpected chunk in the editor chunk");
      }
      at = Chunk(at, id);
    }
    if (at != editorEnd) throw std::runtime_error("editor children overrun it");
    return file;
  }

 private:
  std::uint16_t U16(std::size_t at) const {
    Need(at + 2);
    return static_cast<std::uint16_t>(static_cast<unsigned char>(m_bytes[at]) |
                                      static_cast<unsigned char>(m_bytes[at + 1]) << 8);
  }
  std::uint32_t U32(std::size_t at) const { return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16; }
  float F32(std::size_t at) const {
    const std::uint32_t bits = U32(at);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
  }
  std::string String(std::size_t& at, std::size_t end) const {
    const std::size_t zero = m_bytes.find('\0', at);
    if (zero == std::string::npos || zero >= end) throw std::runtime_error("unterminated string");
    std::string text = m_bytes.substr(at, zero - at);
    at = zero + 1;
    return text;
  }
  void Need(std::size_t end) const {
    if (end > m_bytes.size()) throw std::runtime_error("read past the end of the file");
  }
  // Checks the chunk id at `at` and returns the end of the chunk.
  std::size_t Chunk(std::size_t at, std::uint16_t id) const {
    if (U16(at) != id) throw std::runtime_error("expected chunk " + std::to_string(id));
    const std::size_t end = at + U32(at + 2);
    Need(end);
    return end;
  }
  void Colour(std::size_t at, std::uint16_t id, std::uint8_t* rgb) const {
    if (Chunk(at, id) != at + 15 || Chunk(at + 6, 0x0011) != at + 15) throw std::runtime_error("bad colour");
    for (int i = 0; i < 3; ++i) rgb[i] = static_cast<std::uint8_t>(m_bytes[at + 12 + i]);
  }

  TdsMaterial Material(std::size_t at) const {
    TdsMaterial material;
    const std::size_t end = Chunk(at, 0xAFFF);
    material.chunkLength = static_cast<std::uint32_t>(end - at);
    std::size_t p = at + 6;
    const std::size_t nameEnd = Chunk(p, 0xA000);
    p += 6;
    material.name = String(p, nameEnd);
    if (p != nameEnd) throw std::runtime_error("material name chunk length");
    Colour(p, 0xA010, material.ambient);
    Colour(p + 15, 0xA020, material.diffuse);
    std::uint8_t specular[3];
    Colour(p + 30, 0xA030, specular);
    p += 45;
    for (std::uint16_t id : {0xA040, 0xA041, 0xA050, 0xA052, 0xA053}) {
      if (Chunk(p, id) != p + 14 || Chunk(p + 6, 0x0030) != p + 14) throw std::runtime_error("percentage");
      p += 14;
    }
    if (Chunk(p, 0xA100) != p + 8 || U16(p + 6) != 3) throw std::runtime_error("shading");
    p += 8;
    if (Chunk(p, 0xA084) != p + 14) throw std::runtime_error("self illumination");
    p += 14;
    if (p < end) {
      const std::size_t mapEnd = Chunk(p, 0xA200);
      std::size_t q = p + 6;
      const std::size_t mapNameEnd = Chunk(q, 0xA300);
      q += 6;
      material.map = String(q, mapNameEnd);
      if (q != mapNameEnd || Chunk(q, 0xA351) != q + 8 || Chunk(q + 8, 0xA353) != q + 18 ||
          q + 18 != mapEnd || F32(q + 14) != 0.07f)
        throw std::runtime_error("texture map chunk");
      p = mapEnd;
    }
    if (p != end) throw std::runtime_error("material entry length");
    return material;
  }

  TdsObject Object(std::size_t at) const {
    TdsObject object;
    const std::size_t end = Chunk(at, 0x4000);
    object.chunkLength = static_cast<std::uint32_t>(end - at);
    std::size_t p = at + 6;
    object.name = String(p, end);
    if (Chunk(p, 0x4100) != end) throw std::runtime_error("triangle mesh does not fill the object");
    p += 6;
    const std::size_t verticesEnd = Chunk(p, 0x4110);
    const std::size_t v = U16(p + 6);
    if (verticesEnd != p + 8 + 12 * v) throw std::runtime_error("vertex list length");
    for (std::size_t i = 0; i < 3 * v; ++i) object.positions.push_back(F32(p + 8 + 4 * i));
    p = verticesEnd;
    const std::size_t mappingEnd = Chunk(p, 0x4140);
    if (U16(p + 6) != v || mappingEnd != p + 8 + 8 * v) throw std::runtime_error("mapping length");
    for (std::size_t i = 0; i < 2 * v; ++i) object.mapping.push_back(F32(p + 8 + 4 * i));
    p = mappingEnd;
    const std::size_t facesEnd = Chunk(p, 0x4120);
    const std::size_t f = U16(p + 6);
    for (std::size_t i = 0; i < 4 * f; ++i) object.faces.push_back(U16(p + 8 + 2 * i));
    std::size_t q = p + 8 + 8 * f;
    const std::size_t groupEnd = Chunk(q, 0x4130);
    q += 6;
    object.faceMaterial = String(q, groupEnd);
    if (U16(q) != f || groupEnd != q + 2 + 2 * f || groupEnd != facesEnd || facesEnd != end)
      throw std::runtime_error("face list or group length");
    for (std::size_t i = 0; i < f; ++i) object.faceMaterialFaces.push_back(U16(q + 2 + 2 * i));
    return object;
  }

  const std::string& m_bytes;
};

}  // namespace vh::test
