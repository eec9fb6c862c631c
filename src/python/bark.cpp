#include "bark.h"

#include <memory>

#include "bark/bark_tiler.h"
#include "imaging/picture_io.h"

namespace py = pybind11;

namespace vh::python {

py::array BarkTile(const std::string& source, const std::optional<std::string>& output,
                   std::tuple<int, int, int, int> crop, std::optional<int> shading, bool symmetrize,
                   bool pow2) {
  BarkTileOptions options;
  std::tie(options.x0, options.x1, options.y0, options.y1) = crop;
  options.shadingRemoval = shading.has_value();
  options.strength = shading.value_or(options.strength);
  options.symmetrize = symmetrize;
  options.powerOfTwo = pow2;
  auto tile = std::make_shared<Image>();
  {
    py::gil_scoped_release release;
    *tile = GenerateBarkTile(LoadPicture(source), options);
    if (output) SavePicture(*output, *tile);
  }
  auto* keeper = new std::shared_ptr<Image>(tile);
  py::capsule base(keeper, [](void* p) { delete static_cast<std::shared_ptr<Image>*>(p); });
  const auto height = static_cast<std::size_t>(tile->height), width = static_cast<std::size_t>(tile->width);
  return py::array_t<std::uint8_t>({height, width, std::size_t{3}},
                                   {3 * width, std::size_t{3}, std::size_t{1}}, tile->pixels.data(), base);
}

}  // namespace vh::python
