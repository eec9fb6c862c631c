#include "app/menu_additions.h"

#include <exception>

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>

#include "app/document_session.h"
#include "app/editor_host.h"
#include "app/file_flows.h"
#include "app/message_box.h"

MenuAdditions::MenuAdditions(QMainWindow* window, EditorHost& host, FileFlows& flows,
                             DocumentSession& session, const QString& programDirectory,
                             QObject* parent)
    : QObject(parent), window_(window), host_(host), flows_(flows), session_(session) {
  AddShortcuts();
  try {
    presets_ = vh::PresetLibrary::Find(programDirectory.toStdString());
  } catch (const std::exception&) {
    // The menu says that there are none; nothing else depends on them.
  }

  auto* file = window_->findChild<QMenu*>("File1");
  auto* save = window_->findChild<QAction*>("Save1");
  recentMenu_ = new QMenu("Open recent", file);
  recentMenu_->setObjectName("OpenRecent1");
  presetMenu_ = new QMenu("New from preset", file);
  presetMenu_->setObjectName("NewFromPreset1");
  file->insertMenu(save, recentMenu_);
  file->insertMenu(save, presetMenu_);
  FillRecentMenu();
  FillPresetMenu();

  const auto remember = [this](const QString& fileName) {
    recent_.Add(fileName);
    FillRecentMenu();
  };
  connect(&flows_, &FileFlows::documentOpened, this, remember);
  connect(&flows_, &FileFlows::documentSaved, this, remember);
}

void MenuAdditions::AddShortcuts() {
  const std::pair<const char*, QKeySequence> shortcuts[] = {
      {"New1", QKeySequence(Qt::CTRL | Qt::Key_N)},
      {"Open1", QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"Save1", QKeySequence(Qt::CTRL | Qt::Key_S)},
      {"SaveAs1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
      {"Export1", QKeySequence(Qt::CTRL | Qt::Key_E)},
      {"Quit1", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"Help2", QKeySequence(Qt::Key_F1)},
  };
  for (const auto& [name, keys] : shortcuts) {
    if (auto* action = window_->findChild<QAction*>(name)) action->setShortcut(keys);
  }
  for (QLineEdit* field : window_->findChildren<QLineEdit*>()) field->installEventFilter(this);
}

bool MenuAdditions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QAction* action : window_->findChildren<QAction*>()) {
      if (action->isEnabled() && action->shortcuts().contains(pressed)) {
        // Not taken by the field: the key goes on to the action.
        event->ignore();
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

void MenuAdditions::FillRecentMenu() {
  recentMenu_->clear();
  int number = 0;
  for (const QString& fileName : recent_.Files()) {
    ++number;
    QAction* action = recentMenu_->addAction(QString("&%1 %2").arg(number).arg(fileName));
    action->setObjectName(QString("OpenRecent1_%1").arg(number));
    action->setData(fileName);
    connect(action, &QAction::triggered, this, [this, fileName] { OpenRecent(fileName); });
  }
  recentMenu_->setEnabled(!recent_.Files().isEmpty());
}

void MenuAdditions::FillPresetMenu() {
  if (!presets_ || presets_->Names().empty()) {
    presetMenu_->addAction("No presets installed")->setEnabled(false);
    return;
  }
  for (const std::string& name : presets_->Names()) {
    const QString preset = QString::fromStdString(name);
    QAction* action = presetMenu_->addAction(QString::fromStdString(vh::PresetTitle(name)));
    action->setObjectName("Preset_" + preset);
    action->setData(preset);
    connect(action, &QAction::triggered, this, [this, preset] { OpenPreset(preset); });
  }
}

void MenuAdditions::OpenRecent(const QString& fileName) {
  host_.WhenTreeIsIn([this, fileName] { OpenRecentNow(fileName); });
}

void MenuAdditions::OpenRecentNow(const QString& fileName) {
  if (!QFileInfo::exists(fileName)) {
    recent_.Remove(fileName);
    FillRecentMenu();
    ShowWarning(window_,
                QString("The document \"%1\" no longer exists; it was removed from the recent "
                        "documents.")
                    .arg(fileName));
    return;
  }
  if (!session_.ConfirmDiscard()) return;
  flows_.OpenDocument(fileName);
}

void MenuAdditions::OpenPreset(const QString& name) {
  host_.WhenTreeIsIn([this, name] {
    if (presets_ && session_.ConfirmDiscard()) flows_.OpenPreset(*presets_, name);
  });
}
