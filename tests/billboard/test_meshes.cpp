#include "billboard/test_meshes.h"

#include <cmath>

#include "foundations/random.h"

namespace vh::test {

namespace {

std::shared_ptr<Submesh> MakeTube(MersenneTwister& random) {
  constexpr int kRings = 7, kColumns = 9;
  auto tube = std::make_shared<Submesh>();
  tube->texture = kBarkMaterial;
  const float baseX = static_cast<float>(random.Uniform(-20, 20));
  const float baseZ = static_cast<float>(random.Uniform(-20, 20));
  const float height = static_cast<float>(random.Uniform(40, 110));
  for (int ring = 0; ring < kRings; ++ring) {
    for (int column = 0; column < kColumns; ++column) {
      const double angle = column * 2 * 3.141592653589793 / (kColumns - 1);
      const float y = height * static_cast<float>(ring) / (kRings - 1);
      tube->vertices.emplace_back(Vector3(baseX + 3.0f * static_cast<float>(std::cos(angle)), y,
                                          baseZ + 3.0f * static_cast<float>(std::sin(angle))));
    }
  }
  for (int ring = 0; ring + 1 < kRings; ++ring) {
    for (int column = 0; column + 1 < kColumns; ++column) {
      const auto a = static_cast<std::uint32_t>(ring * kColumns + column);
      const std::uint32_t b = a + 1, c = a + kColumns, d = a + kColumns + 1;
      tube->triangles.push_back({a, c, b, true});
      tube->triangles.push_back({b, c, d, true});
    }
  }
  return tube;
}

std::shared_ptr<Submesh> MakeLeaf(MersenneTwister& random) {
  auto leaf = std::make_shared<Submesh>();
  leaf->texture = kLeafMaterial;
  leaf->strip = false;
  // Crown: a squashed ball around (0, 80, 0).
  const Vector3 centre(static_cast<float>(random.Uniform(-50, 50)),
                       static_cast<float>(random.Uniform(50, 115)),
                       static_cast<float>(random.Uniform(-50, 50)));
  const Vector3 along(static_cast<float>(random.Uniform(-2, 2)), static_cast<float>(random.Uniform(-2, 2)),
                      static_cast<float>(random.Uniform(-2, 2)));
  const Vector3 across(static_cast<float>(random.Uniform(-1, 1)), static_cast<float>(random.Uniform(-1, 1)),
                       static_cast<float>(random.Uniform(-1, 1)));
  leaf->vertices.emplace_back(centre);
  leaf->vertices.emplace_back(centre + across);
  leaf->vertices.emplace_back(centre + along);
  leaf->vertices.emplace_back(centre - across);
  leaf->triangles.push_back({0, 1, 2, true});
  leaf->triangles.push_back({0, 2, 3, true});
  return leaf;
}

}  // namespace

std::unique_ptr<MeshObject> MakeLeafyMesh(const LeafyMeshOptions& options) {
  MersenneTwister random(static_cast<int>(options.seed));
  auto mesh = std::make_unique<MeshObject>();
  int leavesLeft = options.leaves;
  for (int b = 0; b < options.barkSubmeshes; ++b) {
    mesh->submeshes.push_back(MakeTube(random));
    const int share = options.leaves / std::max(1, options.barkSubmeshes);
    for (int i = 0; i < share && leavesLeft > 0; ++i, --leavesLeft)
      mesh->submeshes.push_back(MakeLeaf(random));
  }
  for (; leavesLeft > 0; --leavesLeft) mesh->submeshes.push_back(MakeLeaf(random));
  if (options.emptySubmesh) {
    const auto at = mesh->submeshes.begin() +
                    std::min<std::ptrdiff_t>(1, static_cast<std::ptrdiff_t>(mesh->submeshes.size()));
    mesh->submeshes.insert(at, std::make_shared<Submesh>());
  }
  return mesh;
}

std::shared_ptr<Submesh> MakeTriangles(int texture, const std::vector<Vector3>& positions) {
  auto submesh = std::make_shared<Submesh>();
  submesh->texture = texture;
  for (const Vector3& p : positions) submesh->vertices.emplace_back(p);
  for (std::uint32_t i = 0; i + 2 < positions.size(); i += 3)
    submesh->triangles.push_back({i, i + 1, i + 2, true});
  return submesh;
}

}  // namespace vh::test
