// Tells when an edit of the document is finished, and with which control,
// so that each finished edit becomes one undo step.
//
// The pages' controls keep their own handlers, which store into the
// parameter set as the value changes; the recorder listens after them and
// only decides when to take a snapshot:
// - a button, check box or radio button: when it was clicked;
// - a slider: at once when it moved without the mouse (wheel, a value set
//   by a program); while a mouse button is held in the window, once the
//   button is released, so that a whole drag is one step;
// - a text field: at every change, merged into one step while it keeps
//   being typed into;
// - anything else edited with the mouse (the leaf outline): when the mouse
//   button that went down on it is released.
// A snapshot equal to the last one records nothing, so a control that was
// merely set to the value it had (controls loaded from a document) leaves
// the history alone.
#pragma once

#include <functional>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

class EditRecorder : public QObject {
  Q_OBJECT
 public:
  struct Callbacks {
    // An edit named `name` is finished; `mergeKey` is non-empty for edits
    // that may merge with the previous one of the same key.
    std::function<void(const QString& name, const QString& mergeKey)> finished;
    // The next edit must not merge with the previous one.
    std::function<void()> endMerge;
    // The name of a mouse edit made on `widget` that is not a standard
    // control (empty: not an edit the recorder knows).
    std::function<QString(const QWidget* widget)> mouseEditName;
  };

  // Listens to mouse presses and releases in `window` (through an event
  // filter on the application).
  EditRecorder(QWidget* window, Callbacks callbacks, QObject* parent = nullptr);
  ~EditRecorder() override;

  // Listens to every slider, button and text field inside `page`. Call
  // after the page connected its own handlers, so that the recorder hears
  // of a change after the parameter set was updated.
  void Watch(QWidget* page);
  // While suspended nothing is reported (the controls are being loaded
  // from a restored state).
  void SetSuspended(bool suspended) { m_suspended = suspended; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Finished(const QString& name, const QString& mergeKey = QString());
  void SliderMoved(QWidget* slider);
  bool Watched(const QWidget* widget) const;

  QWidget* m_window;
  Callbacks m_callbacks;
  std::vector<QPointer<QWidget>> m_pages;
  bool m_suspended = false;
  bool m_mouseHeld = false;
  QString m_pressedName;  // what the held mouse button went down on
  quint64 m_pressStamp = 0;
};
