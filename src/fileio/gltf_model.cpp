#include "fileio/gltf_model.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "fileio/export_common.h"
#include "fileio/gltf_buffer_views.h"
#include "fileio/gltf_export.h"
#include "fileio/utf8.h"

namespace vh {
namespace {

// Engines treat a roughness of 1 as chalk; bark and leaves are a little
// less rough than that, and none of them is metal.
constexpr double kRoughness = 0.9;
constexpr double kAlphaCutoff = 0.5;

// Material numbers 1 and 3 are drawn from both sides, as the view does;
// cards have a face each way.
bool DoubleSided(int material) { return material == kLeafMaterial || material == kBillboardMaterial; }

// Billboards and cards take their level's atlas of pictures.
bool UsesAtlas(int material) { return material == kBillboardMaterial || material == kCardMaterial; }

tinygltf::Value NumberArray(const std::vector<double>& values) {
  tinygltf::Value::Array array;
  for (double value : values) array.emplace_back(value);
  return tinygltf::Value(std::move(array));
}

// JSON strings are UTF-8, and the JSON writer stops the export at any
// other byte: names from a document's material prefix, picture names and
// file names may come in a one-byte encoding.
void NamesAsUtf8(tinygltf::Model& model) {
  const auto fix = [](auto& items) {
    for (auto& item : items) item.name = AsUtf8(item.name);
  };
  fix(model.scenes);
  fix(model.nodes);
  fix(model.meshes);
  fix(model.materials);
  fix(model.images);
  fix(model.textures);
  fix(model.samplers);
  fix(model.skins);
  fix(model.animations);
  fix(model.accessors);
  fix(model.bufferViews);
  fix(model.buffers);
}

}  // namespace

std::string EscapeUri(const std::string& name) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string escaped;
  for (unsigned char c : name) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      escaped.push_back(static_cast<char>(c));
    } else {
      escaped.push_back('%');
      escaped.push_back(kHex[c >> 4]);
      escaped.push_back(kHex[c & 15]);
    }
  }
  return escaped;
}

class GltfModelBuilder {
 public:
  GltfModelBuilder(GltfAsset& asset, PicturePlacement placement, const std::string& fileStem)
      : m_asset(asset), m_placement(placement), m_fileStem(fileStem) {
    m_model.asset.version = "2.0";
    m_model.asset.generator = kGltfGenerator;
  }

  void Build(const ExportScene& scene, const std::string& name) {
    if (scene.levels.empty() || scene.levels.front().mesh == nullptr)
      throw std::runtime_error("there is nothing to export");
    const Vector3 origin = scene.origin ? *scene.origin : EngineOrigin(*scene.levels.front().mesh);
    if (scene.wind.enabled) m_asset.m_wind = std::make_unique<GltfWind>(scene, origin, 0.01 * scene.scale);
    // Every level is planned before anything is laid out, so that a broken
    // mesh is found before any picture is encoded.
    GltfGeometry& geometry = m_asset.m_geometry;
    std::vector<std::vector<GltfPrimitive>*> levels;
    for (std::size_t level = 0; level < scene.levels.size(); ++level) {
      const ExportLevel& source = scene.levels[level];
      if (source.mesh == nullptr)
        throw std::runtime_error("level of detail " + std::to_string(level) + " has no mesh");
      levels.push_back(&geometry.Plan(*source.mesh, origin, scene.scale));
      if (levels.back()->empty())
        throw std::runtime_error(scene.levels.size() == 1
                                     ? std::string("the mesh has no triangles")
                                     : "level of detail " + std::to_string(level) + " has no triangles");
    }
    std::vector<int> levelNodes;
    for (std::size_t level = 0; level < scene.levels.size(); ++level) {
      const std::string nodeName = scene.levels.size() == 1 ? name : name + "_LOD" + std::to_string(level);
      levelNodes.push_back(
          AddNode(nodeName, AddMesh(nodeName, level, *levels[level], scene.levels[level].pictures)));
    }
    tinygltf::Scene gltfScene;
    gltfScene.name = name;
    if (levelNodes.size() == 1) {
      gltfScene.nodes.push_back(levelNodes.front());
    } else if (!scene.allLevelsInScene) {
      AddLevelOfDetailChain(scene, levelNodes);
      gltfScene.nodes.push_back(levelNodes.front());
    } else if (m_asset.m_wind) {
      // A skinned mesh ignores its parents' transforms, so glTF wants its
      // node at the root: the levels stand in the scene themselves.
      AddLevelOfDetailChain(scene, levelNodes);
      gltfScene.nodes = levelNodes;
    } else {
      AddLevelOfDetailChain(scene, levelNodes);
      tinygltf::Node root;
      root.name = name;
      root.children = levelNodes;
      m_model.nodes.push_back(std::move(root));
      gltfScene.nodes.push_back(static_cast<int>(m_model.nodes.size() - 1));
    }
    if (m_asset.m_wind)
      gltfScene.nodes.push_back(m_asset.m_wind->AddSkin(m_model, m_asset.m_binarySize, levelNodes));
    m_model.scenes.push_back(std::move(gltfScene));
    m_model.defaultScene = 0;
    m_asset.m_json = Serialise();
  }

 private:
  // The lower levels are listed on the finest one for readers of MSFT_lod,
  // with the screen coverage below which each level gives way.
  void AddLevelOfDetailChain(const ExportScene& scene, const std::vector<int>& levelNodes) {
    tinygltf::Value::Array ids;
    for (std::size_t i = 1; i < levelNodes.size(); ++i) ids.emplace_back(levelNodes[i]);
    std::vector<double> coverage;
    for (const ExportLevel& level : scene.levels) coverage.push_back(level.screenCoverage);
    tinygltf::Node& finest = m_model.nodes[static_cast<std::size_t>(levelNodes.front())];
    finest.extensions["MSFT_lod"] = tinygltf::Value(tinygltf::Value::Object{{"ids", tinygltf::Value(ids)}});
    finest.extras = tinygltf::Value(tinygltf::Value::Object{{"MSFT_screencoverage", NumberArray(coverage)}});
    m_model.extensionsUsed.push_back("MSFT_lod");
  }

  int AddNode(const std::string& name, int mesh) {
    tinygltf::Node node;
    node.name = name;
    node.mesh = mesh;
    m_model.nodes.push_back(std::move(node));
    return static_cast<int>(m_model.nodes.size() - 1);
  }

  // Lays out the arrays of `primitives` (setting their offsets) and
  // describes them.
  int AddMesh(const std::string& name, std::size_t level, std::vector<GltfPrimitive>& primitives,
              const MaterialPictures& pictures) {
    tinygltf::Mesh mesh;
    mesh.name = name;
    for (GltfPrimitive& primitive : primitives) {
      tinygltf::Primitive out;
      out.mode = TINYGLTF_MODE_TRIANGLES;
      out.material = MaterialOf(primitive, pictures, name);
      const std::size_t vertices = primitive.vertexCount;
      out.attributes["POSITION"] = AddAttribute(vertices, TINYGLTF_TYPE_VEC3, primitive.at.positions);
      // glTF requires the bounds of POSITION.
      tinygltf::Accessor& positions = m_model.accessors.back();
      positions.minValues.assign(primitive.low.begin(), primitive.low.end());
      positions.maxValues.assign(primitive.high.begin(), primitive.high.end());
      out.attributes["NORMAL"] = AddAttribute(vertices, TINYGLTF_TYPE_VEC3, primitive.at.normals);
      if (primitive.textured)
        out.attributes["TEXCOORD_0"] = AddAttribute(vertices, TINYGLTF_TYPE_VEC2, primitive.at.texCoords);
      if (primitive.withColours)
        out.attributes["COLOR_0"] = AddAttribute(vertices, TINYGLTF_TYPE_VEC3, primitive.at.colours);
      if (m_asset.m_wind)
        m_asset.m_wind->AddAttributes(m_model, m_asset.m_binarySize, level, primitives,
                                      static_cast<std::size_t>(&primitive - primitives.data()),
                                      out.attributes);
      out.indices = AddIndices(primitive);
      mesh.primitives.push_back(std::move(out));
    }
    m_model.meshes.push_back(std::move(mesh));
    return static_cast<int>(m_model.meshes.size() - 1);
  }

  // `count` floating-point vectors of `type`, placed at `offset`.
  int AddAttribute(std::size_t count, int type, std::size_t& offset) {
    const std::size_t components = type == TINYGLTF_TYPE_VEC2 ? 2 : 3;
    const int view = AddView(m_model, m_asset.m_binarySize, count * components * sizeof(float),
                             TINYGLTF_TARGET_ARRAY_BUFFER, offset);
    return AddAccessor(m_model, view, 0, TINYGLTF_COMPONENT_TYPE_FLOAT, type, count);
  }

  int AddIndices(GltfPrimitive& primitive) {
    const std::size_t count = primitive.indexCount;
    const bool wide = primitive.WideIndices();
    const int view = AddView(m_model, m_asset.m_binarySize, count * (wide ? 4 : 2),
                             TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER, primitive.at.indices);
    return AddAccessor(m_model, view, 0,
                       wide ? TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT : TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                       TINYGLTF_TYPE_SCALAR, count);
  }

  // The picture of a material number, or null.
  static const Image* PictureOf(int material, const MaterialPictures& pictures) {
    switch (material) {
      case kLeafMaterial:
        return pictures.leaf;
      case kBarkMaterial:
        return pictures.bark;
      case kBillboardMaterial:
      case kCardMaterial:
        return pictures.billboardColour;
      default:
        return nullptr;
    }
  }

  static std::string MaterialWhat(int material) {
    switch (material) {
      case kLeafMaterial:
        return "leaf";
      case kBarkMaterial:
        return "bark";
      case kBillboardMaterial:
        return "billboard";
      case kCardMaterial:
        return "card";
      default:
        return "material " + std::to_string(material);
    }
  }

  // One material per distinct look: levels that share a picture share the
  // material (and the picture is embedded once).
  int MaterialOf(const GltfPrimitive& primitive, const MaterialPictures& pictures,
                 const std::string& meshName) {
    const Image* picture = primitive.textured ? PictureOf(primitive.material, pictures) : nullptr;
    if (primitive.textured && (picture == nullptr || picture->Empty()))
      throw std::runtime_error("the " + MaterialWhat(primitive.material) +
                               " material is textured but its picture is missing");
    const auto key = std::make_tuple(primitive.material, picture, std::string(primitive.namer->materialName),
                                     primitive.baseColour.x, primitive.baseColour.y, primitive.baseColour.z);
    const auto found = m_materials.find(key);
    if (found != m_materials.end()) return found->second;

    tinygltf::Material material;
    material.name = primitive.namer->materialName;
    material.emissiveFactor = {0.0, 0.0, 0.0};
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = kRoughness;
    material.doubleSided = DoubleSided(primitive.material);
    if (picture != nullptr) {
      const bool masked =
          AddTexture(primitive, *picture, pictures, meshName, material.pbrMetallicRoughness.baseColorTexture);
      if (masked) {
        material.alphaMode = "MASK";
        material.alphaCutoff = kAlphaCutoff;
      }
    } else {
      const Vector3& c = primitive.baseColour;
      material.pbrMetallicRoughness.baseColorFactor = {c.x, c.y, c.z, 1.0};
    }
    m_model.materials.push_back(std::move(material));
    const int index = static_cast<int>(m_model.materials.size() - 1);
    m_materials.emplace(key, index);
    return index;
  }

  // Adds (or reuses) the texture of `picture`; returns whether its alpha
  // cuts the surface out.
  bool AddTexture(const GltfPrimitive& primitive, const Image& picture, const MaterialPictures& pictures,
                  const std::string& meshName, tinygltf::TextureInfo& info) {
    const auto found = m_textures.find(&picture);
    if (found != m_textures.end()) {
      info.index = found->second.first;
      return found->second.second;
    }
    EncodedPicture& encoded = m_asset.m_pictures.emplace_back(Encode(primitive.material, picture, pictures));
    tinygltf::Image image;
    image.name = PictureName(primitive, meshName) + encoded.extension;
    image.mimeType = encoded.mimeType;
    if (m_placement == PicturePlacement::kInBuffer) {
      std::size_t offset = 0;
      image.bufferView = AddView(m_model, m_asset.m_binarySize, encoded.bytes.size(), 0, offset);
      m_asset.m_picturesInBuffer.emplace_back(offset, &encoded);
    } else {
      const std::string fileName =
          PictureFileName(primitive.namer->materialName, primitive.material, encoded.extension);
      m_asset.m_pictureFiles.push_back(GltfPictureFile{fileName, &encoded});
      image.uri = EscapeUri(fileName);
    }
    m_model.images.push_back(std::move(image));

    tinygltf::Texture texture;
    texture.source = static_cast<int>(m_model.images.size() - 1);
    texture.sampler = SamplerFor(UsesAtlas(primitive.material));
    m_model.textures.push_back(texture);
    const int index = static_cast<int>(m_model.textures.size() - 1);
    const bool masked = UsesAtlas(primitive.material) || encoded.hasTransparency;
    m_textures.emplace(&picture, std::make_pair(index, masked));
    info.index = index;
    return masked;
  }

  // What a picture is called inside the file, without extension: the
  // billboards' atlas after the mesh it belongs to (their texture file
  // names a picture that is never written), any other picture after the
  // file it was read from. The extension added is that of the encoding the
  // file holds, not the original's.
  static std::string PictureName(const GltfPrimitive& primitive, const std::string& meshName) {
    if (primitive.material == kBillboardMaterial) return meshName + "_billboards";
    if (primitive.material == kCardMaterial) return meshName + "_cards";
    std::string name = FileNamePart(primitive.namer->textureFile);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name.empty() ? MaterialWhat(primitive.material) : name;
  }

  static EncodedPicture Encode(int material, const Image& picture, const MaterialPictures& pictures) {
    if (!UsesAtlas(material)) return EncodeMaterialPicture(picture, MaterialWhat(material));
    if (pictures.billboardTransparency == nullptr)
      throw std::runtime_error("the " + MaterialWhat(material) + " material has no transparency picture");
    return EncodeBillboardAtlas(picture, *pictures.billboardTransparency);
  }

  // <stem>_<material name><extension>, made unique with a counter. Only
  // characters that are safe in file names on every system are kept.
  std::string PictureFileName(std::string_view materialName, int material, const std::string& extension) {
    std::string safe;
    for (char c : materialName.empty() ? "Material" + std::to_string(material) : std::string(materialName)) {
      const bool keep =
          (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
      safe.push_back(keep ? c : '_');
    }
    std::string fileName = m_fileStem + "_" + safe + extension;
    for (int suffix = 2; m_usedFileNames.count(fileName) > 0; ++suffix)
      fileName = m_fileStem + "_" + safe + "_" + std::to_string(suffix) + extension;
    m_usedFileNames.insert(fileName);
    return fileName;
  }

  // Atlases are clamped at their edges; bark and leaf pictures repeat.
  int SamplerFor(bool clamp) {
    int& index = clamp ? m_clampSampler : m_repeatSampler;
    if (index >= 0) return index;
    tinygltf::Sampler sampler;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    sampler.wrapS = sampler.wrapT =
        clamp ? TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE : TINYGLTF_TEXTURE_WRAP_REPEAT;
    m_model.samplers.push_back(sampler);
    index = static_cast<int>(m_model.samplers.size() - 1);
    return index;
  }

  // The model without its buffer: tinygltf writes a buffer's data inline,
  // so the buffer entry is added to the JSON by GltfAsset::Json.
  std::string Serialise() {
    NamesAsUtf8(m_model);
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(nullptr, nullptr);  // image URIs are ours, written as they are
    std::ostringstream text;
    if (!writer.WriteGltfSceneToStream(&m_model, text, false, false))
      throw std::runtime_error("cannot serialise the glTF document");
    return text.str();
  }

  GltfAsset& m_asset;
  PicturePlacement m_placement;
  std::string m_fileStem;
  tinygltf::Model m_model;
  std::map<std::tuple<int, const Image*, std::string, float, float, float>, int> m_materials;
  std::map<const Image*, std::pair<int, bool>> m_textures;  // texture index, masked
  std::set<std::string> m_usedFileNames;
  int m_repeatSampler = -1;
  int m_clampSampler = -1;
};

GltfAsset::GltfAsset(const ExportScene& scene, const std::string& name, PicturePlacement placement,
                     const std::string& fileStem) {
  GltfModelBuilder(*this, placement, fileStem).Build(scene, name);
}

void GltfAsset::FillBinary(std::uint8_t* binary, const CompletedRanges& completed) const {
  for (const auto& [offset, picture] : m_picturesInBuffer) {
    std::copy(picture->bytes.begin(), picture->bytes.end(), binary + offset);
    const GltfGeometry::ByteRange range{offset, offset + picture->bytes.size()};
    if (completed) completed({&range, 1});
  }
  m_geometry.Fill(binary, completed);
  if (m_wind) m_wind->Fill(m_geometry, binary, completed);
}

std::string GltfAsset::Json(const std::string& binaryUri, bool pretty) const {
  nlohmann::json document = nlohmann::json::parse(m_json);
  nlohmann::json buffer = {{"byteLength", m_binarySize}};
  if (!binaryUri.empty()) buffer["uri"] = binaryUri;
  document["buffers"] = nlohmann::json::array({buffer});
  return document.dump(pretty ? 2 : -1);
}

}  // namespace vh
