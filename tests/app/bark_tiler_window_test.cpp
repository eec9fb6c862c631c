// The bark tiler window driven through its controls: loading, previewing,
// generating, saving, refusing bad input, cancelling.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/bark_tiler/bark_tiler_view.h"
#include "app/bark_tiler/bark_tiler_window.h"
#include "app/widgets/file_dialogs.h"
#include "app_test_support.h"
#include "bark/bark_tiler.h"
#include "imaging/picture_io.h"

namespace {

// A picture with structure in both directions and uneven lighting, so that
// every option of the tiler changes it.
vh::Image BarkPicture(int width, int height) {
  vh::Image picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = picture.At(x, y);
      const int light = 40 + 150 * x / width;
      p[0] = static_cast<std::uint8_t>((light + (x * 7 + y * 3) % 50) % 256);
      p[1] = static_cast<std::uint8_t>((light / 2 + (x ^ y) % 60) % 256);
      p[2] = static_cast<std::uint8_t>((light / 3 + (x * y) % 40) % 256);
    }
  }
  return picture;
}

::testing::AssertionResult SameImage(const vh::Image& actual, const vh::Image& expected) {
  if (actual.width != expected.width || actual.height != expected.height ||
      actual.channels != expected.channels) {
    return ::testing::AssertionFailure()
           << "size " << actual.width << " x " << actual.height << " x " << actual.channels << ", expected "
           << expected.width << " x " << expected.height << " x " << expected.channels;
  }
  if (actual.pixels != expected.pixels) return ::testing::AssertionFailure() << "the pixels differ";
  return ::testing::AssertionSuccess();
}

// ImageMagick's description of a picture file: "format width height depth".
// ("BMP3" is a BMP with the classic 40-byte header.)
std::string Identify(const QString& path) {
  QProcess identify;
  identify.start("identify", {"-format", "%m %w %h %z", path});
  if (!identify.waitForFinished(20000) || identify.exitCode() != 0) return "identify failed";
  return QString::fromLocal8Bit(identify.readAllStandardOutput()).trimmed().toStdString();
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  file.write(bytes);
}

int LittleEndian(const QByteArray& bytes, int offset, int size) {
  int value = 0;
  for (int i = size - 1; i >= 0; --i) value = value * 256 + static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

// Answers file dialogs from a queue of names (an empty name cancels) and
// records what they were asked.
class QueuedDialogs : public FileDialogs {
 public:
  std::optional<FileChoice> Run(const FileRequest& request) override {
    requests.push_back(request);
    if (answers.isEmpty()) {
      ADD_FAILURE() << "a file dialog was opened unexpectedly";
      return std::nullopt;
    }
    const QString name = answers.takeFirst();
    if (name.isEmpty()) return std::nullopt;
    return FileChoice{name, 0};
  }
  QStringList answers;
  std::vector<FileRequest> requests;
};

// Keeps QEvent::Quit from reaching the application, which would end every
// later event loop of the test program; filters installed after it still
// see the event first.
class QuitSwallower : public QObject {
 public:
  QuitSwallower() { QCoreApplication::instance()->installEventFilter(this); }
  ~QuitSwallower() override { QCoreApplication::instance()->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Quit; }
};

class BarkTilerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    dialogs = std::make_shared<QueuedDialogs>();
    previousDialogs = SetFileDialogs(dialogs);
    window = std::make_unique<BarkTilerWindow>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    window.reset();
    SetFileDialogs(previousDialogs);
  }

  template <class T>
  T* Find(const char* name) {
    T* widget = window->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << "no control named " << name;
    return widget;
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  void Click(const char* button) { QTest::mouseClick(Find<QToolButton>(button), Qt::LeftButton); }
  void Load(const QString& path) {
    dialogs->answers << path;
    Click("SpeedButton1");
  }
  void Save(const QString& path) {
    dialogs->answers << path;
    Click("SpeedButton2");
  }
  void Generate() { Click("SpeedButton3"); }
  void SetCrop(int x0, int x1, int y0, int y1) {
    Find<QSlider>("cropx0")->setValue(x0);
    Find<QSlider>("cropx1")->setValue(x1);
    Find<QSlider>("cropy0")->setValue(y0);
    Find<QSlider>("cropy1")->setValue(y1);
  }
  void Tick(const char* name) { QTest::mouseClick(Find<QCheckBox>(name), Qt::LeftButton); }
  // Writes `picture` as BMP or JPEG (by the name) and loads it in the window.
  vh::Image LoadNew(const vh::Image& picture, const QString& name) {
    vh::SavePicture(Path(name).toStdString(), picture);
    Load(Path(name));
    return vh::LoadPicture(Path(name).toStdString());
  }
  vh::Image PlainCrop() const {
    const vh::Image& source = window->Source();
    return vh::CropBarkPicture(source, vh::ComputeBarkCrop(source.width, source.height, window->Options()));
  }
  vh::Image ReadBack(const QString& name) const { return vh::LoadPicture(Path(name).toStdString()); }

  MessageRecorder recorder;
  QTemporaryDir dir;
  std::shared_ptr<QueuedDialogs> dialogs;
  std::shared_ptr<FileDialogs> previousDialogs;
  std::unique_ptr<BarkTilerWindow> window;
};

TEST_F(BarkTilerWindowTest, StartsWithTheDesignedLayoutAndBlankPictures) {
  EXPECT_EQ(window->windowTitle(), "Bark tiler");
  EXPECT_EQ(window->size(), QSize(870, 600));
  EXPECT_EQ(Find<QFrame>("Panel1")->height(), 214);
  EXPECT_EQ(Find<QFrame>("Panel1")->palette().color(QPalette::Window), QColor(165, 216, 175));
  EXPECT_EQ(Find<QFrame>("Panel3")->width(), 408);
  EXPECT_EQ(Find<QFrame>("Panel6")->height(), 37);
  EXPECT_EQ(Find<QFrame>("Panel7")->height(), 37);
  for (const char* name : {"Panel4", "Panel5", "Panel8"}) Find<QFrame>(name);

  struct SliderCase {
    const char* name;
    int minimum, maximum, position;
  };
  for (const SliderCase& c : std::vector<SliderCase>{{"cropx0", 0, 100, 0},
                                                     {"cropx1", 1, 100, 100},
                                                     {"cropy0", 0, 100, 0},
                                                     {"cropy1", 1, 100, 100},
                                                     {"TrackBar1", 1, 100, 12}}) {
    SCOPED_TRACE(c.name);
    const QSlider* slider = Find<QSlider>(c.name);
    EXPECT_EQ(slider->minimum(), c.minimum);
    EXPECT_EQ(slider->maximum(), c.maximum);
    EXPECT_EQ(slider->value(), c.position);
    EXPECT_EQ(slider->tickInterval(), 10);
    EXPECT_EQ(slider->singleStep(), 1);
  }
  QStringList labels;
  for (const QLabel* label : window->findChildren<QLabel*>()) labels << label->text();
  for (const char* text : {"Crop X0 :", "Crop X1 :", "Crop Y0 :", "Crop Y1 :"})
    EXPECT_TRUE(labels.contains(text));
  struct CaptionCase {
    const char* name;
    const char* caption;
  };
  for (const CaptionCase& c : std::vector<CaptionCase>{
           {"CheckBox1", "Shading removal"}, {"CheckBox2", "Symetrize"}, {"CheckBox3", "Make power of 2"}}) {
    EXPECT_EQ(Find<QCheckBox>(c.name)->text(), c.caption);
    EXPECT_FALSE(Find<QCheckBox>(c.name)->isChecked());
  }
  for (const CaptionCase& c : std::vector<CaptionCase>{
           {"SpeedButton1", "Load"}, {"SpeedButton2", "Save"}, {"SpeedButton3", "Generate !"}}) {
    EXPECT_EQ(Find<QToolButton>(c.name)->text(), c.caption);
  }
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->maximum(), 100);

  EXPECT_EQ(window->Source().width, 896);
  EXPECT_EQ(window->Source().height, 618);
  EXPECT_TRUE(SameImage(window->Result(), PlainCrop()));
  // Both views lie inside their panels.
  for (const auto& [view, panel] : {std::pair{"Image1", "Panel5"}, std::pair{"Image2", "Panel8"}}) {
    const QRect inner = Find<QFrame>(panel)->contentsRect();
    EXPECT_TRUE(inner.contains(Find<PictureView>(view)->geometry())) << view;
  }
}

TEST_F(BarkTilerWindowTest, LoadingKeepsCropAndOptionsAndPreviewsTheNewCrop) {
  SetCrop(10, 60, 20, 90);
  Tick("CheckBox2");
  Find<QSlider>("TrackBar1")->setValue(40);
  const vh::BarkTileOptions before = window->Options();

  const vh::Image picture = BarkPicture(200, 100);
  LoadNew(picture, "bark.bmp");

  const vh::BarkTileOptions after = window->Options();
  EXPECT_EQ(after.x0, before.x0);
  EXPECT_EQ(after.x1, before.x1);
  EXPECT_EQ(after.y0, before.y0);
  EXPECT_EQ(after.y1, before.y1);
  EXPECT_EQ(after.strength, 40);
  EXPECT_TRUE(after.symmetrize);
  EXPECT_FALSE(after.shadingRemoval);
  EXPECT_TRUE(SameImage(window->Source(), picture));
  const vh::Image expected = vh::CropBarkPicture(picture, vh::ComputeBarkCrop(200, 100, after));
  EXPECT_EQ(expected.width, 100);
  EXPECT_EQ(expected.height, 70);
  EXPECT_TRUE(SameImage(window->Result(), expected));
  EXPECT_EQ(Find<PictureView>("Image2")->Picture().size(), QSize(100, 70));
  EXPECT_TRUE(recorder.messages.isEmpty());
  ASSERT_EQ(dialogs->requests.size(), 1u);
  EXPECT_EQ(dialogs->requests[0].kind, FileRequest::Kind::kOpen);
  EXPECT_EQ(
      QtFilter(dialogs->requests[0].filter),
      "Tous (*.jpg *.jpeg *.bmp);;Fichier image JPEG (*.jpg);;Fichier image JPEG (*.jpeg);;Bitmaps (*.bmp)");
}

TEST_F(BarkTilerWindowTest, DecodesEveryNameButBmpAsJpeg) {
  const vh::Image picture = BarkPicture(64, 48);
  vh::SavePicture(Path("reference.jpg").toStdString(), picture);
  const vh::Image decoded = vh::LoadPicture(Path("reference.jpg").toStdString());
  for (const char* name : {"CAPITALS.JPG", "other.jpeg", "other.png", "no_extension", "photo.bmp.jpg"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(QFile::copy(Path("reference.jpg"), Path(name)));
    LoadNew(BarkPicture(10, 10), "previous.bmp");
    Load(Path(name));
    EXPECT_TRUE(SameImage(window->Source(), decoded));
  }
  // The extension is compared in lower case: ".BMP" is a BMP picture.
  LoadNew(picture, "CAPITALS.BMP");
  EXPECT_TRUE(SameImage(window->Source(), picture));
  EXPECT_TRUE(recorder.messages.isEmpty()) << recorder.messages.join("\n").toStdString();
}

TEST_F(BarkTilerWindowTest, StrengthSliderNeitherPreviewsNorGenerates) {
  const vh::Image picture = LoadNew(BarkPicture(120, 90), "bark.bmp");
  Tick("CheckBox1");
  Generate();
  const vh::Image tile = window->Result();
  ASSERT_FALSE(SameImage(tile, PlainCrop())) << "the shading removal should change this picture";

  QSlider* strength = Find<QSlider>("TrackBar1");
  strength->setValue(80);
  QTest::mouseClick(strength, Qt::LeftButton, {}, QPoint(2, strength->height() / 2));
  QTest::qWait(20);
  EXPECT_TRUE(SameImage(window->Result(), tile));
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 0);

  // The next "Generate !" reads the new strength.
  Generate();
  const vh::BarkTileOptions options = window->Options();
  EXPECT_NE(options.strength, 12);
  EXPECT_TRUE(SameImage(window->Result(), vh::GenerateBarkTile(picture, options)));
  EXPECT_FALSE(SameImage(window->Result(), tile));
  EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(BarkTilerWindowTest, SavesTheGeneratedTileUntilTheCropOrAnOptionChanges) {
  const vh::Image picture = LoadNew(BarkPicture(160, 120), "bark.bmp");
  SetCrop(10, 90, 5, 95);
  Tick("CheckBox1");
  Tick("CheckBox2");
  std::vector<int> progress;
  QObject::connect(Find<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged, window.get(),
                   [&progress](int value) { progress.push_back(value); });
  Generate();
  const vh::Image tile = vh::GenerateBarkTile(picture, window->Options());
  ASSERT_FALSE(SameImage(tile, PlainCrop()));
  ASSERT_FALSE(progress.empty());
  EXPECT_GE(*std::max_element(progress.begin(), progress.end()), 90);
  EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 0);

  Save(Path("tile.bmp"));
  EXPECT_TRUE(SameImage(ReadBack("tile.bmp"), tile));
  // Repaints and resizes redraw the tile; they do not rebuild the crop.
  Find<PictureView>("Image2")->repaint();
  window->resize(1000, 700);
  QTest::qWait(20);
  Save(Path("after-repaint.bmp"));
  EXPECT_TRUE(SameImage(ReadBack("after-repaint.bmp"), tile));

  // Each crop change and option click goes back to the plain crop.
  const std::vector<std::pair<const char*, std::function<void()>>> resets = {
      {"crop", [&] { Find<QSlider>("cropy1")->setValue(80); }},
      {"option", [&] { Tick("CheckBox3"); }},
  };
  for (const auto& [what, reset] : resets) {
    SCOPED_TRACE(what);
    Generate();
    ASSERT_FALSE(SameImage(window->Result(), PlainCrop()));
    reset();
    Save(Path("plain.bmp"));
    EXPECT_TRUE(SameImage(ReadBack("plain.bmp"), PlainCrop()));
  }
  EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(BarkTilerWindowTest, SavesBmpAsTwentyFourBitsOfTheResultSizeAndOtherNamesAsJpeg) {
  LoadNew(BarkPicture(300, 200), "bark.bmp");
  SetCrop(10, 70, 0, 50);
  Save(Path("Crop.BMP"));
  ASSERT_FALSE(dialogs->requests.empty());
  EXPECT_EQ(dialogs->requests.back().kind, FileRequest::Kind::kSave);
  const QByteArray bmp = FileBytes(Path("Crop.BMP"));
  ASSERT_GE(bmp.size(), 54);
  EXPECT_EQ(bmp.left(2), "BM");
  EXPECT_EQ(LittleEndian(bmp, 18, 4), 180);
  EXPECT_EQ(LittleEndian(bmp, 22, 4), 100);
  EXPECT_EQ(LittleEndian(bmp, 28, 2), 24);
  EXPECT_EQ(Identify(Path("Crop.BMP")), "BMP3 180 100 8");
  EXPECT_TRUE(SameImage(ReadBack("Crop.BMP"), window->Result()));

  // A power-of-two tile is saved at its own size, not the crop's.
  Tick("CheckBox3");
  Generate();
  Save(Path("tile.bmp"));
  EXPECT_EQ(Identify(Path("tile.bmp")), "BMP3 128 128 8");

  for (const char* name : {"tile.jpg", "tile.JPEG", "tile"}) {
    Save(Path(name));
    EXPECT_EQ(Identify(Path(name)), "JPEG 128 128 8") << name;
  }
  // The save dialog starts from the name chosen last.
  EXPECT_EQ(dialogs->requests.back().initialName, Path("tile.JPEG"));
  // No extension is added to the chosen name.
  EXPECT_FALSE(QFile::exists(Path("tile.jpg.jpg")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 6);
  EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(BarkTilerWindowTest, UnreadablePictureIsReportedAndChangesNothing) {
  const vh::Image picture = LoadNew(BarkPicture(90, 60), "good.bmp");
  SetCrop(20, 80, 0, 100);
  Tick("CheckBox2");
  Generate();
  const vh::Image tile = window->Result();
  vh::SavePicture(Path("good.jpg").toStdString(), picture);
  const QByteArray jpeg = FileBytes(Path("good.jpg"));
  const QByteArray bmp = FileBytes(Path("good.bmp"));

  struct BadFile {
    const char* name;
    QByteArray bytes;
  };
  const std::vector<BadFile> cases = {
      {"truncated.jpg", jpeg.left(jpeg.size() / 3)},
      {"header-only.bmp", bmp.left(54)},
      {"truncated.bmp", bmp.left(bmp.size() - 100)},
      {"garbage.jpg", QByteArray("this is not a picture at all")},
      {"empty.jpeg", QByteArray()},
      {"jpeg-named.bmp", jpeg},
      {"bitmap-named.jpg", bmp},
  };
  const QRect sourceView = Find<PictureView>("Image1")->geometry();
  for (const BadFile& bad : cases) {
    SCOPED_TRACE(bad.name);
    WriteBytes(Path(bad.name), bad.bytes);
    recorder.messages.clear();
    Load(Path(bad.name));
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].contains(bad.name)) << recorder.messages[0].toStdString();
    EXPECT_TRUE(SameImage(window->Source(), picture));
    EXPECT_TRUE(SameImage(window->Result(), tile));
    EXPECT_EQ(Find<PictureView>("Image1")->geometry(), sourceView);
  }
  recorder.messages.clear();
  Load(Path("missing.jpg"));
  ASSERT_EQ(recorder.messages.size(), 1);
  EXPECT_TRUE(recorder.messages[0].contains("missing.jpg"));
  EXPECT_TRUE(SameImage(window->Source(), picture));
}

TEST_F(BarkTilerWindowTest, FailedSaveIsReportedAndLeavesWhatWasThere) {
  LoadNew(BarkPicture(50, 40), "bark.bmp");
  // A name taken by a directory cannot be replaced by the picture (this also
  // holds for root, unlike a write-protected directory).
  ASSERT_TRUE(QDir(dir.path()).mkpath("taken.jpg"));
  WriteBytes(Path("taken.jpg/inside.txt"), "previous content");
  const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  for (const char* name : {"taken.jpg", "missing-folder/tile.bmp"}) {
    SCOPED_TRACE(name);
    recorder.messages.clear();
    Save(Path(name));
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].contains(name)) << recorder.messages[0].toStdString();
  }
  EXPECT_EQ(FileBytes(Path("taken.jpg/inside.txt")), "previous content");
  // No temporary file is left behind.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
  // A cancelled dialog writes nothing and says nothing.
  recorder.messages.clear();
  Save(QString());
  EXPECT_TRUE(recorder.messages.isEmpty());
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

TEST_F(BarkTilerWindowTest, CropUnderTwoByTwoPixelsIsRefused) {
  struct CropCase {
    const char* what;
    int sourceWidth, sourceHeight;
    int x0, x1, y0, y1;
  };
  const std::vector<CropCase> cases = {
      {"equal x bounds", 200, 100, 50, 50, 0, 100},   {"x bounds crossed", 200, 100, 60, 40, 0, 100},
      {"y bounds crossed", 200, 100, 0, 100, 70, 30}, {"one pixel wide", 10, 10, 0, 10, 0, 100},
      {"one pixel high", 10, 10, 0, 100, 40, 50},
  };
  for (const CropCase& c : cases) {
    SCOPED_TRACE(c.what);
    SetCrop(0, 100, 0, 100);
    LoadNew(BarkPicture(c.sourceWidth, c.sourceHeight), "small.bmp");
    recorder.messages.clear();
    SetCrop(c.x0, c.x1, c.y0, c.y1);
    EXPECT_TRUE(window->Result().Empty());
    EXPECT_TRUE(Find<PictureView>("Image2")->geometry().isEmpty());
    Tick("CheckBox1");
    Generate();
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].contains("too small")) << recorder.messages[0].toStdString();
    EXPECT_TRUE(window->Result().Empty());
    EXPECT_FALSE(window->Generating());
    EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 0);
    // Nothing to save: no dialog, a message.
    Click("SpeedButton2");
    EXPECT_EQ(recorder.messages.size(), 2);
    Tick("CheckBox1");
  }
  // A valid crop brings the preview back.
  SetCrop(0, 100, 0, 100);
  EXPECT_TRUE(SameImage(window->Result(), window->Source()));
}

TEST_F(BarkTilerWindowTest, EscapeTheButtonClosingOrQuittingCancelsAGenerationAndKeepsThePlainCrop) {
  LoadNew(BarkPicture(900, 600), "big.bmp");
  Tick("CheckBox1");
  Tick("CheckBox2");
  Find<QSlider>("TrackBar1")->setValue(100);
  QProgressBar* progress = Find<QProgressBar>("ProgressBar1");
  const QuitSwallower swallower;  // installed before the window's own filter

  const std::vector<std::pair<const char*, std::function<void()>>> cancels = {
      {"Escape", [&] { QTest::keyClick(Find<QSlider>("cropx0"), Qt::Key_Escape); }},
      {"button", [&] { Click("SpeedButton3"); }},
      {"closing", [&] { window->close(); }},
      {"quitting",
       [&] {
         QEvent quit(QEvent::Quit);
         QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
       }},
  };
  for (const auto& [how, cancel] : cancels) {
    SCOPED_TRACE(how);
    // Cancel once the row smoothing is under way; meanwhile the window
    // shows that it is busy.
    bool fired = false;
    bool lockedMeanwhile = false;
    QString captionMeanwhile;
    const QMetaObject::Connection watch =
        QObject::connect(progress, &QProgressBar::valueChanged, window.get(), [&](int value) {
          if (fired || value < 3) return;
          fired = true;
          QTimer::singleShot(0, window.get(), [&] {
            lockedMeanwhile = window->Generating() && !Find<QSlider>("cropx0")->isEnabled() &&
                              !Find<QToolButton>("SpeedButton1")->isEnabled();
            captionMeanwhile = Find<QToolButton>("SpeedButton3")->text();
            cancel();
          });
        });
    Generate();
    QObject::disconnect(watch);
    EXPECT_TRUE(fired);
    EXPECT_TRUE(lockedMeanwhile);
    EXPECT_EQ(captionMeanwhile, "Cancel");
    EXPECT_FALSE(window->Generating());
    EXPECT_TRUE(SameImage(window->Result(), PlainCrop()));
    EXPECT_EQ(progress->value(), 0);
    EXPECT_EQ(Find<QToolButton>("SpeedButton3")->text(), "Generate !");
    EXPECT_TRUE(Find<QSlider>("cropx0")->isEnabled());
    EXPECT_TRUE(recorder.messages.isEmpty());
    window->show();
  }
}

TEST_F(BarkTilerWindowTest, SourceViewMarksTheCropAndResultViewHasItsBorder) {
  SetCrop(25, 75, 20, 80);  // on the blank 896 x 618 source
  QTest::qWait(20);
  const QImage source = Find<PictureView>("Image1")->grab().toImage();
  const int w = source.width();
  const int h = source.height();
  ASSERT_GT(w, 100);
  const auto black = [](const QImage& image, int x, int y) { return image.pixelColor(x, y) == Qt::black; };
  const int left = w * (896 * 25 / 100) / 896;
  const int right = w * (896 * 75 / 100) / 896;
  const int top = h * (618 * 20 / 100) / 618;
  const int bottom = h * (618 * 80 / 100) / 618;
  for (int x : {left, right}) {
    EXPECT_TRUE(black(source, x, h / 2 + 3)) << x;
    EXPECT_FALSE(black(source, x + 3, h / 2 + 3)) << x;
  }
  for (int y : {top, bottom}) {
    EXPECT_TRUE(black(source, w / 2 + 3, y)) << y;
    EXPECT_FALSE(black(source, w / 2 + 3, y + 3)) << y;
  }
  const QImage result = Find<PictureView>("Image2")->grab().toImage();
  EXPECT_TRUE(black(result, result.width() - 1, result.height() / 2));
  EXPECT_TRUE(black(result, result.width() / 2, result.height() - 1));
  EXPECT_FALSE(black(result, result.width() / 2, result.height() / 2));
}

TEST_F(BarkTilerWindowTest, ClosingHidesTheWindowAndKeepsItsPictures) {
  const vh::Image picture = LoadNew(BarkPicture(40, 30), "bark.bmp");
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(window->isVisible());
  window->show();
  EXPECT_TRUE(SameImage(window->Source(), picture));
}

TEST(BarkTilerView, FitViewSizeKeepsThePictureInsideThePanel) {
  struct FitCase {
    int pictureWidth, pictureHeight, panelWidth, panelHeight;
    QSize expected;
  };
  const std::vector<FitCase> cases = {
      {896, 618, 410, 300, QSize(408, 281)},  // wide: limited by the panel's width
      {100, 200, 410, 300, QSize(149, 298)},  // tall: as high as the panel
      {408, 298, 410, 300, QSize(408, 298)},  // exactly the inner size
      {0, 10, 410, 300, QSize(0, 0)},         // no picture
      {10, 10, 2, 300, QSize(0, 0)},          // no room
  };
  for (const FitCase& c : cases) {
    EXPECT_EQ(FitViewSize(c.pictureWidth, c.pictureHeight, c.panelWidth, c.panelHeight), c.expected)
        << c.pictureWidth << " x " << c.pictureHeight << " in " << c.panelWidth << " x " << c.panelHeight;
  }
}

class BarkTilerMenuTest : public MainWindowTest {};

TEST_F(BarkTilerMenuTest, ToolsMenuShowsTheHiddenBarkTiler) {
  BarkTilerWindow barkTiler;
  window->SetBarkTiler(&barkTiler);
  EXPECT_FALSE(barkTiler.isVisible());
  QAction* item = window->findChild<QAction*>("Barktiler1");
  ASSERT_NE(item, nullptr);
  item->trigger();
  EXPECT_TRUE(barkTiler.isVisible());
  EXPECT_TRUE(barkTiler.close());
  EXPECT_FALSE(barkTiler.isVisible());
  EXPECT_TRUE(window->isVisible());
  item->trigger();
  EXPECT_TRUE(barkTiler.isVisible());
  EXPECT_TRUE(recorder->messages.isEmpty());
}

}  // namespace
