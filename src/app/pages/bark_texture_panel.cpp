#include "app/pages/bark_texture_panel.h"

#include <algorithm>
#include <exception>

#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/document/local_path.h"
#include "app/document/tree_document.h"
#include "app/pages/control_edits.h"
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
  m_source = image.convertToFormat(QImage::Format_RGB32);
  Redraw();
}

void BarkPreview::Clear() {
  m_source = QImage();
  Redraw();
}

void BarkPreview::Redraw() {
  const int w = std::max(1, width());
  const int h = std::max(1, height());
  m_picture = QImage(w, h, QImage::Format_RGB32);
  m_picture.fill(Qt::white);
  if (!m_source.isNull()) {
    // The picture stretched over the full width at the height that keeps
    // its aspect ratio (truncated), from the top; rows below the preview's
    // bottom are cut off rather than squeezed in. Nearest neighbour, as
    // the stretch of the imaging library samples: output (x, y) is source
    // (x * W / w, y * H / stretchedHeight).
    const long long sourceWidth = m_source.width();
    const long long sourceHeight = m_source.height();
    const long long stretchedHeight = w * sourceHeight / sourceWidth;
    const int shownRows = static_cast<int>(std::min<long long>(stretchedHeight, h));
    for (int y = 0; y < shownRows; ++y) {
      const auto* in = reinterpret_cast<const QRgb*>(
          m_source.constScanLine(static_cast<int>(y * sourceHeight / stretchedHeight)));
      auto* out = reinterpret_cast<QRgb*>(m_picture.scanLine(y));
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
  painter.drawImage(0, 0, m_picture);
}

BarkTexturePanel::BarkTexturePanel(TreeDocument& document, QWidget* parent)
    : QWidget(parent), m_document(document) {
  setObjectName("BarkTexturePanel");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_preview = new BarkPreview(this);
  layout->addWidget(m_preview);
  auto* row = new QHBoxLayout;
  auto* load = m_load = NamedButton(this, "SpeedButton4", "Load texture");
  auto* remove = m_remove = NamedButton(this, "SpeedButton5", "Remove texture");
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
  connect(&m_document, &TreeDocument::barkPictureLoaded, this,
          [this] { m_preview->ShowPicture(ToQImage(m_document.State().barkTextureImage)); });
  connect(&m_document, &TreeDocument::barkPictureUnnamed, m_preview, &BarkPreview::Clear);
}

void BarkTexturePanel::onLoadBarkTextureClicked() {
  if (m_document.EditsLocked()) return;
  std::string picture;
  if (const std::optional<FileChoice> choice = AskPictureToOpen(window())) {
    try {
      m_document.LoadBarkPicture(choice->fileName);
    } catch (const std::exception& error) {
      ShowWarning(window(), QString::fromLocal8Bit(error.what()), "Error");
      return;
    }
    picture = LocalPath(choice->fileName);
  }
  const auto name = [&picture](vh::TreeParameters& params) {
    if (picture.empty()) return;  // cancelled: the tree regrows all the same
    params.barkTextureLoaded = true;
    params.barkTextureFile = picture;
  };
  m_document.Change(ControlEdit(*m_load, name, {.regrow = true, .leafAppearance = true}));
}

void BarkTexturePanel::onRemoveBarkTextureClicked() {
  const auto unname = [](vh::TreeParameters& params) {
    params.barkTextureLoaded = false;
    params.barkTextureFile.clear();  // the picture itself stays loaded
  };
  if (m_document.Change(ControlEdit(*m_remove, unname, {.regrow = true, .leafAppearance = true}))) {
    m_preview->Clear();
  }
}
