// The "Texture" page: the bark picture with its preview and texture object,
// "Remove texture", the one-word "Material name prefix :" and the scales.
#include <algorithm>

#include <GL/gl.h>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "app/pages/bark_texture_panel.h"
#include "fileio/document.h"
#include "flow_test_support.h"
#include "view/texture_upload.h"

namespace {

class TexturePageTest : public WorkflowTest {
 protected:
  void SetUp() override {
    WorkflowTest::SetUp();
    ShowPage(2);
    preview = Find<BarkPreview>("Image1");
  }
  void Click(const char* button) { QTest::mouseClick(Find<QToolButton>(button), Qt::LeftButton); }
  // Rows of the preview that hold anything but white.
  int PaintedRows() {
    const QImage& picture = preview->Picture();
    int rows = 0;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        if (picture.pixel(x, y) != qRgb(255, 255, 255)) {
          ++rows;
          break;
        }
      }
    }
    return rows;
  }
  void LoadBark(const QString& path) {
    dialogs->Choose(path);
    Click("SpeedButton4");
  }
  BarkPreview* preview = nullptr;
};

TEST_F(TexturePageTest, LoadTextureShowsTheBarkTopAlignedAndUploadsTextureTwo) {
  const QString path = Path("bark.bmp");
  WritePicture(path, GradientPicture(128, 64));
  EXPECT_EQ(PaintedRows(), 0) << "white before any bark";
  LoadBark(path);
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_TRUE(State().params.barkTextureLoaded);
  EXPECT_EQ(State().params.barkTextureFile, path.toStdString());
  EXPECT_EQ(State().barkTextureImage.width, 128);

  // Full width, height in proportion, from the top.
  const QImage& picture = preview->Picture();
  const int expectedRows = picture.width() * 64 / 128;
  EXPECT_EQ(PaintedRows(), expectedRows);
  EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 200));
  EXPECT_NE(picture.pixel(0, expectedRows - 1), qRgb(255, 255, 255));
  EXPECT_EQ(picture.pixel(0, expectedRows), qRgb(255, 255, 255));

  const TextureState texture = ReadTextureState(*window, 2);
  EXPECT_EQ(texture.width, 128);
  EXPECT_EQ(texture.height, 64);
  EXPECT_EQ(texture.minFilter, GL_NEAREST_MIPMAP_NEAREST);
}

// Pictures taller than the preview's proportions (a square tile, a tall
// strip) keep their aspect ratio too: full width, from the top, and what
// does not fit is cut off at the bottom instead of being squeezed in.
TEST_F(TexturePageTest, PreviewCutsOffWhatDoesNotFitBelow) {
  const struct { int width, height; } cases[] = {{64, 64}, {32, 128}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const QString path = Path(c.width == c.height ? "square.bmp" : "tall.bmp");
    WritePicture(path, GradientPicture(c.width, c.height));
    LoadBark(path);
    const QImage& picture = preview->Picture();
    const int w = picture.width();
    const int h = picture.height();
    const int stretchedHeight = w * c.height / c.width;
    ASSERT_GT(stretchedHeight, h) << "the picture must not fit the preview for this case";
    EXPECT_EQ(PaintedRows(), h);
    // Preview pixel (x, y) is picture pixel (x * W / w, y * H / stretchedHeight),
    // whose red is its column and green its row.
    for (int y : {0, h / 2, h - 1}) {
      for (int x : {0, w / 3, w - 1}) {
        EXPECT_EQ(picture.pixel(x, y), qRgb(x * c.width / w, y * c.height / stretchedHeight, 200))
            << "at " << x << ", " << y;
      }
    }
  }
}

// The view's context shares texture names with the window system, which
// keeps its own textures there: an upload must never land on one of them.
TEST_F(TexturePageTest, UploadsNeverReuseTheWindowSystemsTextures) {
  const std::vector<unsigned> before = ExistingTextureNames(*window);
  const QString bark = Path("bark.bmp");
  const QString leaf = Path("leaf.bmp");
  WritePicture(bark, GradientPicture(32, 32));
  WritePicture(leaf, GradientPicture(32, 32));
  LoadBark(bark);
  dialogs->Choose(leaf);
  Click("SpeedButton3");
  unsigned names[2] = {};
  window->WithViewContext([&] {
    names[0] = vh::TextureObjectName(1);
    names[1] = vh::TextureObjectName(2);
  });
  EXPECT_NE(names[0], names[1]);
  for (unsigned name : names) {
    EXPECT_NE(name, 0u);
    EXPECT_EQ(std::count(before.begin(), before.end(), name), 0) << "texture name " << name;
  }
}

TEST_F(TexturePageTest, RemoveTextureWhitensThePreviewAndKeepsThePicture) {
  LoadBark([&] {
    const QString path = Path("bark.jpg");
    WritePicture(path, GradientPicture(64, 64));
    return path;
  }());
  ASSERT_GT(PaintedRows(), 0);
  Click("SpeedButton5");
  EXPECT_EQ(PaintedRows(), 0);
  EXPECT_FALSE(State().params.barkTextureLoaded);
  EXPECT_TRUE(State().params.barkTextureFile.empty());
  EXPECT_EQ(State().barkTextureImage.width, 64);
}

TEST_F(TexturePageTest, CorruptPictureIsReportedAndChangesNothing) {
  const QString good = Path("bark.bmp");
  WritePicture(good, GradientPicture(64, 32));
  LoadBark(good);
  const QImage shown = preview->Picture();
  const vh::TreeParameters before = State().params;
  const QString bad = Path("bad.jpg");
  vh::test::WriteWholeFile(bad.toStdString(), std::string("\xFF\xD8\xFF\xE0 truncated", 14));
  LoadBark(bad);
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(recorder->messages.front().contains("bad.jpg")) << recorder->messages.front().toStdString();
  EXPECT_EQ(State().params, before);
  EXPECT_EQ(State().barkTextureImage.height, 32);
  EXPECT_EQ(preview->Picture(), shown);
  EXPECT_EQ(ReadTextureState(*window, 2).height, 32);
}

TEST_F(TexturePageTest, CancelledLoadChangesNothing) {
  dialogs->Cancel();
  Click("SpeedButton4");
  EXPECT_FALSE(State().params.barkTextureLoaded);
  EXPECT_EQ(PaintedRows(), 0);
}

TEST_F(TexturePageTest, MaterialPrefixIsOneWordAndReadsBackAsTyped) {
  auto* edit = Find<QLineEdit>("Edit2");
  edit->clear();
  QTest::keyClicks(edit, "Oak Bark\tX");
  EXPECT_EQ(edit->text(), "OakBarkX");
  EXPECT_EQ(State().params.materialPrefix, "OakBarkX");
  dialogs->Choose(Path("prefix"));
  Trigger("SaveAs1");
  EXPECT_EQ(vh::ReadDocumentFile(scratch.File("prefix.vhm"), vh::TreeParameters()).materialPrefix,
            "OakBarkX");
}

TEST_F(TexturePageTest, ScalesStoreTheirPositions) {
  Find<QSlider>("TrackBar16")->setValue(37);
  Find<QSlider>("TrackBar17")->setValue(91);
  EXPECT_EQ(State().params.uScale, 37);
  EXPECT_EQ(State().params.vScale, 91);
}

}  // namespace
