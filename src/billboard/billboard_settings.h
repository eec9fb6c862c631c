// The settings of a billboard cloud and their table: one entry per
// setting, giving how messages, the command-line tool and the Python module
// name it and the values it accepts. The cloud's checks, the tool's options,
// the module's keywords and the "Level of detail" page's controls all work
// from it, so that they cannot disagree.
#pragma once

#include <array>

#include "tree/parameter_table.h"

namespace vh {

// "Geometry vs Billboards": the index of the chosen item.
enum class BillboardMode : int {
  kGeometryForBranches = 0,  // "Geometry for branches, billboards for leaves"
  kBillboardsForAll = 1,     // "Billboards for branches and leaves"
};

// The six inputs of the "Level of detail" page, with the controls' defaults.
struct BillboardSettings {
  int precision = 50;           // 1..500: candidate planes tried per billboard
  int billboardCount = 10;      // 1..100: cluster distance threshold 100 / count
  bool favourVertical = false;  // weight candidate planes by how vertical they are
  BillboardMode mode = BillboardMode::kGeometryForBranches;
  int textureQuality = 7;      // 1..15: quality x 0.17 pixels per tree unit
  int textureResolution = 11;  // 5..12: output textures are 2^resolution square
};

// A setting of the table, in the order of the command-line options.
enum class BillboardSetting {
  kCount,
  kPrecision,
  kMode,
  kFavourVertical,
  kTextureQuality,
  kTextureResolution
};

// How a setting is given: a whole number, or a flag (0 or 1) that the
// command-line tool takes as an option without a value.
enum class BillboardSettingKind { kInteger, kFlag };

struct BillboardSettingField {
  BillboardSetting setting;
  const char* name;     // how messages name it: "billboard count"
  const char* option;   // the command-line option: "--count"
  const char* keyword;  // the Python module's keyword: "count"
  BillboardSettingKind kind = BillboardSettingKind::kInteger;
  IntRange accepted;
  int BillboardSettings::*integer = nullptr;  // the member of a whole number; the mode and the flag have none

  // The setting's value in `settings`, and setting it there (a flag: any
  // value but 0 sets it).
  int Get(const BillboardSettings& settings) const;
  void Set(BillboardSettings& settings, int value) const;
  // The value of a default BillboardSettings, the controls' initial one.
  int Initial() const { return Get(BillboardSettings{}); }
};

inline constexpr int kBillboardSettingCount = 6;

// Every setting, in the order of BillboardSetting.
const std::array<BillboardSettingField, kBillboardSettingCount>& BillboardSettingFields();
const BillboardSettingField& FieldOf(BillboardSetting setting);

// Throws std::runtime_error "Billboard cloud: <name> <value> is outside
// <low>..<high>" for the first setting outside its range.
void CheckBillboardSettings(const BillboardSettings& settings);

}  // namespace vh
