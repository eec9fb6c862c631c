#include "view/look.h"

#include <cctype>

namespace vh {

const char* LookName(Look look) { return look == Look::kRealistic ? "realistic" : "classic"; }

std::optional<Look> ParseLook(std::string_view name) {
  for (Look look : {Look::kClassic, Look::kRealistic}) {
    const std::string_view known = LookName(look);
    if (known.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(name[i])) == known[i];
    if (same) return look;
  }
  return std::nullopt;
}

}  // namespace vh
