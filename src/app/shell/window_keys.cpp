#include "app/shell/window_keys.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QSlider>

#include "app/document/tree_document.h"
#include "app/viewport/viewport.h"

namespace {
constexpr float kArrowStep = 10.0f;  // eye movement per arrow key, in units of `forward`

// Whether `widget` takes typed characters as text.
bool TakesText(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) != nullptr ||
         qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}
}  // namespace

WindowKeys::WindowKeys(QMainWindow* window, TreeDocument& document, Viewport& viewport)
    : m_window(window), m_document(document), m_viewport(viewport) {
  qApp->installEventFilter(this);
}

WindowKeys::~WindowKeys() { qApp->removeEventFilter(this); }

bool WindowKeys::HandleKey(const QKeyEvent& key, const QWidget* target) {
  switch (key.key()) {
    case Qt::Key_Escape:
      m_document.CancelLongTasks();
      return true;
    case Qt::Key_Down:
      m_viewport.MoveEye(-kArrowStep);
      return true;
    case Qt::Key_Up:
      m_viewport.MoveEye(kArrowStep);
      return true;
    case Qt::Key_F:
      // A plain F typed into a text field is a letter of its text.
      if (key.modifiers() != Qt::NoModifier || TakesText(target)) return false;
      m_viewport.FrameShown();
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
      // No control acts on these: sliders never move from the keyboard and
      // the edit fields take typed characters and Backspace only.
      return true;
    default:
      break;
  }
  return false;
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    auto* slider = qobject_cast<QSlider*>(watched);
    if (slider != nullptr && slider->window() == m_window && !slider->hasFocus()) {
      // A wheel turned over the pages scrolls them instead of moving (and
      // regenerating with) whichever slider passes under the pointer; a
      // slider takes wheel steps once the user gave it the focus. Ignored,
      // the event travels on to the page's scroll area.
      event->ignore();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == m_window) {
      // Only the keys HandleKey acts on are kept from the focused control,
      // so they are handled once even though a key that is not consumed
      // travels on to the control's parents.
      return HandleKey(*static_cast<QKeyEvent*>(event), widget);
    }
  }
  return false;
}
