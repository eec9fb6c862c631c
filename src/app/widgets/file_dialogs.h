// File dialogs go through one seam, so that tests can answer them (a chosen
// name, a selected filter, or cancel) instead of blocking on a modal dialog.
//
// Filters are written as the program has always listed them,
// "Description|patterns|Description|patterns" with patterns separated by
// ';'; QtFilter turns such a list into Qt's form.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QStringList>

class QWidget;

// What the user chose in a file dialog.
struct FileChoice {
  QString fileName;
  int filterIndex = 0;  // 0-based position of the selected filter in the list
  double scale = 1.0;   // the "Scale :" field, when the request asked for it
  bool wind = false;    // "Sway with the wind", when the request asked for it
};

// One request to a file dialog.
struct FileRequest {
  enum class Kind { kOpen, kSave };
  Kind kind = Kind::kOpen;
  QWidget* parent = nullptr;
  QString title;          // the dialog's caption; empty for the toolkit's own
  QString filter;         // in the program's "Description|patterns" form
  QString initialName;    // the name the dialog starts with (its remembered one)
  int initialFilter = 0;  // the filter it starts with (its remembered one)
  // Shows a "Scale :" field (glTF exports) starting at `initialScale`.
  bool askScale = false;
  double initialScale = 1.0;
  // Shows "Sway with the wind" (glTF exports: a skin and a looping
  // animation), ticked when `initialWind`.
  bool askWind = false;
  bool initialWind = false;
  // Whether the filter at that index takes "Scale :" and "Sway with the
  // wind"; for the others both are greyed out. Empty: every filter does.
  std::function<bool(int filterIndex)> filterTakesScene;
  // The files a save writes for the chosen name and filter (an extension
  // appended, one file per level...). Empty: the chosen name as it is.
  std::function<QStringList(const QString& chosen, int filterIndex)> writtenFiles;
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Runs the dialog; nothing when the user cancels. A save dialog appends
  // no extension of its own, and asks before it accepts a name whose
  // written files (FileRequest::writtenFiles) would replace existing ones:
  // No returns to the dialog.
  virtual std::optional<FileChoice> Run(const FileRequest& request) = 0;
};

// The modal Qt file dialogs. Save dialogs are Qt's own, never the
// platform's: only Qt's can ask about the files the program will really
// write, which need not be the name typed.
class QtFileDialogs : public FileDialogs {
 public:
  std::optional<FileChoice> Run(const FileRequest& request) override;
};

// Runs a file dialog through the installed implementation (QtFileDialogs
// unless a test installed another).
std::optional<FileChoice> RunFileDialog(const FileRequest& request);

// The question a save dialog asks before `existing` (one or more files)
// would be replaced, in Qt's own words: "NAME already exists.\nDo you want
// to replace it?".
QString ReplaceQuestion(const QStringList& existing);

// The picture-open dialog of the two "Load texture" buttons (JPEG and BMP).
std::optional<FileChoice> AskPictureToOpen(QWidget* parent);

// Installs `dialogs` in place of the current implementation and returns the
// previous one; null restores the Qt dialogs.
std::shared_ptr<FileDialogs> SetFileDialogs(std::shared_ptr<FileDialogs> dialogs);

// The entries of a "Description|patterns|..." list in Qt's form, one per
// filter: the description without a parenthesised pattern list of its own,
// followed by the patterns, space-separated, in parentheses, e.g.
// "3DS File (*.3ds)|*.3ds" -> "3DS File (*.3ds)" and
// "Tous (*.jpg;*.bmp;*.ico)|*.jpg;*.bmp" -> "Tous (*.jpg *.bmp)". The
// patterns after the bar are what the program reads, so they win over the
// description's own list. A trailing description without patterns is dropped.
QStringList QtFilterEntries(const QString& filter);
// QtFilterEntries joined with ";;", as QFileDialog takes them.
QString QtFilter(const QString& filter);
