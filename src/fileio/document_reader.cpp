#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string_view>
#include <utility>

#include "fileio/document.h"
#include "fileio/document_error.h"
#include "fileio/document_format.h"
#include "fileio/document_pictures.h"
#include "foundations/input_file.h"
#include "tree/parameter_table.h"

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
    throw DocumentError(m_name, m_tokenLine, reason + m_doubt);
  }

  // Adds `doubt` to every later failure's message.
  void Doubt(const std::string& doubt) { m_doubt = doubt; }

  // The next white-space separated word; fails at the end of the document.
  std::string Word(const std::string& what) {
    SkipSpace(what);
    std::string word;
    for (int c = Peek(); c != EOF && !IsSpace(c); c = Peek()) {
      if (word.size() == kMaxWordLength) Fail("expected " + what + ", found a word of over 256 characters");
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
      if (name.size() == kMaxNameLength) Fail(what + " is longer than 65536 characters");
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

  float Real(const std::string& what) { return Number<float>(what); }
  double Double(const std::string& what) { return Number<double>(what); }

  template <class T>
  T Number(const std::string& what) {
    const std::string word = Word(what);
    const char* first = word.data();
    const char* last = first + word.size();
    if (first != last && *first == '+') ++first;
    T value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range || (error == std::errc() && !std::isfinite(value)))
      Fail("the value " + Quoted(word) + " of " + what + " is not a finite number");
    if (error != std::errc() || end != last || first == last)
      Fail("expected " + what + " (a number), found " + Quoted(word));
    return value;
  }

  // Whether the next word is `word`. Reads at most one character past it,
  // and never fails: what follows the last level block may be anything.
  bool NextWordIs(std::string_view word) {
    while (IsSpace(Peek())) Get();
    m_tokenLine = m_line;
    for (const char c : word) {
      if (Peek() != static_cast<unsigned char>(c)) return false;
      Get();
    }
    return Peek() == EOF || IsSpace(Peek());
  }

  // Skips integers up to and including `marker`.
  void SkipTo(int marker, const std::string& block) {
    while (Integer("the end-of-block marker " + std::to_string(marker) + " of " + block) != marker) {
    }
  }

  static std::string Quoted(const std::string& word) {
    std::string shown;
    for (unsigned char c : word.substr(0, 40)) shown += (c < ' ' || c >= 0x7F) ? '?' : static_cast<char>(c);
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
  std::string m_doubt;
  int m_line = 1;
  int m_tokenLine = 1;
};

Vector2 OutlinePoint(Scanner& in, const std::string& what, float limit) {
  Vector2 p;
  p.x = in.Real(what);
  p.y = in.Real(what);
  if (std::fabs(p.x) > limit || std::fabs(p.y) > limit)
    in.Fail("the " + what + " lies outside -" + std::to_string(static_cast<long>(limit)) + ".." +
            std::to_string(static_cast<long>(limit)));
  return p;
}

// Reads one line per field of `fields` into `record`; `suffix` follows
// each field's name in messages.
template <class Record, std::size_t N>
void ReadFields(Scanner& in, Record& record, const std::array<ParameterField<Record>, N>& fields,
                const std::string& suffix) {
  for (const ParameterField<Record>& field : fields) {
    const std::string what = field.name + suffix;
    switch (field.kind) {
      case FieldKind::kName: {
        std::string name = in.Name(what);
        record.*field.text = name == kNoName ? std::string() : std::move(name);
        break;
      }
      case FieldKind::kFlag:
        record.*field.flag = in.Integer(what) != 0;
        break;
      case FieldKind::kInteger: {
        const int value = Guarded(field, in.Integer(what));
        const IntRange& range = field.accepted;
        if (!range.Contains(value))
          in.Fail("the value " + std::to_string(value) + " of " + what + " is outside " +
                  std::to_string(range.minimum) + ".." + std::to_string(range.maximum));
        record.*field.integer = value;
        break;
      }
    }
  }
}

// One line of the hand-edit section: kind, place, values.
HandEdit ReadHandEdit(Scanner& in, int number) {
  const std::string what = "hand edit " + std::to_string(number);
  HandEdit edit;
  const std::string kind = in.Word(what);
  if (!HandEditKindFromName(kind, edit.kind))
    in.Fail("expected " + what + " (remove, turn or length), found " + Scanner::Quoted(kind));
  const std::string place = in.Word("the branch of " + what);
  if (!ParseBranchPath(place, edit.branch))
    in.Fail("the branch of " + what + ", " + Scanner::Quoted(place) +
            ", is not a place like 0/4/1 (at most 11 indices 0..999 joined by slashes)");
  if (edit.kind == HandEditKind::kTurn) {
    edit.around = in.Double("the angle around of " + what);
    edit.away = in.Double("the angle away of " + what);
  } else if (edit.kind == HandEditKind::kLength) {
    edit.factor = in.Double("the factor of " + what);
  }
  const std::string problem = CheckHandEdit(edit);
  if (!problem.empty()) in.Fail(what + ", " + problem);
  return edit;
}

// The optional hand-edit section, last. Unlike the older sections it is
// read strictly: its count and its closing marker must agree.
void ReadHandEditSection(Scanner& in, std::vector<HandEdit>& edits) {
  edits.clear();
  if (!in.NextWordIs(kHandEditSectionHeader)) return;
  const int count = in.Integer("the number of hand edits");
  if (count < 1 || count > kMaxHandEdits)
    in.Fail("the number of hand edits, " + std::to_string(count) + ", is outside 1.." +
            std::to_string(kMaxHandEdits));
  edits.reserve(static_cast<std::size_t>(count));
  for (int i = 1; i <= count; ++i) edits.push_back(ReadHandEdit(in, i));
  const std::string marker =
      in.Word("the end marker " + std::to_string(kHandEditSectionEnd) + " of the hand edits");
  if (marker != std::to_string(kHandEditSectionEnd))
    in.Fail("expected the end marker " + std::to_string(kHandEditSectionEnd) + " after " +
            std::to_string(count) + " hand edits, found " + Scanner::Quoted(marker));
}

// The optional wind section after the level blocks. Without it the tree
// does not sway. Anything else after the last level block is ignored, as
// it always was; a wind section that is cut short is an error.
void ReadWindSection(Scanner& in, WindSettings& wind) {
  wind = WindSettings();
  if (!in.NextWordIs(kWindSectionHeader)) return;
  ReadFields(in, wind, WindFields(), " in the wind section");
  in.SkipTo(kWindSectionEnd, "the wind section");
  wind.enabled = true;
}

}  // namespace

TreeParameters ParseDocument(std::istream& in, const std::string& sourceName, const TreeParameters& base) {
  TreeParameters params = base;
  Scanner scan(in, sourceName);
  // The header's three words are read and not checked, as ever; but a file
  // that does not start with them is likely no document at all (a list
  // saved under the extension), and a failure later says so.
  std::string header;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) header += ' ';
    header += scan.Word("the header \"Verdanthollow v2.0 File\"");
  }
  if (header != kDocumentHeader)
    scan.Doubt("; this does not look like a Verdanthollow document (its first line is not \"" +
               std::string(kDocumentHeader) + "\")");

  const int count = scan.Integer("the number of leaf outline points");
  if (count < 0 || count > kMaxOutlinePoints)
    scan.Fail("the number of leaf outline points, " + std::to_string(count) + ", is outside 0.." +
              std::to_string(kMaxOutlinePoints));
  params.leafOutline.clear();
  params.leafTexCoords.clear();
  for (int i = 0; i < count; ++i) {
    const std::string index = std::to_string(i);
    params.leafOutline.push_back(OutlinePoint(scan, "leaf outline point " + index, kMaxOutlineCoordinate));
    params.leafTexCoords.push_back(OutlinePoint(scan, "leaf texture coordinate " + index, kMaxTexCoord));
  }

  ReadFields(scan, params, GlobalFields(), "");
  scan.SkipTo(kGlobalBlockEnd, "the global block");

  for (int index = 0; index < kLevelCount; ++index) {
    const std::string level = "level " + std::to_string(index);
    ReadFields(scan, params.levels[index], LevelFields(), " of " + level);
    scan.SkipTo(kLevelBlockEnd, level);
  }
  ReadWindSection(scan, params.wind);
  ReadHandEditSection(scan, params.handEdits);
  return params;
}

TreeParameters ReadDocumentFile(const std::string& path, const TreeParameters& base) {
  InputFile file(path);
  TreeParameters params = ParseDocument(file.Stream(), path, base);
  ResolvePictureNames(params, std::filesystem::path(path).parent_path().string());
  return params;
}

}  // namespace vh
