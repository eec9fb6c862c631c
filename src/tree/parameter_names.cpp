#include "tree/parameter_names.h"

#include <cctype>
#include <cstddef>
#include <type_traits>
#include <utility>

namespace vh {
namespace {

using T = TreeParameters;

// The global names and flags are named in the table as sentences for the
// document reader's messages; scripts know them by their members' names.
const std::pair<std::string T::*, const char*> kGlobalTextNames[] = {
    {&T::barkTextureFile, "barkTextureFile"},
    {&T::leafTextureFile, "leafTextureFile"},
    {&T::materialPrefix, "materialPrefix"},
};
const std::pair<bool T::*, const char*> kGlobalFlagNames[] = {
    {&T::barkTextureLoaded, "barkTextureLoaded"},
    {&T::leafTextureLoaded, "leafTextureLoaded"},
    {&T::noLeavesOnTrunk, "noLeavesOnTrunk"},
};

template <class Member, std::size_t N>
const char* Lookup(const std::pair<Member, const char*> (&names)[N], Member member) {
  for (const auto& [candidate, name] : names) {
    if (candidate == member) return name;
  }
  throw std::logic_error("a global parameter without a name for scripts");
}

const char* MemberName(const GlobalField& field) {
  switch (field.kind) {
    case FieldKind::kName:
      return Lookup(kGlobalTextNames, field.text);
    case FieldKind::kFlag:
      return Lookup(kGlobalFlagNames, field.flag);
    case FieldKind::kInteger:
      break;
  }
  return field.name;
}
const char* MemberName(const LevelField& field) { return field.name; }

// "leafTexTranslateX" -> "leaf tex translate x".
std::string Words(const char* camelCase) {
  std::string words;
  for (const char* c = camelCase; *c != '\0'; ++c) {
    const unsigned char letter = static_cast<unsigned char>(*c);
    if (std::isupper(letter) && !words.empty()) words += ' ';
    words += static_cast<char>(std::tolower(letter));
  }
  return words;
}

// What lookups compare: lower case without separators.
std::string Folded(const std::string& name) {
  std::string folded;
  for (const char c : name) {
    if (c == ' ' || c == '_' || c == '-') continue;
    folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return folded;
}

template <class Field, std::size_t N>
std::vector<std::string> NamesOf(const std::array<Field, N>& fields) {
  std::vector<std::string> names;
  for (const Field& field : fields) names.push_back(Words(MemberName(field)));
  return names;
}

template <class Field, std::size_t N>
const Field& FindField(const std::array<Field, N>& fields, const std::string& name, const char* whose) {
  const std::string wanted = Folded(name);
  for (const Field& field : fields) {
    if (!wanted.empty() && Folded(MemberName(field)) == wanted) return field;
  }
  std::string known;
  for (const std::string& candidate : NamesOf(fields)) known += (known.empty() ? "" : ", ") + candidate;
  throw UnknownParameter("there is no parameter '" + name + "'; " + whose + " are: " + known);
}

const char* KindText(FieldKind kind) {
  switch (kind) {
    case FieldKind::kInteger:
      return "an integer";
    case FieldKind::kFlag:
      return "a flag (true or false)";
    case FieldKind::kName:
      return "a name";
  }
  return "";
}

template <class Field>
[[noreturn]] void ThrowKind(const Field& field, const std::string& where) {
  throw ParameterKindError(where + Words(MemberName(field)) + " takes " + KindText(field.kind));
}

template <class Record, class Field>
ParameterValue Get(const Record& record, const Field& field) {
  switch (field.kind) {
    case FieldKind::kInteger:
      return static_cast<long long>(record.*field.integer);
    case FieldKind::kFlag:
      return record.*field.flag;
    case FieldKind::kName:
      break;
  }
  if constexpr (std::is_same_v<Record, TreeParameters>) return record.*field.text;
  return {};
}

// `where` prefixes messages ("level 2: " or nothing).
template <class Record, class Field>
void Set(Record& record, const Field& field, const ParameterValue& value, const std::string& where) {
  const std::string name = Words(MemberName(field));
  switch (field.kind) {
    case FieldKind::kInteger: {
      const long long* number = std::get_if<long long>(&value);
      if (number == nullptr) ThrowKind(field, where);
      const long long guarded = *number == 0 && field.zeroMeans != 0 ? field.zeroMeans : *number;
      if (guarded < field.accepted.minimum || guarded > field.accepted.maximum)
        throw std::invalid_argument(where + name + " " + std::to_string(*number) + " must lie between " +
                                    std::to_string(field.accepted.minimum) + " and " +
                                    std::to_string(field.accepted.maximum));
      record.*field.integer = static_cast<int>(guarded);
      return;
    }
    case FieldKind::kFlag: {
      const bool* flag = std::get_if<bool>(&value);
      if (flag == nullptr) ThrowKind(field, where);
      record.*field.flag = *flag;
      return;
    }
    case FieldKind::kName:
      break;
  }
  if constexpr (std::is_same_v<Record, TreeParameters>) {
    const std::string* text = std::get_if<std::string>(&value);
    if (text == nullptr) ThrowKind(field, where);
    // A document holds a name as one line.
    if (text->find_first_of("\r\n") != std::string::npos)
      throw std::invalid_argument(where + name + " cannot hold a line break");
    record.*field.text = *text;
  }
}

template <class Field, std::size_t N>
IntRange RangeOf(const std::array<Field, N>& fields, const std::string& name, const char* whose) {
  const Field& field = FindField(fields, name, whose);
  if (field.kind != FieldKind::kInteger)
    throw UnknownParameter("'" + name + "' is not an integer parameter: it takes " + KindText(field.kind));
  return field.accepted;
}

constexpr const char* kGlobalWhose = "the tree's parameters";
constexpr const char* kLevelWhose = "a level's parameters";

std::string LevelPrefix(const LevelParameters& level) {
  return "level " + std::to_string(level.levelIndex + 1) + ": ";
}

}  // namespace

std::vector<std::string> GlobalParameterNames() { return NamesOf(GlobalFields()); }
std::vector<std::string> LevelParameterNames() { return NamesOf(LevelFields()); }

IntRange GlobalParameterRange(const std::string& name) { return RangeOf(GlobalFields(), name, kGlobalWhose); }
IntRange LevelParameterRange(const std::string& name) { return RangeOf(LevelFields(), name, kLevelWhose); }

ParameterValue GetParameter(const TreeParameters& params, const std::string& name) {
  return Get(params, FindField(GlobalFields(), name, kGlobalWhose));
}

void SetParameter(TreeParameters& params, const std::string& name, const ParameterValue& value) {
  Set(params, FindField(GlobalFields(), name, kGlobalWhose), value, "");
}

ParameterValue GetLevelParameter(const LevelParameters& level, const std::string& name) {
  return Get(level, FindField(LevelFields(), name, kLevelWhose));
}

void SetLevelParameter(LevelParameters& level, const std::string& name, const ParameterValue& value) {
  Set(level, FindField(LevelFields(), name, kLevelWhose), value, LevelPrefix(level));
}

}  // namespace vh
