#include "flow_test_support.h"

#include <array>
#include <cstdio>

#include <GL/gl.h>
#include <QAction>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QTest>

#include "app/pages/leaf_editor.h"
#include "app/widgets/slider_value_tips.h"
#include "imaging/picture_io.h"
#include "view/texture_upload.h"

void WorkflowTest::SetUp() {
  MainWindowTest::SetUp();
  scripted = std::make_unique<ScriptedDialogsScope>();
  dialogs = scripted->dialogs.get();
}

void WorkflowTest::TearDown() {
  scripted.reset();
  MainWindowTest::TearDown();
}

void WorkflowTest::Trigger(const char* actionName) {
  QAction* action = window->findChild<QAction*>(actionName);
  ASSERT_NE(action, nullptr) << actionName;
  action->trigger();
  EXPECT_TRUE(WaitForTree()) << "the tree " << actionName << " asked for";
}

void WorkflowTest::UseRealDialogs() {
  scripted.reset();
  dialogs = nullptr;
  savePrompt.reset();
  questions.reset();
  recorder.reset();
}

void WorkflowTest::ShowPage(int index) {
  Find<QTabWidget>("PageControl1")->setCurrentIndex(index);
  QTest::qWait(10);
}

std::vector<float> WorkflowTest::GrownVertexData() {
  EXPECT_TRUE(WaitForTree());
  return VertexData(Tree());
}

LeafEditor* WorkflowTest::Editor() { return Find<LeafEditor>("PaintBox1"); }

void DragSlider(QSlider* slider, int value) {
  const QStyleOptionSlider option = SliderStyleOption(slider);
  QStyle* style = slider->style();
  const QRect handle = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
  const QRect groove = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
  const int span = groove.width() - handle.width();
  const int targetX = groove.x() + handle.width() / 2 +
                      QStyle::sliderPositionFromValue(slider->minimum(), slider->maximum(), value, span);
  const QPoint start = handle.center();
  QTest::mousePress(slider, Qt::LeftButton, {}, start);
  constexpr int kMoves = 6;
  for (int i = 1; i <= kMoves; ++i) {
    QTest::mouseMove(slider, QPoint(start.x() + (targetX - start.x()) * i / kMoves, start.y()));
  }
  QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(targetX, start.y()));
}

std::vector<float> VertexData(const vh::Tree& tree, bool withTexCoords) {
  std::vector<float> data;
  for (const auto& submesh : tree.submeshes) {
    for (const vh::Vertex& v : submesh->vertices) {
      data.insert(data.end(), {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z,
                               v.colour.x, v.colour.y, v.colour.z});
      if (withTexCoords) data.insert(data.end(), {v.texCoord.x, v.texCoord.y});
    }
  }
  return data;
}

vh::Image GradientPicture(int width, int height) {
  vh::Image picture(width, height, 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = picture.At(x, y);
      pixel[0] = static_cast<std::uint8_t>(x);
      pixel[1] = static_cast<std::uint8_t>(y);
      pixel[2] = 200;
    }
  }
  return picture;
}

void WritePicture(const QString& path, const vh::Image& picture) {
  vh::SavePicture(path.toStdString(), picture);
}

TextureState ReadTextureState(MainWindow& window, unsigned number) {
  TextureState state;
  window.View().RunInContext([&] {
    glPushAttrib(GL_TEXTURE_BIT);
    glBindTexture(GL_TEXTURE_2D, vh::TextureObjectName(number));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &state.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &state.height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &state.minFilter);
    glPopAttrib();
  });
  return state;
}

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
    result.output.append(buffer.data(), n);
  }
  result.status = ::pclose(pipe);
  return result;
}

std::vector<unsigned> ExistingTextureNames(MainWindow& window) {
  std::vector<unsigned> names;
  window.View().RunInContext([&] {
    for (GLuint name = 1; name <= 64; ++name) {
      if (glIsTexture(name)) names.push_back(name);
    }
  });
  return names;
}
