#include "bark/bark_tiler.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "bark/smoothing.h"
#include "bark/truncation.h"
#include "imaging/picture_file.h"
#include "imaging/stretch.h"

namespace vh {
namespace {

// Forwards progress to the caller's callback when the percentage changes,
// or at least every 50 ms (a window keeps itself responsive in the
// callback, and one percent of a large picture can take seconds), and turns
// a request to stop into BarkTileCancelled.
class ProgressReporter {
 public:
  explicit ProgressReporter(const BarkProgress& callback) : m_callback(callback) {}

  // Reports `percent`; returns false if the caller asked to stop.
  bool Report(int percent) {
    if (!m_callback) return true;
    const auto now = std::chrono::steady_clock::now();
    if (percent == m_last && now - m_lastCall < std::chrono::milliseconds(50)) return true;
    m_last = percent;
    m_lastCall = now;
    return m_callback(percent);
  }

  // Reports `percent` and throws BarkTileCancelled if asked to stop.
  void Step(int percent) {
    if (!Report(percent)) throw BarkTileCancelled();
  }

 private:
  const BarkProgress& m_callback;
  int m_last = -1;
  std::chrono::steady_clock::time_point m_lastCall;
};

// The steps after the crop work on RGB pictures of at least 2 x 2 pixels:
// below that the smoothing's end weights and the mirror weights' division
// by (side - 1) have no meaning.
void CheckWorkingPicture(const Image& picture, const char* step) {
  if (picture.channels != 3) {
    throw BarkTileError(std::string(step) + " needs an RGB picture");
  }
  if (picture.width < 2 || picture.height < 2) {
    throw BarkTileError(std::string(step) + " needs a picture of at least 2 x 2 pixels, not " +
                        std::to_string(picture.width) + " x " + std::to_string(picture.height));
  }
}

void CheckPercent(int value, int lowest, const char* name) {
  if (value < lowest || value > 100) {
    throw BarkTileError(std::string("The crop bound ") + name + " must lie within " + std::to_string(lowest) +
                        "..100, not " + std::to_string(value));
  }
}

int Truncate(long double value) { return static_cast<int>(value); }

}  // namespace

BarkCrop ComputeBarkCrop(int sourceWidth, int sourceHeight, const BarkTileOptions& options) {
  if (sourceWidth < 1 || sourceHeight < 1) throw BarkTileError("There is no source picture to crop");
  CheckPercent(options.x0, 0, "x0");
  CheckPercent(options.x1, 1, "x1");
  CheckPercent(options.y0, 0, "y0");
  CheckPercent(options.y1, 1, "y1");
  // Integer products first, then the scaling by 0.01, truncated.
  const auto scaled = [](int side, int percent) {
    return Truncate(static_cast<double>(static_cast<long long>(side) * percent) * 0.01);
  };
  BarkCrop crop;
  crop.width = scaled(sourceWidth, options.x1 - options.x0);
  crop.height = scaled(sourceHeight, options.y1 - options.y0);
  if (crop.width < 2 || crop.height < 2) {
    throw BarkTileError(
        "The crop is too small: " + std::to_string(std::max(crop.width, 0)) + " x " +
        std::to_string(std::max(crop.height, 0)) +
        " pixels; a bark tile needs at least 2 x 2 pixels (is each upper bound above its lower one?)");
  }
  crop.left = scaled(sourceWidth, options.x0);
  crop.right = scaled(sourceWidth, options.x1);
  crop.top = scaled(sourceHeight, options.y0);
  crop.bottom = scaled(sourceHeight, options.y1);
  return crop;
}

Image CropBarkPicture(const Image& source, const BarkCrop& crop) {
  return ToRGB(StretchRegion(source, crop.left, crop.top, crop.right - crop.left, crop.bottom - crop.top,
                             crop.width, crop.height));
}

int HorizontalPassCount(int width, int strength) { return static_cast<int>(16LL * width * strength / 100); }

// The counting loop this replaces runs while a counter from 0 is below
// height * 0.1 * s * 0.01, evaluated in extended precision. The doubles 0.1
// and 0.01 lie just above the decimal values, so the bound lies just above
// height * s / 1000 and the loop always stops at its integer part plus one,
// even when the quotient is a whole number (500 rows at s = 2: 2 passes).
// Evaluated in plain double the excess can round away (500 * 0.1 * 2 * 0.01
// is exactly 1.0), so the count is formed in integers instead.
int VerticalPassCount(int height, int strength) {
  return static_cast<int>(static_cast<long long>(height) * strength / 1000 + 1);
}

double Luminance(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<double>(0.299 * static_cast<long double>(red) + 0.587 * static_cast<long double>(green) +
                             0.114 * static_cast<long double>(blue));
}

namespace {

// The flattening's two truncations (see truncation.h): min(255, trunc(x))
// for a channel and trunc(x) for a flattened channel's luminance.
struct ArithmeticTruncation {
  static long double Whole(long double x) { return TruncateNonNegative(x); }
  // Through a double (exact for whole numbers below 255), whose conversion
  // needs no change of rounding mode either.
  static std::uint8_t Channel(long double x) {
    return static_cast<std::uint8_t>(static_cast<int>(static_cast<double>(TruncateNonNegative(x))));
  }
};

struct StoreTruncation {
  static long double Whole(long double x) { return static_cast<long double>(TruncateByStore(x)); }
  static std::uint8_t Channel(long double x) { return static_cast<std::uint8_t>(TruncateByStore(x)); }
};

// Below this many pixels a step runs on the calling thread alone.
constexpr std::size_t kPixelsWorthThreads = std::size_t{1} << 16;
// The flattened pixels' luminances are summed a block of about this many
// pixels (whole rows) at a time.
constexpr std::size_t kPixelsPerBlock = std::size_t{1} << 20;

// Runs `work(first, last)` over the pixels [begin, end) in shares, one for
// each core, the calling thread taking the first. Each pixel's value
// depends on that pixel alone, so the shares give what one pass gives;
// sums over pixels are formed afterwards, in order.
template <typename Work>
void ShareOut(std::size_t begin, std::size_t end, const Work& work) {
  const std::size_t pixels = end - begin;
  const std::size_t shares =
      pixels < kPixelsWorthThreads ? 1 : std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 16);
  const auto share = [&](std::size_t k) { return begin + pixels * k / shares; };
  std::vector<std::thread> helpers;
  for (std::size_t k = 1; k < shares; ++k) helpers.emplace_back([&, k] { work(share(k), share(k + 1)); });
  work(share(0), share(1));
  for (std::thread& helper : helpers) helper.join();
}

// The luminance each pixel of [first, last) counts with in the flattened
// picture's mean (its channels times 255 / l, truncated), or 0 for a pixel
// in a black area, which does not count; into `out`.
template <class Truncation>
void FlattenedLuminances(const Image& picture, const std::vector<double>& luminance, std::size_t first,
                         std::size_t last, long double* out) {
  for (std::size_t i = first; i < last; ++i) {
    const double l = luminance[i];
    if (!(l >= kDarkLuminance)) {
      out[i - first] = 0.0L;
      continue;
    }
    const long double f = 255.0L / l;
    const std::uint8_t* p = &picture.pixels[3 * i];
    const long double r = Truncation::Whole(p[0] * f);
    const long double g = Truncation::Whole(p[1] * f);
    const long double b = Truncation::Whole(p[2] * f);
    out[i - first] = 0.299 * r + 0.587 * g + 0.114 * b;
  }
}

// Scales the pixels of [first, last) back by `scale` / l, each channel
// capped at 255; a pixel in a black area becomes black, and in a picture
// that is not `lit` the other pixels stay as they are.
template <class Truncation>
void ScaleBack(Image& picture, const std::vector<double>& luminance, std::size_t first, std::size_t last,
               bool lit, long double scale) {
  for (std::size_t i = first; i < last; ++i) {
    std::uint8_t* p = &picture.pixels[3 * i];
    const double l = luminance[i];
    if (!(l >= kDarkLuminance)) {
      p[0] = p[1] = p[2] = 0;
      continue;
    }
    if (!lit) continue;
    const long double v = scale / l;
    // min(255, trunc(x)), testing x itself: a product at or above 255
    // truncates to 255 or more, and below it stays in the truncation's
    // range.
    for (int c = 0; c < 3; ++c) {
      const long double x = p[c] * v;
      p[c] = x >= 255.0L ? 255 : Truncation::Channel(x);
    }
  }
}

}  // namespace

void RemoveShading(Image& picture, int strength, const BarkProgress& progress) {
  CheckWorkingPicture(picture, "The shading removal");
  if (strength < 1 || strength > 100) {
    throw BarkTileError("The shading removal strength must lie within 1..100, not " +
                        std::to_string(strength));
  }
  ProgressReporter reporter(progress);
  reporter.Step(0);
  const int width = picture.width;
  const int height = picture.height;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);

  // Luminance, and its mean before any change. Only the smoothing works in
  // double; the steps around it are evaluated in extended precision.
  std::vector<double> luminance(count);
  ShareOut(0, count, [&](std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
      const std::uint8_t* p = &picture.pixels[3 * i];
      luminance[i] = Luminance(p[0], p[1], p[2]);
    }
  });
  long double mean = 0.0L;
  for (const double l : luminance) mean += l;

  const bool rowsDone =
      SmoothRows(luminance.data(), width, height, HorizontalPassCount(width, strength),
                 [&](int rows) { return reporter.Report(static_cast<int>(rows * 33LL / height)); });
  if (!rowsDone) throw BarkTileCancelled();
  const bool columnsDone = SmoothColumns(
      luminance.data(), width, height, VerticalPassCount(height, strength),
      [&](int columns) { return reporter.Report(static_cast<int>(33 + columns * 33LL / width)); });
  if (!columnsDone) throw BarkTileCancelled();
  mean = mean / count;

  // Mean luminance of the flattened picture (channel * 255 / L, truncated,
  // not clamped). The products are truncated as reals: the same values an
  // integer conversion gives, without its overflow (they stay below
  // 255 * 255 / kDarkLuminance, far inside the truncations' range).
  // Adding a dark pixel's 0 changes no sum.
  const bool byStore = HasTruncatingStore();
  long double flattenedMean = 0.0L;
  const std::size_t rowPixels = static_cast<std::size_t>(width);
  const int blockRows = static_cast<int>(std::max<std::size_t>(1, kPixelsPerBlock / rowPixels));
  std::vector<long double> flattened(std::min(count, static_cast<std::size_t>(blockRows) * rowPixels));
  for (int top = 0; top < height; top += blockRows) {
    const int bottom = std::min(height, top + blockRows);
    const std::size_t first = static_cast<std::size_t>(top) * rowPixels;
    ShareOut(first, static_cast<std::size_t>(bottom) * rowPixels, [&](std::size_t begin, std::size_t end) {
      long double* out = &flattened[begin - first];
      if (byStore)
        FlattenedLuminances<StoreTruncation>(picture, luminance, begin, end, out);
      else
        FlattenedLuminances<ArithmeticTruncation>(picture, luminance, begin, end, out);
    });
    for (int y = top; y < bottom; ++y) {
      reporter.Step(static_cast<int>(66 + y * 33LL / height));
      const long double* row = &flattened[static_cast<std::size_t>(y - top) * rowPixels];
      for (std::size_t x = 0; x < rowPixels; ++x) flattenedMean += row[x];
    }
  }
  flattenedMean = flattenedMean / count;

  // A picture black throughout has nothing to scale back to.
  const bool lit = flattenedMean > 0.0L;
  const long double scale = lit ? 255.0L * mean / flattenedMean : 0.0L;
  ShareOut(0, count, [&](std::size_t first, std::size_t last) {
    if (byStore)
      ScaleBack<StoreTruncation>(picture, luminance, first, last, lit, scale);
    else
      ScaleBack<ArithmeticTruncation>(picture, luminance, first, last, lit, scale);
  });
  reporter.Report(100);  // done: a request to stop comes too late
}

void Symmetrize(Image& picture, const BarkProgress& progress) {
  CheckWorkingPicture(picture, "Symmetrize");
  ProgressReporter reporter(progress);
  reporter.Step(0);
  const int width = picture.width;
  const int height = picture.height;
  const Image copy = picture;

  // Mirror weight of each column: 1 on the two edges, 0 in the middle.
  // Weights, sums and quotients are evaluated in extended precision; in
  // double, 21 times the weight 2/3 of x = 1 in 7 columns gives 14 instead
  // of 13.999..., and a few channel values in a thousand come out one off.
  std::vector<long double> columnWeight(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) {
    columnWeight[static_cast<std::size_t>(x)] =
        std::fabs(static_cast<long double>(x) / (width - 1) - 0.5L) * 2;
  }
  for (int y = 0; y < height; ++y) {
    reporter.Step(static_cast<int>(y * 100LL / height));
    const long double wy = std::fabs(static_cast<long double>(y) / (height - 1) - 0.5L) * 2;
    const std::uint8_t* row = copy.Row(y);
    const std::uint8_t* mirrorRow = copy.Row(height - 1 - y);
    std::uint8_t* out = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      const long double wx = columnWeight[static_cast<std::size_t>(x)];
      const long double divisor = 1 + wx + wy;
      const std::size_t here = 3 * static_cast<std::size_t>(x);
      const std::size_t mirrored = 3 * static_cast<std::size_t>(width - 1 - x);
      for (int c = 0; c < 3; ++c) {
        const int sum = Truncate(row[here + c] + wy * mirrorRow[here + c] + wx * row[mirrored + c]);
        out[here + c] = static_cast<std::uint8_t>(Truncate(sum / divisor));
      }
    }
  }
  reporter.Report(100);  // done: a request to stop comes too late
}

int NearestPowerOfTwo(int side) {
  return static_cast<int>(std::exp2(std::round(std::log2(static_cast<double>(side)))));
}

void MakePowerOfTwo(Image& picture) {
  const int width = NearestPowerOfTwo(picture.width);
  const int height = NearestPowerOfTwo(picture.height);
  CheckPictureSize(width, height, "the power-of-two bark tile");
  if (width == picture.width && height == picture.height) return;
  picture = Stretch(picture, width, height);
}

Image GenerateBarkTile(const Image& source, const BarkTileOptions& options, const BarkProgress& progress) {
  if (source.Empty() || (source.channels != 3 && source.channels != 4)) {
    throw BarkTileError("There is no source picture to tile");
  }
  if (options.shadingRemoval && (options.strength < 1 || options.strength > 100)) {
    throw BarkTileError("The shading removal strength must lie within 1..100, not " +
                        std::to_string(options.strength));
  }
  const BarkCrop crop = ComputeBarkCrop(source.width, source.height, options);
  ProgressReporter reporter(progress);
  reporter.Step(0);
  Image tile = CropBarkPicture(source, crop);
  reporter.Step(100);
  if (options.shadingRemoval) RemoveShading(tile, options.strength, progress);
  if (options.symmetrize) Symmetrize(tile, progress);
  if (options.powerOfTwo) {
    ProgressReporter powerReporter(progress);
    powerReporter.Step(0);
    MakePowerOfTwo(tile);
    powerReporter.Report(100);
  }
  // Back to 0, as the progress bar is left between generations; the work is
  // done, so a request to stop no longer matters.
  if (progress) progress(0);
  return tile;
}

}  // namespace vh
