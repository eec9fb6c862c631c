#include "bark/truncation.h"

namespace vh {

bool HasTruncatingStore() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse3") != 0;
  }();
  return has;
}

}  // namespace vh
