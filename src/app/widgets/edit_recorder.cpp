#include "app/widgets/edit_recorder.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QEvent>
#include <QInputEvent>
#include <QLineEdit>

#include "app/widgets/control_caption.h"

EditRecorder::EditRecorder(QWidget* window, Callbacks callbacks, QObject* parent)
    : QObject(parent), window_(window), callbacks_(std::move(callbacks)) {
  qApp->installEventFilter(this);
}

EditRecorder::~EditRecorder() { qApp->removeEventFilter(this); }

void EditRecorder::Watch(QWidget* page) {
  pages_.emplace_back(page);
  for (QAbstractSlider* slider : page->findChildren<QAbstractSlider*>()) {
    connect(slider, &QAbstractSlider::valueChanged, this, [this, slider] { SliderMoved(slider); });
  }
  for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
    connect(button, &QAbstractButton::clicked, this,
            [this, button] { Finished(ControlCaption(button)); });
  }
  for (QLineEdit* field : page->findChildren<QLineEdit*>()) {
    connect(field, &QLineEdit::textChanged, this,
            [this, field] { Finished(ControlCaption(field), field->objectName()); });
    connect(field, &QLineEdit::editingFinished, this, [this] { callbacks_.endMerge(); });
  }
}

bool EditRecorder::Watched(const QWidget* widget) const {
  for (const QPointer<QWidget>& page : pages_) {
    if (page != nullptr && (widget == page || page->isAncestorOf(widget))) return true;
  }
  return false;
}

void EditRecorder::Finished(const QString& name, const QString& mergeKey) {
  if (suspended_) return;
  callbacks_.finished(name, mergeKey);
}

void EditRecorder::SliderMoved(QWidget* slider) {
  if (suspended_) return;
  if (mouseHeld_) {
    // Part of a drag: one step when the button comes up.
    if (pressedName_.isEmpty()) pressedName_ = ControlCaption(slider);
    return;
  }
  Finished(ControlCaption(slider));
}

bool EditRecorder::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
      type != QEvent::MouseButtonRelease) {
    return false;
  }
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != window_) return false;
  if (type == QEvent::MouseButtonRelease) {
    if (!mouseHeld_) return false;
    // Seen before the control handles the release: everything the drag
    // changed is stored by now.
    mouseHeld_ = false;
    const QString name = pressedName_;
    pressedName_.clear();
    if (!name.isEmpty()) Finished(name);
    return false;
  }
  // A press reaches each parent that ignores it, as a copy with the same
  // time stamp; only the first one starts a new edit.
  const quint64 stamp = static_cast<QInputEvent*>(event)->timestamp();
  if (mouseHeld_ && stamp == pressStamp_) return false;
  if (mouseHeld_ && !pressedName_.isEmpty()) Finished(pressedName_);  // a release never came
  mouseHeld_ = true;
  pressStamp_ = stamp;
  callbacks_.endMerge();
  pressedName_.clear();
  if (!Watched(widget)) return false;
  for (QWidget* w = widget; w != nullptr && Watched(w); w = w->parentWidget()) {
    if (qobject_cast<QAbstractSlider*>(w) != nullptr) {
      pressedName_ = ControlCaption(w);
      return false;
    }
    if (const QString name = callbacks_.mouseEditName(w); !name.isEmpty()) {
      pressedName_ = name;
      return false;
    }
  }
  return false;
}
