// The billboard settings' table: each entry reads and writes its own
// setting, in the order of the settings, with the defaults of the page.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

#include "billboard/billboard_settings.h"

namespace vh {
namespace {

TEST(BillboardSettings, EachEntryReadsAndWritesItsOwnSetting) {
  std::set<std::string> options;
  for (const BillboardSettingField& field : BillboardSettingFields()) {
    SCOPED_TRACE(field.name);
    EXPECT_EQ(&FieldOf(field.setting), &field) << "in the order of BillboardSetting";
    EXPECT_TRUE(options.insert(field.option).second);
    // Its largest value lands in its own member and nowhere else.
    BillboardSettings settings;
    field.Set(settings, field.accepted.maximum);
    for (const BillboardSettingField& other : BillboardSettingFields())
      EXPECT_EQ(other.Get(settings), &other == &field ? field.accepted.maximum : other.Initial())
          << other.name;
    EXPECT_TRUE(field.accepted.Contains(field.Initial()));
  }
  const BillboardSettings defaults;
  EXPECT_EQ(FieldOf(BillboardSetting::kCount).Initial(), defaults.billboardCount);
  EXPECT_EQ(FieldOf(BillboardSetting::kTextureResolution).Initial(), 11);
  EXPECT_EQ(FieldOf(BillboardSetting::kFavourVertical).kind, BillboardSettingKind::kFlag);
}

TEST(BillboardSettings, AValueOutsideItsRangeIsNamed) {
  BillboardSettings settings;
  FieldOf(BillboardSetting::kTextureQuality).Set(settings, 16);
  try {
    CheckBillboardSettings(settings);
    FAIL() << "a quality of 16 is refused";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Billboard cloud: texture quality 16 is outside 1..15");
  }
}

}  // namespace
}  // namespace vh
