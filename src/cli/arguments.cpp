#include "cli/arguments.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace vh::cli {
namespace {

// Real bounds as a person writes them: 1e-06 rather than 0.000001.
std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// "-" alone is a file name (standard input or output by convention), not an option.
bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace

long long ParseInteger(const std::string& option, const std::string& text, long long low, long long high) {
  std::size_t used = 0;
  long long value = 0;
  try {
    value = std::stoll(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (text.empty() || used != text.size() || value < low || value > high)
    throw std::invalid_argument(option + " needs an integer from " + std::to_string(low) + " to " +
                                std::to_string(high) + ", not '" + text + "'");
  return value;
}

double ParseReal(const std::string& option, const std::string& text, double low, double high) {
  char* end = nullptr;
  const double value = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || value < low ||
      value > high)
    throw std::invalid_argument(option + " needs a number from " + Number(low) + " to " + Number(high) +
                                ", not '" + text + "'");
  return value;
}

ArgumentParser& ArgumentParser::Flag(const std::string& name, bool* target) {
  m_options.push_back({{name}, "", [target](const std::string&, const std::string&) { *target = true; }});
  return *this;
}

ArgumentParser& ArgumentParser::Text(const std::string& name, std::string* target,
                                     const std::string& valueName, const std::vector<std::string>& aliases) {
  std::vector<std::string> names{name};
  names.insert(names.end(), aliases.begin(), aliases.end());
  m_options.push_back(
      {names, valueName, [target](const std::string&, const std::string& value) { *target = value; }});
  return *this;
}

ArgumentParser& ArgumentParser::Value(const std::string& name, const std::string& valueName,
                                      std::function<void(const std::string& value)> apply) {
  m_options.push_back(
      {{name}, valueName, [apply](const std::string&, const std::string& value) { apply(value); }});
  return *this;
}

ArgumentParser& ArgumentParser::Integer(const std::string& name, long long low, long long high,
                                        std::function<void(long long)> store) {
  m_options.push_back(
      {{name}, "a number", [low, high, store](const std::string& option, const std::string& value) {
         store(ParseInteger(option, value, low, high));
       }});
  return *this;
}

ArgumentParser& ArgumentParser::Real(const std::string& name, double low, double high,
                                     std::function<void(double)> store) {
  m_options.push_back(
      {{name}, "a number", [low, high, store](const std::string& option, const std::string& value) {
         store(ParseReal(option, value, low, high));
       }});
  return *this;
}

const ArgumentParser::Option* ArgumentParser::Find(const std::string& name) const {
  for (const Option& option : m_options)
    for (const std::string& known : option.names)
      if (known == name) return &option;
  return nullptr;
}

std::vector<std::string> ArgumentParser::Parse(const Arguments& args) const {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!LooksLikeOption(arg)) {
      positional.push_back(arg);
      continue;
    }
    const Option* option = Find(arg);
    if (option == nullptr) throw std::invalid_argument("unknown option '" + arg + "' (see --help)");
    if (option->valueName.empty()) {
      option->apply(arg, "");
      continue;
    }
    if (i + 1 >= args.size()) throw std::invalid_argument(arg + " needs " + option->valueName);
    option->apply(arg, args[++i]);
  }
  return positional;
}

}  // namespace vh::cli
