#include "app/widgets/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}
}  // namespace

void ShowMessage(QWidget* parent, const QString& text, const QString& title) {
  const QString caption = title.isEmpty() ? QApplication::applicationName() : title;
  if (Sink()) {
    Sink()(parent, caption, text);
    return;
  }
  QMessageBox::information(parent, caption, text);
}

MessageSink SetMessageSink(MessageSink sink) {
  MessageSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}
