// The keys the main window handles before the focused control sees them,
// and the wheel over the pages: Escape cancels the running generation (or
// billboard build), Up and Down move the eye, F frames the tree unless it is
// typed into a text field, and the keys no control is to act on are kept
// from them. A wheel turned over a slider that does not
// have the focus scrolls its page instead of moving it.
#pragma once

#include <QObject>

class QKeyEvent;
class QMainWindow;
class TreeDocument;
class Viewport;

class WindowKeys : public QObject {
  Q_OBJECT
 public:
  // Watches every event of the application for those of `window`; all
  // three must outlive this object.
  WindowKeys(QMainWindow* window, TreeDocument& document, Viewport& viewport);
  ~WindowKeys() override;
  WindowKeys(const WindowKeys&) = delete;
  WindowKeys& operator=(const WindowKeys&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Handles `key`, pressed with `target` focused; returns whether the key
  // must not reach the focused control.
  bool HandleKey(const QKeyEvent& key, const QWidget* target);

  QMainWindow* m_window;
  TreeDocument& m_document;
  Viewport& m_viewport;
};
