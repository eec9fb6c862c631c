#include "app/flows/menu_additions.h"

#include <exception>

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "app/document/tree_document.h"
#include "app/flows/document_changes.h"
#include "app/flows/file_flows.h"
#include "app/widgets/message_box.h"

MenuAdditions::MenuAdditions(const Parts& parts, const QString& programDirectory, QObject* parent)
    : QObject(parent), m_parts(parts) {
  try {
    m_presets = vh::PresetLibrary::Find(programDirectory.toStdString());
  } catch (const std::exception&) {
    // The menu says that there are none; nothing else depends on them.
  }

  QMenu* file = m_parts.fileMenu;
  m_recentMenu = new QMenu("Open recent", file);
  m_recentMenu->setObjectName("OpenRecent1");
  m_presetMenu = new QMenu("New from preset", file);
  m_presetMenu->setObjectName("NewFromPreset1");
  file->insertMenu(m_parts.before, m_recentMenu);
  file->insertMenu(m_parts.before, m_presetMenu);
  FillRecentMenu();
  FillPresetMenu();

  const auto remember = [this](const QString& fileName) {
    m_recent.Add(fileName);
    FillRecentMenu();
  };
  connect(m_parts.flows, &FileFlows::documentOpened, this, remember);
  connect(m_parts.flows, &FileFlows::documentSaved, this, remember);
}

void MenuAdditions::FillRecentMenu() {
  m_recentMenu->clear();
  int number = 0;
  for (const QString& fileName : m_recent.Files()) {
    ++number;
    QAction* action = m_recentMenu->addAction(QString("&%1 %2").arg(number).arg(fileName));
    action->setObjectName(QString("OpenRecent1_%1").arg(number));
    action->setData(fileName);
    connect(action, &QAction::triggered, this, [this, fileName] { OpenRecent(fileName); });
  }
  m_recentMenu->setEnabled(!m_recent.Files().isEmpty());
}

void MenuAdditions::FillPresetMenu() {
  if (!m_presets || m_presets->Names().empty()) {
    m_presetMenu->addAction("No presets installed")->setEnabled(false);
    return;
  }
  for (const std::string& name : m_presets->Names()) {
    const QString preset = QString::fromStdString(name);
    QAction* action = m_presetMenu->addAction(QString::fromStdString(vh::PresetTitle(name)));
    action->setObjectName("Preset_" + preset);
    action->setData(preset);
    connect(action, &QAction::triggered, this, [this, preset] { OpenPreset(preset); });
  }
}

void MenuAdditions::OpenRecent(const QString& fileName) {
  m_parts.document->WhenTreeIsIn([this, fileName] { OpenRecentNow(fileName); });
}

void MenuAdditions::OpenRecentNow(const QString& fileName) {
  if (!QFileInfo::exists(fileName)) {
    m_recent.Remove(fileName);
    FillRecentMenu();
    ShowWarning(m_parts.dialogParent,
                QString("The document \"%1\" no longer exists; it was removed from the recent "
                        "documents.")
                    .arg(fileName));
    return;
  }
  if (!m_parts.changes->ConfirmDiscard()) return;
  m_parts.flows->OpenDocument(fileName);
}

void MenuAdditions::OpenPreset(const QString& name) {
  m_parts.document->WhenTreeIsIn([this, name] {
    if (m_presets && m_parts.changes->ConfirmDiscard()) m_parts.flows->OpenPreset(*m_presets, name);
  });
}
