// A page whose controls show fields of the tree's parameter set that are
// not per level (the leaf and texture settings). The "Branches" page's
// LoadLevelControls and StoreControls move them through this interface, so
// that those routines need not know the other pages' widgets.
#pragma once

namespace vh {
struct TreeParameters;
}

class ParameterPage {
 public:
  virtual ~ParameterPage() = default;
  // Sets the page's controls from the parameter set. Their change handlers
  // run as after any change (the caller has unticked "AutoUpdate").
  virtual void LoadGlobals(const vh::TreeParameters& params) = 0;
  // Copies the page's controls into the parameter set.
  virtual void StoreGlobals(vh::TreeParameters& params) const = 0;
};
