// Whole-file reads and writes for tests that check what a writer left on disk.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace vh::test {

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

}  // namespace vh::test
