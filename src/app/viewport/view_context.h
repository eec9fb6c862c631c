// The view's GL context as the parts that draw in it offscreen see it (the
// billboard pictures of the "Level of detail" page): current on request,
// with the display lists that belong to it, and nothing else of the view.
#pragma once

#include <functional>

namespace vh {
class DrawListCache;
}

class ViewContext {
 public:
  // Makes the view's GL context current and runs `work` with the display
  // lists of that context. Returns false, without running it, when there is
  // no working context.
  virtual bool RunInContext(const std::function<void(vh::DrawListCache& lists)>& work) = 0;

 protected:
  ~ViewContext() = default;
};
