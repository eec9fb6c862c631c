#include "app/widgets/file_dialogs.h"

#include <algorithm>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>

#include "app/widgets/dialog_filters.h"

namespace {
std::shared_ptr<FileDialogs>& Installed() {
  static std::shared_ptr<FileDialogs> dialogs = std::make_shared<QtFileDialogs>();
  return dialogs;
}
}  // namespace

QStringList QtFilterEntries(const QString& filter) {
  static const QRegularExpression ownPatterns(R"(\s*\([^()]*\)\s*$)");
  const QStringList parts = filter.split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    description.remove(ownPatterns);
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) pattern = pattern.trimmed();
    entries.push_back(QString("%1 (%2)").arg(description.trimmed(), patterns.join(' ')));
  }
  return entries;
}

QString QtFilter(const QString& filter) { return QtFilterEntries(filter).join(";;"); }

QString ReplaceQuestion(const QStringList& existing) {
  QStringList names;
  for (const QString& file : existing) names << QFileInfo(file).fileName();
  if (names.size() == 1) return QString("%1 already exists.\nDo you want to replace it?").arg(names.front());
  return QString("%1 already exist.\nDo you want to replace them?").arg(names.join(", "));
}

namespace {
// Qt's own file dialog, which asks before the files a save would write
// replace existing ones. Qt's own question looks at the name typed only,
// while the program may append an extension or write several files.
class ReplacingFileDialog : public QFileDialog {
 public:
  ReplacingFileDialog(const FileRequest& request, const QStringList& entries)
      : QFileDialog(request.parent), m_request(request), m_entries(entries) {}

  void accept() override {
    if (acceptMode() == AcceptSave && !AllowedToReplace()) return;  // back to the dialog
    QFileDialog::accept();
  }

 private:
  bool AllowedToReplace() {
    const QStringList files = selectedFiles();
    // An empty name or a folder: Qt's dialog stays, or opens the folder.
    if (files.isEmpty() || files.front().isEmpty() || QFileInfo(files.front()).isDir()) return true;
    const int filter = std::max<int>(0, static_cast<int>(m_entries.indexOf(selectedNameFilter())));
    const QStringList written =
        m_request.writtenFiles ? m_request.writtenFiles(files.front(), filter) : QStringList{files.front()};
    QStringList existing;
    for (const QString& file : written)
      if (QFileInfo(file).isFile()) existing << file;
    if (existing.isEmpty()) return true;
    return QMessageBox::warning(this, windowTitle(), ReplaceQuestion(existing),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
  }

  const FileRequest& m_request;
  QStringList m_entries;
};

// The "Scale :" row under the dialog's own fields (Qt's own dialog: the
// platform's takes no widget).
QDoubleSpinBox* AddScaleField(QFileDialog& dialog, double initial) {
  auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
  if (grid == nullptr) return nullptr;
  auto* field = new QDoubleSpinBox(&dialog);
  field->setObjectName("ExportScale");
  field->setDecimals(4);
  field->setRange(0.0001, 10000.0);
  field->setValue(initial);
  field->setToolTip("glTF only: 1 writes the numbers of the OBJ export (hundredths of scene units)");
  const int row = grid->rowCount();
  auto* caption = new QLabel("Scale :", &dialog);
  caption->setObjectName("ExportScaleCaption");
  grid->addWidget(caption, row, 0);
  grid->addWidget(field, row, 1);
  return field;
}

// "Sway with the wind" under the scale, for glTF exports.
QCheckBox* AddWindField(QFileDialog& dialog, bool initial) {
  auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
  if (grid == nullptr) return nullptr;
  auto* box = new QCheckBox("Sway with the wind", &dialog);
  box->setObjectName("ExportWind");
  box->setChecked(initial);
  box->setToolTip(
      "glTF only: a skin and a looping \"Wind\" animation that glTF viewers play, from the "
      "document's wind (the default wind when it has none). Wind data in COLOR_0 (the command-line tool's "
      "--wind-engine-copies) is for engines whose foliage shaders read vertex colours; viewers will show the "
      "data as colours, so it is not written here");
  grid->addWidget(box, grid->rowCount(), 1);
  return box;
}
}  // namespace

std::optional<FileChoice> QtFileDialogs::Run(const FileRequest& request) {
  const QStringList entries = QtFilterEntries(request.filter);
  const bool save = request.kind == FileRequest::Kind::kSave;
  ReplacingFileDialog dialog(request, entries);
  // Before anything else: choosing Qt's own dialog builds its widgets
  // anew, which would drop the filter selected below.
  if (save || request.askScale || request.askWind) dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (!request.title.isEmpty()) dialog.setWindowTitle(request.title);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The dialog asks about the files that will be written itself.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setNameFilters(entries);
  if (request.initialFilter >= 0 && request.initialFilter < entries.size()) {
    dialog.selectNameFilter(entries[request.initialFilter]);
  }
  if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
  QDoubleSpinBox* scale = request.askScale ? AddScaleField(dialog, request.initialScale) : nullptr;
  QCheckBox* wind = request.askWind ? AddWindField(dialog, request.initialWind) : nullptr;
  // The two fields are greyed out for the formats that ignore them.
  const auto enableSceneFields = [&](const QString& filter) {
    const int index = static_cast<int>(entries.indexOf(filter));
    const bool takesScene = !request.filterTakesScene || request.filterTakesScene(std::max(index, 0));
    for (QWidget* field : {static_cast<QWidget*>(scale), dialog.findChild<QWidget*>("ExportScaleCaption"),
                           static_cast<QWidget*>(wind)})
      if (field != nullptr) field->setEnabled(takesScene);
  };
  enableSceneFields(dialog.selectedNameFilter());
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, enableSceneFields);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  FileChoice choice;
  choice.fileName = files.front();
  choice.filterIndex = std::max<int>(0, static_cast<int>(entries.indexOf(dialog.selectedNameFilter())));
  if (scale != nullptr) choice.scale = scale->value();
  if (wind != nullptr) choice.wind = wind->isChecked();
  return choice;
}

std::optional<FileChoice> AskPictureToOpen(QWidget* parent) {
  FileRequest request;
  request.kind = FileRequest::Kind::kOpen;
  request.parent = parent;
  request.filter = kOpenPictureFilter;
  return RunFileDialog(request);
}

std::optional<FileChoice> RunFileDialog(const FileRequest& request) { return Installed()->Run(request); }

std::shared_ptr<FileDialogs> SetFileDialogs(std::shared_ptr<FileDialogs> dialogs) {
  std::shared_ptr<FileDialogs> previous = Installed();
  Installed() = dialogs ? std::move(dialogs) : std::make_shared<QtFileDialogs>();
  return previous;
}
