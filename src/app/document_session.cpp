#include "app/document_session.h"

#include <exception>
#include <functional>

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>

#include "app/bark_texture_panel.h"
#include "app/edit_recorder.h"
#include "app/editor_host.h"
#include "app/file_flows.h"
#include "app/leaf_editor.h"
#include "app/local_path.h"
#include "app/message_box.h"
#include "app/save_changes_prompt.h"
#include "fileio/presets.h"

namespace {
constexpr int kNameWidth = 140;  // pixels of "Infos" the name may take

bool NamesPicture(bool loaded, const std::string& file) {
  return loaded && !file.empty();
}
}  // namespace

DocumentSession::DocumentSession(const Parts& parts, QObject* parent)
    : QObject(parent), parts_(parts), history_(parts.host->Session().params) {
  EditRecorder::Callbacks callbacks;
  callbacks.finished = [this](const QString& name, const QString& mergeKey) {
    EditFinished(name, mergeKey);
  };
  callbacks.endMerge = [this] { history_.CloseMerge(); };
  callbacks.mouseEditName = [this](const QWidget* widget) -> QString {
    if (widget != parts_.leafEditor) return {};
    return parts_.leafEditor->PointMode() ? "Leaf outline" : "Leaf picture position";
  };
  recorder_ = new EditRecorder(parts_.window, std::move(callbacks), this);
  for (QWidget* page : parts_.pages) recorder_->Watch(page);

  nameLabel_ = new QLabel(parts_.infos);
  nameLabel_->setObjectName("DocumentName");
  if (parts_.infos->layout() != nullptr) parts_.infos->layout()->addWidget(nameLabel_);
  BuildEditMenu();

  FileFlows* flows = parts_.flows;
  connect(flows, &FileFlows::newTree, this, [this] { StartAfresh(QString()); });
  connect(flows, &FileFlows::documentOpened, this,
          [this](const QString& file) { StartAfresh(QFileInfo(file).fileName()); });
  connect(flows, &FileFlows::presetOpened, this, [this](const QString& preset) {
    StartAfresh(QString::fromStdString(vh::PresetTitle(preset.toStdString())));
  });
  connect(flows, &FileFlows::documentSaved, this, [this](const QString& file) {
    name_ = QFileInfo(file).fileName();
    // Saving may have pointed the document at copies of its pictures.
    history_.Amend(parts_.host->Session().params);
    history_.MarkSaved();
    Refresh();
  });
  Refresh();
}

void DocumentSession::BuildEditMenu() {
  QMenuBar* bar = parts_.window->menuBar();
  auto* edit = new QMenu("Edit", bar);
  edit->setObjectName("Edit1");
  auto* tools = parts_.window->findChild<QMenu*>("Tools1");
  bar->insertMenu(tools != nullptr ? tools->menuAction() : nullptr, edit);
  undo_ = edit->addAction("Undo");
  undo_->setObjectName("Undo1");
  undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redo_ = edit->addAction("Redo");
  redo_->setObjectName("Redo1");
  redo_->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  connect(undo_, &QAction::triggered, this, &DocumentSession::Undo);
  connect(redo_, &QAction::triggered, this, &DocumentSession::Redo);
}

QString DocumentSession::DocumentName() const { return name_.isEmpty() ? "New tree" : name_; }

void DocumentSession::EditFinished(const QString& name, const QString& mergeKey) {
  if (history_.Record(name.toStdString(), parts_.host->Session().params,
                      mergeKey.toStdString())) {
    Refresh();
  }
}

void DocumentSession::StartAfresh(const QString& name) {
  name_ = name;
  history_.Reset(parts_.host->Session().params);
  Refresh();
}

void DocumentSession::Refresh() {
  undo_->setEnabled(history_.CanUndo());
  undo_->setText(history_.CanUndo() ? "Undo " + QString::fromStdString(history_.UndoName())
                                    : QString("Undo"));
  redo_->setEnabled(history_.CanRedo());
  redo_->setText(history_.CanRedo() ? "Redo " + QString::fromStdString(history_.RedoName())
                                    : QString("Redo"));
  const QString text = DocumentName() + (Modified() ? " *" : "");
  nameLabel_->setText(nameLabel_->fontMetrics().elidedText(text, Qt::ElideMiddle, kNameWidth));
  nameLabel_->setToolTip(text);
}

void DocumentSession::Undo() {
  EditorHost& host = *parts_.host;
  if (host.EditsLocked() || host.BillboardMode() || !history_.CanUndo()) return;
  Restore(history_.Undo());
}

void DocumentSession::Redo() {
  EditorHost& host = *parts_.host;
  if (host.EditsLocked() || host.BillboardMode() || !history_.CanRedo()) return;
  Restore(history_.Redo());
}

void DocumentSession::Restore(const vh::TreeParameters& state) {
  EditorHost& host = *parts_.host;
  recorder_->SetSuspended(true);
  const vh::TreeParameters before = host.Session().params;
  SelectChangedLevel(before, state);
  host.Session().params = state;
  host.LoadLevelControls();
  RestorePictures(before, state);
  host.UpdateAfterChange();
  host.RepaintLeafEditor();
  recorder_->SetSuspended(false);
  // Loading the controls recomputes what follows from them (the leaf
  // outline's picture coordinates); the step keeps what is now shown.
  history_.Amend(host.Session().params);
  Refresh();
}

void DocumentSession::SelectChangedLevel(const vh::TreeParameters& before,
                                         const vh::TreeParameters& after) {
  // The level tab of the change is shown, so that the controls show what
  // was taken back. A changed level count rebuilds the tabs anyway.
  if (parts_.levelTabs == nullptr || before.lastParentLevel != after.lastParentLevel) return;
  for (int level = 0; level < vh::kLevelCount; ++level) {
    const auto index = static_cast<std::size_t>(level);
    if (before.levels[index] == after.levels[index]) continue;
    if (level < parts_.levelTabs->count()) parts_.levelTabs->setCurrentIndex(level);
    return;
  }
}

void DocumentSession::RestorePictures(const vh::TreeParameters& before,
                                      const vh::TreeParameters& after) {
  QStringList problems;
  const auto load = [&problems](const std::function<void()>& step) {
    try {
      step();
    } catch (const std::exception& error) {
      problems << QString::fromLocal8Bit(error.what());
    }
  };
  if (before.barkTextureFile != after.barkTextureFile ||
      before.barkTextureLoaded != after.barkTextureLoaded) {
    if (NamesPicture(after.barkTextureLoaded, after.barkTextureFile)) {
      load([&] { parts_.bark->LoadBarkTexture(FromLocalPath(after.barkTextureFile)); });
    } else {
      parts_.bark->ClearPreview();
    }
  }
  if (before.leafTextureFile != after.leafTextureFile &&
      NamesPicture(after.leafTextureLoaded, after.leafTextureFile)) {
    load([&] { parts_.leafEditor->LoadLeafTexture(FromLocalPath(after.leafTextureFile)); });
  }
  if (!problems.isEmpty()) ShowWarning(parts_.window, problems.join('\n'), "Error");
}

bool DocumentSession::ConfirmDiscard() {
  if (!Modified()) return true;
  switch (AskSaveChanges(parts_.window, DocumentName())) {
    case SaveChangesAnswer::kSave: return parts_.flows->Save();
    case SaveChangesAnswer::kDiscard: return true;
    case SaveChangesAnswer::kCancel: return false;
  }
  return false;
}
