#include "billboard/card_level.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "billboard/atlas.h"
#include "billboard/billboard_settings.h"

namespace vh {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kMargin = 0.01f;  // of the tree's size, around every card
// How much wider than its share of the turn a fin's wedge is (0: the
// wedges meet edge to edge; 1: every point shows on the two fins either
// side of it, so that one seen edge on hides nothing). Against the tree
// from eight sides, the default tree, the oak and the conifer differed by
// 0.189, 0.188, 0.178 with 0.5 and 0.200, 0.178, 0.161 with 1: 0.5 keeps
// the worst of them lowest. And how far beside its wedge a vertex still
// counts for the fin's reach, in radians.
constexpr double kWedgeOverlap = 0.5;
constexpr double kReachSlack = 0.26;
// The leaves' normals near a corner agree when their sum is at least this
// share of their area.
constexpr double kAgreement = 0.05;
// The most triangles of one branch that count towards the cards' normals.
constexpr std::size_t kBarkSamples = 48;

struct Bounds {
  Vector3 low{1e30f, 1e30f, 1e30f};
  Vector3 high{-1e30f, -1e30f, -1e30f};
  bool empty = true;
  void Add(const Vector3& p) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    empty = false;
  }
  Vector3 Centre() const { return (low + high) * 0.5f; }
};

// The centre of the trunk's base ring: the trunk's first ring, which the
// generator lays out as its first vertices up to the one that repeats the
// first at the seam.
bool TrunkBase(const MeshObject& tree, Vector3& base) {
  const std::shared_ptr<Submesh> trunk = Trunk(tree);
  if (!trunk) return false;
  const std::uint32_t around = trunk->triangles.front().b;  // (0, around, around + 1)
  if (around < 1 || around >= trunk->vertices.size()) return false;
  Vector3 sum;
  for (std::uint32_t j = 0; j < around; ++j) sum += trunk->vertices[j].position;
  base = sum * (1.0f / static_cast<float>(around));
  return true;
}

// The tree without its trunk, sharing the submeshes.
MeshObject WithoutTrunk(const MeshObject& tree) {
  const std::shared_ptr<Submesh> trunk = Trunk(tree);
  MeshObject rest;
  for (const auto& submesh : tree.submeshes)
    if (submesh != trunk) rest.submeshes.push_back(submesh);
  return rest;
}

// The picture frame of a vertical card through `axis` along direction `d`
// (horizontal, unit), spanning `low`..`high` along d and `bottom`..`top`.
PictureFrame VerticalCard(const Vector3& axis, const Vector3& d, float low, float high, float bottom,
                          float top) {
  const Vector3 foot{axis.x, 0.0f, axis.z};
  const Vector3 up{0.0f, 1.0f, 0.0f};
  PictureFrame frame;
  frame.v0 = foot + d * high + up * bottom;
  frame.v1 = foot + d * high + up * top;
  frame.v2 = foot + d * low + up * top;
  return frame;
}

double FrameWidth(const PictureFrame& frame) {
  return std::sqrt(static_cast<double>(LengthSquared(frame.v2 - frame.v1)));
}
double FrameHeight(const PictureFrame& frame) {
  return std::sqrt(static_cast<double>(LengthSquared(frame.v1 - frame.v0)));
}

// A card's submesh: its four corners twice, facing either way, with the
// texture coordinates of a billboard (V0 (1, 1), V1 (1, 0), V2 (0, 0),
// V3 (0, 1)) and the corners' normals, front face then back face.
std::shared_ptr<Submesh> CardSubmesh(const PictureFrame& frame, const std::array<Vector3, 8>& normals) {
  static constexpr Vector2 kTexCoords[4] = {{1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}, {0.0f, 1.0f}};
  const Vector3 corners[4] = {frame.v0, frame.v1, frame.v2, frame.v0 + frame.v2 - frame.v1};
  auto submesh = std::make_shared<Submesh>();
  for (int face = 0; face < 2; ++face)
    for (int k = 0; k < 4; ++k) {
      Vertex vertex(corners[k]);
      vertex.colour = {1.0f, 1.0f, 1.0f};
      vertex.normal = normals[static_cast<std::size_t>(4 * face + k)];
      vertex.texCoord = kTexCoords[k];
      vertex.hasTexCoord = true;
      submesh->vertices.push_back(vertex);
    }
  // Front faces turn clockwise as seen from where they face: (0, 1, 2)
  // turns counter-clockwise seen from `facing`, so that face uses (0, 2, 1).
  submesh->triangles = {{0, 2, 1, true}, {0, 3, 2, true}, {4, 5, 6, true}, {6, 7, 4, true}};
  submesh->texture = kCardMaterial;
  submesh->materialName = kCardMaterialName;
  submesh->strip = false;
  return submesh;
}

// A piece of the tree's surface for the cards' normals: a whole leaf, or
// one of a sample of a branch's triangles (a branch's normals turn
// smoothly along its grid, so a sample spread over it, each standing for
// its stride, gives their mean at a small part of the cost: a large tree's
// bark is millions of triangles).
struct SurfaceSample {
  Vector3 centre;
  Vector3 normal;  // unit
  float area = 0.0f;
  bool leaf = false;
};

std::vector<SurfaceSample> SurfaceSamples(const MeshObject& tree) {
  std::vector<SurfaceSample> samples;
  for (const auto& submesh : tree.submeshes) {
    const bool leaf = submesh->texture == kLeafMaterial;
    if ((!leaf && submesh->texture != kBarkMaterial) || submesh->triangles.empty()) continue;
    const std::size_t stride = leaf ? 1 : std::max<std::size_t>(1, submesh->triangles.size() / kBarkSamples);
    SurfaceSample whole{{}, {}, 0.0f, true};
    for (std::size_t i = 0; i < submesh->triangles.size(); i += stride) {
      const Triangle& t = submesh->triangles[i];
      const Vertex &a = submesh->vertices[t.a], &b = submesh->vertices[t.b], &c = submesh->vertices[t.c];
      const Vector3 centre = (a.position + b.position + c.position) * (1.0f / 3.0f);
      const float area = 0.5f * static_cast<float>(stride) *
                         std::sqrt(LengthSquared(Cross(b.position - a.position, c.position - a.position)));
      const Vector3 normal = Normalized(a.normal + b.normal + c.normal);
      if (leaf) {
        whole.centre += centre * area;
        whole.normal += normal * area;
        whole.area += area;
      } else {
        samples.push_back({centre, normal, area, false});
      }
    }
    if (leaf && whole.area > 0.0f) {
      whole.centre = whole.centre * (1.0f / whole.area);
      whole.normal = Normalized(whole.normal);
      samples.push_back(whole);
    }
  }
  return samples;
}

// The normals of a card's corners, front face (v0, v1, v2, v3) then back
// face: the surface samples whose centres lie within the card's kept
// sides, their normals weighted by their areas and by how near each
// corner they lie on the card, summed per corner. Leaves count on both
// faces (the view and an engine light a leaf by its own normal from either
// side); bark counts on the face it turns towards, as the half of a
// branch's tube seen from that side. A card lit by those mean normals
// takes on the mean light of what it shows. Where the normals cancel out
// (or there are none), the normal leans away from the crown's centre,
// towards the face's side.
std::array<Vector3, 8> CornerNormals(const std::vector<SurfaceSample>& samples, const PictureFrame& frame,
                                     const Vector3& crownCentre, float crownRadius) {
  const Vector3 corners[4] = {frame.v0, frame.v1, frame.v2, frame.v0 + frame.v2 - frame.v1};
  const Vector3 facing = FrameNormal(frame);
  const Vector3 across = frame.v1 - frame.v2, down = frame.v0 - frame.v1;
  const float acrossLength2 = std::max(LengthSquared(across), 1e-20f),
              downLength2 = std::max(LengthSquared(down), 1e-20f);
  std::array<Vector3, 8> sums{};
  std::array<double, 8> areas{};
  for (const SurfaceSample& sample : samples) {
    bool kept = true;
    for (const KeptSide& side : frame.keep)
      kept = kept && Dot(side.normal, sample.centre) + side.offset >= 0.0f;
    if (!kept) continue;
    const float u = std::clamp(Dot(sample.centre - frame.v2, across) / acrossLength2, 0.0f, 1.0f);
    const float v = std::clamp(Dot(sample.centre - frame.v2, down) / downLength2, 0.0f, 1.0f);
    const float weights[4] = {u * v, u * (1 - v), (1 - u) * (1 - v), (1 - u) * v};
    const bool front = Dot(sample.normal, facing) >= 0.0f;
    for (std::size_t face = 0; face < 2; ++face) {
      if (!sample.leaf && front != (face == 0)) continue;
      for (std::size_t k = 0; k < 4; ++k) {
        sums[4 * face + k] += sample.normal * (sample.area * weights[k]);
        areas[4 * face + k] += static_cast<double>(sample.area * weights[k]);
      }
    }
  }
  std::array<Vector3, 8> normals{};
  for (std::size_t i = 0; i < 8; ++i) {
    const bool agreed =
        areas[i] > 0.0 && std::sqrt(static_cast<double>(LengthSquared(sums[i]))) > kAgreement * areas[i];
    const float side = i < 4 ? 1.0f : -1.0f;
    normals[i] = agreed ? Normalized(sums[i])
                        : Normalized(facing * side + (corners[i % 4] - crownCentre) * (1.0f / crownRadius));
  }
  return normals;
}

}  // namespace

Vector3 FramePoint(const PictureFrame& frame, double u, double v) {
  const Vector3 across = frame.v1 - frame.v2, down = frame.v0 - frame.v1;
  return frame.v2 + across * static_cast<float>(u) + down * static_cast<float>(v);
}

Vector3 FrameNormal(const PictureFrame& frame) {
  return Normalized(Cross(frame.v1 - frame.v0, frame.v2 - frame.v0));
}

CardLayout LayOutCards(const MeshObject& tree) {
  Bounds all, leaves;
  for (const auto& submesh : tree.submeshes)
    for (const Vertex& v : submesh->vertices) {
      all.Add(v.position);
      if (submesh->texture == kLeafMaterial) leaves.Add(v.position);
    }
  CardLayout layout;
  if (all.empty) return layout;
  const Bounds& crown = leaves.empty ? all : leaves;
  layout.crownCentre = crown.Centre();
  Vector3 axis = all.Centre();
  TrunkBase(tree, axis);

  const Vector3 size = all.high - all.low;
  const float margin = kMargin * std::max({size.x, size.y, size.z, 1e-6f});
  const float bottom = all.low.y - margin, top = all.high.y + margin;
  // How far each fin must reach: the farthest vertex in or near its wedge
  // (a triangle cut at the wedge's side may lie partly in the wedge with
  // its corners beside it, never far beside it).
  const double step = 2.0 * kPi / kFins, half = 0.5 * step * (1.0 + kWedgeOverlap);
  std::vector<float> reach(kFins, 0.0f);
  for (const auto& submesh : tree.submeshes)
    for (const Vertex& v : submesh->vertices) {
      const double x = v.position.x - axis.x, z = v.position.z - axis.z;
      const double radius = std::sqrt(x * x + z * z), azimuth = std::atan2(z, x);
      const auto nearest = static_cast<int>(std::lround(azimuth / step));
      for (int k = nearest - 1; k <= nearest + 1; ++k) {
        // k counts fins on from azimuth 0 either way, so k * step lies
        // within a step of the azimuth without wrapping round.
        const double off = std::fabs(azimuth - k * step);
        const int fin = ((k % kFins) + kFins) % kFins;
        if (off <= half + kReachSlack || radius == 0.0)
          reach[fin] = std::max(reach[fin], static_cast<float>(radius));
      }
    }
  for (int k = 0; k < kFins; ++k) {
    const double angle = step * k;
    const Vector3 d{static_cast<float>(std::cos(angle)), 0.0f, static_cast<float>(std::sin(angle))};
    PictureFrame fin = VerticalCard(axis, d, -margin, reach[k] + margin, bottom, top);
    // The wedge: on the inner side of either of its two boundary planes
    // through the axis.
    for (const double side : {angle + half, angle - half}) {
      const float sign = side > angle ? 1.0f : -1.0f;
      const Vector3 normal{sign * static_cast<float>(std::sin(side)), 0.0f,
                           -sign * static_cast<float>(std::cos(side))};
      fin.keep.push_back({normal, -Dot(normal, axis)});
    }
    layout.cards.push_back(fin);
  }
  // The top card, seen from above: its up runs towards -z. It shows only
  // what lies above it: seen from the side, whatever it showed of the
  // lower crown would stand higher than it does, in a band across the
  // crown's middle (from 15 degrees up, the outlines of the default tree
  // and the oak differed by 0.216 and 0.202 with the whole tree on it,
  // 0.189 and 0.188 with the upper half). From high above, the lower
  // crown then shows only where the upper one does.
  const float height = crown.Centre().y;
  const float x0 = all.low.x - margin, x1 = all.high.x + margin, z0 = all.low.z - margin,
              z1 = all.high.z + margin;
  PictureFrame topCard;
  topCard.v0 = {x1, height, z1};
  topCard.v1 = {x1, height, z0};
  topCard.v2 = {x0, height, z0};
  topCard.keep.push_back({{0.0f, 1.0f, 0.0f}, -height});
  layout.cards.push_back(topCard);
  return layout;
}

void SizeCardPictures(CardLayout& layout, int side) {
  double area = 0.0;
  for (const PictureFrame& card : layout.cards) area += FrameWidth(card) * FrameHeight(card);
  if (!(area > 0.0)) return;
  // The atlas packs pictures into a square of sqrt(1.4 x their area).
  const double pixelsPerUnit = std::sqrt(static_cast<double>(side) * side / (1.4 * area));
  for (PictureFrame& card : layout.cards) {
    card.width = std::max(1, static_cast<int>(std::lround(FrameWidth(card) * pixelsPerUnit)));
    card.height = std::max(1, static_cast<int>(std::lround(FrameHeight(card) * pixelsPerUnit)));
  }
}

std::shared_ptr<Submesh> Trunk(const MeshObject& tree) {
  for (const auto& submesh : tree.submeshes)
    if (submesh->texture == kBarkMaterial && submesh->vertices.size() >= 2 && !submesh->triangles.empty())
      return submesh;
  return nullptr;
}

std::vector<MeshObject> SubmeshesWithin(const MeshObject& tree,
                                        const std::vector<std::vector<KeptSide>>& regions) {
  std::vector<MeshObject> within(regions.size());
  for (const auto& submesh : tree.submeshes) {
    if (submesh->vertices.empty()) continue;
    Bounds box;
    for (const Vertex& v : submesh->vertices) box.Add(v.position);
    for (std::size_t r = 0; r < regions.size(); ++r) {
      bool reaches = true;
      for (const KeptSide& side : regions[r]) {
        // The box's corner farthest along the plane's normal.
        const Vector3 far{side.normal.x >= 0 ? box.high.x : box.low.x,
                          side.normal.y >= 0 ? box.high.y : box.low.y,
                          side.normal.z >= 0 ? box.high.z : box.low.z};
        if (Dot(side.normal, far) + side.offset < 0.0f) {
          reaches = false;
          break;
        }
      }
      // The box reaches in; does a vertex (a triangle reaching in has one
      // on the kept side of each plane)? Long branches' boxes reach into
      // many slices that the branches themselves pass by.
      for (std::size_t p = 0; reaches && p < regions[r].size(); ++p) {
        const KeptSide& side = regions[r][p];
        reaches = std::any_of(submesh->vertices.begin(), submesh->vertices.end(), [&side](const Vertex& v) {
          return Dot(side.normal, v.position) + side.offset >= 0.0f;
        });
      }
      if (reaches) within[r].submeshes.push_back(submesh);
    }
  }
  return within;
}

CardLevel BuildCardLevel(const CardLayout& layout, int textureResolution, const MeshObject& tree,
                         const LodRendererFactory& renderer, const std::shared_ptr<Submesh>& keptTrunk,
                         const CardProgress& progress) {
  const IntRange resolutions = FieldOf(BillboardSetting::kTextureResolution).accepted;
  if (!resolutions.Contains(textureResolution))
    throw std::runtime_error("Card texture resolution " + std::to_string(textureResolution) + " is outside " +
                             std::to_string(resolutions.minimum) + ".." +
                             std::to_string(resolutions.maximum));
  CardLevel level;
  level.mesh = std::make_unique<MeshObject>();
  float crownRadius = 1e-6f;
  for (const PictureFrame& card : layout.cards)
    for (const Vector3& corner : {card.v0, card.v1, card.v2, card.v0 + card.v2 - card.v1})
      crownRadius = std::max(crownRadius, std::sqrt(LengthSquared(corner - layout.crownCentre)));
  // The cards show the tree without its trunk, which the level keeps.
  const MeshObject shown = WithoutTrunk(tree);
  const std::vector<SurfaceSample> samples = SurfaceSamples(shown);
  std::vector<MeshObject> slices;  // what each card's picture is drawn from
  if (renderer) {
    std::vector<std::vector<KeptSide>> regions;
    for (const PictureFrame& card : layout.cards) regions.push_back(card.keep);
    slices = SubmeshesWithin(shown, regions);
  }
  std::vector<Submesh*> cards;
  for (std::size_t i = 0; i < layout.cards.size(); ++i) {
    const PictureFrame& card = layout.cards[i];
    level.mesh->submeshes.push_back(
        CardSubmesh(card, CornerNormals(samples, card, layout.crownCentre, crownRadius)));
    cards.push_back(level.mesh->submeshes.back().get());
    if (!renderer) {
      level.pictures.push_back(KeyColourImage(card.width, card.height));
      continue;
    }
    level.pictures.push_back(renderer(slices[i])(card));
    if (progress && !progress(i + 1, layout.cards.size())) return {};
  }
  if (keptTrunk) level.mesh->submeshes.push_back(keptTrunk);
  const Image atlas = AssembleAtlas(level.pictures, cards);
  BillboardTextures textures = MakeBillboardTextures(atlas, textureResolution);
  level.colour = std::move(textures.colour);
  level.transparency = std::move(textures.transparency);
  return level;
}

}  // namespace vh
