// The parameter table: one entry per field of a tree document, giving its
// name, the member that holds it, its place in the document, the values
// accepted for it, the guard for a value only documents hold, and the range
// the editing controls offer. The document reader and writer, CheckGrowable
// and the parameter pages all work from it, so that they cannot disagree.
//
// A document is the leaf outline, then the global block (GlobalFields() in
// order, one line each), then one block per level record (LevelFields() in
// order), then, only while wind is on, the wind section (WindFields() in
// order). Reordering any table changes the file format.
#pragma once

#include <array>
#include <climits>
#include <string>

#include "tree/tree.h"

namespace vh {

// A closed range of whole numbers.
struct IntRange {
  int minimum = INT_MIN;
  int maximum = INT_MAX;
  bool Contains(int value) const { return value >= minimum && value <= maximum; }
};

// What an editing control (a slider) offers for an integer field: positions
// minimum..maximum standing for the values position + offset, and the
// position it has before any parameter set is shown. All zero for a field
// that no slider edits.
struct ControlRange {
  int minimum = 0;
  int maximum = 0;
  int initial = 0;
  int offset = 0;
};

// How a field is written: an integer, a flag (an integer, 0 for false) or a
// name (a whole line).
enum class FieldKind { kInteger, kFlag, kName };

// One field of `Record` (TreeParameters or LevelParameters). Exactly the
// member of its kind is set.
template <class Record>
struct ParameterField {
  const char* name = "";  // how messages name it: "qualityHeight", "the seed"...
  FieldKind kind = FieldKind::kInteger;
  int Record::*integer = nullptr;
  bool Record::*flag = nullptr;
  std::string Record::*text = nullptr;
  // Integers: the values documents may hold and generation accepts. The
  // limits lie beyond what the controls offer and only keep out values that
  // would make generation divide by zero, produce NaN, read a missing level
  // record or allocate without bound.
  IntRange accepted;
  // Integers: a 0 in a document stands for this value (0: no guard). The
  // reader applies it, so that what is loaded is what is grown and saved.
  int zeroMeans = 0;
  ControlRange control;
};

using GlobalField = ParameterField<TreeParameters>;
using LevelField = ParameterField<LevelParameters>;
using WindField = ParameterField<WindSettings>;

inline constexpr int kGlobalFieldCount = 15;
inline constexpr int kLevelFieldCount = 26;
inline constexpr int kWindFieldCount = 6;

// The global block after the leaf outline, in document order.
const std::array<GlobalField, kGlobalFieldCount>& GlobalFields();
// A level block, in document order.
const std::array<LevelField, kLevelFieldCount>& LevelFields();
// The wind section, in document order (its presence is the `enabled` flag).
const std::array<WindField, kWindFieldCount>& WindFields();

// The entry of a member; the member must have one (every member but
// LevelParameters::levelIndex and the leaf outline lists does).
const GlobalField& FieldOf(int TreeParameters::*member);
const LevelField& FieldOf(int LevelParameters::*member);
const LevelField& FieldOf(bool LevelParameters::*member);

// The guards: a 0 in a field that has one stands for its guard value. The
// document reader applies them to what it reads, so that a document is
// saved back as it was grown; generation applies them to its own copy of
// the level records, so that a parameter set made in code grows the same.
int Guarded(const GlobalField& field, int value);
int Guarded(const LevelField& field, int value);
int Guarded(const WindField& field, int value);
LevelParameters Guarded(const LevelParameters& level);

// Why a parameter set cannot be grown (an empty string when it can): an
// integer that, guarded, lies outside its accepted range, naming the field
// and, for a level record, the level (counted from 1, as the level tabs are),
// or a hand edit that no tree can take (CheckHandEdits, tree/hand_edits.h).
std::string CheckGrowable(const TreeParameters& params);

}  // namespace vh
