// "Export forest...": the program hands the description to the command-line
// tool found beside it and shows its progress; the file is the tool's own,
// Cancel leaves nothing behind, and what the tool refuses is shown.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/flows/forest_export_flow.h"
#include "common/whole_file.h"
#include "flow_test_support.h"

namespace {

const QString kTool = CommandLineToolBeside(VH_BINARY_DIR "/src/app");

class ForestExport : public WorkflowTest {
 protected:
  // Runs the flow on the description `text`, written to forest.txt, into
  // forest.glb, and waits for the tool; `whileRunning` is called once the
  // progress shows.
  void Export(const std::string& text, const std::function<void(QProgressDialog&)>& whileRunning = {}) {
    vh::test::WriteWholeFile(scratch.File("forest.txt"), text);
    dialogs->Choose(Path("forest.txt"));
    dialogs->Choose(Path("forest"));  // the extension is the flow's to add
    ForestExportFlow flow(window.get(), kTool);
    QSignalSpy finished(&flow, &ForestExportFlow::finished);
    QSignalSpy exported(&flow, &ForestExportFlow::exported);
    flow.Run();
    ASSERT_TRUE(flow.Running());
    if (whileRunning) {
      auto* progress = window->findChild<QProgressDialog*>("ForestProgress");
      ASSERT_NE(progress, nullptr);
      whileRunning(*progress);
    }
    ASSERT_TRUE(WaitUntil([&] { return !finished.isEmpty(); }, 120'000));
    if (!exported.isEmpty()) note = exported.front().front().toString();
  }
  QString note;
};

TEST_F(ForestExport, TheProgramFindsTheToolBesideIt) {
  ASSERT_FALSE(kTool.isEmpty());
  EXPECT_EQ(QFileInfo(kTool).fileName(), "verdanthollow-cli");
  EXPECT_TRUE(CommandLineToolBeside(Path("")).isEmpty());
}

TEST_F(ForestExport, WritesTheToolsFileAndSaysSo) {
  Export("seed = 3\narea = 10 x 10\ncount = 12\nspecies = young-sapling\nvariants = 2\n");
  EXPECT_EQ(note, "Forest exported to forest.glb");
  const CommandResult tool = RunCommand(kTool.toStdString() + " forest " + scratch.File("forest.txt") +
                                        " -o " + scratch.File("tool.glb"));
  ASSERT_EQ(tool.status, 0) << tool.output;
  const std::string ours = vh::test::ReadWholeFile(scratch.File("forest.glb"));
  EXPECT_EQ(ours.substr(0, 4), "glTF");
  EXPECT_TRUE(ours == vh::test::ReadWholeFile(scratch.File("tool.glb")));
  EXPECT_EQ(dialogs->requests[1].initialName, Path("forest.glb"));
}

TEST_F(ForestExport, CancelWritesNothing) {
  Export("area = 40 x 40\ncount = 100\nspecies = broadleaf-oak\nvariants = 60\n",
         [](QProgressDialog& progress) {
           QTest::mouseClick(progress.findChild<QPushButton*>(), Qt::LeftButton);
         });
  EXPECT_EQ(note, "Forest export cancelled: forest.glb was not written");
  EXPECT_FALSE(QFileInfo::exists(Path("forest.glb")));
}

TEST_F(ForestExport, ARefusedDescriptionIsShown) {
  Export("area = 10 x 10\ncount = -30\nspecies = conifer\n");
  EXPECT_TRUE(note.isEmpty());
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(recorder->messages[0].contains("line 2: count needs a whole number"))
      << recorder->messages[0].toStdString();
  EXPECT_FALSE(QFileInfo::exists(Path("forest.glb")));
}

}  // namespace
