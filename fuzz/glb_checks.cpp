#include "glb_checks.h"

#include <tiny_gltf.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace vh::fuzz {
namespace {

// Reading an embedded picture is the decoder's business, fuzzed apart.
bool SkipPicture(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int,
                 void*) {
  return true;
}

// An accessor's elements, each component widened to double.
struct Elements {
  std::vector<double> values;  // count x components
  int components = 0;
};

double ComponentAt(const unsigned char* p, int componentType) {
  switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
      return static_cast<std::int8_t>(*p);
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      return *p;
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
      std::int16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
      std::uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default: {
      float v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

// Reads accessor `index` after checking that it lies where it says.
std::string ReadAccessor(const tinygltf::Model& model, int index, Elements& out) {
  const std::string name = "accessor " + std::to_string(index);
  if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size()) return name + " does not exist";
  const tinygltf::Accessor& accessor = model.accessors[static_cast<std::size_t>(index)];
  if (accessor.bufferView < 0 || static_cast<std::size_t>(accessor.bufferView) >= model.bufferViews.size())
    return name + " has no buffer view";
  const tinygltf::BufferView& view = model.bufferViews[static_cast<std::size_t>(accessor.bufferView)];
  if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= model.buffers.size())
    return name + "'s view has no buffer";
  const std::vector<unsigned char>& buffer = model.buffers[static_cast<std::size_t>(view.buffer)].data;
  if (view.byteOffset + view.byteLength > buffer.size()) return name + "'s view reaches past its buffer";
  const int componentSize =
      tinygltf::GetComponentSizeInBytes(static_cast<std::uint32_t>(accessor.componentType));
  out.components = tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(accessor.type));
  const int stride = accessor.ByteStride(view);
  if (componentSize <= 0 || out.components <= 0 || stride <= 0) return name + " has a bad type or stride";
  const std::size_t element =
      static_cast<std::size_t>(componentSize) * static_cast<std::size_t>(out.components);
  if (accessor.count > 0 &&
      accessor.byteOffset + static_cast<std::size_t>(stride) * (accessor.count - 1) + element >
          view.byteLength)
    return name + " reaches past its buffer view";
  out.values.clear();
  out.values.reserve(accessor.count * static_cast<std::size_t>(out.components));
  const unsigned char* base = buffer.data() + view.byteOffset + accessor.byteOffset;
  for (std::size_t i = 0; i < accessor.count; ++i) {
    for (int c = 0; c < out.components; ++c) {
      const double value = ComponentAt(
          base + i * static_cast<std::size_t>(stride) + static_cast<std::size_t>(c * componentSize),
          accessor.componentType);
      if (!std::isfinite(value)) return name + " holds a value that is not finite";
      const std::size_t k = static_cast<std::size_t>(c);
      // The bounds were written from the values as floats: compare as floats.
      if (accessor.minValues.size() == static_cast<std::size_t>(out.components) &&
          value < static_cast<float>(accessor.minValues[k]))
        return name + " holds " + std::to_string(value) + " below its min";
      if (accessor.maxValues.size() == static_cast<std::size_t>(out.components) &&
          value > static_cast<float>(accessor.maxValues[k]))
        return name + " holds " + std::to_string(value) + " above its max";
      out.values.push_back(value);
    }
  }
  return {};
}

bool Finite(const std::vector<double>& values) {
  for (const double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// The skin of each mesh, by the nodes that draw it (-1: none).
std::map<int, int> SkinOfMeshes(const tinygltf::Model& model) {
  std::map<int, int> skins;
  for (const tinygltf::Node& node : model.nodes)
    if (node.mesh >= 0) skins[node.mesh] = node.skin;
  return skins;
}

std::string PrimitiveFault(const tinygltf::Model& model, const tinygltf::Primitive& primitive, int skin) {
  std::size_t vertices = 0;
  Elements elements;
  for (const auto& [attribute, index] : primitive.attributes) {
    if (std::string fault = ReadAccessor(model, index, elements); !fault.empty())
      return attribute + ": " + fault;
    const std::size_t count = model.accessors[static_cast<std::size_t>(index)].count;
    if (vertices != 0 && count != vertices) return attribute + " has another vertex count";
    vertices = count;
  }
  if (primitive.indices >= 0) {
    if (std::string fault = ReadAccessor(model, primitive.indices, elements); !fault.empty()) return fault;
    if (elements.values.size() % 3 != 0) return "the indices are no whole number of triangles";
    for (const double index : elements.values)
      if (index >= static_cast<double>(vertices)) return "an index names no vertex";
  }
  const auto joints = primitive.attributes.find("JOINTS_0");
  const auto weights = primitive.attributes.find("WEIGHTS_0");
  if ((joints == primitive.attributes.end()) != (weights == primitive.attributes.end()))
    return "joints without weights or weights without joints";
  if (joints == primitive.attributes.end()) return {};
  if (skin < 0 || static_cast<std::size_t>(skin) >= model.skins.size())
    return "skinned primitive without a skin";
  const double jointCount = static_cast<double>(model.skins[static_cast<std::size_t>(skin)].joints.size());
  ReadAccessor(model, joints->second, elements);
  for (const double joint : elements.values)
    if (joint >= jointCount) return "a vertex names a joint the skin does not have";
  ReadAccessor(model, weights->second, elements);
  for (std::size_t v = 0; v + 4 <= elements.values.size(); v += 4) {
    double sum = 0.0;
    for (std::size_t k = 0; k < 4; ++k) {
      if (elements.values[v + k] < 0.0) return "a negative skin weight";
      sum += elements.values[v + k];
    }
    if (std::abs(sum - 1.0) > 1e-5) return "skin weights of a vertex sum to " + std::to_string(sum);
  }
  return {};
}

std::string ModelFault(const tinygltf::Model& model) {
  for (std::size_t i = 0; i < model.nodes.size(); ++i) {
    const tinygltf::Node& node = model.nodes[i];
    if (!Finite(node.translation) || !Finite(node.rotation) || !Finite(node.scale) || !Finite(node.matrix))
      return "node " + std::to_string(i) + " has a transform that is not finite";
  }
  const std::map<int, int> skins = SkinOfMeshes(model);
  for (std::size_t m = 0; m < model.meshes.size(); ++m) {
    const auto skin = skins.find(static_cast<int>(m));
    for (const tinygltf::Primitive& primitive : model.meshes[m].primitives) {
      const std::string fault = PrimitiveFault(model, primitive, skin == skins.end() ? -1 : skin->second);
      if (!fault.empty()) return "mesh " + std::to_string(m) + ": " + fault;
    }
  }
  Elements elements;
  for (const tinygltf::Animation& animation : model.animations) {
    for (const tinygltf::AnimationSampler& sampler : animation.samplers) {
      if (std::string fault = ReadAccessor(model, sampler.input, elements); !fault.empty()) return fault;
      for (std::size_t k = 1; k < elements.values.size(); ++k)
        if (!(elements.values[k] > elements.values[k - 1])) return "animation times do not rise";
      if (std::string fault = ReadAccessor(model, sampler.output, elements); !fault.empty()) return fault;
    }
  }
  return {};
}

}  // namespace

std::string GlbFault(std::string_view glb) {
  tinygltf::TinyGLTF reader;
  reader.SetImageLoader(SkipPicture, nullptr);
  tinygltf::Model model;
  std::string error, warning;
  if (!reader.LoadBinaryFromMemory(&model, &error, &warning,
                                   reinterpret_cast<const unsigned char*>(glb.data()),
                                   static_cast<unsigned>(glb.size())))
    return "tinygltf cannot read it: " + error;
  return ModelFault(model);
}

}  // namespace vh::fuzz
