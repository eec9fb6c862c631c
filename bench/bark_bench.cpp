// Speed of the bark tiler's shading removal at strength 12 (the default):
// 1000 x 750 and 4000 x 3000 crops. The large one does 7680 smoothing passes
// along each of its 3000 rows; the target is under 5 s on two cores. The
// straightforward algorithm (the tests' reference, same output byte for
// byte) runs on the 1000 x 750 crop too: the fast one should take under a
// twelfth of its time.
#include <benchmark/benchmark.h>

#include <random>

#include "bark/bark_tiler.h"
#include "reference_bark.h"

namespace {

vh::Image BarkLikePicture(int width, int height) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> grain(0, 90);
  vh::Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double light = 0.35 + 0.65 * (1.0 - 0.5 * x / width - 0.3 * y / height);
      std::uint8_t* p = image.At(x, y);
      for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((120 + grain(random) + 20 * c) * light);
    }
  }
  return image;
}

void BM_RemoveShading(benchmark::State& state) {
  const vh::Image source =
      BarkLikePicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    state.PauseTiming();
    vh::Image picture = source;
    state.ResumeTiming();
    vh::RemoveShading(picture, 12);
    benchmark::DoNotOptimize(picture.pixels.data());
  }
}

void BM_StraightforwardRemoveShading(benchmark::State& state) {
  const vh::Image source =
      BarkLikePicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    state.PauseTiming();
    vh::Image picture = source;
    state.ResumeTiming();
    vh::test::ReferenceRemoveShading(picture, 12);
    benchmark::DoNotOptimize(picture.pixels.data());
  }
}

void BM_GenerateBarkTileAllSteps(benchmark::State& state) {
  const vh::Image source =
      BarkLikePicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  vh::BarkTileOptions options;
  options.shadingRemoval = true;
  options.symmetrize = true;
  options.powerOfTwo = true;
  for (auto _ : state) benchmark::DoNotOptimize(vh::GenerateBarkTile(source, options).pixels.data());
}

}  // namespace

BENCHMARK(BM_RemoveShading)->Args({1000, 750})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RemoveShading)->Args({4000, 3000})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_StraightforwardRemoveShading)
    ->Args({1000, 750})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_GenerateBarkTileAllSteps)->Args({1000, 750})->Unit(benchmark::kMillisecond)->UseRealTime();
