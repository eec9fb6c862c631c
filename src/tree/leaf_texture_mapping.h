// Where the leaf picture lies under the leaf editor: the mapping from an
// editor pixel to a point of the picture, given the picture placement a
// document stores (rotation, translation, scale). The texture coordinates
// of the leaf outline, which documents save, are worked out with it.
#pragma once

#include "foundations/vector3.h"

namespace vh {

struct TreeParameters;

// The picture placement of the leaf editor's sliders.
struct LeafPlacement {
  int rotate = 0;      // degrees, turned about the editor's centre
  int translateX = 0;  // editor pixels
  int translateY = 0;  // editor pixels
  int scale = 150;     // percent: 100 fits the picture's height to the editor's
};

// The placement stored in a parameter set.
LeafPlacement PlacementOf(const TreeParameters& params);

// Maps editor pixels onto the leaf picture for one editor size, picture size
// and placement. The values are worked out once, so that painting the editor
// can map every pixel cheaply.
//
// A picture with no pixels (none loaded yet) is taken to be as large as the
// editor: the coordinates then tell where a point lies over the editor, and
// stay finite. If the editor has no size either, every point maps to (0, 0).
class LeafPictureMapping {
 public:
  LeafPictureMapping(const LeafPlacement& placement, int editorWidth, int editorHeight, int pictureWidth,
                     int pictureHeight);

  // The picture pixel under editor pixel (x, y) (origin top-left), before
  // truncation: column in `column`, row in `row`. Not clipped to the picture.
  void PicturePoint(int x, int y, long double& column, long double& row) const;

  // The texture coordinate (u, v) of editor pixel (x, y): the picture point
  // divided by the picture's size, (0, 0) its top-left corner and (1, 1) its
  // bottom-right. Always finite.
  Vector2 TexCoord(int x, int y) const;

 private:
  long double m_cos = 1.0L;
  long double m_sin = 0.0L;
  long double m_scale = 0.0L;  // picture pixels per editor pixel
  long double m_centreX = 0.0L;
  long double m_centreY = 0.0L;
  long double m_translateX = 0.0L;
  long double m_translateY = 0.0L;
  long double m_width = 0.0L;  // picture size the coordinates are divided by
  long double m_height = 0.0L;
  bool m_degenerate = false;  // no picture and no editor: everything maps to (0, 0)
};

}  // namespace vh
