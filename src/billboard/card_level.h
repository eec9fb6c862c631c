// The far end of the level-of-detail chain: the whole tree drawn on a few
// cards. A ring of vertical cards stands through the trunk's axis, evenly
// turned, and one horizontal card lies across the crown, so that from
// every side one card faces the viewer nearly square on and shows the
// tree's true outline (commercial tree tools end their chains the same
// way). Each card shows the whole tree seen straight through it, in its
// own colours without light: an engine lights the cards itself, with
// normals that lean outwards from the crown as its leaves do on average.
#pragma once

#include <memory>
#include <vector>

#include "billboard/lod_pictures.h"
#include "foundations/image.h"
#include "tree/mesh.h"

namespace vh {

// Vertical cards in the ring: every 45 degrees, so that no view is more
// than 22.5 degrees from a card's face.
inline constexpr int kRingCards = 4;

// Where the cards stand, worked out from the tree's geometry alone.
struct CardLayout {
  std::vector<PictureFrame> cards;  // the ring, then the top card; picture sizes not yet set
  Vector3 crownCentre;              // the normals lean away from it
};

// The material name of the cards.
inline constexpr const char* kCardMaterialName = "CardMat";

// The cards of `tree`: the ring through the vertical axis of its trunk's
// base (the centre of its bounds when it has no branches), each as wide as
// the tree seen through it and as tall as the tree, and the top card over
// the tree's horizontal bounds at the middle height of its leaves (of the
// tree, when it has none). Every card keeps a margin of 1 % around the
// tree. A tree without vertices gives no cards. The crown's centre is the
// centre of the leaves' bounds (of the tree's, when it has none).
CardLayout LayOutCards(const MeshObject& tree);

// Sets the cards' picture sizes so that their pictures fill an atlas of
// about side x side pixels, in proportion to their areas (at least one
// pixel each way).
void SizeCardPictures(CardLayout& layout, int side);

struct CardLevel {
  // One submesh per card (material 4), two faces back to back: eight
  // vertices, the first four facing the side the picture was drawn from;
  // texture coordinates on the level's atlas.
  std::unique_ptr<MeshObject> mesh;
  Image colour;        // the atlas, e x e RGB, the key colour where transparent
  Image transparency;  // e x e, black where transparent, white elsewhere
  std::vector<Image> pictures;  // each card's own picture, before packing
};

// Builds the cards of `layout` with pictures drawn by `render` (which
// draws the tree; an empty renderer gives key-coloured pictures) and packs
// them into an atlas of side 2^textureResolution (5..12). Material names
// are kCardMaterialName. Throws std::runtime_error for a resolution outside 5..12.
CardLevel BuildCardLevel(const CardLayout& layout, int textureResolution, const PictureRenderer& render);

}  // namespace vh
