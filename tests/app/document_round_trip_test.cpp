// The leaf editor is laid out before its page is first shown, so that a
// document opened at start-up works its texture coordinates out for the
// editor the user will see.
#include "app/pages/leaf_editor.h"
#include "flow_test_support.h"
#include "tree/leaf_texture_mapping.h"

namespace {

using DocumentRoundTrip = WorkflowTest;

TEST_F(DocumentRoundTrip, TheLeafEditorHasItsSizeBeforeItsPageIsShown) {
  const QSize hidden = Editor()->size();
  ShowPage(1);
  EXPECT_EQ(Editor()->size(), hidden);
  EXPECT_GT(hidden.width(), 200);
}

TEST_F(DocumentRoundTrip, ADocumentMadeInAnEditorOfThisSizeKeepsItsCoordinates) {
  vh::TreeParameters params;
  params.leafOutline = {{0.0f, -50.0f}, {20.0f, 0.0f}, {-20.0f, 0.0f}};
  params.leafTexRotate = 33;  // moves "rotate :", which works the coordinates out again
  params.leafTexTranslateX = -20;
  params.leafTexScale = 400;
  const QSize size = Editor()->size();
  const vh::LeafPictureMapping mapping(vh::PlacementOf(params), size.width(), size.height(), 0, 0);
  for (const vh::Vector2& p : params.leafOutline) {
    params.leafTexCoords.push_back(mapping.TexCoord(size.width() / 2 + static_cast<int>(p.x),
                                                    size.height() / 2 + static_cast<int>(p.y)));
  }
  const std::string original = scratch.File("placed.vhm");
  vh::SaveDocument(params, original);

  // The "Leaves" page has never been shown.
  dialogs->Choose(Path("placed.vhm"));
  Trigger("Open1");
  EXPECT_EQ(State().params.leafTexCoords, params.leafTexCoords);
  dialogs->Choose(Path("again"));
  Trigger("SaveAs1");
  EXPECT_EQ(vh::test::ReadWholeFile(scratch.File("again.vhm")), vh::test::ReadWholeFile(original));
}

}  // namespace
