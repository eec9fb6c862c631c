#include "app/widgets/file_dialogs.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
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

namespace {
// The "Scale :" row under the dialog's own fields. Only Qt's own dialog can
// take a widget, so the platform's is not used when the field is asked for.
QDoubleSpinBox* AddScaleField(QFileDialog& dialog, double initial) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
  if (grid == nullptr) return nullptr;
  auto* field = new QDoubleSpinBox(&dialog);
  field->setObjectName("ExportScale");
  field->setDecimals(4);
  field->setRange(0.0001, 10000.0);
  field->setValue(initial);
  field->setToolTip("glTF only: 1 writes the numbers of the OBJ export (hundredths of scene units)");
  const int row = grid->rowCount();
  grid->addWidget(new QLabel("Scale :", &dialog), row, 0);
  grid->addWidget(field, row, 1);
  return field;
}

// "Sway with the wind" under the scale, for glTF exports.
QCheckBox* AddWindField(QFileDialog& dialog, bool initial) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
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
  QFileDialog dialog(request.parent);
  if (!request.title.isEmpty()) dialog.setWindowTitle(request.title);
  dialog.setAcceptMode(request.kind == FileRequest::Kind::kSave ? QFileDialog::AcceptSave
                                                                : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.kind == FileRequest::Kind::kSave ? QFileDialog::AnyFile
                                                              : QFileDialog::ExistingFile);
  // Overwriting is the user's choice; nothing is asked.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setNameFilters(entries);
  if (request.initialFilter >= 0 && request.initialFilter < entries.size()) {
    dialog.selectNameFilter(entries[request.initialFilter]);
  }
  if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
  QDoubleSpinBox* scale = request.askScale ? AddScaleField(dialog, request.initialScale) : nullptr;
  QCheckBox* wind = request.askWind ? AddWindField(dialog, request.initialWind) : nullptr;
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
