// The tree being edited, as one object that the pages, the flows and the
// view share: the parameters and pictures (DocumentState), the tree last
// grown from them, the growing of the next one (on the driver's worker,
// while the window goes on), the billboard slot, and the busy and edit-lock
// state. Whoever changes what others show says so through the document,
// whose signals the others listen to; no part reaches into another.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include "app/document/document_state.h"
#include "app/document/generation_driver.h"
#include "billboard/billboard_cloud.h"
#include "billboard/candidate_picker.h"
#include "fileio/export_scene.h"

class TreeDocument : public QObject {
  Q_OBJECT
 public:
  // Grows the first tree from the default parameters, here and now: there
  // is no window yet to keep responsive. Every later tree grows on the
  // driver's worker.
  explicit TreeDocument(QObject* parent = nullptr);
  // Stops a running generation first; a large tree is freed off this thread.
  ~TreeDocument() override;
  TreeDocument(const TreeDocument&) = delete;
  TreeDocument& operator=(const TreeDocument&) = delete;

  // The parameters, pictures and switches, and the tree last grown from
  // them. Whoever changes the parameters as a whole announces it
  // (ParametersReplaced); single edits are followed by UpdateAfterChange.
  DocumentState& State() { return m_state; }
  const DocumentState& State() const { return m_state; }
  vh::TreeParameters& Params() { return m_state.params; }
  vh::Tree& CurrentTree() { return m_state.tree; }
  const vh::Tree& CurrentTree() const { return m_state.tree; }

  // True while a tree grows (or waits to) or a cloud or chain is built from
  // it: what reads or replaces the tree as a whole refuses then. Edits are
  // applied while a tree grows; it regrows.
  bool Busy() const { return Growing() || m_state.buildingFromTree; }
  // A tree grows or waits to.
  bool Growing() const { return m_driver != nullptr && m_driver->Busy(); }
  // True while a billboard cloud or a level-of-detail chain is built from
  // the tree and its textures: the editing handlers ignore input then.
  bool EditsLocked() const { return m_state.buildingFromTree; }
  // Runs `action` now, or once no tree grows any more, in the order asked:
  // for what reads or replaces the document and the tree as a whole.
  void WhenTreeIsIn(std::function<void()> action);
  // Escape, closing and "Quit": the running generation, or the cloud or
  // chain build, stops and keeps what it made.
  void CancelLongTasks();
  // Stops the running generation for good: nothing is delivered, and
  // nothing grows, any more. For a window that is going away.
  void StopGrowing();

  // A cloud or chain is built from the tree (BeginBuildFromTree to
  // EndBuildFromTree): edits are locked, nothing regrows, Escape asks the
  // builder to stop (CancelRequested), the status line shows `status`.
  // buildingChanged tells the view.
  void BeginBuildFromTree(const char* status);
  void EndBuildFromTree();
  bool CancelRequested() const { return m_state.cancelRequested; }

  // Whether "AutoUpdate" is ticked; the "Branches" page keeps it.
  bool AutoUpdate() const { return m_autoUpdate; }
  void SetAutoUpdate(bool on) { m_autoUpdate = on; }
  // After an edit: regrows when "AutoUpdate" is ticked and not in
  // billboard mode, and returns at once (a small tree is in within a few
  // milliseconds). When the tree is in, the view rebuilds its ground plane
  // and the counts are shown.
  void UpdateAfterChange();
  // "Generate": regrows outside billboard mode, nothing else.
  void GenerateTree();
  // Grows a document just opened: the counts are shown when it is in, and
  // the view looks at it from the front.
  void GrowOpenedDocument();
  // "Infos" is to show the counts of what the view shows (ShownMesh).
  void RefreshCounts() { emit countsChanged(); }
  // The cloud in billboard mode, else the tree.
  const vh::MeshObject& ShownMesh() const;

  // The parameters were replaced as a whole (New, Open, Undo): the pages
  // load their controls from them.
  void ParametersReplaced() { emit parametersReplaced(); }
  // Something the leaf editor shows changed.
  void LeafAppearanceChanged() { emit leafAppearanceChanged(); }
  // The view is to draw a frame at its next chance.
  void RequestRedraw() { emit redrawRequested(); }

  // The wind changes how the tree sways, never the tree: after a wind edit
  // (the parameters' `wind` changed and nothing else) the view is told
  // (windChanged) and nothing regrows.
  void WindChanged() { emit windChanged(); }
  // After an undo or redo from `before` to the current parameters: as
  // WindChanged when they grow the same tree (only the wind differs), else
  // as UpdateAfterChange.
  void UpdateAfterRestore(const vh::TreeParameters& before);
  // Whether the wind preview runs ("Play") or stands at its last pose
  // ("Pause"); it only shows while the document's wind is on. A view
  // setting of this run of the program, not part of the document.
  bool WindPlaying() const { return m_windPlaying; }
  void SetWindPlaying(bool playing);

  // Reads `fileName` as the leaf (bark) picture and announces it: the view
  // uploads it as texture object 1 (2), the bark preview shows it. Nothing
  // while edits are locked or for an empty name. Throws PictureError (the
  // pictures unchanged) when the file cannot be read. Does not touch the
  // parameters' picture names.
  void LoadLeafPicture(const QString& fileName);
  void LoadBarkPicture(const QString& fileName);
  // After an undo or redo from `before` to `after`: loads the pictures
  // `after` names where they differ; a bark picture no longer named leaves
  // the preview (barkPictureUnnamed). Returns a message per picture that
  // could not be read.
  QStringList RestorePictures(const vh::TreeParameters& before, const vh::TreeParameters& after);
  // The leaf and bark pictures, for exports that embed them.
  vh::MaterialPictures Pictures() const;

  // True while a billboard cloud replaces the tree (edits build nothing).
  bool BillboardMode() const { return m_billboard != nullptr; }
  // The cloud (null outside billboard mode) and the two textures of the
  // last run, for "Export billboard...".
  vh::MeshObject* Billboard() { return m_billboard.get(); }
  const vh::MeshObject* Billboard() const { return m_billboard.get(); }
  const vh::Image& BillboardColour() const { return m_billboardColour; }
  const vh::Image& BillboardAlpha() const { return m_billboardAlpha; }
  // Enters billboard mode with a finished cloud (its mesh must not be
  // null), replacing a current one, and keeps its two textures. The view
  // then draws the cloud and "Infos" shows its counts.
  void SetBillboard(vh::BillboardCloud cloud);
  // Leaves billboard mode: the cloud and its billboards go (the tree keeps
  // the bark submeshes the cloud shared); the textures of the last run
  // stay. Nothing outside billboard mode.
  void DestroyBillboard();
  // Forgets the two textures of the last run (a new run is starting).
  void ReleaseBillboardImages();
  // The source of candidate billboard planes for the whole run: seeded 0
  // with the document and never re-seeded, so that later clouds continue
  // its sequence.
  vh::BillboardPicker& Picker() { return m_picker; }

 signals:
  // A grown (or cancelled, partly grown) tree replaced the shown one.
  // `afterEdit`: it answers an edit (UpdateAfterChange), and the ground
  // plane is rebuilt with it; `opened`: it is a document just opened, which
  // the view frames.
  void treeReplaced(bool afterEdit, bool opened);
  void parametersReplaced();
  void leafAppearanceChanged();
  void billboardChanged();
  void countsChanged();
  void redrawRequested();
  // The wind settings changed (an edit, an undo, a document opened).
  void windChanged();
  void windPlayingChanged(bool playing);
  void leafPictureLoaded();
  void barkPictureLoaded();
  void barkPictureUnnamed();
  // A cloud or chain build started (true) or ended (false).
  void buildingChanged(bool building);
  // A failure the user must be told of: why a tree could not be grown, or
  // that it was grown only up to the budget.
  void problem(const QString& text, const QString& title);

 private:
  struct Growth {
    bool afterEdit = false;
    bool refreshCounts = false;
    bool opened = false;
  };
  // Starts growing the parameters on the driver (superseding a generation
  // that runs); refused while a cloud or chain is built.
  void RequestGrowth(Growth growth);
  void InstallGrownTree(GrownTree grown);
  void RunActionsWaitingForTree();

  DocumentState m_state;
  bool m_autoUpdate = true;
  bool m_windPlaying = true;
  std::unique_ptr<vh::MeshObject> m_billboard;
  vh::Image m_billboardColour;
  vh::Image m_billboardAlpha;
  vh::BillboardPicker m_picker;
  std::unique_ptr<GenerationDriver> m_driver;
  Growth m_pending;  // what the requests made since a tree last arrived asked for
  std::vector<std::function<void()>> m_waitingForTree;
};
