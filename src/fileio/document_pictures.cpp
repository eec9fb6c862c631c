#include "fileio/document_pictures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "foundations/file_error.h"

namespace vh {
namespace {

namespace fs = std::filesystem;

// The two picture names of a parameter set.
std::vector<std::string*> PictureNames(TreeParameters& params) {
  return {&params.barkTextureFile, &params.leafTextureFile};
}

fs::path Absolute(const std::string& name) {
  std::error_code error;
  const fs::path path = fs::absolute(fs::path(name), error);
  return (error ? fs::path(name) : path).lexically_normal();
}

// `picture` relative to `folder` when it lies within it; empty otherwise.
fs::path WithinFolder(const std::string& picture, const fs::path& folder) {
  const fs::path relative = Absolute(picture).lexically_relative(folder);
  if (relative.empty() || relative.is_absolute() || *relative.begin() == "..") return {};
  return relative;
}

bool SameBytes(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (fs::file_size(a, error) != fs::file_size(b, error) || error) return false;
  std::ifstream x(a, std::ios::binary);
  std::ifstream y(b, std::ios::binary);
  return std::equal(std::istreambuf_iterator<char>(x), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(y), std::istreambuf_iterator<char>());
}

// Where the copy of `picture` goes in `folder`: its own name, or the first
// free numbered one; `reuse` tells that the file there already is the copy.
fs::path CopyTarget(const fs::path& picture, const fs::path& folder, bool& reuse) {
  const fs::path stem = picture.stem();
  const fs::path extension = picture.extension();
  fs::path target = folder / picture.filename();
  for (int number = 2;; ++number) {
    std::error_code error;
    if (!fs::exists(target, error)) {
      reuse = false;
      return target;
    }
    if (SameBytes(picture, target)) {
      reuse = true;
      return target;
    }
    target = folder / (stem.string() + "-" + std::to_string(number) + extension.string());
  }
}

}  // namespace

TreeParameters WithPicturesRelativeTo(TreeParameters params, const std::string& folder) {
  const fs::path base = Absolute(folder);
  for (std::string* name : PictureNames(params)) {
    if (name->empty()) continue;
    const fs::path relative = WithinFolder(*name, base);
    if (!relative.empty()) *name = relative.generic_string();
  }
  return params;
}

void ResolvePictureNames(TreeParameters& params, const std::string& folder) {
  const fs::path base = Absolute(folder);
  for (std::string* name : PictureNames(params)) {
    if (name->empty() || fs::path(*name).is_absolute()) continue;
    *name = (base / fs::path(*name)).lexically_normal().string();
  }
}

std::vector<std::string> PicturesOutside(const TreeParameters& params, const std::string& folder) {
  const fs::path base = Absolute(folder);
  std::vector<std::string> outside;
  for (const std::string* name : {&params.barkTextureFile, &params.leafTextureFile}) {
    std::error_code error;
    if (name->empty() || !fs::is_regular_file(*name, error)) continue;
    if (!WithinFolder(*name, base).empty()) continue;
    if (outside.empty() || outside.front() != *name) outside.push_back(*name);
  }
  return outside;
}

void CopyPicturesInto(TreeParameters& params, const std::string& folder) {
  const fs::path base = Absolute(folder);
  for (const std::string& picture : PicturesOutside(params, folder)) {
    bool reuse = false;
    const fs::path target = CopyTarget(fs::path(picture), base, reuse);
    std::error_code error;
    if (!reuse) fs::copy_file(picture, target, error);
    if (error) {
      std::error_code ignored;
      fs::remove(target, ignored);  // no half copy is left behind
      throw FileError("cannot copy '" + picture + "' to '" + target.string() + "': " + error.message());
    }
    for (std::string* name : PictureNames(params)) {
      if (*name == picture) *name = target.string();
    }
  }
}

}  // namespace vh
