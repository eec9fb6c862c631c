#include "app/widgets/edit_recorder.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QEvent>
#include <QInputEvent>
#include <QLineEdit>

#include "app/widgets/control_caption.h"

EditRecorder::EditRecorder(QWidget* window, Callbacks callbacks, QObject* parent)
    : QObject(parent), m_window(window), m_callbacks(std::move(callbacks)) {
  qApp->installEventFilter(this);
}

EditRecorder::~EditRecorder() { qApp->removeEventFilter(this); }

void EditRecorder::Watch(QWidget* page) {
  m_pages.emplace_back(page);
  for (QAbstractSlider* slider : page->findChildren<QAbstractSlider*>()) {
    connect(slider, &QAbstractSlider::valueChanged, this, [this, slider] { SliderMoved(slider); });
  }
  for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
    connect(button, &QAbstractButton::clicked, this, [this, button] { Finished(ControlCaption(button)); });
  }
  for (QLineEdit* field : page->findChildren<QLineEdit*>()) {
    connect(field, &QLineEdit::textChanged, this,
            [this, field] { Finished(ControlCaption(field), field->objectName()); });
    connect(field, &QLineEdit::editingFinished, this, [this] { m_callbacks.endMerge(); });
  }
}

bool EditRecorder::Watched(const QWidget* widget) const {
  for (const QPointer<QWidget>& page : m_pages) {
    if (page != nullptr && (widget == page || page->isAncestorOf(widget))) return true;
  }
  return false;
}

void EditRecorder::Finished(const QString& name, const QString& mergeKey) {
  if (m_suspended) return;
  m_callbacks.finished(name, mergeKey);
}

void EditRecorder::SliderMoved(QWidget* slider) {
  if (m_suspended) return;
  if (m_mouseHeld) {
    // Part of a drag: one step when the button comes up.
    if (m_pressedName.isEmpty()) m_pressedName = ControlCaption(slider);
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
  if (widget == nullptr || widget->window() != m_window) return false;
  if (type == QEvent::MouseButtonRelease) {
    if (!m_mouseHeld) return false;
    // Seen before the control handles the release: everything the drag
    // changed is stored by now.
    m_mouseHeld = false;
    const QString name = m_pressedName;
    m_pressedName.clear();
    if (!name.isEmpty()) Finished(name);
    return false;
  }
  // A press reaches each parent that ignores it, as a copy with the same
  // time stamp; only the first one starts a new edit.
  const quint64 stamp = static_cast<QInputEvent*>(event)->timestamp();
  if (m_mouseHeld && stamp == m_pressStamp) return false;
  if (m_mouseHeld && !m_pressedName.isEmpty()) Finished(m_pressedName);  // a release never came
  m_mouseHeld = true;
  m_pressStamp = stamp;
  m_callbacks.endMerge();
  m_pressedName.clear();
  if (!Watched(widget)) return false;
  for (QWidget* w = widget; w != nullptr && Watched(w); w = w->parentWidget()) {
    if (qobject_cast<QAbstractSlider*>(w) != nullptr) {
      m_pressedName = ControlCaption(w);
      return false;
    }
    if (const QString name = m_callbacks.mouseEditName(w); !name.isEmpty()) {
      m_pressedName = name;
      return false;
    }
  }
  return false;
}
