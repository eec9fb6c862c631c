// The "File" menu's flows and "Help" → "Help": new tree, open, save, save
// as, export, screenshot and help. Each flow except Help does nothing while
// a generation runs. Dialogs go through RunFileDialog, failures are shown
// in a message box and leave the tree and the files as they were.
#pragma once

#include <functional>
#include <memory>

#include <QImage>
#include <QObject>
#include <QString>

#include "fileio/export_scene.h"
#include "tree/tree.h"

class QWidget;
class TreeDocument;

namespace vh {
class PresetLibrary;
}

class FileFlows : public QObject {
  Q_OBJECT
 public:
  // The flows read and replace `document`; their dialogs and messages
  // belong to `dialogParent`. `grabView` gives the picture of the 3-D view
  // at the view's size, upright, for "Export screenshot...".
  FileFlows(TreeDocument& document, QWidget* dialogParent, std::function<QImage()> grabView,
            QObject* parent = nullptr);

  // "New": a fresh tree with the default parameters, the controls loaded
  // from it and an automatic update. Textures, previews and the dialogs'
  // remembered names stay.
  void New();
  // "Open...": asks for a document and opens it (OpenDocument).
  void Open();
  // Reads the document `fileName` into the session (and grows it), loads the
  // bark and leaf pictures it names and loads the controls. A document that
  // cannot be read changes nothing; a named picture that cannot be read is
  // reported after the controls were loaded. No automatic update follows;
  // "Infos" shows the opened tree's counts.
  void OpenDocument(const QString& fileName);
  // "New from preset": opens the preset `name` of `presets` as
  // OpenDocument opens a file.
  void OpenPreset(const vh::PresetLibrary& presets, const QString& name);
  // "Save": to the name last chosen in the save dialog, or asks for one.
  // Returns whether the document was written.
  bool Save();
  // "Save As...": always asks. Returns whether the document was written.
  bool SaveAs();
  // "Export...": the selected filter decides the format and extension;
  // glTF takes the dialog's "Scale :" and the tree's pictures.
  void Export();
  // "Export screenshot...": the view as BMP (".bmp" in any case) or JPEG
  // (any other name), under exactly the chosen name.
  void ExportScreenshot();
  // "Help": help.chm in the current directory, else the installed guide.
  void Help();

  // The name SaveDialog1 remembers (empty until it was first used).
  const QString& RememberedSaveName() const { return saveName_; }

 signals:
  // "New" replaced the tree.
  void newTree();
  // A document file (`fileName` as given) or a preset replaced the tree.
  void documentOpened(const QString& fileName);
  void presetOpened(const QString& name);
  // The document was written to `fileName` (with its extension).
  void documentSaved(const QString& fileName);

 private:
  // Replaces the tree's parameters through `read` (which throws, leaving
  // the tree as it was, when it cannot), then as OpenDocument.
  bool OpenWith(const std::function<vh::TreeParameters(const vh::TreeParameters& base)>& read);
  bool SaveTo(const QString& chosen);
  void ShowError(const QString& text);

  TreeDocument& document_;
  QWidget* dialogParent_;
  std::function<QImage()> grabView_;
  QString saveName_;        // SaveDialog1's last name
  QString exportName_;      // SaveDialog2's last name
  int exportFilter_ = 0;    // SaveDialog2's last filter
  double exportScale_ = 1.0;  // its last "Scale :"
  QString screenshotName_;  // SavePictureDialog1's last name
};
