// "Open recent": the last eight documents opened or saved, kept between
// runs, and a document that has gone away dropped with a message.
#include <filesystem>

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QSlider>

#include "app/document/recent_documents.h"
#include "flow_test_support.h"

namespace {

void ForgetRecentDocuments() { QSettings("Verdanthollow", "Verdanthollow").remove("recentDocuments"); }

class RecentDocumentsMenu : public WorkflowTest {
 protected:
  void SetUp() override {
    ForgetRecentDocuments();  // before the window reads them
    WorkflowTest::SetUp();
  }
  QMenu* Menu() { return Find<QMenu>("OpenRecent1"); }
  QStringList Listed() {
    QStringList files;
    for (QAction* action : Menu()->actions()) files << action->data().toString();
    return files;
  }
  void SaveAs(const char* name) {
    dialogs->Choose(Path(name));
    Trigger("SaveAs1");
  }
};

TEST_F(RecentDocumentsMenu, EmptyAndDisabledAtFirst) {
  EXPECT_TRUE(Listed().isEmpty());
  EXPECT_FALSE(Menu()->isEnabled());
}

TEST_F(RecentDocumentsMenu, SavedAndOpenedDocumentsComeFirst) {
  SaveAs("a");
  SaveAs("b");
  EXPECT_EQ(Listed(), (QStringList{Path("b.vhm"), Path("a.vhm")}));
  EXPECT_TRUE(Menu()->isEnabled());
  dialogs->Choose(Path("a.vhm"));
  Trigger("Open1");
  EXPECT_EQ(Listed(), (QStringList{Path("a.vhm"), Path("b.vhm")})) << "once each, newest first";
  EXPECT_EQ(Menu()->actions().front()->text(), "&1 " + Path("a.vhm"));
}

TEST_F(RecentDocumentsMenu, ChoosingOneOpensIt) {
  Find<QSlider>("noise")->setValue(77);
  SaveAs("noisy");
  Trigger("New1");
  ASSERT_NE(State().params.levels[0].noise, 77);
  Menu()->actions().front()->trigger();
  EXPECT_EQ(State().params.levels[0].noise, 77);
  EXPECT_EQ(Find<QSlider>("noise")->value(), 77);
}

TEST_F(RecentDocumentsMenu, SurviveARestart) {
  SaveAs("kept");
  window.reset();
  window = std::make_unique<TestedWindow>(ProbeOpenGL());
  EXPECT_EQ(Listed(), QStringList{Path("kept.vhm")});
}

TEST_F(RecentDocumentsMenu, AMissingDocumentIsDroppedWithAMessage) {
  SaveAs("gone");
  SaveAs("here");
  std::filesystem::remove(Path("gone.vhm").toStdString());
  const vh::TreeParameters before = State().params;
  Menu()->actions().at(1)->trigger();
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_EQ(recorder->messages.front(), "The document \"" + Path("gone.vhm") +
                                            "\" no longer exists; it was removed from the recent documents.");
  EXPECT_EQ(Listed(), QStringList{Path("here.vhm")});
  EXPECT_EQ(RecentDocuments().Files(), QStringList{Path("here.vhm")}) << "for the next run too";
  EXPECT_EQ(State().params, before);
}

TEST(RecentDocuments, KeepsTheNewestEightOnce) {
  ForgetRecentDocuments();
  RecentDocuments recent;
  for (int i = 0; i < 10; ++i) recent.Add(QString("/documents/tree%1.vhm").arg(i));
  recent.Add("/documents/tree5.vhm");
  ASSERT_EQ(recent.Files().size(), RecentDocuments::kLimit);
  EXPECT_EQ(RecentDocuments::kLimit, 8);
  EXPECT_EQ(recent.Files().front(), "/documents/tree5.vhm");
  EXPECT_EQ(recent.Files().at(1), "/documents/tree9.vhm");
  EXPECT_EQ(recent.Files().back(), "/documents/tree2.vhm");
  EXPECT_EQ(RecentDocuments().Files(), recent.Files()) << "read back as kept";
  recent.Remove("/documents/tree9.vhm");
  EXPECT_EQ(RecentDocuments().Files().size(), 7);
  ForgetRecentDocuments();
}

TEST(RecentDocuments, RelativeNamesAreKeptAbsolute) {
  ForgetRecentDocuments();
  RecentDocuments recent;
  recent.Add("tree.vhm");
  EXPECT_TRUE(QFileInfo(recent.Files().front()).isAbsolute());
  ForgetRecentDocuments();
}

}  // namespace
