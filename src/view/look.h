// The two looks of the view: the fixed-function "Classic" look, and the
// shader look "Realistic" (realistic_renderer.h). Named in lower case on
// command lines and in the program's settings.
#pragma once

#include <optional>
#include <string_view>

namespace vh {

enum class Look { kClassic, kRealistic };

// "classic" or "realistic".
const char* LookName(Look look);
// The look of that name, in any case; none for any other text.
std::optional<Look> ParseLook(std::string_view name);

}  // namespace vh
