// Every save and export dialog of the program asks before it replaces a
// file, about the files it will really write (an extension appended, one
// file per level), with Qt's own file dialog answered by real keys and
// clicks: No returns to the dialog, Yes replaces. The export dialogs start
// on the format used last and grey out what that format ignores.
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "app/bark_tiler/bark_tiler_window.h"
#include "common/whole_file.h"
#include "flow_test_support.h"
#include "modal_answers.h"

namespace {

// Selects the filter `index` of a file dialog with the keyboard, as a user
// picks it in the list, then puts `fileName` over the name and presses Return.
ModalAnswers::Step TypeFileNameWithFilter(const QString& fileName, int index) {
  return [fileName, index](QWidget* dialog) {
    auto* filters = dialog->findChild<QComboBox*>("fileTypeCombo");
    if (filters == nullptr) return QTest::keyClick(dialog, Qt::Key_Escape);
    QTest::keyClick(filters, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(filters, Qt::Key_Down);
    TypeFileName(fileName)(dialog);
  };
}

// Opens the folder of `fileName` (typed, as a user goes there) and
// double-clicks the file in the dialog's list once it is listed.
ModalAnswers::Step DoubleClickListedFile(const QString& fileName) {
  return [fileName](QWidget* dialog) {
    auto* list = dialog->findChild<QAbstractItemView*>("listView");
    auto* files = dialog->findChild<QFileSystemModel*>();
    if (list == nullptr || files == nullptr) return QTest::keyClick(dialog, Qt::Key_Escape);
    TypeFileName(QFileInfo(fileName).absolutePath())(dialog);
    QModelIndex item;
    WaitUntil([&] {
      item = files->index(fileName);
      return item.isValid() && files->fileInfo(item).isFile();
    });
    const QRect place = list->visualRect(item);  // the view shows the model's items as they are
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
  };
}

class ReplaceQuestion : public WorkflowTest {
 protected:
  void SetUp() override {
    WorkflowTest::SetUp();
    UseRealDialogs();
  }
  // Writes `text` to the scratch file `name`.
  void Put(const char* name, const std::string& text) { vh::test::WriteWholeFile(scratch.File(name), text); }
  std::string Read(const char* name) { return vh::test::ReadWholeFile(scratch.File(name)); }
  QString Question(const char* names, bool several = false) {
    return several ? QString("%1 already exist.\nDo you want to replace them?").arg(names)
                   : QString("%1 already exists.\nDo you want to replace it?").arg(names);
  }
  // Billboard mode with a cloud built quickly from a small leafy tree.
  void EnterBillboardMode() {
    vh::TreeParameters& p = State().params;
    p.lastParentLevel = 1;
    p.leafOutline = {{0, -20}, {10, 0}, {0, 30}, {-10, 0}};
    p.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
    window->UpdateAfterChange();
    ASSERT_TRUE(WaitForTree());
    Find<QSlider>("TrackBar19")->setValue(5);
    QTest::mouseClick(Find<QToolButton>("SpeedButton22"), Qt::LeftButton);
    ASSERT_TRUE(window->BillboardMode());
  }
  // A tile generated in the bark tiler.
  void GenerateATile(BarkTilerWindow& tiler) {
    tiler.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tiler));
    QTest::mouseClick(tiler.findChild<QToolButton*>("SpeedButton3"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !tiler.Generating() && !tiler.Result().Empty(); }, 20'000));
  }
};

// Each dialog, given the name of a file that is there (typed or clicked),
// asks about the file it would write; No goes back to the dialog, which is
// then cancelled: the file stays as it was.
struct DialogCase {
  const char* dialog;
  const char* existing;  // the file that is there
  const char* chosen;    // what the user types (empty: clicks `existing` in the list)
  int filter;            // the filter picked first; -1: the one the dialog starts with
  const char* asked;     // the names the question gives
};
void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.dialog << " " << c.chosen; }

class EveryDialog : public ReplaceQuestion, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(EveryDialog, AsksBeforeReplacingAndNoReturnsToTheDialog) {
  const DialogCase& c = GetParam();
  Put(c.existing, "there before");
  ModalAnswers answers;
  const QString chosen = Path(*c.chosen != '\0' ? c.chosen : c.existing);
  if (*c.chosen == '\0') {
    answers.Then(DoubleClickListedFile(chosen));
  } else if (c.filter >= 0) {
    answers.Then(TypeFileNameWithFilter(chosen, c.filter));
  } else {
    answers.Then(TypeFileName(chosen));
  }
  answers.Then(ClickButton(QMessageBox::No));
  // Back in the file dialog, which no step is left for: cancelled.
  const std::string dialog = c.dialog;
  if (dialog == "save as") {
    Trigger("SaveAs1");
  } else if (dialog == "export") {
    Trigger("Export1");
  } else if (dialog == "screenshot") {
    Trigger("Exportscreenshot1");
  } else if (dialog == "billboard") {
    EnterBillboardMode();
    Trigger("Exportbillboard1");
  } else if (dialog == "lod chain") {
    ShowPage(3);
    Find<QComboBox>("LodLayout")->setCurrentIndex(2);  // one file per level
    QTest::mouseClick(Find<QToolButton>("ExportLodChain"), Qt::LeftButton);
  } else if (dialog == "bark tile") {
    BarkTilerWindow tiler;
    GenerateATile(tiler);
    QTest::mouseClick(tiler.findChild<QToolButton*>("SpeedButton2"), Qt::LeftButton);
  }
  ASSERT_TRUE(
      WaitUntil([&] { return answers.steps.empty() && QApplication::activeModalWidget() == nullptr; }));
  ASSERT_EQ(answers.seen.size(), 3) << answers.seen.join(" | ").toStdString();
  EXPECT_TRUE(answers.seen[1].endsWith(": " + Question(c.asked, QString(c.asked).contains(','))))
      << answers.seen[1].toStdString();
  const QString title = answers.seen[0].section(':', 0, 0);
  EXPECT_TRUE(answers.seen[2].startsWith(title + ":"))
      << "the file dialog again: " << answers.seen[2].toStdString();
  EXPECT_EQ(Read(c.existing), "there before");
}

INSTANTIATE_TEST_SUITE_P(
    ReplaceQuestion, EveryDialog,
    ::testing::Values(DialogCase{"save as", "my-oak.vhm", "my-oak", -1, "my-oak.vhm"},
                      DialogCase{"save as", "my-oak.vhm", "", -1, "my-oak.vhm"},
                      DialogCase{"export", "tree.glb", "tree", 3, "tree.glb"},
                      DialogCase{"export", "tree.obj", "tree.obj", 2, "tree.obj"},
                      DialogCase{"screenshot", "view.jpg", "view.jpg", -1, "view.jpg"},
                      DialogCase{"billboard", "cloudTexture.bmp", "cloud.obj", 2, "cloudTexture.bmp"},
                      DialogCase{"lod chain", "chain_LOD1.glb", "chain", -1, "chain_LOD1.glb"},
                      DialogCase{"bark tile", "tile.bmp", "tile.bmp", -1, "tile.bmp"}));

// After No, another name is written and the first file is left; Yes
// replaces it.
TEST_F(ReplaceQuestion, NoTakesAnotherNameAndYesReplaces) {
  Put("my-oak.vhm", "there before");
  ModalAnswers answers;
  answers.Then(TypeFileName(Path("my-oak")))
      .Then(ClickButton(QMessageBox::No))
      .Then(TypeFileName(Path("other")))
      .Then(TypeFileName(Path("my-oak.vhm")))
      .Then(ClickButton(QMessageBox::Yes));
  Trigger("SaveAs1");
  EXPECT_EQ(Read("my-oak.vhm"), "there before");
  EXPECT_FALSE(Read("other.vhm").empty());
  Trigger("SaveAs1");
  EXPECT_EQ(Read("my-oak.vhm"), Read("other.vhm"));
  EXPECT_EQ(answers.seen.size(), 5) << answers.seen.join(" | ").toStdString();
}

// A name that is not there yet is written without a question.
TEST_F(ReplaceQuestion, ANewNameIsNotAsked) {
  ModalAnswers answers;
  answers.Then(TypeFileNameWithFilter(Path("fresh"), 3));
  Trigger("Export1");
  EXPECT_FALSE(Read("fresh.glb").empty());
  EXPECT_EQ(answers.seen.size(), 1) << answers.seen.join(" | ").toStdString();
}

// The export dialog starts on the format used last; "Scale :" and "Sway
// with the wind" are greyed out for the formats that ignore them.
TEST_F(ReplaceQuestion, ExportStartsOnTheLastFormatAndGreysOutWhatItIgnores) {
  ModalAnswers answers;
  struct Seen {
    QString filter;
    bool scale = false, wind = false;
  };
  std::vector<Seen> seen;
  const auto look = [&seen](QWidget* dialog) {
    Seen s;
    s.filter = dialog->findChild<QComboBox*>("fileTypeCombo")->currentText();
    s.scale = dialog->findChild<QDoubleSpinBox*>("ExportScale")->isEnabled();
    s.wind = dialog->findChild<QCheckBox*>("ExportWind")->isEnabled();
    seen.push_back(s);
  };
  answers.Then([&](QWidget* dialog) {
    look(dialog);
    TypeFileNameWithFilter(Path("first"), 3)(dialog);  // glTF Binary
  });
  answers.Then([&](QWidget* dialog) {
    look(dialog);
    QTest::keyClick(dialog->findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Up);  // WaveFront Object
    look(dialog);
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  Trigger("Export1");
  Trigger("Export1");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].filter, "3DS File (*.3ds)");
  EXPECT_FALSE(seen[0].scale || seen[0].wind) << "3DS takes neither";
  EXPECT_EQ(seen[1].filter, "glTF Binary (*.glb)");
  EXPECT_TRUE(seen[1].scale && seen[1].wind);
  EXPECT_EQ(seen[2].filter, "WaveFront Object File (*.obj)");
  EXPECT_FALSE(seen[2].scale || seen[2].wind);
}

}  // namespace
