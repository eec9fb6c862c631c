// KeptFiles: a scratch directory holding files of known content, for tests
// that a failed save or export leaves what was there untouched and nothing
// behind (no temporary file).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "common/whole_file.h"

namespace vh::test {

class KeptFiles {
 public:
  // Writes `content` as the file `name` and returns its path.
  std::string Put(const std::string& name, const std::string& content) {
    const std::string path = dir.File(name);
    WriteWholeFile(path, content);
    m_contents[name] = content;
    return path;
  }

  // Every file put here still holds what was put, and there is no other.
  void ExpectUntouched() const {
    std::vector<std::string> names;
    for (const auto& [name, content] : m_contents) {
      EXPECT_EQ(ReadWholeFile(dir.File(name)), content) << name;
      names.push_back(name);
    }
    std::vector<std::string> entries = dir.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, names) << "files left behind";
  }

  ScratchDir dir;

 private:
  std::map<std::string, std::string> m_contents;
};

}  // namespace vh::test
