#include "app/flows/file_flows.h"

#include <exception>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/document/file_names.h"
#include "app/document/local_path.h"
#include "app/document/tree_document.h"
#include "app/flows/help_opener.h"
#include "app/widgets/dialog_filters.h"
#include "app/widgets/file_dialogs.h"
#include "app/widgets/message_box.h"
#include "app/widgets/qt_image.h"
#include "app/widgets/question_box.h"
#include "fileio/document.h"
#include "fileio/document_pictures.h"
#include "fileio/export_formats.h"
#include "fileio/presets.h"
#include "imaging/picture_io.h"
#include "tree/tree.h"

namespace {
QString What(const std::exception& error) { return QString::fromLocal8Bit(error.what()); }

const char* const kExportTitle = "Export";
const char* const kCopyPicturesTitle = "Copy pictures";

std::optional<FileChoice> Ask(FileRequest::Kind kind, QWidget* parent, const QString& filter,
                              const QString& initialName,
                              std::function<QStringList(const QString&, int)> writtenFiles = {}) {
  FileRequest request;
  request.kind = kind;
  request.parent = parent;
  request.filter = filter;
  request.initialName = initialName;
  request.writtenFiles = std::move(writtenFiles);
  return RunFileDialog(request);
}
}  // namespace

FileFlows::FileFlows(TreeDocument& document, QWidget* dialogParent, std::function<QImage()> grabView,
                     QObject* parent)
    : QObject(parent), m_document(document), m_dialogParent(dialogParent), m_grabView(std::move(grabView)) {}

void FileFlows::ShowError(const QString& text) { ShowWarning(m_dialogParent, text, "Error"); }

void FileFlows::New() {
  if (m_document.Busy()) return;
  m_document.StartNewTree();
  BelongTo(QString());
  emit newTree();
}

void FileFlows::Open() {
  if (m_document.Busy()) return;
  const std::optional<FileChoice> choice =
      Ask(FileRequest::Kind::kOpen, m_dialogParent, kOpenDocumentFilter, QString());
  if (!choice) return;
  OpenDocument(choice->fileName);
}

void FileFlows::OpenDocument(const QString& fileName) {
  if (OpenWith(
          [&](const vh::TreeParameters& base) { return vh::ReadDocumentFile(LocalPath(fileName), base); })) {
    BelongTo(QFileInfo(fileName).absoluteFilePath());
    emit documentOpened(fileName);
  }
}

void FileFlows::OpenPreset(const vh::PresetLibrary& presets, const QString& name) {
  const std::string preset = name.toStdString();
  if (OpenWith([&](const vh::TreeParameters& base) { return presets.Read(preset, base); })) {
    BelongTo(QString(), name);
    emit presetOpened(name);
  }
}

bool FileFlows::OpenWith(const std::function<vh::TreeParameters(const vh::TreeParameters& base)>& read) {
  if (m_document.Busy()) return false;
  vh::TreeParameters params;
  try {
    // Reads into a fresh parameter set; the document's are replaced only
    // when the whole document was read.
    params = read(m_document.Params());
  } catch (const std::exception& error) {
    ShowError(What(error));
    return false;
  }
  // A picture that cannot be read is reported, but the controls show the
  // document all the same.
  const QStringList problems = m_document.OpenParameters(std::move(params));
  if (!problems.isEmpty()) ShowError(problems.join('\n'));
  return true;
}

void FileFlows::BelongTo(const QString& fileName, const QString& suggestedName) {
  m_documentFile = fileName;
  m_suggestedName = suggestedName.isEmpty() ? QString("Untitled") : suggestedName;
  if (!fileName.isEmpty()) m_lastFolder = QFileInfo(fileName).absolutePath();
}

bool FileFlows::Save() {
  if (m_document.Busy()) return false;
  // Only the document's own file is ever written without asking: a name
  // chosen for another document would overwrite that one.
  if (m_documentFile.isEmpty()) return SaveAs();
  return SaveTo(m_documentFile, false);
}

bool FileFlows::SaveAs() {
  if (m_document.Busy()) return false;
  QString initialName = m_documentFile;
  if (initialName.isEmpty()) {
    initialName = m_lastFolder.isEmpty() ? m_suggestedName : QDir(m_lastFolder).filePath(m_suggestedName);
  }
  const std::optional<FileChoice> choice =
      Ask(FileRequest::Kind::kSave, m_dialogParent, kSaveDocumentFilter, initialName,
          [](const QString& chosen, int) {
            return QStringList{FromLocalPath(DocumentFileName(LocalPath(chosen)))};
          });
  if (!choice) return false;
  return SaveTo(choice->fileName, true);
}

bool FileFlows::SaveTo(const QString& chosen, bool offerCopies) {
  const std::string path = DocumentFileName(LocalPath(chosen));
  const std::string folder = LocalPath(QFileInfo(FromLocalPath(path)).absolutePath());
  if (offerCopies && !OfferPictureCopies(folder)) return false;
  try {
    // Written beside the target and renamed into place when complete.
    vh::SaveDocument(vh::WithPicturesRelativeTo(m_document.Params(), folder), path);
  } catch (const std::exception& error) {
    ShowError(What(error));
    return false;
  }
  const QString written = QFileInfo(FromLocalPath(path)).absoluteFilePath();
  BelongTo(written);
  emit documentSaved(written);
  return true;
}

bool FileFlows::OfferPictureCopies(const std::string& folder) {
  const std::vector<std::string> outside = vh::PicturesOutside(m_document.Params(), folder);
  if (outside.empty()) return true;
  QStringList names;
  for (const std::string& picture : outside) names << QDir::toNativeSeparators(FromLocalPath(picture));
  const QString question = QString(
                               "The document names pictures that lie outside its folder:\n%1\n\n"
                               "Copy them beside the document, so that the folder holds everything it needs?")
                               .arg(names.join('\n'));
  if (!AskYesNo(m_dialogParent, kCopyPicturesTitle, question)) return true;
  try {
    m_document.CopyPicturesInto(folder);
  } catch (const std::exception& error) {
    ShowError(What(error));
    return false;
  }
  return true;
}

void FileFlows::Export() {
  if (m_document.Busy()) return;
  FileRequest request;
  request.kind = FileRequest::Kind::kSave;
  request.parent = m_dialogParent;
  request.title = kExportTitle;
  request.filter = QString::fromStdString(vh::ExportFilterList());
  request.initialName = m_exportName;
  request.initialFilter = m_exportFilter;
  request.askScale = true;
  request.initialScale = m_exportScale;
  // A document whose wind is on exports swaying; one without exports as it
  // always has, unless the box is ticked.
  request.askWind = true;
  request.initialWind = m_document.Params().wind.enabled;
  request.filterTakesScene = [](int filter) {
    return vh::FormatEntry(vh::ExportFormatOfFilter(filter)).carriesScene;
  };
  request.writtenFiles = [](const QString& chosen, int filter) {
    return QStringList{
        FromLocalPath(vh::ExportFileName(LocalPath(chosen), vh::ExportFormatOfFilter(filter)))};
  };
  const std::optional<FileChoice> choice = RunFileDialog(request);
  if (!choice) return;
  m_exportName = choice->fileName;
  m_exportFilter = choice->filterIndex;
  m_exportScale = choice->scale;
  const vh::ExportFormat format = vh::ExportFormatOfFilter(choice->filterIndex);
  const std::string path = vh::ExportFileName(LocalPath(choice->fileName), format);
  const vh::Tree& tree = m_document.CurrentTree();
  // The scale, the pictures and the wind matter to glTF only; the other
  // formats write the numbers they always have and name their picture files.
  const bool scene = vh::FormatEntry(format).carriesScene;
  vh::ExportScene single = vh::SingleMeshScene(tree, m_document.Pictures(), scene ? choice->scale : 1.0);
  if (scene && choice->wind) single.wind = vh::SwayingExport(m_document.Params().wind);
  try {
    vh::WriteExport(format, single, path);
  } catch (const std::exception& error) {
    ShowError(What(error));
    return;
  }
  QStringList missing;
  for (const vh::MissingPicture& picture : m_document.MissingPictures())
    missing << QString::fromStdString(vh::Describe(picture));
  if (!missing.isEmpty()) ShowWarning(m_dialogParent, missing.join("\n"));
}

void FileFlows::ExportScreenshot() {
  if (m_document.Busy()) return;
  const std::optional<FileChoice> choice =
      Ask(FileRequest::Kind::kSave, m_dialogParent, kSavePictureFilter, m_screenshotName);
  if (!choice) return;
  m_screenshotName = choice->fileName;
  try {
    // BMP for ".bmp" in any case, JPEG of quality 90 otherwise; the name is
    // used as it is.
    vh::SavePicture(LocalPath(choice->fileName), FromQImage(m_grabView()));
  } catch (const std::exception& error) {
    ShowError(What(error));
  }
}

void FileFlows::Help() {
  OpenHelp(m_dialogParent, QDir::currentPath(), QCoreApplication::applicationDirPath());
}
