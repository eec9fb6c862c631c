// verdanthollow-cli bark-tile: the bark tiler without its window.
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bark/bark_tiler.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "imaging/picture_io.h"

namespace vh::cli {
namespace {

// "X0,X1,Y0,Y1" into the four crop percentages.
void ParseCrop(const std::string& text, BarkTileOptions& options) {
  std::vector<int> values;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    values.push_back(static_cast<int>(ParseInteger(
        "--crop", text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), 0,
        100)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (values.size() != 4) throw std::runtime_error("--crop takes four percentages: X0,X1,Y0,Y1");
  options.x0 = values[0];
  options.x1 = values[1];
  options.y0 = values[2];
  options.y1 = values[3];
}

// Shows "bark-tile: <step> NN%" on one terminal line. The tiler restarts its
// progress at 0 for every step, which is how a new step is recognised.
class ProgressLine {
 public:
  explicit ProgressLine(const BarkTileOptions& options) {
    m_steps.push_back("crop");
    if (options.shadingRemoval) m_steps.push_back("shading removal");
    if (options.symmetrize) m_steps.push_back("symmetrize");
    if (options.powerOfTwo) m_steps.push_back("power of two");
  }

  bool operator()(int percent) {
    if (percent < m_last) ++m_step;
    m_last = percent;
    if (m_step < m_steps.size()) {
      std::fprintf(stderr, "\rbark-tile: %-16s %3d%%", m_steps[m_step], percent);
      std::fflush(stderr);
    }
    return true;
  }

  void Finish() const { std::fprintf(stderr, "\n"); }

 private:
  std::vector<const char*> m_steps;
  std::size_t m_step = 0;
  int m_last = 0;
};

}  // namespace

int RunBarkTile(const Arguments& args) {
  BarkTileOptions options;
  ArgumentParser parser;
  parser.Value("--crop", "four percentages X0,X1,Y0,Y1",
               [&options](const std::string& crop) { ParseCrop(crop, options); });
  parser.Integer("--shading", 1, 100, [&options](long long strength) {
    options.shadingRemoval = true;
    options.strength = static_cast<int>(strength);
  });
  parser.Flag("--symmetrize", &options.symmetrize);
  parser.Flag("--pow2", &options.powerOfTwo);
  const std::vector<std::string> files = parser.Parse(args);
  if (files.size() != 2) throw std::runtime_error("expected an input and an output picture (see --help)");

  const Image source = LoadPicture(files[0]);
  Image tile;
  if (isatty(STDERR_FILENO)) {
    ProgressLine line(options);
    tile = GenerateBarkTile(source, options, [&line](int percent) { return line(percent); });
    line.Finish();
  } else {
    tile = GenerateBarkTile(source, options);
  }
  SavePicture(files[1], tile);
  return 0;
}

}  // namespace vh::cli
