// Helpers of the editing-workflow tests: a main window with scripted file
// dialogs, a scratch directory, pictures written to disk and the GL state
// of the view's texture objects.
#pragma once

#include <string>
#include <vector>

#include <QImage>
#include <QString>

#include "app_test_support.h"
#include "fileio/test_support.h"
#include "foundations/image.h"
#include "scripted_dialogs.h"

class LeafEditor;
class QSlider;

class WorkflowTest : public MainWindowTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A file name in the scratch directory.
  QString Path(const char* name) const { return QString::fromStdString(scratch.File(name)); }
  // Triggers a menu item by its name ("Save1", "Export1", ...) and waits
  // for the tree it may have asked for.
  void Trigger(const char* actionName);
  // From now on the program's own modal boxes and file dialogs are shown
  // (answer them with ModalAnswers) instead of the scripted seams.
  void UseRealDialogs();
  // Shows the page `index` of PageControl1 (1 = "Leaves", 2 = "Texture").
  void ShowPage(int index);
  LeafEditor* Editor();
  // VertexData of the tree once the one last asked for is in.
  std::vector<float> GrownVertexData();

  vh::test::ScratchDir scratch;
  std::unique_ptr<ScriptedDialogsScope> scripted;
  ScriptedDialogs* dialogs = nullptr;
};

// Drags `slider`'s handle with the mouse towards the position of `value`
// (several moves, one press and one release).
void DragSlider(QSlider* slider, int value);

// Every number the view and the exporters take from the tree's vertices;
// without the texture coordinates when `withTexCoords` is false.
std::vector<float> VertexData(const vh::Tree& tree, bool withTexCoords = true);

// A picture of the given size whose pixel (x, y) is (x, y, 200) (modulo 256).
vh::Image GradientPicture(int width, int height);
// Writes `picture` to `path` (BMP or JPEG by extension).
void WritePicture(const QString& path, const vh::Image& picture);

// Parameters of the GL texture object of texture number `number` (1 leaf,
// 2 bark) in the view's context: the width
// and height of mipmap level 0 and the minification filter; all -1 when the
// context is missing.
struct TextureState {
  int width = -1;
  int height = -1;
  int minFilter = -1;
};
TextureState ReadTextureState(MainWindow& window, unsigned number);
// The GL names 1..64 that are textures in the view's context's share group.
std::vector<unsigned> ExistingTextureNames(MainWindow& window);

// Output and exit status of a shell command (stderr included).
struct CommandResult {
  int status = -1;
  std::string output;
};
CommandResult RunCommand(const std::string& command);
