// How far a level of detail's outline strays from its tree's: both seen
// straight on from around the tree (orthographic pictures, see
// lod_pictures.h) and compared pixel by pixel. The chain turns the error
// into the screen size below which a level looks like the tree.
#pragma once

#include <vector>

#include "billboard/card_level.h"
#include "billboard/lod_pictures.h"
#include "foundations/image.h"
#include "tree/mesh.h"

namespace vh {

// The frames errors are measured through: `count` vertical rectangles
// through the centre of the tree's bounds, turned by 180 / count degrees
// from one to the next, the first by half that from the x axis (half a turn
// covers every side: from the opposite side an outline is the same,
// mirrored; with four, they look between the ring's cards, where the cards
// stand in worst), each spanning what it sees of the tree with a margin of
// 1 %, `height` pixels high with square pixels. Empty for a tree without
// vertices.
std::vector<PictureFrame> MeasuringFrames(const MeshObject& tree, int count = 4, int height = 256);

// The mean width, in scene units, of the band where exactly one of two
// outlines covers a pixel: per frame, the pixels the pictures differ in
// (one drawn, the other the key colour) over the pixels on the edge of the
// reference's outline, times the size of a pixel; averaged over the
// frames. 0 for the same outlines. A reference without any drawn pixel
// counts the differing pixels themselves as the edge. Pictures must have
// the frames' sizes (std::runtime_error otherwise).
double OutlineError(const std::vector<Image>& reference, const std::vector<Image>& level,
                    const std::vector<PictureFrame>& frames);

// What a level of cards shows through `frame`: each pixel takes the first
// card whose picture is drawn (not the key colour) where the line through
// the pixel's centre, along the frame's normal, meets the card; the key
// colour where none is. `pictures` are the cards' own pictures, in the
// layout's order.
Image CardsThroughFrame(const CardLayout& layout, const std::vector<Image>& pictures,
                        const PictureFrame& frame);

}  // namespace vh
