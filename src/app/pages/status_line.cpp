#include "app/pages/status_line.h"

#include <QTimer>

#include "app/document/tree_document.h"

namespace {
constexpr int kStatusPeriodMs = 20;
const char* const kGeneratingMessage = "Tree is generating, please wait... (ESC to cancel)      ";
const char* const kBillboardMessage =
    "You are in BillBoard mode - please delete your billboard to continue editing the tree";
}  // namespace

StatusLine::StatusLine(const TreeDocument& document, QWidget* parent) : QLabel(parent), m_document(document) {
  setObjectName("Label54");
  auto* timer = new QTimer(this);
  timer->setObjectName("Timer1");
  timer->setInterval(kStatusPeriodMs);
  connect(timer, &QTimer::timeout, this, &StatusLine::onStatusTimer);
  timer->start();
}

void StatusLine::onStatusTimer() {
  // A cloud or chain being built says so; it is not a tree growing.
  QString text;
  if (m_document.EditsLocked()) {
    text = m_document.State().buildStatus;
  } else if (m_document.Growing()) {
    text = kGeneratingMessage;
  }
  if (m_document.BillboardMode()) text = kBillboardMessage;
  if (text.isEmpty() && !m_note.isEmpty()) {
    if (m_noteAge.hasExpired(kNoteSeconds * 1000)) {
      m_note.clear();
    } else {
      text = m_note;
    }
  }
  if (this->text() != text) setText(text);
}

void StatusLine::ShowNote(const QString& note) {
  m_note = note;
  m_noteAge.start();
  onStatusTimer();
}
