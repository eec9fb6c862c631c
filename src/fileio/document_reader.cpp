#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "fileio/document.h"
#include "fileio/document_error.h"
#include "fileio/document_fields.h"
#include "foundations/file_error.h"

namespace vh {
namespace {

// Bounds that only keep absurd documents out: no leaf editor draws 100000
// points, and outline coordinates are editor pixels.
constexpr long long kMaxOutlinePoints = 100000;
constexpr float kMaxOutlineCoordinate = 100000.0f;
constexpr float kMaxTexCoord = 1e6f;
// A name is read whole, however long, up to a size no file system allows.
constexpr std::size_t kMaxNameLength = 65536;
// Numbers are short; a longer word cannot be one.
constexpr std::size_t kMaxWordLength = 256;

bool IsSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsTrimmed(int c) { return (c >= 0 && c <= ' ') || c == 0x7F; }

// Reads the document character by character, counting lines for messages.
class Scanner {
 public:
  Scanner(std::istream& in, const std::string& name) : m_buffer(in.rdbuf()), m_name(name) {}

  [[noreturn]] void Fail(const std::string& reason) const {
    throw DocumentError(m_name, m_tokenLine, reason);
  }

  // The next white-space separated word; fails at the end of the document.
  std::string Word(const std::string& what) {
    SkipSpace(what);
    std::string word;
    for (int c = Peek(); c != EOF && !IsSpace(c); c = Peek()) {
      if (word.size() == kMaxWordLength)
        Fail("expected " + what + ", found a word of over 256 characters");
      word += static_cast<char>(Get());
    }
    return word;
  }

  // The rest of the line that starts at the next non-blank character,
  // trimmed of white space and control characters at both ends.
  std::string Name(const std::string& what) {
    SkipSpace(what);
    std::string name;
    for (int c = Peek(); c != EOF && c != '\n'; c = Peek()) {
      if (name.size() == kMaxNameLength) Fail("the " + what + " is longer than 65536 characters");
      name += static_cast<char>(Get());
    }
    std::size_t end = name.size();
    while (end > 0 && IsTrimmed(static_cast<unsigned char>(name[end - 1]))) --end;
    std::size_t begin = 0;
    while (begin < end && IsTrimmed(static_cast<unsigned char>(name[begin]))) ++begin;
    return name.substr(begin, end - begin);
  }

  int Integer(const std::string& what) {
    const std::string word = Word(what);
    const char* first = word.data();
    const char* last = first + word.size();
    if (first != last && *first == '+') ++first;  // as scanf's %d accepts it
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range)
      Fail("the value " + Quoted(word) + " of " + what + " is out of range");
    if (error != std::errc() || end != last || first == last)
      Fail("expected " + what + " (an integer), found " + Quoted(word));
    return value;
  }

  float Real(const std::string& what) {
    const std::string word = Word(what);
    const char* first = word.data();
    const char* last = first + word.size();
    if (first != last && *first == '+') ++first;
    float value = 0.0f;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range || (error == std::errc() && !std::isfinite(value)))
      Fail("the value " + Quoted(word) + " of " + what + " is not a finite number");
    if (error != std::errc() || end != last || first == last)
      Fail("expected " + what + " (a number), found " + Quoted(word));
    return value;
  }

  // Skips integers up to and including `marker`.
  void SkipTo(int marker, const std::string& block) {
    while (Integer("the end-of-block marker " + std::to_string(marker) + " of " + block) !=
           marker) {
    }
  }

  static std::string Quoted(const std::string& word) {
    std::string shown;
    for (unsigned char c : word.substr(0, 40))
      shown += (c < ' ' || c >= 0x7F) ? '?' : static_cast<char>(c);
    return "\"" + shown + (word.size() > 40 ? "...\"" : "\"");
  }

 private:
  int Peek() { return Normal(m_buffer->sgetc()); }
  int Get() {
    const int c = Normal(m_buffer->sbumpc());
    if (c == '\n') ++m_line;
    return c;
  }
  static int Normal(std::streambuf::int_type c) {
    return std::streambuf::traits_type::eq_int_type(c, std::streambuf::traits_type::eof())
               ? EOF
               : static_cast<unsigned char>(std::streambuf::traits_type::to_char_type(c));
  }
  void SkipSpace(const std::string& what) {
    while (IsSpace(Peek())) Get();
    m_tokenLine = m_line;
    if (Peek() == EOF) Fail("the document ends where " + what + " is due");
  }

  std::streambuf* m_buffer;
  const std::string& m_name;
  int m_line = 1;
  int m_tokenLine = 1;
};

int Bounded(Scanner& in, const std::string& what, int minimum, int maximum) {
  const int value = in.Integer(what);
  if (value < minimum || value > maximum)
    in.Fail("the value " + std::to_string(value) + " of " + what + " is outside " +
            std::to_string(minimum) + ".." + std::to_string(maximum));
  return value;
}

Vector2 OutlinePoint(Scanner& in, const std::string& what, float limit) {
  Vector2 p;
  p.x = in.Real(what);
  p.y = in.Real(what);
  if (std::fabs(p.x) > limit || std::fabs(p.y) > limit)
    in.Fail("the " + what + " lies outside -" + std::to_string(static_cast<long>(limit)) + ".." +
            std::to_string(static_cast<long>(limit)));
  return p;
}

void ReadLevel(Scanner& in, LevelParameters& level, int index) {
  const std::string suffix = " of level " + std::to_string(index);
  for (const LevelField& field : LevelFields()) {
    const std::string what = std::string(field.name) + suffix;
    if (field.flag != nullptr) {
      level.*field.flag = in.Integer(what) != 0;
    } else {
      level.*field.integer = Bounded(in, what, field.minimum, field.maximum);
    }
  }
  // The generator's guards for values only a document can hold.
  if (level.qualityHeight == 0) level.qualityHeight = 2;
  if (level.inflateDeflate == 0) level.inflateDeflate = 1;
  in.SkipTo(kLevelBlockEnd, "level " + std::to_string(index));
}

}  // namespace

TreeParameters ParseDocument(std::istream& in, const std::string& sourceName,
                             const TreeParameters& base) {
  TreeParameters params = base;
  Scanner scan(in, sourceName);
  for (int i = 0; i < 3; ++i) scan.Word("the header \"Verdanthollow v2.0 File\"");

  const int count = scan.Integer("the number of leaf outline points");
  if (count < 0 || count > kMaxOutlinePoints)
    scan.Fail("the number of leaf outline points, " + std::to_string(count) + ", is outside 0.." +
              std::to_string(kMaxOutlinePoints));
  params.leafOutline.clear();
  params.leafTexCoords.clear();
  for (int i = 0; i < count; ++i) {
    const std::string index = std::to_string(i);
    params.leafOutline.push_back(
        OutlinePoint(scan, "leaf outline point " + index, kMaxOutlineCoordinate));
    params.leafTexCoords.push_back(
        OutlinePoint(scan, "leaf texture coordinate " + index, kMaxTexCoord));
  }

  params.barkTextureFile = scan.Name("the bark texture file name");
  params.leafTextureFile = scan.Name("the leaf texture file name");
  params.materialPrefix = scan.Name("the material name prefix");
  params.barkTextureLoaded = scan.Integer("the bark-texture-loaded flag") != 0;
  params.leafTextureLoaded = scan.Integer("the leaf-texture-loaded flag") != 0;
  params.noLeavesOnTrunk = scan.Integer("the no-leaves-on-trunk flag") != 0;
  // -1..8: the deepest level, lastParentLevel + 1, must have a record, and
  // its children's records must exist too.
  params.lastParentLevel = Bounded(scan, "lastParentLevel", -1, 8);
  params.seed = scan.Integer("seed");
  params.leafBending = scan.Integer("leafBending");
  params.uScale = scan.Integer("uScale");
  params.vScale = scan.Integer("vScale");
  params.leafTexTranslateX = scan.Integer("leafTexTranslateX");
  params.leafTexTranslateY = scan.Integer("leafTexTranslateY");
  params.leafTexRotate = scan.Integer("leafTexRotate");
  params.leafTexScale = scan.Integer("leafTexScale");
  scan.SkipTo(kGlobalBlockEnd, "the global block");

  for (int index = 0; index < kLevelCount; ++index) ReadLevel(scan, params.levels[index], index);
  return params;
}

TreeParameters ReadDocumentFile(const std::string& path, const TreeParameters& base) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError("cannot open '" + path + "': " + std::strerror(errno));
  return ParseDocument(in, path, base);
}

}  // namespace vh
