// The main window (Form1). It owns the state shared by the pages (the
// tree, the ground plane, the billboard slot, the camera, the redraw flag),
// the menu, the status line and the generation driver (trees grow on its
// worker while the window goes on), and hands the pages that state through
// EditorHost. The pages hold their own controls:
// BranchesPage, LeavesPage, TexturePage, the view controls (Panel3) and the
// view surface (StaticText1).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QMainWindow>

#include "app/billboard_export.h"
#include "app/editing_session.h"
#include "app/editor_host.h"
#include "app/generation_driver.h"
#include "app/gl_probe.h"
#include "billboard/candidate_picker.h"
#include "foundations/image.h"
#include "view/camera.h"
#include "view/draw_list_cache.h"
#include "view/viewer.h"

class BranchesPage;
class DocumentSession;
class FileFlows;
class FlatTabWidget;
class LeavesPage;
class LodPage;
class QLabel;
class QTimer;
class TexturePage;
class TreeView;
class ViewControls;

class MainWindow : public QMainWindow, public EditorHost {
  Q_OBJECT
 public:
  // Creates the tree (generated once), the ground plane, the camera at its
  // home position and the controls, then loads the controls from the tree
  // and stores them back (the second generation). `gl` says whether the
  // view can have an OpenGL context (ProbeOpenGL); without one the view is
  // a blank surface and the failure is reported once the window shows.
  explicit MainWindow(GlAvailability gl, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The window that "About..." shows; not owned.
  void SetAboutBox(QWidget* aboutBox) { aboutBox_ = aboutBox; }
  // The bark tiler that "Bark tiler" shows; not owned.
  void SetBarkTiler(QWidget* barkTiler) { barkTiler_ = barkTiler; }
  // Whether the view has a working GL context.
  bool ViewBound() const;
  bool ViewDirty() const { return viewDirty_; }
  // Opens the document `fileName` as "Open..." does after its dialog (the
  // program's command-line argument).
  void OpenDocumentFile(const QString& fileName);

  // EditorHost
  EditingSession& Session() override { return session_; }
  vh::Tree& CurrentTree() override { return session_.tree; }
  bool Busy() const override { return driver_->Busy() || session_.buildingFromTree; }
  bool EditsLocked() const override { return session_.buildingFromTree; }
  void WhenTreeIsIn(std::function<void()> action) override;
  bool BillboardMode() const override { return billboard_ != nullptr; }
  vh::MeshObject& GroundPlane() override { return *groundPlane_; }
  vh::MeshObject* Billboard() override { return billboard_.get(); }
  void SetBillboard(vh::BillboardCloud cloud) override;
  void DestroyBillboard() override;
  void ReleaseBillboardImages() override;
  vh::BillboardPicker& Picker() override { return picker_; }
  void UpdateAfterChange() override;
  void GenerateTree() override;
  void RefreshCounts() override;
  bool AutoUpdate() const override;
  void SetAutoUpdate(bool on) override;
  vh::Camera& ViewCamera() override { return camera_; }
  void SetViewDirty() override;
  void RenderFrameNow() override;
  bool WithViewContext(const std::function<void()>& work) override;
  void TreeChanging() override;
  vh::DrawListCache& ViewDrawLists() override { return drawLists_; }
  bool ShowPlane() const override;
  bool WireframeTicked() const override;
  void LoadLevelControls() override;
  void StoreControls() override;
  void RepaintLeafEditor() override;
  void GiveFocusBack() override;
  QWidget* DialogParent() override { return this; }

 public slots:
  // Timer1: keeps the status line (Label54) saying whether a tree grows
  // or billboard mode holds the tree.
  void onStatusTimer();
  // The menu items New1 ... About1.
  void onNew();
  void onOpen();
  void onSave();
  void onSaveAs();
  void onExport();
  void onExportScreenshot();
  void onExportBillboard();
  void onQuit();
  void onShowBarkTiler();
  void onHelp();
  void onShowAbout();

 signals:
  // A grown (or cancelled, partly grown) tree has replaced the shown one.
  void treeGrown();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildMenu();
  // The undo history, the unsaved-changes question and the menus' additions
  // (main_window_session.cpp).
  void StartDocumentSession();
  // What the window does, beyond showing it, when the tree it asked for
  // arrives.
  struct AfterGrowth {
    bool rebuildPlane = false;
    bool refreshCounts = false;
  };
  // Starts growing the session's parameters on the driver (superseding a
  // generation that runs); refused while a billboard cloud is built.
  void RequestGrowth(AfterGrowth after);
  // The driver's delivery: the tree replaces the shown one; a tree stopped
  // at the budget is reported.
  void InstallGrownTree(GrownTree grown);
  // Escape, closing and "Quit": the running generation (or billboard
  // build) stops and keeps what it made.
  void CancelLongTasks();
  void RunActionsWaitingForTree();
  void BuildLayout();
  void ForgetViewCaches();
  // HandleWindowKey: Escape cancels, Up/Down move the eye; returns whether the
  // key must not reach the focused control.
  bool HandleWindowKey(int key);

  EditingSession session_;
  std::unique_ptr<vh::MeshObject> groundPlane_;
  std::unique_ptr<vh::MeshObject> billboard_;
  vh::Image billboardColour_;
  vh::Image billboardAlpha_;
  vh::BillboardPicker picker_;  // one sequence of candidate planes for the whole run
  BillboardExportDialogState billboardExportDialog_;
  LodPage* lod_ = nullptr;
  vh::Camera camera_;
  vh::DrawListCache drawLists_;  // of the view's context; forgotten with it
  bool viewDirty_ = true;
  bool shownOnce_ = false;
  std::unique_ptr<GenerationDriver> driver_;
  AfterGrowth afterGrowth_;  // of the requests made since a tree last arrived
  std::vector<std::function<void()>> waitingForTree_;  // File menu actions, in order

  GlAvailability glAvailability_;
  QWidget* viewSurface_ = nullptr;      // StaticText1: the GL view or a blank stand-in
  TreeView* view_ = nullptr;            // the GL view, or null without OpenGL
  ViewControls* viewControls_ = nullptr;  // Panel3
  FlatTabWidget* pages_ = nullptr;      // PageControl1
  BranchesPage* branches_ = nullptr;
  LeavesPage* leaves_ = nullptr;
  TexturePage* texture_ = nullptr;
  QLabel* status_ = nullptr;            // Label54
  QTimer* statusTimer_ = nullptr;
  QWidget* aboutBox_ = nullptr;
  QWidget* barkTiler_ = nullptr;
  FileFlows* fileFlows_ = nullptr;  // the File menu's flows; a child of the window
  DocumentSession* document_ = nullptr;  // a child of the window
};
