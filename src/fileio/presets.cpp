#include "fileio/presets.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "fileio/document.h"
#include "foundations/file_error.h"

namespace vh {
namespace {

namespace fs = std::filesystem;
constexpr const char* kExtension = ".vhm";

}  // namespace

PresetLibrary::PresetLibrary(std::string folder) : m_folder(std::move(folder)) {}

std::vector<std::string> PresetLibrary::Candidates(const std::string& programDirectory) {
  const fs::path program(programDirectory);
  const fs::path share = fs::path("share") / "verdanthollow" / "presets";
  // Installed: <prefix>/bin/program and <prefix>/share/...; in the build
  // tree the programs lie two folders below the top (src/app, src/cli,
  // tests/app ...), where the presets are copied.
  return {(program / ".." / share).lexically_normal().string(),
          (program / ".." / ".." / share).lexically_normal().string()};
}

PresetLibrary PresetLibrary::Find(const std::string& programDirectory) {
  const std::vector<std::string> candidates = Candidates(programDirectory);
  std::error_code error;
  for (const std::string& folder : candidates) {
    if (fs::is_directory(folder, error)) return PresetLibrary(folder);
  }
  std::string message = "the species presets are not installed; looked in";
  for (const std::string& folder : candidates) message += " '" + folder + "'";
  throw FileError(message);
}

std::vector<std::string> PresetLibrary::Names() const {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator entry(m_folder, error), end; !error && entry != end; entry.increment(error)) {
    const fs::path& path = entry->path();
    if (path.extension() == kExtension && entry->is_regular_file(error)) {
      names.push_back(path.stem().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string PresetLibrary::PathOf(const std::string& name) const {
  const std::vector<std::string> names = Names();
  if (std::find(names.begin(), names.end(), name) == names.end()) {
    std::string known;
    for (const std::string& preset : names) known += (known.empty() ? "" : ", ") + preset;
    throw FileError(
        "there is no preset '" + name + "'" +
        (known.empty() ? std::string(" (no presets in '" + m_folder + "')") : "; the presets are " + known));
  }
  return (fs::path(m_folder) / (name + kExtension)).string();
}

TreeParameters PresetLibrary::Read(const std::string& name, const TreeParameters& base) const {
  // The reader makes the preset's picture names absolute in its folder.
  return ReadDocumentFile(PathOf(name), base);
}

std::string PresetTitle(const std::string& name) {
  std::string title = name;
  std::replace(title.begin(), title.end(), '-', ' ');
  if (!title.empty() && title[0] >= 'a' && title[0] <= 'z')
    title[0] = static_cast<char>(title[0] - 'a' + 'A');
  return title;
}

std::string RunningProgramDirectory() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().string();
}

}  // namespace vh
