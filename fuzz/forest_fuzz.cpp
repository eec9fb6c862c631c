// libFuzzer target for forest descriptions on their own: what reads must say
// something usable (a ground, a count, species with weights and variants),
// and within a budget of instances and variants (so that every input runs
// in milliseconds) it is planned with the shipped presets. The plan must
// keep to the description: every instance on the ground, no two closer than
// the spacing, turns and scales within their ranges, a variant of a species
// named, the variants' counts adding up. A description that cannot be used
// must say so with ForestError. Any crash, sanitizer report, other
// exception or failed check is a finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <string_view>

#include "fileio/presets.h"
#include "forest/forest_description.h"
#include "forest/forest_plan.h"

namespace {

// Inputs beyond these only take longer to plan, the same way.
constexpr long long kFuzzInstances = 2000;
constexpr int kFuzzVariants = 40;

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

bool Positive(double value) { return value > 0.0 && std::isfinite(value); }

void CheckDescription(const vh::ForestDescription& forest) {
  if (!Positive(forest.width) || !Positive(forest.depth)) Finding("a ground without an area");
  if (forest.count < 1 || forest.count > vh::kMostInstances) Finding("a count outside 1..kMostInstances");
  if (!(forest.spacing >= 0.0) || !std::isfinite(forest.spacing)) Finding("a spacing below 0");
  if (!(forest.scaleLow <= forest.scaleHigh) || !Positive(forest.scaleLow) ||
      !std::isfinite(forest.scaleHigh))
    Finding("a scale range that is not one");
  if (!(forest.turnDegrees >= 0.0) || !std::isfinite(forest.turnDegrees)) Finding("a turn below 0");
  if (forest.species.empty()) Finding("a forest without species");
  for (const vh::ForestSpecies& species : forest.species)
    if (!Positive(species.weight) || species.variants < 1 || species.variants > vh::kMostVariants)
      Finding("a species without weight or variants");
}

void CheckPlan(const vh::ForestDescription& forest, const vh::ForestPlan& plan) {
  if (static_cast<long long>(plan.instances.size()) != forest.count) Finding("not every instance was placed");
  std::size_t counted = 0;
  for (const vh::ForestVariant& variant : plan.variants) counted += variant.instances;
  if (counted != plan.instances.size()) Finding("the variants' counts do not add up");
  const double slack = 1e-5;  // the instances' coordinates are floats
  const double turn = forest.turnDegrees * std::numbers::pi / 180.0;
  for (const vh::ForestInstance& instance : plan.instances) {
    if (instance.variant >= plan.variants.size()) Finding("an instance of no variant");
    if (!(std::abs(instance.x) <= forest.width / 2 * (1 + slack)) ||
        !(std::abs(instance.z) <= forest.depth / 2 * (1 + slack)))
      Finding("an instance off the ground");
    if (!(instance.turn >= 0.0f && instance.turn <= turn * (1 + slack))) Finding("a turn out of its range");
    if (!(instance.scale >= forest.scaleLow * (1 - slack) &&
          instance.scale <= forest.scaleHigh * (1 + slack)))
      Finding("a scale out of its range");
  }
  const std::size_t n = plan.instances.size();
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j) {
      const double dx = plan.instances[i].x - plan.instances[j].x,
                   dz = plan.instances[i].z - plan.instances[j].z;
      if (std::sqrt(dx * dx + dz * dz) < forest.spacing * (1 - slack))
        Finding("two trunks closer than the spacing");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const vh::PresetLibrary presets(VH_SOURCE_DIR "/presets");
  vh::ForestDescription forest;
  try {
    forest = vh::ParseForestDescription(std::string_view(reinterpret_cast<const char*>(data), size),
                                        "fuzz.txt", "");
  } catch (const vh::ForestError&) {
    return 0;
  }
  CheckDescription(forest);
  long long variants = 0;
  for (const vh::ForestSpecies& species : forest.species) variants += species.variants;
  if (forest.count > kFuzzInstances || variants > kFuzzVariants) return 0;
  vh::ForestPlan plan;
  try {
    plan = vh::PlanForest(forest, presets);
  } catch (const vh::ForestError&) {
    return 0;
  }
  CheckPlan(forest, plan);
  return 0;
}
