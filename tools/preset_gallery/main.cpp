// preset_gallery: the README's picture of the species presets, drawn by the
// program's own viewer in an OpenGL context without a display. Each preset
// is grown, framed from the front and drawn with its pictures, and the
// drawings are laid out in a grid with the presets' names under them.
//
//   preset_gallery OUT.png [--columns N] [--tile WxH] [--folder DIR] [--look classic|realistic]
//                  [NAME|DOC.vhm ...]
//
// Without names it draws every preset of the installed library; without
// --look, in the classic look.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "common/drawn_picture.h"
#include "fileio/document.h"
#include "fileio/presets.h"
#include "imaging/picture_io.h"
#include "tree/tree.h"
#include "view/draw_list_cache.h"
#include "view/headless_gl.h"
#include "view/look.h"
#include "view/realistic_renderer.h"
#include "view/texture_upload.h"
#include "view/viewer.h"

namespace {

struct Options {
  std::string output;
  std::string folder;
  int columns = 4;
  int tileWidth = 300;
  int tileHeight = 380;
  vh::Look look = vh::Look::kClassic;
  std::vector<std::string> trees;  // preset names or document files
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--columns") {
      options.columns = std::max(1, std::stoi(value()));
    } else if (arg == "--tile") {
      const std::string size = value();
      const std::size_t x = size.find('x');
      if (x == std::string::npos) throw std::invalid_argument("--tile needs WxH");
      options.tileWidth = std::stoi(size.substr(0, x));
      options.tileHeight = std::stoi(size.substr(x + 1));
    } else if (arg == "--folder") {
      options.folder = value();
    } else if (arg == "--look") {
      const std::string name = value();
      const std::optional<vh::Look> look = vh::ParseLook(name);
      if (!look) throw std::invalid_argument("unknown look '" + name + "': use classic or realistic");
      options.look = *look;
    } else if (options.output.empty()) {
      options.output = arg;
    } else {
      options.trees.push_back(arg);
    }
  }
  if (options.output.empty()) throw std::invalid_argument("no output picture given");
  return options;
}

void UploadPictures(const vh::TreeParameters& params) {
  const auto upload = [](const std::string& file, unsigned number, vh::MinFilter filter) {
    if (file.empty()) return;
    vh::UploadTexture(number, vh::LoadPicture(file), filter);
  };
  upload(params.leafTextureFile, vh::kLeafTextureObject, vh::MinFilter::kLinearMipmapLinear);
  upload(params.barkTextureFile, vh::kBarkTextureObject, vh::MinFilter::kNearestMipmapNearest);
}

// A camera in front of the tree, a little above its middle, far enough
// for the whole tree to fit the picture.
vh::Camera FrameTree(const vh::Tree& tree, int width, int height) {
  vh::Vector3 low{1e9f, 1e9f, 1e9f};
  vh::Vector3 high{-1e9f, -1e9f, -1e9f};
  for (const auto& submesh : tree.submeshes) {
    for (const vh::Vertex& v : submesh->vertices) {
      low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y), std::min(low.z, v.position.z)};
      high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y), std::max(high.z, v.position.z)};
    }
  }
  low.y = std::min(low.y, 0.0f);
  const vh::Vector3 centre{(low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f, (low.z + high.z) * 0.5f};
  const float halfHeight = (high.y - low.y) * 0.5f;
  const float tanHalf = std::tan(30.0f * 3.14159265f / 180.0f);
  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  const float halfDepth = (high.z - low.z) * 0.5f;
  const float distance =
      std::max(halfHeight / tanHalf, (high.x - low.x) * 0.5f / (tanHalf * aspect)) * 1.08f + halfDepth;
  vh::Camera camera;
  camera.viewportWidth = width;
  camera.viewportHeight = height;
  // A little below the tree's middle, looking slightly up: the horizon of
  // the ground plane stays in the lower part of the picture.
  camera.position = {centre.x, centre.y - halfHeight * 0.3f, centre.z + distance};
  vh::Vector3 forward = centre - camera.position;
  const float length = std::sqrt(forward.x * forward.x + forward.y * forward.y + forward.z * forward.z);
  camera.forward = forward * (1.0f / length);
  camera.up = {0.0f, 1.0f, 0.0f};
  camera.focusDistance = length;
  return camera;
}

QImage DrawTree(vh::HeadlessGl& gl, vh::DrawListCache& lists, vh::RealisticRenderer* realistic,
                const vh::TreeParameters& params, int width, int height) {
  vh::Tree tree = vh::Generate(params);
  gl.BindFramebuffer(width, height);
  UploadPictures(params);
  vh::Camera camera = FrameTree(tree, width, height);
  const QImage picture = vh::tools::DrawnPicture(tree, camera, lists, realistic);
  std::fprintf(stderr, "  vertices %llu leaves %d\n", static_cast<unsigned long long>(tree.VertexCount()),
               tree.leafCount);
  return picture;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");  // fonts for the captions, no display
  QGuiApplication application(argc, argv);
  try {
    const Options options = ParseOptions(argc, argv);
    const vh::PresetLibrary library = options.folder.empty()
                                          ? vh::PresetLibrary::Find(vh::RunningProgramDirectory())
                                          : vh::PresetLibrary(options.folder);
    std::vector<std::string> trees = options.trees;
    if (trees.empty()) trees = library.Names();

    vh::HeadlessGl gl;
    vh::DrawListCache lists;  // of the context; they go with it
    vh::InitViewState();
    vh::RealisticRenderer realistic;
    if (options.look == vh::Look::kRealistic && !realistic.Attach(vh::HeadlessGl::ProcAddress))
      throw std::runtime_error(realistic.Problem());
    const int captionHeight = 28;
    const int rows = (static_cast<int>(trees.size()) + options.columns - 1) / options.columns;
    const int columns = std::min<int>(options.columns, static_cast<int>(trees.size()));
    QImage gallery(columns * options.tileWidth, rows * (options.tileHeight + captionHeight),
                   QImage::Format_RGB32);
    gallery.fill(Qt::white);
    QPainter painter(&gallery);
    QFont font = painter.font();
    font.setPixelSize(16);
    painter.setFont(font);
    for (std::size_t i = 0; i < trees.size(); ++i) {
      const std::string& name = trees[i];
      const bool isFile = name.size() > 4 && name.substr(name.size() - 4) == ".vhm";
      std::fprintf(stderr, "%s\n", name.c_str());
      const vh::TreeParameters params = isFile ? vh::ReadDocumentFile(name, vh::TreeParameters())
                                               : library.Read(name, vh::TreeParameters());
      const int x = static_cast<int>(i) % options.columns * options.tileWidth;
      const int y = static_cast<int>(i) / options.columns * (options.tileHeight + captionHeight);
      painter.drawImage(x, y,
                        DrawTree(gl, lists, options.look == vh::Look::kRealistic ? &realistic : nullptr,
                                 params, options.tileWidth, options.tileHeight));
      painter.setPen(QColor(45, 77, 66));
      painter.drawText(QRect(x, y + options.tileHeight, options.tileWidth, captionHeight), Qt::AlignCenter,
                       QString::fromStdString(isFile ? name : vh::PresetTitle(name)));
    }
    painter.end();
    if (!gallery.save(QString::fromStdString(options.output))) {
      throw std::runtime_error("cannot write '" + options.output + "'");
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "preset_gallery: %s\n", error.what());
    return 1;
  }
}
