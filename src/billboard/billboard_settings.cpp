#include "billboard/billboard_settings.h"

#include <stdexcept>
#include <string>

namespace vh {
namespace {

using S = BillboardSettings;
using Kind = BillboardSettingKind;

constexpr BillboardSettingField Field(BillboardSetting setting, const char* name, const char* option,
                                      const char* keyword, IntRange accepted, int S::*integer = nullptr,
                                      Kind kind = Kind::kInteger) {
  return {setting, name, option, keyword, kind, accepted, integer};
}

// The ranges are those of the page's controls: a count beyond 100 makes
// the clusters thinner than the leaves, a resolution beyond 12 an atlas
// larger than the pictures can fill.
const std::array<BillboardSettingField, kBillboardSettingCount> kFields = {{
    Field(BillboardSetting::kCount, "billboard count", "--count", "count", {1, 100}, &S::billboardCount),
    Field(BillboardSetting::kPrecision, "precision", "--precision", "precision", {1, 500}, &S::precision),
    Field(BillboardSetting::kMode, "mode", "--mode", "mode", {0, 1}),
    Field(BillboardSetting::kFavourVertical, "favour vertical", "--favour-vertical", "favour_vertical",
          {0, 1}, nullptr, Kind::kFlag),
    Field(BillboardSetting::kTextureQuality, "texture quality", "--quality", "quality", {1, 15},
          &S::textureQuality),
    Field(BillboardSetting::kTextureResolution, "texture resolution", "--resolution", "resolution", {5, 12},
          &S::textureResolution),
}};

}  // namespace

const std::array<BillboardSettingField, kBillboardSettingCount>& BillboardSettingFields() { return kFields; }

int BillboardSettingField::Get(const BillboardSettings& settings) const {
  if (integer != nullptr) return settings.*integer;
  if (setting == BillboardSetting::kMode) return static_cast<int>(settings.mode);
  return settings.favourVertical ? 1 : 0;
}

void BillboardSettingField::Set(BillboardSettings& settings, int value) const {
  if (integer != nullptr) {
    settings.*integer = value;
  } else if (setting == BillboardSetting::kMode) {
    settings.mode = static_cast<BillboardMode>(value);
  } else {
    settings.favourVertical = value != 0;
  }
}

const BillboardSettingField& FieldOf(BillboardSetting setting) {
  return kFields[static_cast<std::size_t>(setting)];
}

void CheckBillboardSettings(const BillboardSettings& settings) {
  for (const BillboardSettingField& field : kFields) {
    const int value = field.Get(settings);
    if (!field.accepted.Contains(value))
      throw std::runtime_error(std::string("Billboard cloud: ") + field.name + " " + std::to_string(value) +
                               " is outside " + std::to_string(field.accepted.minimum) + ".." +
                               std::to_string(field.accepted.maximum));
  }
}

}  // namespace vh
