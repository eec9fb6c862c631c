// "File" > "New from preset": every preset is offered and opens like a
// document, with its pictures and a fresh history, and its leaf picture
// lies under its outline in the leaf editor of a window of the first size.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSlider>

#include "app/flows/document_changes.h"
#include "app/pages/leaf_editor.h"
#include "fileio/presets.h"
#include "flow_test_support.h"
#include "tree/leaf_texture_mapping.h"

namespace {

const vh::PresetLibrary& Presets() {
  static const vh::PresetLibrary library(VH_BINARY_DIR "/share/verdanthollow/presets");
  return library;
}

using PresetMenu = WorkflowTest;

TEST_F(PresetMenu, OffersEveryPresetByItsTitle) {
  QStringList titles;
  for (QAction* action : Find<QMenu>("NewFromPreset1")->actions()) {
    EXPECT_TRUE(action->isEnabled());
    titles << action->text();
  }
  QStringList expected;
  for (const std::string& name : Presets().Names()) expected << QString::fromStdString(vh::PresetTitle(name));
  EXPECT_EQ(titles, expected);
  EXPECT_TRUE(titles.contains("Weeping willow"));
}

TEST_F(PresetMenu, EveryPresetKeepsItsValuesInTheControls) {
  // A value beyond a control's range would be cut to it when the controls
  // are loaded, and the tree would not be the preset's.
  // The outline's texture coordinates are worked out again for the leaf
  // editor's size; the presets were made for that of a window of the
  // first size.
  const bool designedEditor = Editor()->size() == QSize(300, 394);
  for (const std::string& name : Presets().Names()) {
    Trigger(("Preset_" + name).c_str());
    vh::TreeParameters expected = Presets().Read(name, vh::TreeParameters());
    const std::vector<vh::Vector2> coordinates = expected.leafTexCoords;
    expected.leafTexCoords = State().params.leafTexCoords;
    EXPECT_TRUE(vh::test::SameParameters(State().params, expected)) << name;
    for (std::size_t i = 0; designedEditor && i < coordinates.size(); ++i) {
      EXPECT_NEAR(State().params.leafTexCoords[i].x, coordinates[i].x, 1e-6f) << name;
      EXPECT_NEAR(State().params.leafTexCoords[i].y, coordinates[i].y, 1e-6f) << name;
    }
    EXPECT_FALSE(window->findChild<DocumentChanges*>()->Modified()) << name;
  }
  EXPECT_TRUE(savePrompt->asked.isEmpty());
}

TEST_F(PresetMenu, OpensThePresetWithItsPicturesAndAFreshHistory) {
  Find<QSlider>("noise")->setValue(3);
  Trigger("Preset_conifer");
  EXPECT_EQ(savePrompt->asked.size(), 1) << "the changed tree was asked about";
  const vh::TreeParameters preset = Presets().Read("conifer", vh::TreeParameters());
  EXPECT_EQ(State().params.levels, preset.levels);
  EXPECT_EQ(State().params.leafTextureFile, preset.leafTextureFile);
  EXPECT_EQ(Find<QSlider>("noise")->value(), preset.levels[0].noise);
  EXPECT_EQ(Find<QLabel>("DocumentName")->toolTip(), "Conifer");
  EXPECT_FALSE(window->findChild<QAction*>("Undo1")->isEnabled());
  EXPECT_FALSE(window->findChild<DocumentChanges*>()->Modified());
  EXPECT_GT(Tree().leafCount, 0);
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join('\n').toStdString();
  if (window->ViewBound()) {
    EXPECT_EQ(ReadTextureState(*window, 1).width, 256) << "the leaf picture";
    EXPECT_EQ(ReadTextureState(*window, 2).width, 256) << "the bark picture";
  }
  // "Save" asks for a name rather than writing over the installed preset.
  dialogs->Cancel();
  Trigger("Save1");
  EXPECT_EQ(dialogs->requests.size(), 1u);
}

TEST(PresetLeaves, ThePlacementSlidersPutThePictureUnderTheOutline) {
  // The leaf editor's size in a window of the first size, as the presets
  // were made for it; moving a placement slider recomputes exactly these.
  constexpr int kWidth = 300;
  constexpr int kHeight = 394;
  for (const std::string& name : Presets().Names()) {
    const vh::TreeParameters params = Presets().Read(name, vh::TreeParameters());
    const vh::LeafPictureMapping mapping(vh::PlacementOf(params), kWidth, kHeight, 256, 256);
    for (std::size_t i = 0; i < params.leafOutline.size(); ++i) {
      const vh::Vector2& p = params.leafOutline[i];
      const vh::Vector2 t =
          mapping.TexCoord(kWidth / 2 + static_cast<int>(p.x), kHeight / 2 + static_cast<int>(p.y));
      EXPECT_NEAR(t.x, params.leafTexCoords[i].x, 1e-6f) << name << " point " << i;
      EXPECT_NEAR(t.y, params.leafTexCoords[i].y, 1e-6f) << name << " point " << i;
    }
  }
}

}  // namespace
