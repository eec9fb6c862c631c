// Label54, the status line at the bottom of the main window: it says so
// while a tree grows, what is built while a cloud or chain is built, and
// while billboard mode holds the tree. Its timer (Timer1) looks every 20 ms.
// Between those, it shows a note of what was just done for a while.
#pragma once

#include <QElapsedTimer>
#include <QLabel>

class TreeDocument;

class StatusLine : public QLabel {
  Q_OBJECT
 public:
  // `document` must outlive the line.
  explicit StatusLine(const TreeDocument& document, QWidget* parent = nullptr);

  // How long a note stays.
  static constexpr int kNoteSeconds = 10;

 public slots:
  // Timer1: the text for the document's state now.
  void onStatusTimer();
  // Shows `note` ("LOD chain exported to ...") while the document's state
  // has nothing to say, for kNoteSeconds or until the next note.
  void ShowNote(const QString& note);

 private:
  const TreeDocument& m_document;
  QString m_note;
  QElapsedTimer m_noteAge;
};
