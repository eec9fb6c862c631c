// The File menu's extension rules and the dialogs' filters in Qt's form.
#include <gtest/gtest.h>
#include <ostream>

#include "app/document/file_names.h"
#include "app/widgets/dialog_filters.h"
#include "app/widgets/file_dialogs.h"
#include "fileio/export_formats.h"

namespace {

struct DocumentNameCase {
  const char* chosen;
  const char* written;
};
void PrintTo(const DocumentNameCase& c, std::ostream* os) { *os << c.chosen; }

class DocumentNames : public ::testing::TestWithParam<DocumentNameCase> {};

TEST_P(DocumentNames, GetVhmUnlessTheyEndInIt) {
  EXPECT_EQ(DocumentFileName(GetParam().chosen), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(FileNames, DocumentNames,
                         ::testing::Values(DocumentNameCase{"oak", "oak.vhm"},
                                           DocumentNameCase{"oak.VHM", "oak.VHM"},
                                           DocumentNameCase{"oak.vhm", "oak.vhm"},
                                           DocumentNameCase{"oak.txt", "oak.txt.vhm"},
                                           DocumentNameCase{"oak.", "oak..vhm"},
                                           DocumentNameCase{"/tmp/a.vhm/oak", "/tmp/a.vhm/oak.vhm"},
                                           DocumentNameCase{"/tmp/dir.d/oak.Vhm", "/tmp/dir.d/oak.Vhm"}));

struct ExportNameCase {
  int filter;
  const char* chosen;
  const char* written;
};
void PrintTo(const ExportNameCase& c, std::ostream* os) { *os << c.filter << ":" << c.chosen; }

class ExportNames : public ::testing::TestWithParam<ExportNameCase> {};

TEST_P(ExportNames, FollowTheSelectedFilter) {
  const ExportNameCase& c = GetParam();
  EXPECT_EQ(vh::ExportFileName(c.chosen, vh::ExportFormatOfFilter(c.filter)), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    FileNames, ExportNames,
    ::testing::Values(ExportNameCase{2, "tree", "tree.obj"}, ExportNameCase{0, "tree.obj", "tree.obj.3ds"},
                      ExportNameCase{0, "tree.3DS", "tree.3DS"}, ExportNameCase{1, "tree", "tree.dxf"},
                      ExportNameCase{1, "tree.dxf.obj", "tree.dxf.obj.dxf"},
                      ExportNameCase{2, "tree.OBJ", "tree.OBJ"}, ExportNameCase{3, "tree", "tree.glb"},
                      ExportNameCase{4, "tree.GLTF", "tree.GLTF"}, ExportNameCase{-1, "tree", "tree.3ds"},
                      ExportNameCase{7, "tree", "tree.3ds"}));

TEST(FileNames, LowerExtensionLooksAtTheLastComponentOnly) {
  EXPECT_EQ(LowerExtension("a/b.C/d"), "");
  EXPECT_EQ(LowerExtension("a/b.C/d.JPeg"), ".jpeg");
  EXPECT_EQ(LowerExtension("noext"), "");
}

struct FilterCase {
  const char* what;
  std::string given;
  const char* qt;
};
void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.what; }

class DialogFilters : public ::testing::TestWithParam<FilterCase> {};

TEST_P(DialogFilters, ConvertToQtsForm) {
  EXPECT_EQ(QtFilter(QString::fromStdString(GetParam().given)), GetParam().qt);
}

INSTANTIATE_TEST_SUITE_P(
    FileDialogs, DialogFilters,
    ::testing::Values(
        FilterCase{
            "export", vh::ExportFilterList(),
            "3DS File (*.3ds);;AutoCAD File (*.dxf);;WaveFront Object File (*.obj);;glTF Binary (*.glb);;"
            "glTF (*.gltf)"},
        FilterCase{"open document", kOpenDocumentFilter, "Verdanthollow Files (*.vhm)"},
        FilterCase{"save document", kSaveDocumentFilter, "Verdanthollow File (*.vhm)"},
        FilterCase{"save picture", kSavePictureFilter,
                   "Tous (*.jpg *.jpeg *.bmp);;Fichier image JPEG (*.jpg);;"
                   "Fichier image JPEG (*.jpeg);;Bitmaps (*.bmp)"},
        // The patterns the program reads win over the description's list.
        FilterCase{"open picture", kOpenPictureFilter,
                   "Tous (*.jpg *.jpeg *.bmp);;Fichier image JPEG (*.jpg);;"
                   "Fichier image JPEG (*.jpeg);;Bitmaps (*.bmp)"},
        FilterCase{"one entry", "Plain|*.txt", "Plain (*.txt)"},
        FilterCase{"dangling description", "Dangling|*.a|Description only", "Dangling (*.a)"}));

}  // namespace
