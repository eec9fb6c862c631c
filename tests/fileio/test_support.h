// Shared helpers of the document and export tests: scratch directories,
// whole-file reads and small hand-built meshes.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "common/whole_file.h"
#include "fileio/document.h"
#include "tree/mesh.h"
#include "tree/tree.h"

namespace vh::test {

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Compares parameter sets and, when they differ, names the first document
// line where they do.
inline testing::AssertionResult SameParameters(const TreeParameters& actual, const TreeParameters& expected) {
  if (actual == expected) return testing::AssertionSuccess();
  const std::vector<std::string> a = SplitLines(FormatDocument(actual));
  const std::vector<std::string> b = SplitLines(FormatDocument(expected));
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i] != b[i])
      return testing::AssertionFailure()
             << "documents differ at line " << i + 1 << ": \"" << a[i] << "\" instead of \"" << b[i] << "\"";
  return testing::AssertionFailure() << "parameters differ (document lengths " << a.size() << " and "
                                     << b.size() << ")";
}

// What a saved and loaded parameter set holds: blank names (saved as
// "(null)") come back empty.
inline TreeParameters AsLoaded(TreeParameters params) {
  for (std::string* name : {&params.barkTextureFile, &params.leafTextureFile, &params.materialPrefix})
    if (name->find_first_not_of(" \t\r\v\f") == std::string::npos) name->clear();
  return params;
}

// A submesh with the given positions and triangles, material `texture`
// named "Material<texture>", coloured `colour`, optionally textured.
inline std::shared_ptr<Submesh> MakeSubmesh(const std::vector<Vector3>& positions,
                                            const std::vector<Triangle>& triangles,
                                            int texture = kBarkMaterial, Vector3 colour = {0.5f, 0.3f, 0.1f},
                                            bool textured = false) {
  auto submesh = std::make_shared<Submesh>();
  for (const Vector3& p : positions) {
    Vertex vertex(p);
    vertex.colour = colour;
    vertex.hasColour = !textured;
    vertex.hasTexCoord = textured;
    submesh->vertices.push_back(vertex);
  }
  submesh->triangles.assign(triangles.begin(), triangles.end());
  submesh->texture = texture;
  submesh->materialName = "Material" + std::to_string(texture);
  return submesh;
}

// A strip of `cells` quads: 2 * (cells + 1) vertices, 2 * cells triangles,
// every vertex used.
inline std::shared_ptr<Submesh> MakeStrip(std::size_t cells, Vector3 offset = {}) {
  std::vector<Vector3> positions;
  std::vector<Triangle> triangles;
  for (std::size_t i = 0; i <= cells; ++i) {
    positions.push_back({offset.x + static_cast<float>(i), offset.y, offset.z});
    positions.push_back({offset.x + static_cast<float>(i), offset.y + 1.0f, offset.z});
  }
  for (std::size_t i = 0; i < cells; ++i) {
    const auto k = static_cast<std::uint32_t>(2 * i);
    triangles.push_back({k, k + 1, k + 2});
    triangles.push_back({k + 2, k + 1, k + 3});
  }
  return MakeSubmesh(positions, triangles);
}

}  // namespace vh::test
