#include "forest/forest_gltf.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "fileio/gltf_export.h"
#include "forest/binary_spool.h"
#include "foundations/atomic_file.h"

namespace vh {
namespace {

using Json = nlohmann::json;

constexpr std::uint32_t kGlbMagic = 0x46546C67;  // "glTF"
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;
constexpr std::uint32_t kBinaryChunk = 0x004E4942;
constexpr const char* kInstancing = "EXT_mesh_gpu_instancing";

std::uint32_t ReadLittleEndian32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void AppendLittleEndian32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

void AppendFloats(std::string& out, std::initializer_list<float> values) {
  for (const float value : values) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
  }
}

struct Pack {
  Json document;
  std::string_view binary;
};

Pack ReadPack(std::string_view bytes, const std::string& name) {
  const auto fail = [&name](const std::string& why) -> Pack {
    throw std::runtime_error("the pack of variant " + name + " is not a .glb of this program: " + why);
  };
  if (bytes.size() < 28 || ReadLittleEndian32(bytes, 0) != kGlbMagic || ReadLittleEndian32(bytes, 4) != 2)
    return fail("no glTF 2.0 header");
  if (ReadLittleEndian32(bytes, 8) != bytes.size()) return fail("its length is not the header's");
  const std::size_t jsonLength = ReadLittleEndian32(bytes, 12);
  if (ReadLittleEndian32(bytes, 16) != kJsonChunk || 20 + jsonLength + 8 > bytes.size())
    return fail("no JSON chunk");
  const std::size_t binaryAt = 20 + jsonLength;
  const std::size_t binaryLength = ReadLittleEndian32(bytes, binaryAt);
  if (ReadLittleEndian32(bytes, binaryAt + 4) != kBinaryChunk || binaryAt + 8 + binaryLength > bytes.size())
    return fail("no binary chunk");
  Pack pack;
  try {
    pack.document = Json::parse(bytes.substr(20, jsonLength));
  } catch (const Json::exception& error) {
    return fail(error.what());
  }
  pack.binary = bytes.substr(binaryAt + 8, binaryLength);
  return pack;
}

// The array `key` of a pack's document, empty where it has none.
const Json& ArrayOf(const Json& document, const char* key) {
  static const Json kEmpty = Json::array();
  const auto found = document.find(key);
  return found == document.end() ? kEmpty : *found;
}

// FNV-1a, for finding pictures met before.
std::uint64_t Hash(std::string_view bytes) {
  std::uint64_t hash = 1469598103934665603ull;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

// A rotation as glTF writes it (x, y, z, w).
using Rotation = std::array<double, 4>;

Rotation Multiply(const Rotation& a, const Rotation& b) {
  const auto [ax, ay, az, aw] = a;
  const auto [bx, by, bz, bw] = b;
  return {aw * bx + ax * bw + ay * bz - az * by, aw * by - ax * bz + ay * bw + az * bx,
          aw * bz + ax * by - ay * bx + az * bw, aw * bw - ax * bx - ay * by - az * bz};
}

std::array<double, 3> Rotate(const Rotation& q, const std::array<double, 3>& v) {
  const Rotation p = Multiply(Multiply(q, {v[0], v[1], v[2], 0.0}), {-q[0], -q[1], -q[2], q[3]});
  return {p[0], p[1], p[2]};
}

Rotation TurnAboutY(float turn) { return {0.0, std::sin(turn / 2.0), 0.0, std::cos(turn / 2.0)}; }

// Puts `node` where instance `instance` stands: the instance's transform
// after the node's own.
void PlaceNode(Json& node, const ForestInstance& instance) {
  std::array<double, 3> t{0, 0, 0}, s{1, 1, 1};
  Rotation r{0, 0, 0, 1};
  if (node.contains("translation")) t = node["translation"].get<std::array<double, 3>>();
  if (node.contains("rotation")) r = node["rotation"].get<Rotation>();
  if (node.contains("scale")) s = node["scale"].get<std::array<double, 3>>();
  const Rotation turn = TurnAboutY(instance.turn);
  const double k = instance.scale;
  const std::array<double, 3> moved = Rotate(turn, {t[0] * k, t[1] * k, t[2] * k});
  node["translation"] = {instance.x + moved[0], moved[1], instance.z + moved[2]};
  node["rotation"] = Multiply(turn, r);
  node["scale"] = {s[0] * k, s[1] * k, s[2] * k};
}

}  // namespace

struct ForestGltf::State {
  const ForestPlan& plan;
  ForestInstancing instancing;
  BinarySpool spool;
  std::vector<std::vector<const ForestInstance*>> instancesOf;  // per variant
  std::size_t nextVariant = 0;

  Json accessors = Json::array(), views = Json::array(), images = Json::array(), samplers = Json::array(),
       textures = Json::array(), materials = Json::array(), meshes = Json::array(), nodes = Json::array(),
       skins = Json::array(), windSamplers = Json::array(), windChannels = Json::array();
  std::vector<int> sceneNodes;
  std::set<std::string> extensionsUsed;
  // What was met before: equal samplers, textures and materials are one.
  std::map<std::string, int> samplerOf, textureOf, materialOf;
  std::unordered_multimap<std::uint64_t, int> imagesByHash;

  State(const ForestPlan& forest, ForestInstancing mode, const std::string& folder)
      : plan(forest), instancing(mode), spool(folder), instancesOf(forest.variants.size()) {
    for (const ForestInstance& instance : forest.instances)
      instancesOf[instance.variant].push_back(&instance);
  }

  static int Push(Json& array, Json value) {
    array.push_back(std::move(value));
    return static_cast<int>(array.size() - 1);
  }

  static int Shared(Json& array, std::map<std::string, int>& seen, Json value) {
    const std::string key = value.dump();
    const auto found = seen.find(key);
    if (found != seen.end()) return found->second;
    const int index = Push(array, std::move(value));
    seen.emplace(key, index);
    return index;
  }

  int AddView(std::string_view bytes, const Json& like) {
    Json view = like;
    view["buffer"] = 0;
    view["byteOffset"] = spool.Append(bytes);
    view["byteLength"] = bytes.size();
    return Push(views, std::move(view));
  }

  // A picture's bytes are written once, whichever variant brings them.
  int AddImage(std::string_view bytes, Json image) {
    const std::uint64_t hash = Hash(bytes);
    const auto [begin, end] = imagesByHash.equal_range(hash);
    for (auto it = begin; it != end; ++it) {
      const Json& view =
          views[static_cast<std::size_t>(images[static_cast<std::size_t>(it->second)]["bufferView"])];
      if (view["byteLength"].get<std::size_t>() == bytes.size() &&
          spool.Read(view["byteOffset"].get<std::uint64_t>(), bytes.size()) == bytes)
        return it->second;
    }
    image["bufferView"] = AddView(bytes, Json::object());
    const int index = Push(images, std::move(image));
    imagesByHash.emplace(hash, index);
    return index;
  }

  // The instances' transforms, which every level of the variant shares.
  Json InstanceAttributes(std::size_t variant) {
    std::string translations, rotations, scales;
    for (const ForestInstance* instance : instancesOf[variant]) {
      AppendFloats(translations, {instance->x, 0.0f, instance->z});
      const Rotation turn = TurnAboutY(instance->turn);
      AppendFloats(rotations, {0.0f, static_cast<float>(turn[1]), 0.0f, static_cast<float>(turn[3])});
      AppendFloats(scales, {instance->scale, instance->scale, instance->scale});
    }
    const std::size_t count = instancesOf[variant].size();
    const auto accessor = [&](std::string_view bytes, const char* type) {
      return Push(accessors, Json{{"bufferView", AddView(bytes, Json::object())},
                                  {"componentType", 5126},
                                  {"count", count},
                                  {"type", type}});
    };
    return Json{{"TRANSLATION", accessor(translations, "VEC3")},
                {"ROTATION", accessor(rotations, "VEC4")},
                {"SCALE", accessor(scales, "VEC3")}};
  }

  void Add(std::size_t variant, std::string_view bytes);
  void AddNodes(std::size_t variant, const Json& document, const std::vector<int>& meshOf,
                const std::vector<int>& accessorOf);
};

void ForestGltf::State::Add(std::size_t variant, std::string_view bytes) {
  const std::string& name = plan.variants[variant].name;
  const Pack pack = ReadPack(bytes, name);
  const Json& document = pack.document;
  const auto viewBytes = [&](const Json& view) {
    const std::size_t offset = view.value("byteOffset", std::size_t{0});
    const std::size_t length = view.at("byteLength").get<std::size_t>();
    if (offset + length > pack.binary.size())
      throw std::runtime_error("the pack of variant " + name + " has a buffer view beyond its data");
    return pack.binary.substr(offset, length);
  };

  const Json& packViews = ArrayOf(document, "bufferViews");
  std::set<std::size_t> pictureViews;
  for (const Json& image : ArrayOf(document, "images"))
    pictureViews.insert(image.at("bufferView").get<std::size_t>());
  std::vector<int> viewOf(packViews.size(), -1);
  for (std::size_t i = 0; i < packViews.size(); ++i)
    if (pictureViews.count(i) == 0) viewOf[i] = AddView(viewBytes(packViews[i]), packViews[i]);
  std::vector<int> imageOf;
  for (Json image : ArrayOf(document, "images")) {
    const std::string_view picture = viewBytes(packViews.at(image.at("bufferView").get<std::size_t>()));
    imageOf.push_back(AddImage(picture, std::move(image)));
  }
  std::vector<int> accessorOf;
  for (Json accessor : ArrayOf(document, "accessors")) {
    if (accessor.contains("bufferView")) accessor["bufferView"] = viewOf.at(accessor["bufferView"]);
    accessorOf.push_back(Push(accessors, std::move(accessor)));
  }
  std::vector<int> samplerOfPack;
  for (const Json& sampler : ArrayOf(document, "samplers"))
    samplerOfPack.push_back(Shared(samplers, samplerOf, sampler));
  std::vector<int> textureOfPack;
  for (Json texture : ArrayOf(document, "textures")) {
    texture["source"] = imageOf.at(texture.at("source"));
    if (texture.contains("sampler")) texture["sampler"] = samplerOfPack.at(texture["sampler"]);
    textureOfPack.push_back(Shared(textures, textureOf, std::move(texture)));
  }
  std::vector<int> materialOfPack;
  for (Json material : ArrayOf(document, "materials")) {
    const auto remap = [&textureOfPack](Json& holder, const char* key) {
      const auto found = holder.find(key);
      if (found != holder.end()) (*found)["index"] = textureOfPack.at(found->at("index"));
    };
    for (const char* key : {"normalTexture", "occlusionTexture", "emissiveTexture"}) remap(material, key);
    if (material.contains("pbrMetallicRoughness"))
      for (const char* key : {"baseColorTexture", "metallicRoughnessTexture"})
        remap(material["pbrMetallicRoughness"], key);
    materialOfPack.push_back(Shared(materials, materialOf, std::move(material)));
  }
  std::vector<int> meshOf;
  for (Json mesh : ArrayOf(document, "meshes")) {
    for (Json& primitive : mesh.at("primitives")) {
      for (auto& [attribute, accessor] : primitive.at("attributes").items())
        accessor = accessorOf.at(accessor);
      if (primitive.contains("indices")) primitive["indices"] = accessorOf.at(primitive["indices"]);
      if (primitive.contains("material")) primitive["material"] = materialOfPack.at(primitive["material"]);
    }
    meshOf.push_back(Push(meshes, std::move(mesh)));
  }
  for (const Json& extension : ArrayOf(document, "extensionsUsed")) extensionsUsed.insert(extension);
  AddNodes(variant, document, meshOf, accessorOf);
}

// The variant's nodes, skins and wind: once with the instances' accessors,
// or once per instance.
void ForestGltf::State::AddNodes(std::size_t variant, const Json& document, const std::vector<int>& meshOf,
                                 const std::vector<int>& accessorOf) {
  const Json& packNodes = ArrayOf(document, "nodes");
  std::set<std::size_t> children;
  for (const Json& node : packNodes)
    for (const Json& child : ArrayOf(node, "children")) children.insert(child.get<std::size_t>());
  const Json& packSkins = ArrayOf(document, "skins");
  const std::vector<int> roots =
      document.at("scenes").at(document.value("scene", 0)).value("nodes", std::vector<int>());

  // The animations' samplers are shared by every copy of the nodes.
  std::vector<int> samplerBase;
  for (const Json& animation : ArrayOf(document, "animations")) {
    samplerBase.push_back(static_cast<int>(windSamplers.size()));
    for (Json sampler : animation.at("samplers")) {
      sampler["input"] = accessorOf.at(sampler.at("input"));
      sampler["output"] = accessorOf.at(sampler.at("output"));
      windSamplers.push_back(std::move(sampler));
    }
  }

  const bool perInstance = instancing == ForestInstancing::kNodes;
  const Json shared = perInstance ? Json() : InstanceAttributes(variant);
  if (!perInstance) extensionsUsed.insert(kInstancing);
  const std::size_t copies = perInstance ? instancesOf[variant].size() : 1;
  for (std::size_t copy = 0; copy < copies; ++copy) {
    const int nodeBase = static_cast<int>(nodes.size());
    const int skinBase = static_cast<int>(skins.size());
    const auto node = [nodeBase](const Json& index) { return nodeBase + index.get<int>(); };
    for (std::size_t i = 0; i < packNodes.size(); ++i) {
      Json out = packNodes[i];
      if (out.contains("mesh")) out["mesh"] = meshOf.at(out["mesh"]);
      if (out.contains("skin")) out["skin"] = skinBase + out["skin"].get<int>();
      if (out.contains("children"))
        for (Json& child : out["children"]) child = node(child);
      if (out.contains("extensions") && out["extensions"].contains("MSFT_lod"))
        for (Json& id : out["extensions"]["MSFT_lod"]["ids"]) id = node(id);
      if (!perInstance) {
        if (out.contains("mesh")) out["extensions"][kInstancing]["attributes"] = shared;
      } else {
        out["name"] = out.value("name", std::string()) + "_" + std::to_string(copy + 1);
        // A skinned mesh stands where its joints do: the ground joint
        // (a root without a mesh) carries the instance's transform.
        const bool skinned = out.contains("mesh") && out.contains("skin");
        if (children.count(i) == 0 && !skinned) PlaceNode(out, *instancesOf[variant][copy]);
      }
      nodes.push_back(std::move(out));
    }
    for (Json skin : packSkins) {
      if (skin.contains("inverseBindMatrices"))
        skin["inverseBindMatrices"] = accessorOf.at(skin["inverseBindMatrices"]);
      for (Json& joint : skin.at("joints")) joint = node(joint);
      if (skin.contains("skeleton")) skin["skeleton"] = node(skin["skeleton"]);
      skins.push_back(std::move(skin));
    }
    const Json& animations = ArrayOf(document, "animations");
    for (std::size_t a = 0; a < animations.size(); ++a)
      for (Json channel : animations[a].at("channels")) {
        channel["sampler"] = samplerBase[a] + channel.at("sampler").get<int>();
        channel["target"]["node"] = node(channel["target"].at("node"));
        windChannels.push_back(std::move(channel));
      }
    for (const int root : roots) sceneNodes.push_back(nodeBase + root);
  }
}

ForestGltf::ForestGltf(const ForestPlan& plan, ForestInstancing instancing, const std::string& folder)
    : m_state(std::make_unique<State>(plan, instancing, folder)) {}

ForestGltf::~ForestGltf() = default;

bool ForestGltf::Wanted(std::size_t variant) const { return !m_state->instancesOf.at(variant).empty(); }

void ForestGltf::Add(std::size_t variant, std::string_view pack) {
  if (variant < m_state->nextVariant || !Wanted(variant))
    throw std::logic_error("forest variants are added once each, in order, and only those placed");
  m_state->Add(variant, pack);
  m_state->nextVariant = variant + 1;
}

void ForestGltf::WriteTo(AtomicFile& file, const std::string& path) {
  State& s = *m_state;
  for (std::size_t v = s.nextVariant; v < s.plan.variants.size(); ++v)
    if (Wanted(v))
      throw std::logic_error("the forest's variant " + s.plan.variants[v].name + " was not added");
  Json document;
  document["asset"] = {{"version", "2.0"}, {"generator", kGltfGenerator}};
  if (!s.extensionsUsed.empty()) document["extensionsUsed"] = s.extensionsUsed;
  for (auto [key, array] : {std::pair{"accessors", &s.accessors},
                            {"bufferViews", &s.views},
                            {"images", &s.images},
                            {"samplers", &s.samplers},
                            {"textures", &s.textures},
                            {"materials", &s.materials},
                            {"meshes", &s.meshes},
                            {"nodes", &s.nodes},
                            {"skins", &s.skins}})
    if (!array->empty()) document[key] = *array;
  if (!s.windChannels.empty())
    document["animations"] =
        Json::array({{{"name", "Wind"}, {"samplers", s.windSamplers}, {"channels", s.windChannels}}});
  document["scenes"] = Json::array({{{"name", "Forest"}, {"nodes", s.sceneNodes}}});
  document["scene"] = 0;
  s.spool.PadTo4();
  document["buffers"] = Json::array({{{"byteLength", s.spool.Size()}}});

  std::string json = document.dump();
  json.append((4 - json.size() % 4) % 4, ' ');
  const std::uint64_t total = 12 + 8 + json.size() + 8 + s.spool.Size();
  if (total > std::numeric_limits<std::uint32_t>::max())
    throw std::runtime_error("cannot write the forest '" + path + "': it needs " +
                             std::to_string(total >> 20) +
                             " MiB, more than a .glb file can hold (4 GiB); grow fewer variants");
  std::string head;
  AppendLittleEndian32(head, kGlbMagic);
  AppendLittleEndian32(head, 2);
  AppendLittleEndian32(head, static_cast<std::uint32_t>(total));
  AppendLittleEndian32(head, static_cast<std::uint32_t>(json.size()));
  AppendLittleEndian32(head, kJsonChunk);
  file.Write(head);
  file.Write(json);
  head.clear();
  AppendLittleEndian32(head, static_cast<std::uint32_t>(s.spool.Size()));
  AppendLittleEndian32(head, kBinaryChunk);
  file.Write(head);
  s.spool.CopyTo(file);
}

}  // namespace vh
