// The far end of the level-of-detail chain: the tree drawn on cards around
// its own trunk. A star of vertical half-cards ("fins") stands out from the
// trunk's axis, evenly turned, and one horizontal card lies across the
// crown. The trunk stays geometry (the level is given one, a reduction of
// the tree's): flattened onto fins, a trunk that leans or bends away from
// the axis of its base shows beside its place, and it is the widest part
// of a bare tree's outline (keeping the first reduction's trunk, 180
// triangles, took the default tree's outline difference from 0.218 to
// 0.189). Each fin shows only the slice of the rest around it (a wedge of
// azimuths centred on it, a little wider than the step between fins),
// seen straight through it: together the slices rebuild the crown's volume from any side, where
// whole-tree pictures on crossed cards would pile several copies of the
// outline onto every oblique view and fill the gaps between the leaves
// (slicing a plant into a few textured planes is the idea behind Jakulin's
// "Interactive Vegetation Rendering with Slicing and Blending", 2000). The
// pictures hold the tree's own colours without light: an engine lights
// the cards itself, with normals that lean outwards from the crown as its
// leaves do on average.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "billboard/lod_pictures.h"
#include "foundations/image.h"
#include "tree/mesh.h"

namespace vh {

// Fins in the star: every 3.75 degrees. A fin shows its slice flattened
// onto its own plane, so the slice's thickness, seen from the side, is how
// far its leaves and twigs are drawn beside their places; thinner slices
// show them nearer, until each fin's share of the atlas grows too coarse
// for them. Against the full tree from eight sides (256 pixels), the
// outlines of the default tree, the broadleaf oak and the conifer differed
// by 0.208, 0.216 and 0.163 with 64 fins; 0.189, 0.188, 0.178 with 96;
// 0.205, 0.213, 0.199 with 128.
inline constexpr int kFins = 96;

// Where the cards stand, worked out from the tree's geometry alone.
struct CardLayout {
  // The fins, then the top card; picture sizes not yet set. Each fin's
  // frame keeps (see PictureFrame::keep) its wedge of the tree.
  std::vector<PictureFrame> cards;
  Vector3 crownCentre;  // the normals lean away from it
};

// The material name of the cards.
inline constexpr const char* kCardMaterialName = "CardMat";

// The cards of `tree`: the fins from the vertical axis of its trunk's
// base (the centre of its bounds when it has no branches), fin k along
// the horizontal direction (cos a, 0, sin a), a = 360 k / kFins degrees,
// its wedge the azimuths within 1.5 x 180 / kFins degrees of it (the
// wedges overlap, so that what a fin seen edge on hides its neighbours
// show); each fin reaches from the axis as far as the tree's
// vertices in and near its wedge and is as tall as the tree; the top card
// over the tree's horizontal bounds at the middle height of its leaves (of
// the tree, when it has none), showing what lies above it. Every card
// keeps a margin of 1 % around the tree. A tree without vertices gives no cards. The crown's centre is the
// centre of the leaves' bounds (of the tree's, when it has none).
CardLayout LayOutCards(const MeshObject& tree);

// Sets the cards' picture sizes so that their pictures fill an atlas of
// about side x side pixels, in proportion to their areas (at least one
// pixel each way).
void SizeCardPictures(CardLayout& layout, int side);

struct CardLevel {
  // One submesh per card (material 4), two faces back to back: eight
  // vertices, the first four facing the side the picture was drawn from;
  // texture coordinates on the level's atlas. Then the tree's trunk (its
  // first bark submesh, shared), which no card shows.
  std::unique_ptr<MeshObject> mesh;
  Image colour;                 // the atlas, e x e RGB, the key colour where transparent
  Image transparency;           // e x e, black where transparent, white elsewhere
  std::vector<Image> pictures;  // each card's own picture, before packing
};

// Builds the cards of `layout` (laid out for `tree`) with pictures drawn
// by renderers from `renderer` (an empty factory gives key-coloured
// pictures) and packs them into an atlas of side 2^textureResolution
// (5..12). Each card's picture is drawn from the submeshes of the tree,
// its trunk aside, that may reach into its kept sides only (see
// SubmeshesWithin), so that a fin costs its slice of the tree, not the whole. Material names are
// kCardMaterialName. Throws std::runtime_error for a resolution outside 5..12.
// `progress`, when given, is told after each card's picture how many of
// the pictures are drawn, of how many; returning false stops the build,
// which then returns a level without a mesh. On a large tree the pictures
// take seconds.
// `keptTrunk` (may be null) is the trunk the level keeps as geometry: the
// tree's own (see Trunk) or a reduction of it.
using CardProgress = std::function<bool(std::size_t drawn, std::size_t pictures)>;
CardLevel BuildCardLevel(const CardLayout& layout, int textureResolution, const MeshObject& tree,
                         const LodRendererFactory& renderer, const std::shared_ptr<Submesh>& keptTrunk,
                         const CardProgress& progress = {});

// The trunk of a tree or of a reduction of it: the first bark submesh with
// triangles (the generator grows the trunk first); null when there is none.
std::shared_ptr<Submesh> Trunk(const MeshObject& tree);

// For each region (the points on the kept side of every plane it holds),
// the submeshes of `tree` (shared) that may reach into it: those with,
// for every plane, a vertex on its kept side (a triangle reaching into the
// region has one). A region without planes gets every submesh.
std::vector<MeshObject> SubmeshesWithin(const MeshObject& tree,
                                        const std::vector<std::vector<KeptSide>>& regions);

}  // namespace vh
