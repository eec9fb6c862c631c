#include <charconv>
#include <cmath>
#include <stdexcept>

#include "fileio/document.h"
#include "fileio/document_format.h"
#include "fileio/fixed_format.h"
#include "foundations/atomic_file.h"
#include "tree/parameter_table.h"

namespace vh {
namespace {

void Line(std::string& out, long long value) {
  char buffer[24];
  out.append(buffer, FormatSigned(buffer, value));
  out += '\n';
}

void Point(std::string& out, const Vector2& p, const char* what, std::size_t index) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y))
    throw std::runtime_error(std::string("cannot save the tree: ") + what + " " + std::to_string(index) +
                             " is not a finite number");
  char buffer[2 * kMaxFixed6Length + 2];
  char* end = FormatFixed6(buffer, p.x);
  *end++ = ' ';
  end = FormatFixed6(end, p.y);
  out.append(buffer, end);
  out += '\n';
}

// The reader takes a name as a whole line, trimmed; a name it would read
// differently cannot be saved as it is.
bool IsTrimmed(unsigned char c) { return c <= ' ' || c == 0x7F; }

void Name(std::string& out, const std::string& name, const char* what) {
  if (name.find('\n') != std::string::npos)
    throw std::runtime_error(std::string("cannot save the tree: ") + what + " contains a line break");
  bool blank = true;
  for (unsigned char c : name) blank = blank && IsTrimmed(c);
  out += blank ? std::string(kNoName) : name;
  out += '\n';
}

// Writes one line per field of `fields` from `record`.
template <class Record, std::size_t N>
void WriteFields(std::string& out, const Record& record,
                 const std::array<ParameterField<Record>, N>& fields) {
  for (const ParameterField<Record>& field : fields) {
    switch (field.kind) {
      case FieldKind::kName:
        Name(out, record.*field.text, field.name);
        break;
      case FieldKind::kFlag:
        Line(out, record.*field.flag ? 1 : 0);
        break;
      case FieldKind::kInteger:
        Line(out, record.*field.integer);
        break;
    }
  }
}

// The shortest text that reads back as exactly `value`.
void Number(std::string& out, double value) {
  char buffer[32];
  out += ' ';
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

void HandEditSection(std::string& out, const std::vector<HandEdit>& edits) {
  const std::string problem = CheckHandEdits(edits);
  if (!problem.empty()) throw std::runtime_error("cannot save the tree: " + problem);
  out += kHandEditSectionHeader;
  out += '\n';
  Line(out, static_cast<long long>(edits.size()));
  for (const HandEdit& edit : edits) {
    out += HandEditKindName(edit.kind);
    out += ' ';
    out += FormatBranchPath(edit.branch);
    if (edit.kind == HandEditKind::kTurn) {
      Number(out, edit.around);
      Number(out, edit.away);
    } else if (edit.kind == HandEditKind::kLength) {
      Number(out, edit.factor);
    }
    out += '\n';
  }
  Line(out, kHandEditSectionEnd);
}

}  // namespace

std::string FormatDocument(const TreeParameters& params) {
  if (params.leafOutline.size() != params.leafTexCoords.size())
    throw std::runtime_error("cannot save the tree: the leaf outline has " +
                             std::to_string(params.leafOutline.size()) + " points but " +
                             std::to_string(params.leafTexCoords.size()) + " texture coordinates");
  std::string out;
  out.reserve(4096 + params.leafOutline.size() * 48);
  out += kDocumentHeader;
  out += '\n';
  Line(out, static_cast<long long>(params.leafOutline.size()));
  for (std::size_t i = 0; i < params.leafOutline.size(); ++i) {
    Point(out, params.leafOutline[i], "leaf outline point", i);
    Point(out, params.leafTexCoords[i], "leaf texture coordinate", i);
  }
  WriteFields(out, params, GlobalFields());
  Line(out, kGlobalBlockEnd);
  for (const LevelParameters& level : params.levels) {
    WriteFields(out, level, LevelFields());
    Line(out, kLevelBlockEnd);
  }
  // Only a tree that sways carries a wind section, so every document
  // without wind stays as it always was.
  if (params.wind.enabled) {
    out += kWindSectionHeader;
    out += '\n';
    WriteFields(out, params.wind, WindFields());
    Line(out, kWindSectionEnd);
  }
  // Likewise only a tree with hand edits carries their section.
  if (!params.handEdits.empty()) HandEditSection(out, params.handEdits);
  return out;
}

void SaveDocument(const TreeParameters& params, const std::string& path) {
  const std::string text = FormatDocument(params);
  AtomicFile file(path);
  file.Write(text);
  file.Commit();
}

}  // namespace vh
