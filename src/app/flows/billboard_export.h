// "Export billboard...": the billboard cloud as geometry plus its colour
// texture and transparency image, named after the chosen file.
#pragma once

#include <QString>

#include "fileio/export_scene.h"

class QWidget;

// Remembers the export dialog's last file name and filter between uses.
struct BillboardExportDialogState {
  QString fileName;
  int filterIndex = 0;
};

// Without a cloud, shows "You have not generated a billboard cloud yet. Go
// in the level of detail section and generate a billboard cloud" titled
// "Billboard not ready" and writes nothing. Otherwise asks for a file name
// in the export dialog (the formats of "Export..."); cancelling writes
// nothing. The chosen filter decides the format; the files are written as
// ExportBillboardCloud does (billboards get the material "BBdMat" and the
// texture file; glTF embeds the atlas and the tree's pictures and stands the
// cloud at `treeOrigin`, its tree's engine origin). A file that cannot be written is reported
// in a message box naming it; files already in place stay as they were.
void ExportBillboard(QWidget* parent, vh::MeshObject* cloud, const vh::Image& colour,
                     const vh::Image& transparency, const vh::Vector3& treeOrigin,
                     const vh::MaterialPictures& treePictures, BillboardExportDialogState& dialog);
