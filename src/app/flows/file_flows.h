// The "File" menu's flows and "Help" → "Help": new tree, open, save, save
// as, export, screenshot and help. Each flow except Help does nothing while
// a generation runs. Dialogs go through RunFileDialog, failures are shown
// in a message box and leave the tree and the files as they were.
#pragma once

#include <functional>
#include <memory>
#include <string>

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
  // from it and an automatic update. Textures and previews stay. The new
  // document has no file yet.
  void New();
  // "Open...": asks for a document and opens it (OpenDocument).
  void Open();
  // Reads the document `fileName` into the document (and grows it), loads the
  // bark and leaf pictures it names and loads the controls. A document that
  // cannot be read changes nothing; a named picture that cannot be read is
  // reported after the controls were loaded. No automatic update follows;
  // "Infos" shows the opened tree's counts. The file becomes the
  // document's file, which "Save" writes.
  void OpenDocument(const QString& fileName);
  // "New from preset": opens the preset `name` of `presets` as
  // OpenDocument opens a file; the document has no file yet and "Save"
  // offers the preset's name.
  void OpenPreset(const vh::PresetLibrary& presets, const QString& name);
  // "Save": writes the document to its file (the one it was opened from or
  // last saved to); a document without one (new, or made from a preset) is
  // saved as "Save As..." saves it. Returns whether the document was
  // written.
  bool Save();
  // "Save As...": asks for a name, starting from the document's file, or
  // from its suggested name ("Untitled" or the preset's name) in the folder
  // of the last document. When pictures it names lie outside the chosen
  // folder, offers to copy them beside it. Returns whether the document was
  // written; the chosen file becomes the document's file.
  bool SaveAs();
  // "Export...": the selected filter decides the format and extension;
  // glTF takes the dialog's "Scale :", the tree's pictures and, with "Sway
  // with the wind" (ticked to begin with when the document's wind is on),
  // the document's wind as the tool's --wind writes it.
  void Export();
  // "Export screenshot...": the view as BMP (".bmp" in any case) or JPEG
  // (any other name), under exactly the chosen name.
  void ExportScreenshot();
  // "Help": help.chm in the current directory, else the installed guide;
  // a message names it when it cannot be shown (OpenHelp).
  void Help();

  // The file of the document being edited (absolute); empty while it has
  // none.
  const QString& DocumentFile() const { return m_documentFile; }
  // The filter of the export dialog used last, by "Export..." or by
  // "Export billboard...", which both start with it.
  int LastExportFilter() const { return m_exportFilter; }
  void SetLastExportFilter(int filter) { m_exportFilter = filter; }

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
  // Writes the document to `chosen` (with ".vhm" added by the rule), its
  // pictures named relative to the document where they lie within its
  // folder; with `offerCopies`, pictures elsewhere may first be copied
  // beside it.
  bool SaveTo(const QString& chosen, bool offerCopies);
  // Asks whether to copy the pictures outside `folder` into it and does so;
  // false when the copying failed (reported).
  bool OfferPictureCopies(const std::string& folder);
  // The document now belongs to `fileName` (empty: to no file yet, with
  // `suggestedName` as the name "Save" offers).
  void BelongTo(const QString& fileName, const QString& suggestedName = QString());
  void ShowError(const QString& text);

  TreeDocument& m_document;
  QWidget* m_dialogParent;
  std::function<QImage()> m_grabView;
  QString m_documentFile;                // the document's file, or empty
  QString m_suggestedName = "Untitled";  // offered while it has none
  QString m_lastFolder;                  // of the last document opened or saved
  QString m_exportName;                  // SaveDialog2's last name
  int m_exportFilter = 0;                // SaveDialog2's last filter
  double m_exportScale = 1.0;            // its last "Scale :"
  QString m_screenshotName;              // SavePictureDialog1's last name
};
