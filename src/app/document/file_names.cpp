#include "app/document/file_names.h"

#include <algorithm>
#include <cctype>

std::string LowerExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < start) return {};
  std::string extension = path.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

std::string WithExtension(const std::string& name, const std::string& wanted) {
  return LowerExtension(name) == wanted ? name : name + wanted;
}

std::string DocumentFileName(const std::string& chosen) { return WithExtension(chosen, ".vhm"); }
