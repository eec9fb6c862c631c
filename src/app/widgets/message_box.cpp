#include "app/widgets/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}

void Show(QWidget* parent, MessageKind kind, const QString& text, const QString& title) {
  const QString caption = title.isEmpty() ? QApplication::applicationName() : title;
  if (Sink()) {
    Sink()(parent, kind, caption, text);
    return;
  }
  if (kind == MessageKind::kWarning) {
    QMessageBox::warning(parent, caption, text);
  } else {
    QMessageBox::information(parent, caption, text);
  }
}
}  // namespace

void ShowMessage(QWidget* parent, const QString& text, const QString& title) {
  Show(parent, MessageKind::kInformation, text, title);
}

void ShowWarning(QWidget* parent, const QString& text, const QString& title) {
  Show(parent, MessageKind::kWarning, text, title);
}

MessageSink SetMessageSink(MessageSink sink) {
  MessageSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}
