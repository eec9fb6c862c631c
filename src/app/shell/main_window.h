// The main window (Form1): it builds the program's parts, places them and
// connects them, and does nothing else. The document (TreeDocument) holds
// the tree and its state, the viewport the 3-D view and its GPU state, the
// pages and the view controls their controls and handlers, the flows the
// File menu's work; each takes the document, never the window.
#pragma once

#include <memory>

#include <QMainWindow>

#include "app/flows/billboard_export.h"
#include "app/viewport/gl_probe.h"

class BranchesPage;
class DocumentChanges;
class FileFlows;
class FlatTabWidget;
class ForestExportFlow;
class LeavesPage;
class LodPage;
class QAction;
class QMenu;
class TexturePage;
class TreeDocument;
class ViewControls;
class WindPage;
class Viewport;
class WindowKeys;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Creates the document (its first tree grows here), the view with its
  // ground plane and camera at the home position, and the controls, then
  // loads the controls from the tree and stores them back (the second
  // generation). `gl` says whether the view can have an OpenGL context
  // (ProbeOpenGL); without one the view is a blank surface and the failure
  // is reported once the window shows.
  explicit MainWindow(GlAvailability gl, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The window that "About..." shows; not owned.
  void SetAboutBox(QWidget* aboutBox) { m_aboutBox = aboutBox; }
  // The bark tiler that "Bark tiler" shows; not owned.
  void SetBarkTiler(QWidget* barkTiler) { m_barkTiler = barkTiler; }
  // Opens the document `fileName` as "Open..." does after its dialog (the
  // program's command-line argument).
  void OpenDocumentFile(const QString& fileName);

  TreeDocument& Document() const { return *m_document; }
  Viewport& View() const { return *m_viewport; }

 public slots:
  // The menu items New1 ... About1.
  void onNew();
  void onOpen();
  void onSave();
  void onSaveAs();
  void onExport();
  void onExportScreenshot();
  void onExportBillboard();
  void onExportForest();
  void onQuit();
  void onShowBarkTiler();
  void onHelp();
  void onShowAbout();

 signals:
  // A grown (or cancelled, partly grown) tree has replaced the shown one.
  void treeGrown();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Places the controls and the view on `central`.
  void BuildLayout(QWidget* central);
  void BuildMenu();
  // The undo history with the "Edit" menu, the edit recorder, the menus'
  // additions, the sliders' value tips and the pages' sizes
  // (main_window_changes.cpp).
  void StartTrackingChanges();

  std::unique_ptr<TreeDocument> m_document;
  std::unique_ptr<Viewport> m_viewport;
  BillboardExportDialogState m_billboardExportDialog;
  bool m_shownOnce = false;
  bool m_closing = false;  // the user agreed to close: nothing is asked again

  ViewControls* m_viewControls = nullptr;  // Panel3
  FlatTabWidget* m_pages = nullptr;        // PageControl1
  BranchesPage* m_branches = nullptr;
  LeavesPage* m_leaves = nullptr;
  TexturePage* m_texture = nullptr;
  LodPage* m_lod = nullptr;
  WindPage* m_wind = nullptr;
  QMenu* m_fileMenu = nullptr;         // File1
  QAction* m_save = nullptr;           // Save1
  QMenu* m_toolsMenu = nullptr;        // Tools1
  std::unique_ptr<WindowKeys> m_keys;  // Escape, the arrow keys and the wheel over the pages
  QWidget* m_aboutBox = nullptr;
  QWidget* m_barkTiler = nullptr;
  FileFlows* m_fileFlows = nullptr;            // the File menu's flows; a child of the window
  ForestExportFlow* m_forestExport = nullptr;  // "Export forest..."; a child of the window
  DocumentChanges* m_changes = nullptr;        // a child of the window
};
