// Names in glTF files are UTF-8 whatever encoding the document's material
// prefix or the file's name came in (a one-byte encoding stopped the export
// with an exception nothing could catch, ending the program).
#include <gtest/gtest.h>

#include <string>

#include "common/gltf_tools.h"
#include "common/scratch_dir.h"
#include "fileio/gltf_export.h"
#include "fileio/utf8.h"
#include "tree/tree.h"

namespace vh {
namespace {

TEST(Utf8, WellFormedTextStaysAndOtherTextIsReadAsLatin1) {
  const struct {
    std::string text;
    bool utf8;
    std::string converted;
  } cases[] = {
      {"Material", true, "Material"},
      {"Mat\xC3\xA9riel", true, "Mat\xC3\xA9riel"},                            // é in UTF-8
      {"\xE6\xA8\xB9\xF0\x9F\x8C\xB3", true, "\xE6\xA8\xB9\xF0\x9F\x8C\xB3"},  // three and four bytes
      {"Mat\xE9riel", false, "Mat\xC3\xA9riel"},                               // é in Latin-1
      {"Mate\x8E\x9D"
       "al",
       false,
       "Mate\xC2\x8E\xC2\x9D"
       "al"},                                                           // stray continuation bytes
      {"\xC0\xAF", false, "\xC3\x80\xC2\xAF"},                          // an overlong '/'
      {"\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xC2\x80"},              // a surrogate
      {"\xF4\x90\x80\x80", false, "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // past U+10FFFF
      {"\xE6\xA8", false, "\xC3\xA6\xC2\xA8"},                          // cut short
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsUtf8(c.text), c.utf8) << c.text;
    EXPECT_EQ(AsUtf8(c.text), c.converted) << c.text;
  }
}

TEST(GltfExport, NamesInAOneByteEncodingAreWrittenAsUtf8) {
  TreeParameters params;
  params.materialPrefix = "Mat\xE9riel";
  const Tree tree = Generate(params);
  test::ScratchDir dir;
  const std::string path = dir.File("arbre-\xE9t\xE9.glb");
  ExportGLB(SingleMeshScene(tree), path);
  const tinygltf::Model model = test::LoadGltf(path);
  ASSERT_EQ(model.materials.size(), 1u);
  EXPECT_EQ(model.materials[0].name, "Mat\xC3\xA9riel2");
  ASSERT_EQ(model.nodes.size(), 1u);
  EXPECT_EQ(model.nodes[0].name, "arbre-\xC3\xA9t\xC3\xA9");
}

}  // namespace
}  // namespace vh
