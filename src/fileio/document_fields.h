// The fields of a tree document's level block, in file order, shared by the
// writer and the reader so that the two can never disagree on the order.
#pragma once

#include <array>

#include "tree/tree.h"

namespace vh {

// One line of a level block: an integer field or a flag (exactly one of the
// two members is set). Values outside [minimum, maximum] are refused when
// read: those limits lie beyond what the controls offer and only keep out
// values that would make generation divide by zero, produce NaN, read a
// missing record or allocate without bound.
struct LevelField {
  const char* name;
  int LevelParameters::*integer;
  bool LevelParameters::*flag;
  int minimum;
  int maximum;
};

inline constexpr int kLevelFieldCount = 26;  // the 27th line is the 667 marker

const std::array<LevelField, kLevelFieldCount>& LevelFields();

// Sentinels closing the global block and each level block.
inline constexpr int kGlobalBlockEnd = 666;
inline constexpr int kLevelBlockEnd = 667;

inline constexpr char kDocumentHeader[] = "Verdanthollow v2.0 File";

}  // namespace vh
