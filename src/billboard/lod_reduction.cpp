#include "billboard/lod_reduction.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vh {
namespace {

// The branch triangles with the grid kept at `factor` of its rings and
// columns: at least 2 rings and 3 columns around.
struct ReducedGrid {
  std::vector<unsigned> rings;    // kept ring indices, base to tip
  std::vector<unsigned> columns;  // kept column indices, 0 to the seam
};

// `count` indices spread evenly over 0 .. last, both ends included.
std::vector<unsigned> Spread(unsigned last, unsigned count) {
  std::vector<unsigned> indices;
  for (unsigned k = 0; k < count; ++k)
    indices.push_back(static_cast<unsigned>(std::lround(static_cast<double>(k) * last / (count - 1))));
  return indices;
}

ReducedGrid Reduce(const BranchGrid& grid, double factor) {
  const unsigned bands = grid.rings - 1, around = grid.columns - 1;
  const unsigned keptBands = std::clamp(static_cast<unsigned>(std::lround(bands * factor)), 1u, bands);
  const unsigned keptAround = std::clamp(static_cast<unsigned>(std::lround(around * factor)), std::min(3u, around), around);
  return {Spread(bands, keptBands + 1), Spread(around, keptAround + 1)};
}

std::size_t TriangleCount(const ReducedGrid& grid) {
  return 2 * (grid.rings.size() - 1) * (grid.columns.size() - 1);
}

// A reduced copy keeps its source's object number: it is the same branch
// or leaf, coarser, and the wind finds what it hangs on by that number.
std::shared_ptr<Submesh> CopyLooks(const Submesh& source) {
  auto copy = std::make_shared<Submesh>(source.displayList);
  copy->texture = source.texture;
  copy->textureFile = source.textureFile;
  copy->materialName = source.materialName;
  copy->strip = false;
  return copy;
}

// The branch with only the kept rings and columns; each cell's two
// triangles turn as the generator's do.
std::shared_ptr<Submesh> ReducedBranch(const Submesh& branch, const BranchGrid& grid, const ReducedGrid& kept) {
  auto reduced = CopyLooks(branch);
  for (unsigned ring : kept.rings)
    for (unsigned column : kept.columns) reduced->vertices.push_back(branch.vertices[ring * grid.columns + column]);
  const auto width = static_cast<std::uint32_t>(kept.columns.size());
  for (std::uint32_t i = 0; i + 1 < kept.rings.size(); ++i)
    for (std::uint32_t j = 0; j + 1 < width; ++j) {
      const std::uint32_t low = i * width + j, high = low + width;
      reduced->triangles.push_back({high, low + 1, low});
      reduced->triangles.push_back({low + 1, high, high + 1});
    }
  return reduced;
}

// Twice the mean distance of a ring's vertices from their centre, taken
// one ring above the base (the base ring may be welded onto the parent).
double Diameter(const Submesh& branch, const BranchGrid& grid) {
  const unsigned ring = grid.rings > 1 ? 1 : 0;
  const unsigned around = grid.columns - 1;
  Vector3 centre;
  for (unsigned j = 0; j < around; ++j) centre += branch.vertices[ring * grid.columns + j].position;
  centre = centre * (1.0f / static_cast<float>(around));
  double sum = 0.0;
  for (unsigned j = 0; j < around; ++j)
    sum += std::sqrt(LengthSquared(branch.vertices[ring * grid.columns + j].position - centre));
  return 2.0 * sum / around;
}

double Height(const MeshObject& tree) {
  float low = 0.0f, high = 0.0f;
  bool first = true;
  for (const auto& submesh : tree.submeshes)
    for (const Vertex& v : submesh->vertices) {
      low = first ? v.position.y : std::min(low, v.position.y);
      high = first ? v.position.y : std::max(high, v.position.y);
      first = false;
    }
  return high - low;
}

// The leaf scaled by `growth` about the centre of its vertices.
std::shared_ptr<Submesh> EnlargedLeaf(const Submesh& leaf, float growth) {
  auto enlarged = CopyLooks(leaf);
  enlarged->vertices = leaf.vertices;
  enlarged->triangles = leaf.triangles;
  if (leaf.vertices.empty()) return enlarged;
  Vector3 centre;
  for (const Vertex& v : leaf.vertices) centre += v.position;
  centre = centre * (1.0f / static_cast<float>(leaf.vertices.size()));
  for (Vertex& v : enlarged->vertices) v.position = centre + (v.position - centre) * growth;
  return enlarged;
}

struct KeptBranch {
  const Submesh* submesh;
  BranchGrid grid;
};

}  // namespace

std::optional<BranchGrid> GridOf(const Submesh& submesh) {
  if (submesh.texture != kBarkMaterial || submesh.triangles.size() < 2) return std::nullopt;
  const std::uint32_t around = submesh.triangles[0].b;  // the first triangle is (0, qA, qA + 1)
  const std::size_t vertices = submesh.vertices.size();
  const std::size_t columns = around + 1;
  if (around < 1 || vertices % columns != 0 || vertices / columns < 2) return std::nullopt;
  const std::size_t rings = vertices / columns;
  const Triangle& first = submesh.triangles[0];
  const Triangle& second = submesh.triangles[1];
  if (first.a != 0 || first.c != around + 1 || second.a != around + 1 || second.b != 1 || second.c != 0 ||
      submesh.triangles.size() != 2 * (rings - 1) * columns)
    return std::nullopt;
  return BranchGrid{static_cast<unsigned>(rings), static_cast<unsigned>(columns)};
}

std::unique_ptr<MeshObject> ReduceTree(const MeshObject& tree, const LodReduction& reduction) {
  const double height = Height(tree);
  std::size_t total = 0, leafTriangles = 0;
  for (const auto& submesh : tree.submeshes) total += submesh->triangles.size();

  // Which branches stay, and which leaves (spread evenly along the list,
  // which keeps each branch's leaves together).
  std::vector<KeptBranch> branches;
  std::vector<bool> keep(tree.submeshes.size(), true);
  double leafCarry = 0.0;
  for (std::size_t i = 0; i < tree.submeshes.size(); ++i) {
    const Submesh& submesh = *tree.submeshes[i];
    if (const std::optional<BranchGrid> grid = GridOf(submesh)) {
      keep[i] = Diameter(submesh, *grid) >= reduction.thinnestBranch * height;
      if (keep[i]) branches.push_back({&submesh, *grid});
    } else if (submesh.texture == kLeafMaterial) {
      leafCarry += reduction.leafShare;
      keep[i] = leafCarry >= 1.0;
      if (keep[i]) {
        leafCarry -= 1.0;
        leafTriangles += submesh.triangles.size();
      }
    }
  }

  // The largest grid factor whose triangles stay within the aim.
  const double aim = reduction.triangleShare * static_cast<double>(total) - static_cast<double>(leafTriangles);
  const auto branchTriangles = [&branches](double factor) {
    std::size_t count = 0;
    for (const KeptBranch& branch : branches) count += TriangleCount(Reduce(branch.grid, factor));
    return static_cast<double>(count);
  };
  double low = 0.0, high = 1.0;
  for (int step = 0; step < 20; ++step) {
    const double middle = 0.5 * (low + high);
    (branchTriangles(middle) <= aim ? low : high) = middle;
  }

  auto reduced = std::make_unique<MeshObject>();
  const float growth = static_cast<float>(1.0 / std::sqrt(std::max(reduction.leafShare, 1e-6)));
  std::size_t nextBranch = 0;
  for (std::size_t i = 0; i < tree.submeshes.size(); ++i) {
    if (!keep[i]) continue;
    const auto& submesh = tree.submeshes[i];
    if (nextBranch < branches.size() && branches[nextBranch].submesh == submesh.get()) {
      const BranchGrid& grid = branches[nextBranch++].grid;
      reduced->submeshes.push_back(ReducedBranch(*submesh, grid, Reduce(grid, low)));
    } else if (submesh->texture == kLeafMaterial && reduction.leafShare < 1.0) {
      reduced->submeshes.push_back(EnlargedLeaf(*submesh, growth));
    } else {
      reduced->submeshes.push_back(submesh);
    }
  }
  return reduced;
}

}  // namespace vh
