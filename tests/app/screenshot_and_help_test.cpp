// "Export screenshot..." (the view's picture at its size, BMP or JPEG by the
// name) and where "Help" finds its document.
#include <filesystem>
#include <ostream>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/flows/help_file.h"
#include "flow_test_support.h"
#include "imaging/picture_io.h"

namespace {

using Screenshot = WorkflowTest;

std::string Head(const std::string& path, std::size_t bytes) {
  return vh::test::ReadWholeFile(path).substr(0, bytes);
}
bool IsBmp(const std::string& path) { return Head(path, 2) == "BM"; }
bool IsJpeg(const std::string& path) { return Head(path, 3) == "\xFF\xD8\xFF"; }

TEST_F(Screenshot, HasTheViewsSizeAndShowsTheTree) {
  ASSERT_TRUE(window->ViewBound()) << "the screenshot needs the GL view";
  QWidget* view = Find<QWidget>("StaticText1");
  dialogs->Choose(Path("shot.bmp"), 3);
  Trigger("Exportscreenshot1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(QtFilter(dialogs->requests.at(0).filter),
            "Tous (*.jpg *.jpeg *.bmp);;Fichier image JPEG (*.jpg);;Fichier image JPEG (*.jpeg);;"
            "Bitmaps (*.bmp)");
  const std::string path = scratch.File("shot.bmp");
  ASSERT_TRUE(IsBmp(path));
  const vh::Image shot = vh::LoadPicture(path);
  EXPECT_EQ(shot.width, view->width());
  EXPECT_EQ(shot.height, view->height());
  // The trunk stands in the middle of the view: the centre is not the white
  // background. The top-left corner is.
  int treePixels = 0;
  for (int y = shot.height / 2 - 10; y < shot.height / 2 + 10; ++y) {
    for (int x = shot.width / 2 - 10; x < shot.width / 2 + 10; ++x) {
      const std::uint8_t* p = shot.At(x, y);
      if (p[0] < 200 || p[1] < 200 || p[2] < 200) ++treePixels;
    }
  }
  EXPECT_GT(treePixels, 20);
  const std::uint8_t* corner = shot.At(0, 0);
  EXPECT_EQ(corner[0] + corner[1] + corner[2], 3 * 255) << "white background";
}

// The picture is upright: the ground and the trunk's foot are in the lower
// half, so the lower half holds more drawn pixels than the top rows.
TEST_F(Screenshot, IsUpright) {
  ASSERT_TRUE(window->ViewBound());
  dialogs->Choose(Path("upright.bmp"));
  Trigger("Exportscreenshot1");
  const vh::Image shot = vh::LoadPicture(scratch.File("upright.bmp"));
  const auto drawn = [&](int y0, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < shot.width; ++x) {
        const std::uint8_t* p = shot.At(x, y);
        if (p[0] + p[1] + p[2] < 3 * 250) ++count;
      }
    }
    return count;
  };
  EXPECT_GT(drawn(shot.height - 20, shot.height), drawn(0, 20));
}

struct ShotNameCase {
  const char* name;
  bool bmp;
};
void PrintTo(const ShotNameCase& c, std::ostream* os) { *os << c.name; }

class ScreenshotNames : public WorkflowTest, public ::testing::WithParamInterface<ShotNameCase> {};

TEST_P(ScreenshotNames, PickTheFormatByExtensionAndKeepTheName) {
  dialogs->Choose(Path(GetParam().name), 0);
  Trigger("Exportscreenshot1");
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  ASSERT_EQ(scratch.Entries(), std::vector<std::string>{GetParam().name}) << "exactly that name";
  const std::string path = scratch.File(GetParam().name);
  EXPECT_EQ(IsBmp(path), GetParam().bmp);
  EXPECT_EQ(IsJpeg(path), !GetParam().bmp);
}

INSTANTIATE_TEST_SUITE_P(Screenshot, ScreenshotNames,
                         ::testing::Values(ShotNameCase{"shot.BMP", true}, ShotNameCase{"shot.Bmp", true},
                                           ShotNameCase{"shot.jpg", false}, ShotNameCase{"shot.jpeg", false},
                                           ShotNameCase{"shot.png", false}, ShotNameCase{"shot", false}));

class HelpFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString Make(const QString& relative) {
    const QString path = dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    return QFileInfo(path).absoluteFilePath();
  }
  QTemporaryDir dir;
};

TEST_F(HelpFile, ChmInTheCurrentDirectoryComesFirst) {
  const QString chm = Make("work/help.chm");
  Make("bin/help/index.html");
  EXPECT_EQ(HelpUrl(dir.filePath("work"), dir.filePath("bin")), QUrl::fromLocalFile(chm));
}

TEST_F(HelpFile, GuideBesideTheProgramWithoutChm) {
  const QString guide = Make("bin/help/index.html");
  EXPECT_EQ(HelpUrl(dir.filePath("work"), dir.filePath("bin")), QUrl::fromLocalFile(guide));
}

TEST_F(HelpFile, InstalledGuideUnderShare) {
  const QString guide = Make("prefix/share/verdanthollow/help/index.html");
  QDir().mkpath(dir.filePath("prefix/bin"));
  EXPECT_EQ(HelpUrl(dir.filePath("work"), dir.filePath("prefix/bin")), QUrl::fromLocalFile(guide));
}

TEST_F(HelpFile, NothingFoundStillNamesTheChm) {
  EXPECT_EQ(HelpUrl(dir.filePath("work"), dir.filePath("bin")),
            QUrl::fromLocalFile(QDir(dir.filePath("work")).absoluteFilePath("help.chm")));
}

// F1 has the help opened by xdg-open (here a stand-in that ends as told):
// when it fails, or there is no help at all, a warning names the file.
struct HelpKeyCase {
  bool helpPresent;
  int openerStatus;
  const char* message;  // the start of the warning, or null for none
};
void PrintTo(const HelpKeyCase& c, std::ostream* os) { *os << c.helpPresent << "/" << c.openerStatus; }

class HelpKey : public MainWindowTest, public ::testing::WithParamInterface<HelpKeyCase> {
 protected:
  void TearDown() override {
    QDir::setCurrent(directory);
    qputenv("PATH", path);
    MainWindowTest::TearDown();
  }
  QTemporaryDir work, bin;
  const QString directory = QDir::currentPath();
  const QByteArray path = qgetenv("PATH");
};

TEST_P(HelpKey, SaysWhereTheHelpIsWhenItCannotBeShown) {
  const HelpKeyCase& c = GetParam();
  QDir::setCurrent(work.path());
  qputenv("PATH", (bin.path() + ":").toLocal8Bit() + path);
  const QString chm = QDir(work.path()).absoluteFilePath("help.chm");
  if (c.helpPresent) vh::test::WriteWholeFile(chm.toStdString(), "help");
  const QString opener = bin.filePath("xdg-open");
  vh::test::WriteWholeFile(opener.toStdString(), "#!/bin/sh\nexit " + std::to_string(c.openerStatus) + "\n");
  QFile::setPermissions(opener, QFile::ReadOwner | QFile::ExeOwner);
  QTest::keyClick(window.get(), Qt::Key_F1);
  if (c.message == nullptr) {
    QTest::qWait(300);
    EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
    return;
  }
  ASSERT_TRUE(WaitUntil([&] { return !recorder->messages.isEmpty(); }));
  EXPECT_TRUE(recorder->messages.front().startsWith(c.message)) << recorder->messages.front().toStdString();
  EXPECT_TRUE(recorder->messages.front().contains(chm)) << "names the file";
}

INSTANTIATE_TEST_SUITE_P(HelpFile, HelpKey,
                         ::testing::Values(HelpKeyCase{true, 0, nullptr},
                                           HelpKeyCase{true, 3, "The help could not be opened"},
                                           HelpKeyCase{false, 0, "The help was not found"}));

// The build copies the guide beside the program, where HelpUrl finds it.
TEST(HelpGuide, IsBuiltBesideTheProgram) {
  const QString guide = QString(VH_BINARY_DIR) + "/src/app/help/index.html";
  EXPECT_TRUE(QFileInfo::exists(guide)) << guide.toStdString();
  EXPECT_EQ(HelpGuideCandidates(QString(VH_BINARY_DIR) + "/src/app").front(), guide);
}

}  // namespace
