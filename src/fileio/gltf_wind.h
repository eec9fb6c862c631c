// The wind of a glTF export (see docs/wind.md): a skin whose joints are
// the wind rig's, one looping animation "Wind" sampled from the wind's
// motion, and per vertex JOINTS_0, WEIGHTS_0 and the values that engines'
// own shaders read, _WIND and _PIVOT (with, on request, copies of them in
// COLOR_0 and TEXCOORD_1). The model builder asks it for its parts as it
// builds the document, and the asset has it fill its arrays after the
// geometry's.
//
// Every level made of geometry bends branch by branch; a level with
// billboards sways as a whole with the trunk, so that its pictures and any
// branches it keeps move together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "fileio/export_scene.h"
#include "fileio/gltf_geometry.h"
#include "wind/wind_motion.h"
#include "wind/wind_rig.h"

namespace tinygltf {
class Model;
}

namespace vh {

// The animation's samples per second: smooth enough for the slow sway, and
// the sampled loop stays small beside the geometry.
inline constexpr double kWindSamplesPerSecond = 15.0;

// Where one primitive's wind arrays go in the buffer, and which of the
// engines' copies it has.
struct GltfWindArrays {
  std::size_t joints = 0, weights = 0, wind = 0, pivots = 0, colours = 0, texCoords = 0;
  bool withColours = false, withTexCoords = false;
};

class GltfWind {
 public:
  // Plans the wind of `scene` (whose wind must be enabled): the rig from
  // its wind's grown tree, or else its first level. Positions are written
  // as (p - origin) x factor. Throws std::runtime_error when that tree has
  // no trunk.
  GltfWind(const ExportScene& scene, const Vector3& origin, double factor);

  // Adds the wind's attributes of primitive `index` of the `level`th mesh
  // planned to `attributes`, placing their arrays at the end of the buffer
  // (`binarySize` grows by them).
  void AddAttributes(tinygltf::Model& model, std::size_t& binarySize, std::size_t level,
                     const std::vector<GltfPrimitive>& primitives, std::size_t index,
                     std::map<std::string, int>& attributes);

  // Adds the joint nodes, the skin, which every node of `levelNodes` takes,
  // and the animation. Returns the ground joint's node: the scene must list
  // it, beside the level nodes (which a skin wants at the root).
  int AddSkin(tinygltf::Model& model, std::size_t& binarySize, const std::vector<int>& levelNodes);

  // Writes the wind's arrays into the buffer at `binary`, for the meshes
  // planned in `geometry`; `completed` as GltfAsset::FillBinary has it.
  void Fill(const GltfGeometry& geometry, std::uint8_t* binary,
            const std::function<void(std::span<const GltfGeometry::ByteRange>)>& completed) const;

 private:
  struct Level {
    bool wholeTree = false;  // a billboard level: sways with the trunk
    std::vector<GltfWindArrays> primitives;
  };

  void FillPlacements(const Level& level, std::span<const GltfGeometry::Placement> placements,
                      std::uint8_t* binary) const;
  static std::vector<GltfGeometry::ByteRange> RangesOf(const Level& level,
                                                       std::span<const GltfGeometry::Placement> placements);

  WindRig m_rig;
  WindMotion m_motion;
  Vector3 m_origin;
  double m_factor;
  bool m_engineCopies;
  std::vector<Level> m_levels;
  // The animation and the inverse bind matrices, written as they are.
  std::vector<float> m_constants;
  std::size_t m_constantsAt = 0;
};

}  // namespace vh
