#include "app/bark_texture_panel.h"

#include <algorithm>
#include <exception>

#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/dialog_filters.h"
#include "app/editor_host.h"
#include "app/file_dialogs.h"
#include "app/local_path.h"
#include "app/message_box.h"
#include "app/qt_image.h"
#include "app/named_button.h"
#include "imaging/picture_io.h"
#include "tree/tree.h"
#include "view/texture_upload.h"

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

BarkTexturePanel::BarkTexturePanel(EditorHost& host, QWidget* parent)
    : QWidget(parent), host_(host) {
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
}

void BarkTexturePanel::LoadBarkTexture(const QString& fileName) {
  if (host_.EditsLocked() || fileName.isEmpty()) return;
  vh::Image picture = vh::LoadPicture(LocalPath(fileName));
  EditingSession& session = host_.Session();
  session.barkTextureImage = std::move(picture);
  preview_->ShowPicture(ToQImage(session.barkTextureImage));
  host_.WithViewContext([&session] {
    vh::UploadTexture(vh::kBarkTextureObject, session.barkTextureImage,
                      vh::MinFilter::kNearestMipmapNearest);
  });
  host_.RenderFrameNow();
}

void BarkTexturePanel::ClearPreview() { preview_->Clear(); }

void BarkTexturePanel::onLoadBarkTextureClicked() {
  if (host_.EditsLocked()) return;
  if (const std::optional<FileChoice> choice = AskPictureToOpen(host_.DialogParent())) {
    try {
      LoadBarkTexture(choice->fileName);
    } catch (const std::exception& error) {
      ShowWarning(host_.DialogParent(), QString::fromLocal8Bit(error.what()), "Error");
      return;
    }
    vh::TreeParameters& params = host_.Session().params;
    params.barkTextureLoaded = true;
    params.barkTextureFile = LocalPath(choice->fileName);
  }
  host_.UpdateAfterChange();
  host_.RepaintLeafEditor();
}

void BarkTexturePanel::onRemoveBarkTextureClicked() {
  if (host_.EditsLocked()) return;
  preview_->Clear();
  vh::TreeParameters& params = host_.Session().params;
  params.barkTextureLoaded = false;
  params.barkTextureFile.clear();  // the picture itself stays loaded
  host_.UpdateAfterChange();
  host_.RepaintLeafEditor();
}
