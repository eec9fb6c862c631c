#include "app_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

MessageRecorder::MessageRecorder()
    : m_previous(SetMessageSink([this](QWidget*, MessageKind kind, const QString&, const QString& text) {
        messages.push_back(text);
        kinds.push_back(kind);
      })) {}

MessageRecorder::~MessageRecorder() { SetMessageSink(m_previous); }

SavePromptScript::SavePromptScript()
    : m_previous(SetSaveChangesPrompt([this](QWidget*, const QString& document) {
        asked.push_back(document);
        if (answers.empty()) return otherwise;
        const SaveChangesAnswer answer = answers.front();
        answers.pop_front();
        return answer;
      })) {}

SavePromptScript::~SavePromptScript() { SetSaveChangesPrompt(m_previous); }

QuestionScript::QuestionScript()
    : m_previous(SetQuestionPrompt([this](QWidget*, const QString&, const QString& text) {
        asked.push_back(text);
        if (answers.empty()) return otherwise;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
      })) {}

QuestionScript::~QuestionScript() { SetQuestionPrompt(m_previous); }

void MainWindowTest::SetUp() {
  recorder = std::make_unique<MessageRecorder>();
  savePrompt = std::make_unique<SavePromptScript>();
  questions = std::make_unique<QuestionScript>();
  window = std::make_unique<TestedWindow>(ProbeOpenGL());
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->activateWindow();
  // Focus tests need an active window; the others run without one.
  static_cast<void>(QTest::qWaitForWindowActive(window.get(), 1000));
  // Tests side by side on one display take the display's focus from each
  // other; within this program the window stays the active one.
  MakeActive(window.get());
  QTest::qWait(20);  // the deferred view binding check
  ASSERT_TRUE(WaitForTree()) << "the tree the controls asked for at start-up";
}

bool MainWindowTest::WaitForTree() {
  return WaitUntil([&] { return !window->Busy(); }, 30000);
}

void MainWindowTest::TearDown() {
  window.reset();
  questions.reset();
  savePrompt.reset();
  recorder.reset();
}

void MainWindowTest::SelectLevelTab(int index) { Find<QTabBar>("TabControl1")->setCurrentIndex(index); }

void MainWindowTest::SetAutoUpdate(bool on) { Find<QCheckBox>("CheckBox4")->setChecked(on); }

void MainWindowTest::MakeGenerationLong() {
  vh::TreeParameters& p = State().params;
  // Far more than a test waits for; the budget bounds it should a
  // cancellation under test fail to arrive.
  State().vertexBudget = 3'000'000;
  p.lastParentLevel = 6;
  for (auto& level : p.levels) {
    level.nbChildrenMin = 8;
    level.nbChildrenMax = 8;
  }
}

void MainWindowTest::GenerateAndMeanwhile(int afterMs, const std::function<void()>& during) {
  bool ran = false;
  QTimer::singleShot(afterMs, window.get(), [&] {
    ran = true;
    during();
  });
  QTest::mouseClick(Find<QToolButton>("SpeedButton1"), Qt::LeftButton);
  EXPECT_TRUE(WaitUntil([&] { return ran; }, afterMs + 30000));
  EXPECT_TRUE(WaitForTree());
}

void MakeActive(QWidget* window) { QApplication::setActiveWindow(window); }

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    if (done()) return true;
    if (clock.elapsed() >= timeoutMs) return false;
    QTest::qWait(5);
  }
}

testing::AssertionResult SameGeometry(const vh::Tree& a, const vh::Tree& b) {
  if (a.submeshes.size() != b.submeshes.size()) {
    return testing::AssertionFailure() << a.submeshes.size() << " vs " << b.submeshes.size() << " submeshes";
  }
  for (std::size_t i = 0; i < a.submeshes.size(); ++i) {
    const vh::Submesh& x = *a.submeshes[i];
    const vh::Submesh& y = *b.submeshes[i];
    if (x.displayList != y.displayList || x.vertices.size() != y.vertices.size() ||
        x.triangles.size() != y.triangles.size()) {
      return testing::AssertionFailure() << "submesh " << i << " differs in number or size";
    }
    for (std::size_t v = 0; v < x.vertices.size(); ++v) {
      if (!(x.vertices[v].position == y.vertices[v].position)) {
        return testing::AssertionFailure() << "submesh " << i << " vertex " << v << " differs";
      }
    }
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult IndicesInside(const vh::Tree& tree) {
  for (const auto& submesh : tree.submeshes) {
    const std::size_t n = submesh->vertices.size();
    for (const vh::Triangle& t : submesh->triangles) {
      if (t.a >= n || t.b >= n || t.c >= n) {
        return testing::AssertionFailure() << "submesh " << submesh->displayList << " indexes past " << n;
      }
    }
  }
  return testing::AssertionSuccess();
}

QString PolygonText(const vh::MeshObject& mesh) {
  return QString("Nb Polygons : %1").arg(mesh.PolygonCount());
}
QString VertexText(const vh::MeshObject& mesh) { return QString("Nb Vertices : %1").arg(mesh.VertexCount()); }
QString SubmeshText(const vh::MeshObject& mesh) {
  return QString("Nb Submeshes : %1").arg(mesh.submeshes.size());
}

testing::AssertionResult ShowsWholeText(const QLabel& label) {
  const QRect room = label.contentsRect();
  const int flags = static_cast<int>(label.alignment()) | (label.wordWrap() ? Qt::TextWordWrap : 0);
  const QRect needed = label.fontMetrics().boundingRect(room, flags, label.text());
  if (needed.width() <= room.width() && needed.height() <= room.height()) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << '"' << label.text().toStdString() << "\" needs " << needed.width()
                                     << " x " << needed.height() << " pixels, has " << room.width() << " x "
                                     << room.height();
}

testing::AssertionResult LiesWithin(const QWidget& widget, const QWidget& ancestor) {
  const QRect placed(widget.mapTo(&ancestor, QPoint(0, 0)), widget.size());
  if (ancestor.rect().contains(placed)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << widget.objectName().toStdString() << " at (" << placed.x() << ", "
                                     << placed.y() << ") " << placed.width() << " x " << placed.height()
                                     << " leaves " << ancestor.objectName().toStdString() << " of "
                                     << ancestor.width() << " x " << ancestor.height();
}
