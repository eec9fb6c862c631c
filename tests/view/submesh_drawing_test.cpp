// The vertex order DrawSubmeshWith sends for strips, triangle lists and
// wireframe outlines, the culling of each material, and when it compiles a
// submesh's display list again.
#include <gtest/gtest.h>

#include <algorithm>

#include "recording_gl.h"
#include "view/submesh_drawing.h"

namespace {

using vh::CompiledList;
using vh::DrawOptions;
using vh::Submesh;
using vh::Triangle;
using vh::Vertex;

// A submesh with `count` vertices at (i, 0, 0), colour (i/10, 0.5, 0.25),
// alpha 0.75 and the given triangles.
void Fill(Submesh& submesh, int count, const std::vector<Triangle>& triangles) {
  for (int i = 0; i < count; ++i) {
    Vertex v;
    v.position = {static_cast<float>(i), 0.0f, 0.0f};
    v.colour = {static_cast<float>(i) / 10.0f, 0.5f, 0.25f};
    v.alpha = 0.75f;
    v.normal = {0.0f, 1.0f, 0.0f};
    submesh.vertices.push_back(v);
  }
  submesh.triangles.assign(triangles.begin(), triangles.end());
}

std::vector<int> Draw(const Submesh& submesh, bool wireframe, RecordingGl& gl) {
  CompiledList list;
  vh::DrawSubmeshWith(gl, submesh, DrawOptions{wireframe}, list);
  return gl.VertexOrder();
}

struct OrderCase {
  const char* what;
  bool strip;
  bool wireframe;
  std::vector<Triangle> triangles;
  std::vector<int> expected;
};

class VertexOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(VertexOrder, MatchesTheDrawingRule) {
  const OrderCase& c = GetParam();
  Submesh submesh;
  Fill(submesh, 8, c.triangles);
  submesh.strip = c.strip;
  RecordingGl gl;
  EXPECT_EQ(Draw(submesh, c.wireframe, gl), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    SubmeshDrawing, VertexOrder,
    ::testing::Values(
        OrderCase{"one visible strip triangle", true, false, {{0, 1, 2, true}}, {0, 1, 2}},
        OrderCase{"two visible strip triangles: a, b, c, c, c2",
                  true,
                  false,
                  {{0, 1, 2, true}, {2, 1, 3, true}},
                  {0, 1, 2, 2, 3}},
        OrderCase{"strip of four",
                  true,
                  false,
                  {{0, 1, 2, true}, {2, 1, 3, true}, {2, 3, 4, true}, {4, 3, 5, true}},
                  {0, 1, 2, 2, 3, 4, 5}},
        OrderCase{"strip: the repeated c is the list neighbour's, even when invisible",
                  true,
                  false,
                  {{0, 1, 2, true}, {1, 2, 6, false}, {2, 6, 3, true}},
                  {0, 1, 2, 6, 3}},
        OrderCase{"strip starting after invisible triangles",
                  true,
                  false,
                  {{0, 1, 2, false}, {3, 4, 5, true}},
                  {3, 4, 5}},
        OrderCase{"triangle list", false, false, {{0, 1, 2, true}, {3, 4, 5, true}}, {0, 1, 2, 3, 4, 5}},
        OrderCase{"wireframe triangle list closes each outline",
                  false,
                  true,
                  {{0, 1, 2, true}, {3, 4, 5, true}},
                  {0, 1, 2, 0, 3, 4, 5, 3}},
        OrderCase{"wireframe strip adds each triangle's b",
                  true,
                  true,
                  {{0, 1, 2, true}, {2, 1, 3, true}},
                  {0, 1, 2, 1, 2, 3, 1}},
        OrderCase{
            "all invisible: an empty primitive", false, false, {{0, 1, 2, false}, {3, 4, 5, false}}, {}}));

TEST(SubmeshDrawing, FullShortAndClosingSendsCarryTheirAttributes) {
  Submesh submesh;
  Fill(submesh, 4, {{0, 1, 2, true}, {2, 1, 3, true}});
  submesh.vertices[1].hasColour = true;
  RecordingGl gl;
  Draw(submesh, false, gl);
  // Full sends: colour with alpha, no texture coordinate (untextured).
  EXPECT_EQ(gl.CallsOfVertex(0),
            (std::vector<std::string>{"Color4 0 0.5 0.25 0.75", "Normal 0 1 0", "Vertex 0 0 0"}));
  // Short sends: opaque colour.
  EXPECT_EQ(gl.CallsOfVertex(3),
            (std::vector<std::string>{"Color3 0.2 0.5 0.25", "Normal 0 1 0", "Vertex 2 0 0"}));

  // Closing sends give the colour only to vertices that carry one.
  Submesh outline;
  Fill(outline, 3, {{1, 2, 0, true}, {0, 2, 1, true}});
  outline.vertices[1].hasColour = true;
  outline.strip = false;
  RecordingGl lines;
  EXPECT_EQ(Draw(outline, true, lines), (std::vector<int>{1, 2, 0, 1, 0, 2, 1, 0}));
  EXPECT_EQ(lines.CallsOfVertex(3),
            (std::vector<std::string>{"Color3 0.1 0.5 0.25", "Normal 0 1 0", "Vertex 1 0 0"}));
  EXPECT_EQ(lines.CallsOfVertex(7), (std::vector<std::string>{"Normal 0 1 0", "Vertex 0 0 0"}));
}

TEST(SubmeshDrawing, TexturedSubmeshBindsItsTextureAndSendsCoordinates) {
  Submesh submesh;
  Fill(submesh, 4, {{0, 1, 2, true}, {2, 1, 3, true}});
  for (auto& v : submesh.vertices) {
    v.hasTexCoord = true;
    v.texCoord = {0.5f, 0.25f};
  }
  submesh.texture = vh::kBarkMaterial;
  RecordingGl gl;
  Draw(submesh, false, gl);
  const std::vector<std::string> head(gl.calls.begin(), gl.calls.begin() + 5);
  EXPECT_EQ(head, (std::vector<std::string>{"GenList", "NewList 7", "Cull on", "Texture 2", "Begin strip"}));
  EXPECT_EQ(gl.CallsOfVertex(0), (std::vector<std::string>{"Color4 0 0.5 0.25 0.75", "TexCoord 0.5 0.25",
                                                           "Normal 0 1 0", "Vertex 0 0 0"}));
  EXPECT_EQ(gl.CallsOfVertex(3), (std::vector<std::string>{"TexCoord 0.5 0.25", "Color3 0.2 0.5 0.25",
                                                           "Normal 0 1 0", "Vertex 2 0 0"}));
}

TEST(SubmeshDrawing, OnlyBarkHasItsBackFacesCulledUnlessAllFacesAreAskedFor) {
  struct CullCase {
    int material;
    bool allFaces;
    const char* culling;
  };
  const CullCase cases[] = {
      {vh::kBarkMaterial, false, "Cull on"},       {vh::kLeafMaterial, false, "Cull off"},
      {vh::kBillboardMaterial, false, "Cull off"}, {0, false, "Cull off"},  // the ground plane
      {vh::kBarkMaterial, true, "Cull off"},  // a billboard's picture of part of a branch
  };
  for (const CullCase& c : cases) {
    Submesh submesh;
    Fill(submesh, 3, {{0, 1, 2, true}});
    submesh.texture = c.material;
    RecordingGl gl;
    CompiledList list;
    DrawOptions options;
    options.allFaces = c.allFaces;
    vh::DrawSubmeshWith(gl, submesh, options, list);
    ASSERT_GE(gl.calls.size(), 3u);
    EXPECT_EQ(gl.calls[2], c.culling) << "material " << c.material << (c.allFaces ? ", all faces" : "");
  }
}

TEST(SubmeshDrawing, EmptySubmeshIssuesNoCallAndCompilesNothing) {
  Submesh submesh;
  submesh.triangles.push_back({0, 1, 2, true});  // no vertices at all
  RecordingGl gl;
  CompiledList list;
  vh::DrawSubmeshWith(gl, submesh, {}, list);
  EXPECT_TRUE(gl.calls.empty());
  EXPECT_FALSE(list.compiled);
  EXPECT_EQ(list.name, 0u);
}

TEST(SubmeshDrawing, CompilesOnceThenReplaysUntilTheSubmeshOrTheOptionsChange) {
  Submesh submesh;
  Fill(submesh, 3, {{0, 1, 2, true}});
  RecordingGl gl;
  CompiledList list;
  vh::DrawSubmeshWith(gl, submesh, {}, list);
  EXPECT_EQ(gl.calls.front(), "GenList");
  EXPECT_EQ(gl.calls[1], "NewList 7");
  EXPECT_EQ(gl.calls.back(), "EndList");
  EXPECT_TRUE(list.compiled);
  EXPECT_EQ(list.name, 7u);

  gl.calls.clear();
  vh::DrawSubmeshWith(gl, submesh, {}, list);
  EXPECT_EQ(gl.calls, (std::vector<std::string>{"CallList 7"}));

  gl.calls.clear();
  vh::DrawSubmeshWith(gl, submesh, DrawOptions{true}, list);
  EXPECT_EQ(gl.calls[0], "NewList 7");  // the same name is compiled again
  EXPECT_EQ(gl.calls[3], "Begin lines");
  EXPECT_TRUE(list.options.wireframe);

  gl.calls.clear();
  submesh.vertices[2].position.y = 1.0f;  // changed without saying so: not seen
  vh::DrawSubmeshWith(gl, submesh, DrawOptions{true}, list);
  EXPECT_EQ(gl.calls, (std::vector<std::string>{"CallList 7"}));

  gl.calls.clear();
  ++submesh.revision;
  vh::DrawSubmeshWith(gl, submesh, DrawOptions{true}, list);
  EXPECT_EQ(gl.calls[0], "NewList 7");
  EXPECT_NE(std::find(gl.calls.begin(), gl.calls.end(), "Vertex 2 1 0"), gl.calls.end())
      << "the moved vertex is compiled in";
  EXPECT_EQ(list.revision, submesh.revision);
}

TEST(SubmeshDrawing, WithoutAListNameDrawsDirectlyAndTriesAgainLater) {
  Submesh submesh;
  Fill(submesh, 3, {{0, 1, 2, true}});
  RecordingGl gl;
  gl.nextList = 0;
  CompiledList list;
  vh::DrawSubmeshWith(gl, submesh, {}, list);
  EXPECT_EQ(gl.VertexOrder(), (std::vector<int>{0, 1, 2}));
  for (const auto& call : gl.calls) {
    EXPECT_EQ(call.find("List "), std::string::npos) << call;
  }
  EXPECT_FALSE(list.compiled);

  gl.calls.clear();
  gl.nextList = 9;
  vh::DrawSubmeshWith(gl, submesh, {}, list);
  EXPECT_EQ(gl.calls[0], "GenList");
  EXPECT_EQ(gl.calls[1], "NewList 9");
  EXPECT_TRUE(list.compiled);
}

// Preparing a list ahead of a frame records exactly what drawing would
// have compiled, draws nothing, and leaves the frame only a replay.
TEST(SubmeshDrawing, CompilingAheadRecordsTheDrawingAndTheFrameOnlyReplaysIt) {
  Submesh submesh;
  Fill(submesh, 4, {{0, 1, 2, true}, {1, 2, 3, true}});
  submesh.strip = true;
  RecordingGl drawn;
  CompiledList drawnList;
  vh::DrawSubmeshWith(drawn, submesh, {}, drawnList);

  RecordingGl ahead;
  CompiledList list;
  EXPECT_TRUE(vh::CompileSubmeshWith(ahead, submesh, {}, list));
  ASSERT_EQ(ahead.calls.size(), drawn.calls.size());
  EXPECT_EQ(ahead.calls[1], "CompileList 7");
  for (std::size_t i = 2; i < ahead.calls.size(); ++i) EXPECT_EQ(ahead.calls[i], drawn.calls[i]);
  EXPECT_TRUE(list.compiled);
  EXPECT_EQ(list.revision, submesh.revision);

  ahead.calls.clear();
  EXPECT_FALSE(vh::CompileSubmeshWith(ahead, submesh, {}, list)) << "already up to date";
  EXPECT_TRUE(ahead.calls.empty());
  vh::DrawSubmeshWith(ahead, submesh, {}, list);
  EXPECT_EQ(ahead.calls, (std::vector<std::string>{"CallList 7"}));

  ahead.calls.clear();
  EXPECT_TRUE(vh::CompileSubmeshWith(ahead, submesh, DrawOptions{true}, list)) << "the option changed";
  EXPECT_EQ(ahead.calls[0], "CompileList 7");
  EXPECT_TRUE(list.options.wireframe);
}

TEST(SubmeshDrawing, CompilingAheadLeavesWhatCannotBeListedToTheFrame) {
  Submesh empty;
  RecordingGl gl;
  CompiledList list;
  EXPECT_FALSE(vh::CompileSubmeshWith(gl, empty, {}, list));
  EXPECT_TRUE(gl.calls.empty());

  Submesh submesh;
  Fill(submesh, 3, {{0, 1, 2, true}});
  gl.nextList = 0;
  EXPECT_FALSE(vh::CompileSubmeshWith(gl, submesh, {}, list));
  EXPECT_EQ(gl.calls, (std::vector<std::string>{"GenList"}));
  EXPECT_FALSE(list.compiled);
}

}  // namespace
