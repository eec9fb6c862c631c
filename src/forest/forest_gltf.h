// The forest's glTF 2.0 file: every variant once, as its pack holds it (its
// meshes, its MSFT_lod chain, its skin and wind), the variants of one
// species sharing their materials and pictures (any picture met twice is
// written once), and the instances placing the variants.
//
// Instances either go through EXT_mesh_gpu_instancing: every node of a
// variant that has a mesh (each level of its chain) carries the same
// TRANSLATION, ROTATION and SCALE accessors, so that MSFT_lod, which
// switches a node, switches all its instances at once, and an engine that
// chooses the level per instance finds every level with every instance; or
// as plain nodes, a copy of the variant's nodes per instance (with its own
// copy of the wind's joints, since a skinned mesh ignores its node's
// transform: the instance's transform goes on its ground joint instead).
// The wind of all variants is one animation "Wind".
//
// Packs are added in the variants' order, and the file depends on nothing
// else: the same plan and packs give the same bytes, whoever grew them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "forest/forest_plan.h"

namespace vh {

class AtomicFile;

enum class ForestInstancing {
  kGpu,    // EXT_mesh_gpu_instancing (the default)
  kNodes,  // one node per instance and level, for readers without the extension
};

class ForestGltf {
 public:
  // The file of `plan`; its binary data waits in a temporary file in
  // `folder` (see BinarySpool). `plan` must outlive this object.
  ForestGltf(const ForestPlan& plan, ForestInstancing instancing, const std::string& folder);
  ~ForestGltf();
  ForestGltf(const ForestGltf&) = delete;
  ForestGltf& operator=(const ForestGltf&) = delete;

  // Whether variant `variant` belongs in the file: those that place no
  // instance are left out.
  bool Wanted(std::size_t variant) const;
  // Adds the pack of `variant` (see variant_pack.h). Wanted variants must
  // come in increasing order. Throws std::runtime_error naming the variant
  // for a pack that is not a .glb of this program.
  void Add(std::size_t variant, std::string_view pack);
  // Writes the whole .glb into `file` (named `path` in messages) once every
  // wanted variant was added. Throws std::runtime_error beyond the 4 GiB a
  // .glb can hold, FileError when writing fails.
  void WriteTo(AtomicFile& file, const std::string& path);

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace vh
