// The fixed text of a tree document around its fields (see the parameter
// table, tree/parameter_table.h, for the fields and their order).
#pragma once

namespace vh {

inline constexpr char kDocumentHeader[] = "Verdanthollow v2.0 File";

// Sentinels closing the global block and each level block.
inline constexpr int kGlobalBlockEnd = 666;
inline constexpr int kLevelBlockEnd = 667;

// The wind section that follows the level blocks while wind is on: this
// word on a line of its own, the wind fields, then the closing marker. A
// document without wind ends after its last level block, as it always has.
inline constexpr char kWindSectionHeader[] = "Wind";
inline constexpr int kWindSectionEnd = 668;

// The hand-edit section that follows them (and the wind section, if any)
// while the tree has hand edits: this word on a line of its own, the number
// of edits, one line per edit (its kind, its branch's place and its values:
// "remove 0/4/1", "turn 0/2 15 -10", "length 0/1/3 0.5"), then the closing
// marker. Values are written as the shortest text that reads back exactly.
inline constexpr char kHandEditSectionHeader[] = "HandEdits";
inline constexpr int kHandEditSectionEnd = 669;
// More edits than anyone makes by hand; keeps absurd documents out.
inline constexpr int kMaxHandEdits = 100000;

// How an empty name is written; read back, it is an empty name again.
inline constexpr char kNoName[] = "(null)";

}  // namespace vh
