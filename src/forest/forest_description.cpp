#include "forest/forest_description.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include "foundations/file_error.h"
#include "foundations/input_file.h"

namespace vh {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

// The words of a value, split at blanks and commas ("0.4, 0.15" and
// "30 x 20" alike; an 'x' or '*' between numbers is a separator too).
std::vector<std::string> Words(std::string_view value) {
  std::vector<std::string> words;
  std::string word;
  for (char c : value) {
    if (c == ' ' || c == '\t' || c == ',') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

class LineReader {
 public:
  LineReader(const std::string& fileName, int line) : m_fileName(fileName), m_line(line) {}

  [[noreturn]] void Fail(const std::string& reason) const {
    throw ForestError(m_fileName + ", line " + std::to_string(m_line) + ": " + reason);
  }

  double Real(const std::string& key, const std::string& text, double low, double high) const {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < low ||
        value > high) {
      std::ostringstream range;
      range << key << " needs a number from " << low << " to " << high << ", not '" << text << "'";
      Fail(range.str());
    }
    return value;
  }

  long long Integer(const std::string& key, const std::string& text, long long low, long long high) const {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
      Fail(key + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
           ", not '" + text + "'");
    return value;
  }

  bool YesNo(const std::string& key, const std::string& text) const {
    static const std::set<std::string> yes{"yes", "on", "true", "1"}, no{"no", "off", "false", "0"};
    if (yes.count(text) > 0) return true;
    if (no.count(text) > 0) return false;
    Fail(key + " needs yes or no, not '" + text + "'");
  }

  // Exactly `count` words, or fails with "<key> needs <what>".
  std::vector<std::string> Expect(const std::string& key, std::string_view value, std::size_t count,
                                  const std::string& what) const {
    std::vector<std::string> words = Words(value);
    if (words.size() != count) Fail(key + " needs " + what + ", not '" + std::string(value) + "'");
    return words;
  }

  int line() const { return m_line; }

 private:
  const std::string& m_fileName;
  int m_line;
};

// The largest extent of the ground along either side.
constexpr double kLargestSide = 1e6;

}  // namespace

ForestDescription ParseForestDescription(std::string_view text, const std::string& fileName,
                                         const std::string& folder) {
  ForestDescription forest;
  forest.fileName = fileName;
  forest.folder = folder;
  std::map<std::string, int> seen;  // forest-wide keys and the line that gave them
  std::set<std::string> speciesKeys;
  int densityLine = 0;
  double density = 0.0;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    line = Trimmed(line);
    if (line.empty()) continue;
    const LineReader reader(fileName, lineNumber);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
      reader.Fail("expected 'key = value', not '" + std::string(line) + "'");
    const std::string key(Trimmed(line.substr(0, equals)));
    const std::string_view value = Trimmed(line.substr(equals + 1));
    if (value.empty()) reader.Fail(key + " has no value");

    // Keys of a species apply to the species line above them.
    if (key == "species") {
      forest.species.push_back(ForestSpecies{std::string(value), 1.0, 1, lineNumber});
      speciesKeys.clear();
      continue;
    }
    if (key == "weight" || key == "variants") {
      if (forest.species.empty()) reader.Fail(key + " belongs to a species: put it below a 'species =' line");
      if (!speciesKeys.insert(key).second) reader.Fail(key + " is given twice for one species");
      ForestSpecies& species = forest.species.back();
      const std::string word = reader.Expect(key, value, 1, "one number")[0];
      if (key == "weight")
        species.weight = reader.Real(key, word, 1e-9, 1e9);
      else
        species.variants = static_cast<int>(reader.Integer(key, word, 1, kMostVariants));
      continue;
    }

    const auto [previous, fresh] = seen.emplace(key, lineNumber);
    if (!fresh && (key == "seed" || key == "area" || key == "count" || key == "density" || key == "spacing" ||
                   key == "turn" || key == "scale" || key == "lod" || key == "lod-ratios" || key == "wind"))
      reader.Fail(key + " is given twice (first on line " + std::to_string(previous->second) + ")");
    if (key == "seed") {
      forest.seed =
          static_cast<int>(reader.Integer(key, reader.Expect(key, value, 1, "one number")[0],
                                          std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    } else if (key == "area") {
      std::vector<std::string> words = Words(value);
      if (words.size() == 3 && (words[1] == "x" || words[1] == "*")) words.erase(words.begin() + 1);
      if (words.size() == 1) {  // "30x20"
        const std::size_t x = words[0].find_first_of("x*");
        if (x != std::string::npos) words = {words[0].substr(0, x), words[0].substr(x + 1)};
      }
      if (words.size() != 2)
        reader.Fail("area needs a width and a depth such as 30 x 20, not '" + std::string(value) + "'");
      forest.width = reader.Real("the area's width", words[0], 1e-6, kLargestSide);
      forest.depth = reader.Real("the area's depth", words[1], 1e-6, kLargestSide);
      forest.areaLine = lineNumber;
    } else if (key == "count") {
      forest.count = reader.Integer(key, reader.Expect(key, value, 1, "one number")[0], 1, kMostInstances);
      forest.countLine = lineNumber;
    } else if (key == "density") {
      density = reader.Real(key, reader.Expect(key, value, 1, "one number")[0], 1e-12, 1e6);
      densityLine = lineNumber;
    } else if (key == "spacing") {
      forest.spacing = reader.Real(key, reader.Expect(key, value, 1, "one number")[0], 0.0, kLargestSide);
      forest.spacingLine = lineNumber;
    } else if (key == "turn") {
      forest.turnDegrees = reader.Real(key, reader.Expect(key, value, 1, "an angle in degrees")[0], 0, 360);
    } else if (key == "scale") {
      const std::vector<std::string> words = Words(value);
      if (words.empty() || words.size() > 2)
        reader.Fail("scale needs one factor or a range such as 0.8 1.25, not '" + std::string(value) + "'");
      forest.scaleLow = reader.Real(key, words.front(), 1e-3, 1e3);
      forest.scaleHigh = reader.Real(key, words.back(), 1e-3, 1e3);
      if (forest.scaleHigh < forest.scaleLow)
        reader.Fail("scale's range runs from the smaller factor to the larger, not '" + std::string(value) +
                    "'");
    } else if (key == "lod") {
      forest.lod = reader.YesNo(key, std::string(value));
    } else if (key == "lod-ratios") {
      const std::vector<std::string> words = reader.Expect(key, value, 2, "two shares such as 0.4, 0.15");
      forest.chain.firstShare = reader.Real(key, words[0], 1e-6, 1.0);
      forest.chain.secondShare = reader.Real(key, words[1], 1e-6, 1.0);
      if (forest.chain.secondShare > forest.chain.firstShare)
        reader.Fail("lod-ratios: the second share may not exceed the first, as in 0.4, 0.15, not '" +
                    std::string(value) + "'");
    } else if (key == "wind") {
      forest.wind = reader.YesNo(key, std::string(value));
    } else {
      reader.Fail(
          "unknown key '" + key +
          "' (known: species, weight, variants, seed, area, count, density, spacing, turn, scale, lod, "
          "lod-ratios, wind)");
    }
  }

  const auto fail = [&fileName](const std::string& reason) { throw ForestError(fileName + ": " + reason); };
  if (forest.species.empty()) fail("no species: add a line such as 'species = conifer'");
  if (forest.areaLine == 0) fail("no area: add a line such as 'area = 30 x 20'");
  if (forest.countLine != 0 && densityLine != 0)
    throw ForestError(fileName + ", line " + std::to_string(std::max(forest.countLine, densityLine)) +
                      ": give a count or a density, not both");
  if (densityLine != 0) {
    const double count = std::round(density * forest.width * forest.depth);
    if (count < 1 || count > static_cast<double>(kMostInstances))
      throw ForestError(fileName + ", line " + std::to_string(densityLine) + ": a density of " +
                        std::to_string(density) + " on this area gives " + std::to_string(count) +
                        " trees; it must give 1 to " + std::to_string(kMostInstances));
    forest.count = static_cast<long long>(count);
    forest.countLine = densityLine;
  }
  if (forest.countLine == 0) fail("no count: add a line such as 'count = 300' or 'density = 0.5'");
  if (const auto ratios = seen.find("lod-ratios"); ratios != seen.end() && !forest.lod)
    throw ForestError(fileName + ", line " + std::to_string(ratios->second) +
                      ": lod-ratios needs 'lod = yes'");
  return forest;
}

std::string ReadForestDescriptionText(const std::string& path) {
  try {
    InputFile file(path);
    const std::vector<std::uint8_t> bytes = file.ReadAll();
    return std::string(bytes.begin(), bytes.end());
  } catch (const InputFileError& error) {
    throw FileError("cannot read the forest description '" + path + "': " + error.reason());
  }
}

ForestDescription ReadForestDescription(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return ParseForestDescription(ReadForestDescriptionText(path), path,
                                slash == std::string::npos ? "" : path.substr(0, slash + 1));
}

}  // namespace vh
