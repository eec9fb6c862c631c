// Label54, the status line at the bottom of the main window: it says so
// while a tree grows, what is built while a cloud or chain is built, and
// while billboard mode holds the tree. Its timer (Timer1) looks every 20 ms.
#pragma once

#include <QLabel>

class TreeDocument;

class StatusLine : public QLabel {
  Q_OBJECT
 public:
  // `document` must outlive the line.
  explicit StatusLine(const TreeDocument& document, QWidget* parent = nullptr);

 public slots:
  // Timer1: the text for the document's state now.
  void onStatusTimer();

 private:
  const TreeDocument& m_document;
};
