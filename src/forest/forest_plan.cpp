#include "forest/forest_plan.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

#include "fileio/document.h"
#include "forest/scatter.h"
#include "foundations/random.h"

namespace vh {
namespace {

constexpr std::uint32_t kVariantSeedMix = 0x2545F491u;

[[noreturn]] void FailAt(const ForestDescription& description, int line, const std::string& reason) {
  throw ForestError(description.fileName + ", line " + std::to_string(line) + ": " + reason);
}

// A length for a message: "1.5", not "1.500000".
std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

bool NamesDocument(const std::string& source) {
  return source.find('/') != std::string::npos ||
         (source.size() > 4 && source.compare(source.size() - 4, 4, ".vhm") == 0);
}

std::string StemOf(const std::string& path) {
  std::string name = path.substr(path.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

ForestSpeciesSource ReadSpecies(const ForestDescription& description, const ForestSpecies& species,
                                const PresetLibrary& presets, std::vector<std::string>& warnings) {
  ForestSpeciesSource source;
  if (NamesDocument(species.source)) {
    const std::string path =
        species.source.front() == '/' ? species.source : description.folder + species.source;
    try {
      source.params = ReadDocumentFile(path, TreeParameters());
    } catch (const std::exception& error) {
      FailAt(description, species.line, "species '" + species.source + "': " + error.what());
    }
    source.name = StemOf(species.source);
  } else {
    const std::vector<std::string> names = presets.Names();
    if (std::find(names.begin(), names.end(), species.source) == names.end()) {
      std::string known;
      for (const std::string& name : names) known += (known.empty() ? "" : ", ") + name;
      FailAt(description, species.line,
             "unknown species '" + species.source + "': neither a preset (" +
                 (known.empty() ? std::string("none installed") : known) + ") nor a .vhm document");
    }
    try {
      source.params = presets.Read(species.source, TreeParameters());
    } catch (const std::exception& error) {
      FailAt(description, species.line, "species '" + species.source + "': " + error.what());
    }
    source.name = species.source;
  }
  // A picture that cannot be read leaves its material untextured, as in
  // every export.
  source.pictures = ReadDocumentPictures(source.params);
  for (const MissingPicture& missing : source.pictures.missing)
    warnings.push_back(description.fileName + ", line " + std::to_string(species.line) + ": species '" +
                       species.source + "': " + Describe(missing));
  source.params = WithoutMissingPictures(std::move(source.params), source.pictures.missing);
  return source;
}

// An index in [0, n) from one draw.
std::size_t Pick(MersenneTwister& random, std::size_t n) {
  return std::min(n - 1, static_cast<std::size_t>(random.NextReal() * static_cast<double>(n)));
}

}  // namespace

ForestPlan PlanForest(const ForestDescription& description, const PresetLibrary& presets) {
  ForestPlan plan;
  plan.description = description;
  const ScatterArea area{description.width, description.depth, description.count, description.spacing};
  if (static_cast<double>(area.count) > MostPointsThatFit(area))
    FailAt(description, description.spacingLine,
           "a spacing of " + Number(description.spacing) + " cannot fit " +
               std::to_string(description.count) + " trees on " + Number(description.width) + " x " +
               Number(description.depth) + ": at most " +
               std::to_string(static_cast<long long>(MostPointsThatFit(area))) +
               " would fit even packed as densely as possible");

  for (const ForestSpecies& species : description.species)
    plan.species.push_back(ReadSpecies(description, species, presets, plan.warnings));

  MersenneTwister seeds(static_cast<int>(static_cast<std::uint32_t>(description.seed) ^ kVariantSeedMix));
  std::vector<std::size_t> firstVariant;
  for (std::size_t s = 0; s < description.species.size(); ++s) {
    firstVariant.push_back(plan.variants.size());
    for (int n = 1; n <= description.species[s].variants; ++n) {
      std::string name = plan.species[s].name;
      name.append(n < 10 ? "_0" : "_").append(std::to_string(n));
      plan.variants.push_back(ForestVariant{s, static_cast<int>(seeds.NextUInt32()), std::move(name), 0});
    }
  }

  double totalWeight = 0.0;
  for (const ForestSpecies& species : description.species) totalWeight += species.weight;
  MersenneTwister random(description.seed);
  plan.instances.reserve(static_cast<std::size_t>(description.count));
  const long long placed = Scatter(area, random, [&](double x, double z) {
    double chosen = random.NextReal() * totalWeight;
    std::size_t s = 0;
    while (s + 1 < description.species.size() && chosen >= description.species[s].weight)
      chosen -= description.species[s++].weight;
    const std::size_t variant =
        firstVariant[s] + Pick(random, static_cast<std::size_t>(description.species[s].variants));
    const double turn = random.NextReal() * description.turnDegrees * std::numbers::pi / 180.0;
    const double scale = random.Uniform(description.scaleLow, description.scaleHigh);
    plan.instances.push_back(ForestInstance{static_cast<std::uint32_t>(variant), static_cast<float>(x),
                                            static_cast<float>(z), static_cast<float>(turn),
                                            static_cast<float>(scale)});
    ++plan.variants[variant].instances;
  });
  if (placed < description.count)
    FailAt(description, description.spacingLine != 0 ? description.spacingLine : description.countLine,
           "only " + std::to_string(placed) + " of " + std::to_string(description.count) +
               " trees could be placed at least " + Number(description.spacing) +
               " apart on this area before it filled up; lower the count or the spacing");
  return plan;
}

}  // namespace vh
