#include "app/file_flows.h"

#include <exception>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/bark_texture_panel.h"
#include "app/dialog_filters.h"
#include "app/editor_host.h"
#include "app/file_dialogs.h"
#include "app/file_names.h"
#include "app/help_opener.h"
#include "app/leaf_editor.h"
#include "app/local_path.h"
#include "app/message_box.h"
#include "app/qt_image.h"
#include "app/question_box.h"
#include "app/tree_messages.h"
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
                              const QString& initialName, int initialFilter = 0) {
  FileRequest request;
  request.initialFilter = initialFilter;
  request.kind = kind;
  request.parent = parent;
  request.filter = filter;
  request.initialName = initialName;
  return RunFileDialog(request);
}
}  // namespace

FileFlows::FileFlows(EditorHost& host, LeafEditor& leaves, BarkTexturePanel& bark,
                     FileFlowHooks hooks, QObject* parent)
    : QObject(parent), host_(host), leaves_(leaves), bark_(bark), hooks_(std::move(hooks)) {}

void FileFlows::ShowError(const QString& text) { ShowWarning(host_.DialogParent(), text, "Error"); }

void FileFlows::New() {
  if (host_.Busy()) return;
  // The cloud stands for the tree being discarded: leave billboard mode so
  // that the new tree is grown and shown.
  host_.DestroyBillboard();
  host_.Session().StartNewTree();
  host_.LoadLevelControls();
  host_.UpdateAfterChange();
  host_.RefreshCounts();  // also when "AutoUpdate" left the new tree ungrown
  host_.RepaintLeafEditor();
  BelongTo(QString());
  emit newTree();
}

void FileFlows::Open() {
  if (host_.Busy()) return;
  const std::optional<FileChoice> choice =
      Ask(FileRequest::Kind::kOpen, host_.DialogParent(), kOpenDocumentFilter, QString());
  if (!choice) return;
  OpenDocument(choice->fileName);
}

void FileFlows::OpenDocument(const QString& fileName) {
  if (OpenWith([&](const vh::TreeParameters& base) {
        return vh::ReadDocumentFile(LocalPath(fileName), base);
      })) {
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
  if (host_.Busy()) return false;
  EditingSession& session = host_.Session();
  try {
    // Reads into a fresh parameter set; the session's is replaced only
    // when the whole document was read.
    session.params = read(session.params);
  } catch (const std::exception& error) {
    ShowError(What(error));
    return false;
  }
  hooks_.growOpenedTree();
  host_.DestroyBillboard();  // it showed the tree that was just replaced
  // A picture that cannot be read is reported, but the controls must show
  // the document all the same: otherwise their stale values would be
  // stored over it at the next change.
  QStringList problems;
  if (session.tree.budgetExceeded) problems << TreeTooLargeMessage(session.tree, session.vertexBudget);
  const auto load = [&problems](const std::function<void()>& step) {
    try {
      step();
    } catch (const std::exception& error) {
      problems << What(error);
    }
  };
  load([&] { bark_.LoadBarkTexture(FromLocalPath(session.params.barkTextureFile)); });
  load([&] { leaves_.LoadLeafTexture(FromLocalPath(session.params.leafTextureFile)); });
  host_.LoadLevelControls();
  host_.RepaintLeafEditor();
  host_.SetViewDirty();
  host_.RefreshCounts();  // of the tree just grown from the document
  if (!problems.isEmpty()) ShowError(problems.join('\n'));
  return true;
}

void FileFlows::BelongTo(const QString& fileName, const QString& suggestedName) {
  documentFile_ = fileName;
  suggestedName_ = suggestedName.isEmpty() ? QString("Untitled") : suggestedName;
  if (!fileName.isEmpty()) lastFolder_ = QFileInfo(fileName).absolutePath();
}

bool FileFlows::Save() {
  if (host_.Busy()) return false;
  // Only the document's own file is ever written without asking: a name
  // chosen for another document would overwrite that one.
  if (documentFile_.isEmpty()) return SaveAs();
  return SaveTo(documentFile_, false);
}

bool FileFlows::SaveAs() {
  if (host_.Busy()) return false;
  QString initialName = documentFile_;
  if (initialName.isEmpty()) {
    initialName = lastFolder_.isEmpty() ? suggestedName_ : QDir(lastFolder_).filePath(suggestedName_);
  }
  const std::optional<FileChoice> choice =
      Ask(FileRequest::Kind::kSave, host_.DialogParent(), kSaveDocumentFilter, initialName);
  if (!choice) return false;
  return SaveTo(choice->fileName, true);
}

bool FileFlows::SaveTo(const QString& chosen, bool offerCopies) {
  const std::string path = DocumentFileName(LocalPath(chosen));
  const std::string folder = LocalPath(QFileInfo(FromLocalPath(path)).absolutePath());
  if (offerCopies && !OfferPictureCopies(folder)) return false;
  try {
    // Written beside the target and renamed into place when complete.
    vh::SaveDocument(vh::WithPicturesRelativeTo(host_.Session().params, folder), path);
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
  vh::TreeParameters& params = host_.Session().params;
  const std::vector<std::string> outside = vh::PicturesOutside(params, folder);
  if (outside.empty()) return true;
  QStringList names;
  for (const std::string& picture : outside) names << QDir::toNativeSeparators(FromLocalPath(picture));
  const QString question =
      QString("The document names pictures that lie outside its folder:\n%1\n\n"
              "Copy them beside the document, so that the folder holds everything it needs?")
          .arg(names.join('\n'));
  if (!AskYesNo(host_.DialogParent(), kCopyPicturesTitle, question)) return true;
  try {
    vh::CopyPicturesInto(params, folder);
  } catch (const std::exception& error) {
    ShowError(What(error));
    return false;
  }
  return true;
}

void FileFlows::Export() {
  if (host_.Busy()) return;
  FileRequest request;
  request.kind = FileRequest::Kind::kSave;
  request.parent = host_.DialogParent();
  request.title = kExportTitle;
  request.filter = QString::fromStdString(vh::ExportFilterList());
  request.initialName = exportName_;
  request.initialFilter = exportFilter_;
  request.askScale = true;
  request.initialScale = exportScale_;
  const std::optional<FileChoice> choice = RunFileDialog(request);
  if (!choice) return;
  exportName_ = choice->fileName;
  exportFilter_ = choice->filterIndex;
  exportScale_ = choice->scale;
  const vh::ExportFormat format = vh::ExportFormatOfFilter(choice->filterIndex);
  const std::string path = vh::ExportFileName(LocalPath(choice->fileName), format);
  const EditingSession& session = host_.Session();
  const vh::Tree& tree = session.tree;
  // The scale and the pictures matter to glTF only; the other formats
  // write the numbers they always have and name their picture files.
  const double scale = vh::FormatEntry(format).carriesScene ? choice->scale : 1.0;
  try {
    vh::WriteExport(format, vh::SingleMeshScene(tree, TreePictures(session), scale), path);
  } catch (const std::exception& error) {
    ShowError(What(error));
  }
}

void FileFlows::ExportScreenshot() {
  if (host_.Busy()) return;
  const std::optional<FileChoice> choice =
      Ask(FileRequest::Kind::kSave, host_.DialogParent(), kSavePictureFilter, screenshotName_);
  if (!choice) return;
  screenshotName_ = choice->fileName;
  try {
    // BMP for ".bmp" in any case, JPEG of quality 90 otherwise; the name is
    // used as it is.
    vh::SavePicture(LocalPath(choice->fileName), FromQImage(hooks_.grabView()));
  } catch (const std::exception& error) {
    ShowError(What(error));
  }
}

vh::MaterialPictures TreePictures(const EditingSession& session) {
  vh::MaterialPictures pictures;
  pictures.leaf = &session.leafTextureImage;
  pictures.bark = &session.barkTextureImage;
  return pictures;
}

void FileFlows::Help() {
  OpenHelp(host_.DialogParent(), QDir::currentPath(), QCoreApplication::applicationDirPath());
}
