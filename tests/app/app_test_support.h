// Shared pieces of the GUI tests: a main window fixture that records
// message boxes instead of blocking on them, and small helpers.
#pragma once

#include <deque>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>
#include <QStringList>

#include "app/document/tree_document.h"
#include "app/flows/save_changes_prompt.h"
#include "app/pages/status_line.h"
#include "app/shell/main_window.h"
#include "app/viewport/viewport.h"
#include "app/widgets/message_box.h"
#include "app/widgets/question_box.h"

// Records every message box for the lifetime of the object.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  QStringList messages;
  QList<MessageKind> kinds;  // of the messages, in the same order

 private:
  MessageSink m_previous;
};

// Answers "Save changes?" for the lifetime of the object: the scripted
// answers first, then `otherwise` (Discard, so that tests which give up a
// changed tree go on as before), and records the documents asked about.
class SavePromptScript {
 public:
  SavePromptScript();
  ~SavePromptScript();
  std::deque<SaveChangesAnswer> answers;
  SaveChangesAnswer otherwise = SaveChangesAnswer::kDiscard;
  QStringList asked;  // the document names, one per question

 private:
  SaveChangesPrompt m_previous;
};

// The main window with the short ways the tests take to its document and
// its view (the window itself only builds and connects them).
class TestedWindow : public MainWindow {
 public:
  using MainWindow::MainWindow;

  DocumentState& State() { return Document().State(); }
  vh::Tree& CurrentTree() { return Document().CurrentTree(); }
  bool Busy() const { return Document().Busy(); }
  bool BillboardMode() const { return Document().BillboardMode(); }
  vh::MeshObject* Billboard() { return Document().Billboard(); }
  void SetBillboard(vh::BillboardCloud cloud) { Document().SetBillboard(std::move(cloud)); }
  void DestroyBillboard() { Document().DestroyBillboard(); }
  void UpdateAfterChange() { Document().UpdateAfterChange(); }
  void GenerateTree() { Document().GenerateTree(); }
  // The controls show the document's parameters again.
  void LoadLevelControls() { Document().ParametersReplaced(); }
  vh::Camera& ViewCamera() { return View().Camera(); }
  bool ViewBound() const { return View().Bound(); }
  bool ViewDirty() const { return View().Dirty(); }
  void SetViewDirty() { View().SetDirty(); }
  void RenderFrameNow() { View().RenderNow(); }
  bool WithViewContext(const std::function<void()>& work) { return View().RunInContext(work); }
  vh::DrawListCache& ViewDrawLists() { return View().DrawLists(); }
  // The status line looks at the document now (Timer1's timeout).
  void onStatusTimer() { findChild<StatusLine*>()->onStatusTimer(); }
};

// Answers the yes-or-no questions for the lifetime of the object: the
// scripted answers first, then `otherwise` (No), and records the texts asked.
class QuestionScript {
 public:
  QuestionScript();
  ~QuestionScript();
  std::deque<bool> answers;
  bool otherwise = false;
  QStringList asked;

 private:
  QuestionPrompt m_previous;
};

// A shown main window. Tests find controls by their names.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The window's only child of that type and name; fails the test if absent.
  template <class T>
  T* Find(const char* name) {
    T* widget = window->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << "no control named " << name;
    return widget;
  }
  QString LabelText(const char* name) { return Find<QLabel>(name)->text(); }
  vh::Tree& Tree() { return window->CurrentTree(); }
  DocumentState& State() { return window->State(); }
  // Selects level tab `index` (0 = "1") as a click on it would.
  void SelectLevelTab(int index);
  // Unticks "AutoUpdate" so that parameter changes do not regenerate.
  void SetAutoUpdate(bool on);
  // Makes the next generation long: many levels and children.
  void MakeGenerationLong();
  // Clicks "Generate" and, `afterMs` into the generation, runs `during`;
  // returns once the generation's tree is in.
  void GenerateAndMeanwhile(int afterMs, const std::function<void()>& during);
  // Trees grow off the window's thread: waits until the last one asked for
  // is in (the driver idle) and says whether it arrived within 30 s.
  [[nodiscard]] bool WaitForTree();

  std::unique_ptr<MessageRecorder> recorder;
  std::unique_ptr<SavePromptScript> savePrompt;
  std::unique_ptr<QuestionScript> questions;
  std::unique_ptr<TestedWindow> window;
};

// Makes `window` the application's active window, as keyboard shortcuts
// require, even while another program's window holds the display's focus
// (GUI tests run side by side on one virtual display).
void MakeActive(QWidget* window);

// Processes events until `done` says yes or `timeoutMs` passed; returns
// whether it said yes. It is asked once per turn and never again after a
// yes, so a predicate that looks something up and keeps what it found (a
// window's id) keeps it even when the next lookup would briefly fail.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Whether two trees have the same submeshes, numbered alike, with the same
// vertex positions and triangle counts.
testing::AssertionResult SameGeometry(const vh::Tree& a, const vh::Tree& b);
// Whether every triangle of `tree` indexes vertices of its own submesh.
testing::AssertionResult IndicesInside(const vh::Tree& tree);

// Sum of the geometry as the "Infos" labels should show it.
QString PolygonText(const vh::MeshObject& mesh);
QString VertexText(const vh::MeshObject& mesh);
QString SubmeshText(const vh::MeshObject& mesh);

// Whether `label` has room for its whole text as it draws it (wrapped at
// spaces if it wraps).
testing::AssertionResult ShowsWholeText(const QLabel& label);
// Whether `widget` lies wholly inside `ancestor`'s rectangle.
testing::AssertionResult LiesWithin(const QWidget& widget, const QWidget& ancestor);
