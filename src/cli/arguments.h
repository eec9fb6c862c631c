// The one argument parser of every command: options with or without a
// value, in any order among the positional arguments, and the messages a
// user sees for a missing, malformed or unknown option.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace vh::cli {

class ArgumentParser {
 public:
  // An option without a value; sets *target.
  ArgumentParser& Flag(const std::string& name, bool* target);
  // An option with a text value, named `name` or any of `aliases`;
  // `valueName` completes "<option> needs ..." when the value is missing.
  ArgumentParser& Text(const std::string& name, std::string* target, const std::string& valueName,
                       const std::vector<std::string>& aliases = {});
  // An option with a value that `apply` reads (and may refuse by throwing).
  ArgumentParser& Value(const std::string& name, const std::string& valueName,
                        std::function<void(const std::string& value)> apply);
  // An option whose value must be an integer from `low` to `high`.
  ArgumentParser& Integer(const std::string& name, long long low, long long high,
                          std::function<void(long long)> store);
  // An option whose value must be a finite real number from `low` to `high`.
  ArgumentParser& Real(const std::string& name, double low, double high, std::function<void(double)> store);

  // Applies the options and returns the positional arguments in order.
  // Throws std::invalid_argument for an unknown option or a bad value.
  std::vector<std::string> Parse(const Arguments& args) const;

 private:
  struct Option {
    std::vector<std::string> names;
    std::string valueName;  // empty: a flag
    std::function<void(const std::string& name, const std::string& value)> apply;
  };
  const Option* Find(const std::string& name) const;
  std::vector<Option> m_options;
};

// `text` as an integer from `low` to `high`; otherwise throws
// std::invalid_argument "<option> needs an integer from <low> to <high>, not '<text>'".
long long ParseInteger(const std::string& option, const std::string& text, long long low, long long high);

// `text` as a finite real number from `low` to `high`; otherwise throws
// std::invalid_argument "<option> needs a number from <low> to <high>, not '<text>'".
double ParseReal(const std::string& option, const std::string& text, double low, double high);

}  // namespace vh::cli
