// The about box's picture: a small tree on a hill under a sky, drawn
// procedurally so the program needs no image file.
#pragma once

#include <QImage>

// A 512 × 384 RGB picture; the same every time.
QImage MakeSplashPicture();
