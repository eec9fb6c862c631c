// MainWindow's side of billboard mode: keeping, showing and releasing the
// billboard cloud and its two textures, and "Export billboard...".
#include "app/file_flows.h"
#include "app/main_window.h"
#include "billboard/billboard_cloud.h"
#include "fileio/export_common.h"

void MainWindow::SetBillboard(vh::BillboardCloud cloud) {
  if (cloud.mesh == nullptr) return;
  billboard_ = std::move(cloud.mesh);
  billboardColour_ = std::move(cloud.colourTexture);
  billboardAlpha_ = std::move(cloud.transparency);
  session_.wireframe.billboard = false;  // the new billboards are drawn filled until "Wireframe" is clicked
  RefreshCounts();
  SetViewDirty();
}

void MainWindow::DestroyBillboard() {
  if (billboard_ == nullptr) return;
  // The billboards go with the cloud; the bark submeshes it listed are
  // shared with the tree, which keeps them.
  billboard_.reset();
  RefreshCounts();  // the tree is shown again, as it was
  SetViewDirty();
}

void MainWindow::ReleaseBillboardImages() {
  billboardColour_ = vh::Image();
  billboardAlpha_ = vh::Image();
}

void MainWindow::onExportBillboard() {
  // Both export dialogs start with the format the user exported to last.
  billboardExportDialog_.filterIndex = fileFlows_->LastExportFilter();
  ExportBillboard(this, billboard_.get(), billboardColour_, billboardAlpha_, vh::ExportOrigin(session_.tree),
                  TreePictures(session_),
                  billboardExportDialog_);
  fileFlows_->SetLastExportFilter(billboardExportDialog_.filterIndex);
}
