#include "app/flows/menu_additions.h"

#include <exception>

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "app/document/tree_document.h"
#include "app/flows/document_session.h"
#include "app/flows/file_flows.h"
#include "app/widgets/message_box.h"

MenuAdditions::MenuAdditions(const Parts& parts, const QString& programDirectory, QObject* parent)
    : QObject(parent), parts_(parts) {
  try {
    presets_ = vh::PresetLibrary::Find(programDirectory.toStdString());
  } catch (const std::exception&) {
    // The menu says that there are none; nothing else depends on them.
  }

  QMenu* file = parts_.fileMenu;
  recentMenu_ = new QMenu("Open recent", file);
  recentMenu_->setObjectName("OpenRecent1");
  presetMenu_ = new QMenu("New from preset", file);
  presetMenu_->setObjectName("NewFromPreset1");
  file->insertMenu(parts_.before, recentMenu_);
  file->insertMenu(parts_.before, presetMenu_);
  FillRecentMenu();
  FillPresetMenu();

  const auto remember = [this](const QString& fileName) {
    recent_.Add(fileName);
    FillRecentMenu();
  };
  connect(parts_.flows, &FileFlows::documentOpened, this, remember);
  connect(parts_.flows, &FileFlows::documentSaved, this, remember);
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
  parts_.document->WhenTreeIsIn([this, fileName] { OpenRecentNow(fileName); });
}

void MenuAdditions::OpenRecentNow(const QString& fileName) {
  if (!QFileInfo::exists(fileName)) {
    recent_.Remove(fileName);
    FillRecentMenu();
    ShowWarning(parts_.dialogParent,
                QString("The document \"%1\" no longer exists; it was removed from the recent "
                        "documents.")
                    .arg(fileName));
    return;
  }
  if (!parts_.session->ConfirmDiscard()) return;
  parts_.flows->OpenDocument(fileName);
}

void MenuAdditions::OpenPreset(const QString& name) {
  parts_.document->WhenTreeIsIn([this, name] {
    if (presets_ && parts_.session->ConfirmDiscard()) parts_.flows->OpenPreset(*presets_, name);
  });
}
