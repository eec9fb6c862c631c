// The highlight of a selected branch, drawn for real without a display.
#include "view/selection_highlight.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "tree/branch_places.h"
#include "tree/tree.h"
#include "view/headless_gl.h"

namespace vh {
namespace {

constexpr int kSide = 64;

// Draws only the highlight, over white, seen from the side through an
// orthographic view of the default tree; returns which pixels it tinted.
std::vector<bool> Tinted(const SelectionHighlight& highlight) {
  glClearColor(1, 1, 1, 1);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, kSide, kSide);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-100, 100, -20, 180, -1000, 1000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  highlight.Draw();
  std::vector<std::uint8_t> pixels(kSide * kSide * 4);
  glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  std::vector<bool> tinted;
  for (std::size_t i = 0; i < pixels.size(); i += 4)
    tinted.push_back(pixels[i + 2] < 200);  // less blue than white
  return tinted;
}

int Count(const std::vector<bool>& pixels) {
  return static_cast<int>(std::count(pixels.begin(), pixels.end(), true));
}

TEST(SelectionHighlight, TintsTheBranchAndWhatGrowsOnItAndRestoresTheState) {
  std::unique_ptr<HeadlessGl> gl;
  try {
    gl = std::make_unique<HeadlessGl>();
  } catch (const std::exception& e) {
    GTEST_SKIP() << "no OpenGL context without a display: " << e.what();
  }
  gl->BindFramebuffer(kSide, kSide);
  const Tree tree = Generate(TreeParameters(2));
  const BranchPlaces places = FindBranchPlaces(tree);

  SelectionHighlight highlight;
  highlight.Select(tree, {0, 1});
  std::size_t triangles = 0;
  for (const std::size_t i : SubmeshesOnBranch(places, {0, 1}))
    triangles += tree.submeshes[i]->triangles.size();
  EXPECT_EQ(highlight.TriangleCount(), triangles);
  const int branch = Count(Tinted(highlight));
  EXPECT_GT(branch, 0);

  // The whole tree covers more than one of its branches; nothing covers nothing.
  highlight.Select(tree, {0});
  EXPECT_GT(Count(Tinted(highlight)), branch);
  highlight.Select(tree, {0, 7});
  EXPECT_TRUE(highlight.Empty());
  EXPECT_EQ(Count(Tinted(highlight)), 0);

  // The state the frame left is the state after the highlight.
  highlight.Select(tree, {0, 1});
  glEnable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
  glColor4f(0.2f, 0.3f, 0.4f, 1.0f);
  highlight.Draw();
  GLboolean depthMask = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
  GLfloat colour[4] = {};
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_EQ(depthMask, GL_TRUE);
  EXPECT_FLOAT_EQ(colour[1], 0.3f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace vh
