// Documents and pictures that are not files (a named pipe, a device) opened
// through the File menu and the "Texture" page: each is reported at once,
// naming the path and what it is, and the program carries on. A reader
// that opened a pipe anyway is released after a few seconds by the pipe's
// watchdog, so that such a fault fails the test instead of hanging it.
#include <QTest>
#include <QToolButton>

#include "common/named_pipe.h"
#include "fileio/document.h"
#include "flow_test_support.h"

namespace {

class NotFilesTest : public WorkflowTest {
 protected:
  // The one message shown, which must hold `refusal`.
  void ExpectRefused(const std::string& refusal) {
    ASSERT_EQ(recorder->messages.size(), 1) << recorder->messages.join("\n").toStdString();
    const QString message = recorder->messages.front();
    EXPECT_TRUE(message.contains(QString::fromStdString(refusal))) << message.toStdString();
    recorder->messages.clear();
  }
};

TEST_F(NotFilesTest, ADocumentWhosePicturesAreNotFilesOpensWithTheirRefusal) {
  const vh::test::NamedPipe leaf(scratch.File("leaf.bmp"));
  vh::TreeParameters document(2);
  document.seed = 4321;
  document.leafTextureLoaded = true;
  document.leafTextureFile = leaf.path();
  document.barkTextureLoaded = true;
  document.barkTextureFile = "/dev/zero";
  vh::SaveDocument(document, scratch.File("tree.vhm"));
  dialogs->Choose(Path("tree.vhm"));
  Trigger("Open1");
  ASSERT_EQ(recorder->messages.size(), 1);
  const QString message = recorder->messages.front();
  EXPECT_TRUE(
      message.contains(QString::fromStdString(vh::test::PictureNotAFile(leaf.path(), "a named pipe"))))
      << message.toStdString();
  EXPECT_TRUE(
      message.contains(QString::fromStdString(vh::test::PictureNotAFile("/dev/zero", "a character device"))))
      << message.toStdString();
  EXPECT_EQ(State().params.seed, 4321) << "the document itself was opened";
  EXPECT_FALSE(leaf.ReleasedAReader()) << "the picture's pipe was opened";
}

TEST_F(NotFilesTest, ADocumentOrAPictureThatIsAPipeIsRefused) {
  const vh::test::NamedPipe document(scratch.File("pipe.vhm"));
  const vh::test::NamedPipe bark(scratch.File("bark.jpg"));
  const vh::TreeParameters before = State().params;
  dialogs->Choose(Path("pipe.vhm"));
  Trigger("Open1");
  ExpectRefused(vh::test::NotAFile(document.path(), "a named pipe"));
  EXPECT_EQ(State().params, before);

  const vh::Image barkBefore = State().barkTextureImage;
  dialogs->Choose(Path("bark.jpg"));
  ShowPage(2);
  QTest::mouseClick(Find<QToolButton>("SpeedButton4"), Qt::LeftButton);  // "Load texture"
  ExpectRefused(vh::test::PictureNotAFile(bark.path(), "a named pipe"));
  EXPECT_EQ(State().barkTextureImage.pixels, barkBefore.pixels);
  EXPECT_FALSE(document.ReleasedAReader());
  EXPECT_FALSE(bark.ReleasedAReader());
}

}  // namespace
