#include "fileio/gltf_wind.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "fileio/gltf_buffer_views.h"
#include "fileio/gltf_chunks.h"
#include "wind/wind_binding.h"

namespace vh {
namespace {

using Placement = GltfGeometry::Placement;
using ByteRange = GltfGeometry::ByteRange;

// Below this many vertices the arrays are filled on the calling thread.
constexpr std::size_t kVerticesWorthASecondThread = 100000;
// A share of the filling, in vertices (as the geometry's shares).
constexpr std::size_t kChunkVertices = std::size_t{1} << 16;

bool HasBillboards(const MeshObject& mesh) {
  for (const auto& submesh : mesh.submeshes)
    if (submesh->texture == kBillboardMaterial) return true;
  return false;
}

WindSettings Blowing(WindSettings settings) {
  settings.enabled = true;
  return settings;
}

// Rounded to nearest; the values are 0..1 already, the clamp guards.
std::uint16_t Unorm16(float value) {
  return static_cast<std::uint16_t>(std::clamp(value, 0.0f, 1.0f) * 65535.0f + 0.5f);
}

// A vertex attribute of `count` elements of `elementBytes` bytes each.
int AddAttribute(tinygltf::Model& model, std::size_t& binarySize, std::size_t count, std::size_t elementBytes,
                 int componentType, int type, bool normalized, std::size_t& offset) {
  const int view = AddView(model, binarySize, count * elementBytes, TINYGLTF_TARGET_ARRAY_BUFFER, offset);
  return AddAccessor(model, view, 0, componentType, type, count, normalized);
}

// Writes the wind of vertices into the buffer.
class WindWriter {
 public:
  WindWriter(std::uint8_t* base, const Vector3& origin, double factor)
      : m_base(base), m_origin(origin), m_factor(factor) {}

  template <typename T>
  T* At(std::size_t offset) const {
    return reinterpret_cast<T*>(m_base + offset);
  }

  // Vertex `i` of the primitive with arrays `a`, at `position`.
  void Write(const SubmeshWind& binding, const Vector3& position, std::size_t i,
             const GltfWindArrays& a) const {
    const JointWeights w = binding.WeightsAt(position);
    const WindShaderValues v = binding.ShaderValuesAt(position, w);
    std::uint8_t* joints = At<std::uint8_t>(a.joints) + i * 4;
    float* weights = At<float>(a.weights) + i * 4;
    for (int k = 0; k < JointWeights::kMost; ++k) {
      joints[k] = w.joints[static_cast<std::size_t>(k)];
      weights[k] = w.weights[static_cast<std::size_t>(k)];
    }
    std::uint16_t* wind = At<std::uint16_t>(a.wind) + i * 4;
    wind[0] = Unorm16(v.trunkBend);
    wind[1] = Unorm16(v.phase);
    wind[2] = Unorm16(v.branchBend);
    wind[3] = Unorm16(v.flutter);
    // As the positions are written: (p - origin) x factor.
    const Vector3 relative = v.pivot - m_origin;
    float* pivot = At<float>(a.pivots) + i * 3;
    pivot[0] = static_cast<float>(relative.x * m_factor);
    pivot[1] = static_cast<float>(relative.y * m_factor);
    pivot[2] = static_cast<float>(relative.z * m_factor);
    if (a.withColours) {
      std::uint16_t* colour = At<std::uint16_t>(a.colours) + i * 4;
      colour[0] = wind[1];
      colour[1] = wind[3];
      colour[2] = wind[2];
      colour[3] = 65535;  // opaque: alpha would cut masked leaves away
    }
    if (a.withTexCoords) {
      float* texCoord = At<float>(a.texCoords) + i * 2;
      texCoord[0] = v.trunkBend;
      texCoord[1] = v.branchBend;
    }
  }

 private:
  std::uint8_t* m_base;
  Vector3 m_origin;
  double m_factor;
};

}  // namespace

GltfWind::GltfWind(const ExportScene& scene, const Vector3& origin, double factor)
    : m_rig(BuildWindRig(scene.wind.grownTree ? *scene.wind.grownTree : *scene.levels.front().mesh)),
      m_motion(m_rig, Blowing(scene.wind.settings)),
      m_origin(origin),
      m_factor(factor),
      m_engineCopies(scene.wind.engineCopies) {
  if (m_rig.Trunk() == nullptr)
    throw std::runtime_error("wind needs a grown tree, and the first level of detail has no trunk");
  for (const ExportLevel& level : scene.levels)
    m_levels.push_back(Level{level.mesh && HasBillboards(*level.mesh), {}});
}

void GltfWind::AddAttributes(tinygltf::Model& model, std::size_t& binarySize, std::size_t level,
                             const std::vector<GltfPrimitive>& primitives, std::size_t index,
                             std::map<std::string, int>& attributes) {
  std::vector<GltfWindArrays>& arrays = m_levels[level].primitives;
  arrays.resize(primitives.size());
  GltfWindArrays& a = arrays[index];
  const GltfPrimitive& primitive = primitives[index];
  const std::size_t n = primitive.vertexCount;
  attributes["JOINTS_0"] = AddAttribute(model, binarySize, n, 4, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                                        TINYGLTF_TYPE_VEC4, false, a.joints);
  attributes["WEIGHTS_0"] = AddAttribute(model, binarySize, n, 16, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                         TINYGLTF_TYPE_VEC4, false, a.weights);
  attributes["_WIND"] = AddAttribute(model, binarySize, n, 8, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                     TINYGLTF_TYPE_VEC4, true, a.wind);
  attributes["_PIVOT"] = AddAttribute(model, binarySize, n, 12, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                      TINYGLTF_TYPE_VEC3, false, a.pivots);
  if (!m_engineCopies) return;
  // A primitive keeps the colours it has; and a second texture-coordinate
  // set needs a first.
  a.withColours = !primitive.withColours;
  a.withTexCoords = primitive.textured;
  if (a.withColours)
    attributes["COLOR_0"] = AddAttribute(model, binarySize, n, 8, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                         TINYGLTF_TYPE_VEC4, true, a.colours);
  if (a.withTexCoords)
    attributes["TEXCOORD_1"] = AddAttribute(model, binarySize, n, 8, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                            TINYGLTF_TYPE_VEC2, false, a.texCoords);
}

int GltfWind::AddSkin(tinygltf::Model& model, std::size_t& binarySize, const std::vector<int>& levelNodes) {
  const std::size_t jointCount = m_rig.joints.size();
  const int firstNode = static_cast<int>(model.nodes.size());
  // Each joint sits at its base, relative to its parent; the inverse bind
  // matrix takes the tree's coordinates to the joint's.
  std::vector<float> inverseBinds;
  for (std::size_t j = 0; j < jointCount; ++j) {
    const WindJoint& joint = m_rig.joints[j];
    const Vector3 from =
        joint.parent < 0 ? m_origin : m_rig.joints[static_cast<std::size_t>(joint.parent)].base;
    tinygltf::Node node;
    node.name = joint.name;
    const Vector3 step = joint.base - from;
    if (!(step == Zero)) node.translation = {step.x * m_factor, step.y * m_factor, step.z * m_factor};
    model.nodes.push_back(std::move(node));
    if (joint.parent >= 0)
      model.nodes[static_cast<std::size_t>(firstNode + joint.parent)].children.push_back(firstNode +
                                                                                         static_cast<int>(j));
    const Vector3 relative = joint.base - m_origin;
    const float matrix[16] = {1,
                              0,
                              0,
                              0,
                              0,
                              1,
                              0,
                              0,
                              0,
                              0,
                              1,
                              0,
                              static_cast<float>(-relative.x * m_factor),
                              static_cast<float>(-relative.y * m_factor),
                              static_cast<float>(-relative.z * m_factor),
                              1};
    inverseBinds.insert(inverseBinds.end(), matrix, matrix + 16);
  }

  // The animation: the loop sampled at about 15 per second, its last
  // sample at T, where the motion is the one at 0 again.
  const double loop = m_motion.LoopLength();
  const auto intervals = static_cast<std::size_t>(std::ceil(loop * kWindSamplesPerSecond - 1e-9));
  std::vector<float> times;
  for (std::size_t i = 0; i <= intervals; ++i)
    times.push_back(i == intervals ? static_cast<float>(loop)
                                   : static_cast<float>(loop * static_cast<double>(i) / intervals));
  std::vector<float> rotations;
  for (std::size_t j = 1; j < jointCount; ++j)
    for (std::size_t i = 0; i <= intervals; ++i) {
      WindRotation q =
          m_motion.LocalRotation(j, i == intervals ? loop : loop * static_cast<double>(i) / intervals);
      if (q.w < 0) q = {-q.w, -q.x, -q.y, -q.z};  // one hemisphere: interpolation takes the short way
      const double length = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
      for (const double c : {q.x, q.y, q.z, q.w}) rotations.push_back(static_cast<float>(c / length));
    }

  m_constants = inverseBinds;
  m_constants.insert(m_constants.end(), times.begin(), times.end());
  m_constants.insert(m_constants.end(), rotations.begin(), rotations.end());
  std::size_t offset = 0;
  const int bindView = AddView(model, binarySize, inverseBinds.size() * 4, 0, m_constantsAt);
  const int timeView = AddView(model, binarySize, times.size() * 4, 0, offset);
  const int rotationView = AddView(model, binarySize, rotations.size() * 4, 0, offset);

  tinygltf::Skin skin;
  skin.name = "Wind";
  skin.skeleton = firstNode;
  skin.inverseBindMatrices =
      AddAccessor(model, bindView, 0, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, jointCount);
  for (std::size_t j = 0; j < jointCount; ++j) skin.joints.push_back(firstNode + static_cast<int>(j));
  model.skins.push_back(std::move(skin));
  const int skinIndex = static_cast<int>(model.skins.size() - 1);
  for (const int node : levelNodes) model.nodes[static_cast<std::size_t>(node)].skin = skinIndex;

  tinygltf::Animation animation;
  animation.name = "Wind";
  const int input =
      AddAccessor(model, timeView, 0, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, times.size());
  model.accessors.back().minValues = {times.front()};
  model.accessors.back().maxValues = {times.back()};
  for (std::size_t j = 1; j < jointCount; ++j) {
    tinygltf::AnimationSampler sampler;
    sampler.input = input;
    sampler.output = AddAccessor(model, rotationView, (j - 1) * times.size() * 16,
                                 TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, times.size());
    sampler.interpolation = "LINEAR";
    animation.samplers.push_back(std::move(sampler));
    tinygltf::AnimationChannel channel;
    channel.sampler = static_cast<int>(animation.samplers.size() - 1);
    channel.target_node = firstNode + static_cast<int>(j);
    channel.target_path = "rotation";
    animation.channels.push_back(std::move(channel));
  }
  model.animations.push_back(std::move(animation));
  return firstNode;
}

void GltfWind::FillPlacements(const Level& level, std::span<const Placement> placements,
                              std::uint8_t* binary) const {
  const WindWriter writer(binary, m_origin, m_factor);
  for (const Placement& placement : placements) {
    const GltfWindArrays& a = level.primitives[placement.primitive];
    const SubmeshWind binding(m_rig, *placement.arrays.submesh, level.wholeTree);
    const std::span<const Vertex> vertices = placement.arrays.vertices;
    const std::vector<std::uint32_t>& newIndex = placement.topology->newIndex;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      const std::uint32_t index = newIndex.empty() ? static_cast<std::uint32_t>(i) : newIndex[i];
      if (index == kUnusedVertex) continue;
      writer.Write(binding, vertices[i].position, placement.firstVertex + index, a);
    }
  }
}

std::vector<ByteRange> GltfWind::RangesOf(const Level& level, std::span<const Placement> placements) {
  // The submeshes of one primitive follow each other in its arrays.
  std::vector<std::pair<std::size_t, std::size_t>> spans(level.primitives.size(), {SIZE_MAX, 0});
  for (const Placement& placement : placements) {
    auto& [first, end] = spans[placement.primitive];
    first = std::min<std::size_t>(first, placement.firstVertex);
    end = std::max<std::size_t>(end, placement.firstVertex + std::size_t{placement.topology->usedVertices});
  }
  std::vector<ByteRange> ranges;
  for (std::size_t p = 0; p < spans.size(); ++p) {
    // Plain names, not a structured binding: the lambda below captures them.
    const std::size_t first = spans[p].first;
    const std::size_t end = spans[p].second;
    if (first >= end) continue;
    const GltfWindArrays& a = level.primitives[p];
    const auto add = [&](std::size_t offset, std::size_t bytes) {
      ranges.push_back({offset + first * bytes, offset + end * bytes});
    };
    add(a.joints, 4);
    add(a.weights, 16);
    add(a.wind, 8);
    add(a.pivots, 12);
    if (a.withColours) add(a.colours, 8);
    if (a.withTexCoords) add(a.texCoords, 8);
  }
  return ranges;
}

void GltfWind::Fill(const GltfGeometry& geometry, std::uint8_t* binary,
                    const std::function<void(std::span<const ByteRange>)>& completed) const {
  struct Chunk {
    const Level* level;
    std::span<const Placement> placements;
    std::vector<ByteRange> ranges;
  };
  std::vector<Chunk> chunks;
  std::size_t total = 0;
  for (std::size_t l = 0; l < m_levels.size(); ++l) {
    const std::span<const Placement> placements = geometry.PlacementsOf(l);
    std::size_t begin = 0, vertices = 0;
    for (std::size_t end = 1; end <= placements.size(); ++end) {
      vertices += placements[end - 1].topology->usedVertices;
      if (vertices < kChunkVertices && end < placements.size()) continue;
      const std::span<const Placement> share = placements.subspan(begin, end - begin);
      chunks.push_back({&m_levels[l], share, RangesOf(m_levels[l], share)});
      total += vertices;
      begin = end;
      vertices = 0;
    }
  }
  std::function<void(std::size_t)> done;
  if (completed) done = [&](std::size_t index) { completed(chunks[index].ranges); };
  RunChunks(
      chunks.size(),
      [&](std::size_t index) { FillPlacements(*chunks[index].level, chunks[index].placements, binary); },
      done, total >= kVerticesWorthASecondThread);

  std::memcpy(binary + m_constantsAt, m_constants.data(), m_constants.size() * sizeof(float));
  const ByteRange constants{m_constantsAt, m_constantsAt + m_constants.size() * sizeof(float)};
  if (completed) completed({&constants, 1});
}

}  // namespace vh
