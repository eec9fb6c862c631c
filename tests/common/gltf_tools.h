// Third-party readers of our glTF files: the Khronos validator (Node.js and
// the npm package gltf-validator, installed once by scripts/test.sh before
// the tests run), Assimp's `assimp info`, and tinygltf for reading files back.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tiny_gltf.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>

namespace vh::test {

struct CommandOutput {
  int status = -1;   // exit code, -1 when it did not exit normally
  std::string text;  // standard output and error
};

inline CommandOutput RunShell(const std::string& command) {
  CommandOutput result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    result.text.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

inline const std::string kValidatorDir = VH_GLTF_VALIDATOR_DIR;

// Why the validator cannot run, or nothing when it is ready. Every test is a
// process of its own, so a test never installs the validator itself (an
// unreachable registry would cost each of them a minute of retries): the
// test command installs it once, and without it the tests skip at once.
inline const std::optional<std::string>& ValidatorUnavailable() {
  static const std::optional<std::string> reason = []() -> std::optional<std::string> {
    const std::string package = kValidatorDir + "/node_modules/gltf-validator/package.json";
    if (RunShell("node --version").status != 0)
      return std::string(
          "the Khronos glTF validator needs Node.js, which is not installed "
          "(scripts/install-deps.sh installs it)");
    if (std::FILE* file = std::fopen(package.c_str(), "r")) {
      std::fclose(file);
      return std::nullopt;
    }
    return "the Khronos glTF validator is not installed in " + kValidatorDir +
           " (scripts/install-gltf-validator.sh installs it there; scripts/test.sh does so before the tests, "
           "and it needs the npm registry)";
  }();
  return reason;
}

// Skips the test, saying why, when the validator cannot run.
#define VH_REQUIRE_GLTF_VALIDATOR()                                                       \
  do {                                                                                    \
    if (const auto& reason = ::vh::test::ValidatorUnavailable()) GTEST_SKIP() << *reason; \
  } while (false)

struct ValidatorReport {
  int errors = -1, warnings = -1, infos = -1;
  std::string text;  // the whole report, for failure messages
};

inline ValidatorReport Validate(const std::string& path) {
  ValidatorReport report;
  const CommandOutput run =
      RunShell("node '" VH_SOURCE_DIR "/scripts/validate-gltf.js' '" + kValidatorDir + "' '" + path + "'");
  report.text = run.text;
  if (run.status == 0)
    std::sscanf(run.text.c_str(), "errors %d warnings %d infos %d", &report.errors, &report.warnings,
                &report.infos);
  return report;
}

// Expects the validator to find no error and no warning in `path`.
inline void ExpectValidGltf(const std::string& path) {
  const ValidatorReport report = Validate(path);
  EXPECT_EQ(report.errors, 0) << path << ":\n" << report.text;
  EXPECT_EQ(report.warnings, 0) << path << ":\n" << report.text;
}

// The number `assimp info` prints after "<label>:" on a line of its own, or
// -1. Read raw: Assimp's post-processing would fold meshes that repeat
// another (a billboard level's branches, shared with the level before) into
// instances and count their faces once.
inline long AssimpInfoCount(const std::string& path, const std::string& label) {
  const CommandOutput run = RunShell("assimp info '" + path + "' -r");
  EXPECT_EQ(run.status, 0) << run.text;
  const std::size_t at = run.text.find("\n" + label + ":");
  if (at == std::string::npos) return -1;
  long value = -1;
  std::sscanf(run.text.c_str() + at + label.size() + 2, " %ld", &value);
  return value;
}

// Reads a .glb or .gltf with tinygltf; fails the test when it cannot.
inline tinygltf::Model LoadGltf(const std::string& path) {
  tinygltf::TinyGLTF loader;
  tinygltf::Model model;
  std::string error, warning;
  const bool binary = path.size() > 4 && path.compare(path.size() - 4, 4, ".glb") == 0;
  const bool loaded = binary ? loader.LoadBinaryFromFile(&model, &error, &warning, path)
                             : loader.LoadASCIIFromFile(&model, &error, &warning, path);
  EXPECT_TRUE(loaded) << path << ": " << error << warning;
  return model;
}

// The elements of accessor `index` as T (no conversion: T must match).
template <typename T>
std::vector<T> AccessorValues(const tinygltf::Model& model, int index) {
  const tinygltf::Accessor& accessor = model.accessors.at(static_cast<std::size_t>(index));
  const tinygltf::BufferView& view = model.bufferViews.at(static_cast<std::size_t>(accessor.bufferView));
  const tinygltf::Buffer& buffer = model.buffers.at(static_cast<std::size_t>(view.buffer));
  std::size_t components = 1;
  if (accessor.type == TINYGLTF_TYPE_VEC2) components = 2;
  if (accessor.type == TINYGLTF_TYPE_VEC3) components = 3;
  if (accessor.type == TINYGLTF_TYPE_VEC4) components = 4;
  if (accessor.type == TINYGLTF_TYPE_MAT4) components = 16;
  const std::size_t count = accessor.count * components;
  EXPECT_LE(view.byteOffset + accessor.byteOffset + count * sizeof(T), buffer.data.size());
  std::vector<T> values(count);
  std::memcpy(values.data(), buffer.data.data() + view.byteOffset + accessor.byteOffset, count * sizeof(T));
  return values;
}

// Indices of accessor `index` widened to 32 bits, whatever their width.
inline std::vector<std::uint32_t> IndexValues(const tinygltf::Model& model, int index) {
  const int type = model.accessors.at(static_cast<std::size_t>(index)).componentType;
  if (type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) return AccessorValues<std::uint32_t>(model, index);
  const std::vector<std::uint16_t> shorts = AccessorValues<std::uint16_t>(model, index);
  return {shorts.begin(), shorts.end()};
}

}  // namespace vh::test
