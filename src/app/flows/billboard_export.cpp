#include "app/flows/billboard_export.h"

#include <exception>
#include <optional>

#include "app/document/local_path.h"
#include "app/widgets/file_dialogs.h"
#include "app/widgets/message_box.h"
#include "billboard/billboard_files.h"

namespace {
const char* const kNotReadyText =
    "You have not generated a billboard cloud yet. Go in the level of detail section and generate a "
    "billboard "
    "cloud";
const char* const kNotReadyTitle = "Billboard not ready";
}  // namespace

void ExportBillboard(QWidget* parent, vh::MeshObject* cloud, const vh::Image& colour,
                     const vh::Image& transparency, const vh::Vector3& treeOrigin,
                     const vh::MaterialPictures& treePictures, BillboardExportDialogState& dialog) {
  if (cloud == nullptr) {
    ShowMessage(parent, kNotReadyText, kNotReadyTitle);
    return;
  }
  FileRequest request;
  request.kind = FileRequest::Kind::kSave;
  request.parent = parent;
  request.title = "Export billboard";
  request.filter = QString::fromStdString(vh::ExportFilterList());
  request.initialName = dialog.fileName;
  request.initialFilter = dialog.filterIndex;
  request.writtenFiles = [](const QString& chosen, int filter) {
    const vh::BillboardFileNames names =
        vh::BillboardExportNames(LocalPath(chosen), vh::ExportFormatOfFilter(filter));
    return QStringList{FromLocalPath(names.geometry), FromLocalPath(names.texture),
                       FromLocalPath(names.transparency)};
  };
  const std::optional<FileChoice> choice = RunFileDialog(request);
  if (!choice) return;
  dialog.fileName = choice->fileName;
  dialog.filterIndex = choice->filterIndex;

  const vh::ExportFormat format = vh::ExportFormatOfFilter(choice->filterIndex);
  const vh::BillboardFileNames names = vh::BillboardExportNames(LocalPath(choice->fileName), format);
  try {
    vh::ExportBillboardCloud(*cloud, colour, transparency, names, format, treeOrigin, treePictures);
  } catch (const std::exception& error) {
    ShowWarning(parent, QString::fromStdString(error.what()));
  }
}
