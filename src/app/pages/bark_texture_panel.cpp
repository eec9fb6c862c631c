#include "app/pages/bark_texture_panel.h"

#include <algorithm>
#include <exception>

#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/document/local_path.h"
#include "app/document/tree_document.h"
#include "app/widgets/dialog_filters.h"
#include "app/widgets/file_dialogs.h"
#include "app/widgets/message_box.h"
#include "app/widgets/named_button.h"
#include "app/widgets/qt_image.h"

namespace {
constexpr int kPreviewHeight = 200;
}

BarkPreview::BarkPreview(QWidget* parent) : QWidget(parent) {
  setObjectName("Image1");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFixedHeight(kPreviewHeight);
  setMinimumWidth(1);
  Redraw();
}

void BarkPreview::ShowPicture(const QImage& image) {
  source_ = image.convertToFormat(QImage::Format_RGB32);
  Redraw();
}

void BarkPreview::Clear() {
  source_ = QImage();
  Redraw();
}

void BarkPreview::Redraw() {
  const int w = std::max(1, width());
  const int h = std::max(1, height());
  picture_ = QImage(w, h, QImage::Format_RGB32);
  picture_.fill(Qt::white);
  if (!source_.isNull()) {
    // The picture stretched over the full width at the height that keeps
    // its aspect ratio (truncated), from the top; rows below the preview's
    // bottom are cut off rather than squeezed in. Nearest neighbour, as
    // the stretch of the imaging library samples: output (x, y) is source
    // (x * W / w, y * H / stretchedHeight).
    const long long sourceWidth = source_.width();
    const long long sourceHeight = source_.height();
    const long long stretchedHeight = w * sourceHeight / sourceWidth;
    const int shownRows = static_cast<int>(std::min<long long>(stretchedHeight, h));
    for (int y = 0; y < shownRows; ++y) {
      const auto* in = reinterpret_cast<const QRgb*>(
          source_.constScanLine(static_cast<int>(y * sourceHeight / stretchedHeight)));
      auto* out = reinterpret_cast<QRgb*>(picture_.scanLine(y));
      for (int x = 0; x < w; ++x) out[x] = in[x * sourceWidth / w];
    }
  }
  update();
}

void BarkPreview::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Redraw();
}

void BarkPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

BarkTexturePanel::BarkTexturePanel(TreeDocument& document, QWidget* parent)
    : QWidget(parent), document_(document) {
  setObjectName("BarkTexturePanel");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  preview_ = new BarkPreview(this);
  layout->addWidget(preview_);
  auto* row = new QHBoxLayout;
  auto* load = NamedButton(this, "SpeedButton4", "Load texture");
  auto* remove = NamedButton(this, "SpeedButton5", "Remove texture");
  for (QToolButton* button : {load, remove}) {
    button->setAutoRaise(true);
    row->addWidget(button);
  }
  row->addStretch(1);
  layout->addLayout(row);
  connect(load, &QToolButton::clicked, this, &BarkTexturePanel::onLoadBarkTextureClicked);
  connect(remove, &QToolButton::clicked, this, &BarkTexturePanel::onRemoveBarkTextureClicked);
  // A bark picture loaded from a document or an undo is shown too; one that
  // an undo no longer names leaves the preview.
  connect(&document_, &TreeDocument::barkPictureLoaded, this,
          [this] { preview_->ShowPicture(ToQImage(document_.Session().barkTextureImage)); });
  connect(&document_, &TreeDocument::barkPictureUnnamed, preview_, &BarkPreview::Clear);
}

void BarkTexturePanel::onLoadBarkTextureClicked() {
  if (document_.EditsLocked()) return;
  if (const std::optional<FileChoice> choice = AskPictureToOpen(window())) {
    try {
      document_.LoadBarkPicture(choice->fileName);
    } catch (const std::exception& error) {
      ShowWarning(window(), QString::fromLocal8Bit(error.what()), "Error");
      return;
    }
    vh::TreeParameters& params = document_.Session().params;
    params.barkTextureLoaded = true;
    params.barkTextureFile = LocalPath(choice->fileName);
  }
  document_.UpdateAfterChange();
  document_.LeafAppearanceChanged();
}

void BarkTexturePanel::onRemoveBarkTextureClicked() {
  if (document_.EditsLocked()) return;
  preview_->Clear();
  vh::TreeParameters& params = document_.Session().params;
  params.barkTextureLoaded = false;
  params.barkTextureFile.clear();  // the picture itself stays loaded
  document_.UpdateAfterChange();
  document_.LeafAppearanceChanged();
}
