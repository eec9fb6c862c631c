// Parameters by name, for scripts: every field of the parameter table
// (tree/parameter_table.h) under the words of its member's name, lower case
// ("baseLength" is "base length", "nbChildrenMax" "nb children max",
// "noLeavesOnTrunk" "no leaves on trunk"). Lookups ignore letter case,
// spaces, underscores and hyphens, so "nbChildrenMax" and "nb_children_max"
// find the same field. Values are checked against the table's accepted
// ranges and guarded as the document reader guards them, so that a set
// changed by name can always be grown and saved.
#pragma once

#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "tree/parameter_table.h"
#include "tree/tree.h"

namespace vh {

// The value of one parameter: a flag, an integer or a name (a whole line).
// Integers are wider than the fields so that a value too large for a field
// is reported with the field's limits rather than wrapped.
using ParameterValue = std::variant<bool, long long, std::string>;

// A name no parameter has; the message lists the names there are.
class UnknownParameter : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

// A value of the wrong kind for its parameter (a number for a flag, a name
// for an integer...); the message says which kind the parameter takes.
class ParameterKindError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The names of the global parameters and of a level's parameters, in
// document order.
std::vector<std::string> GlobalParameterNames();
std::vector<std::string> LevelParameterNames();

// The accepted range of an integer parameter, for help texts; throws
// UnknownParameter for a name that is not an integer parameter.
IntRange GlobalParameterRange(const std::string& name);
IntRange LevelParameterRange(const std::string& name);

// Reads a global parameter. Throws UnknownParameter.
ParameterValue GetParameter(const TreeParameters& params, const std::string& name);
// Writes a global parameter, leaving `params` as it was when it throws:
// UnknownParameter for an unknown name, ParameterKindError for a value of
// the wrong kind, std::invalid_argument for an integer outside the accepted
// range ("seed ... must lie between ...") or a name holding a line break.
// A 0 in a field with a guard is stored as its guard value.
void SetParameter(TreeParameters& params, const std::string& name, const ParameterValue& value);

// The same for the record of one level; messages name the level counted
// from 1 (its levelIndex + 1), as the level tabs do.
ParameterValue GetLevelParameter(const LevelParameters& level, const std::string& name);
void SetLevelParameter(LevelParameters& level, const std::string& name, const ParameterValue& value);

}  // namespace vh
