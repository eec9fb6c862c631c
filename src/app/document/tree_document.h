// The tree being edited, as one object that the pages, the flows and the
// view share: the parameters and pictures (DocumentState), the tree last
// grown from them, the growing of the next one (on the driver's worker,
// while the window goes on), the billboard slot, and the busy and edit-lock
// state. The document is the only writer of the parameters: every edit is
// one call (Change) that checks the edit lock, pushes one named step on the
// document's undo stack (History), applies it and says what changed through
// the signals the others listen to; no part reaches into another.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include "app/document/document_state.h"
#include "app/document/edit_history.h"
#include "app/document/generation_driver.h"
#include "app/document/parameter_edit.h"
#include "billboard/billboard_cloud.h"
#include "billboard/candidate_picker.h"
#include "fileio/export_scene.h"
#include "fileio/missing_pictures.h"

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
  // them, to read. The program changes them only through the calls below;
  // the mutable forms are for tests that set up a document directly (and
  // then announce it with ParametersReplaced).
  const DocumentState& State() const { return m_state; }
  const vh::TreeParameters& Params() const { return m_state.params; }
  const vh::Tree& CurrentTree() const { return m_state.tree; }
  DocumentState& State() { return m_state; }
  vh::TreeParameters& Params() { return m_state.params; }
  // The billboard cloud builder shares the tree's bark submeshes (under the
  // build lock, BeginBuildFromTree).
  vh::Tree& CurrentTree() { return m_state.tree; }

  // One edit of the parameters as a control makes it.
  struct ParameterChange {
    QString name;                                    // the step's name, "Undo <name>": the control's caption
    std::function<void(vh::TreeParameters&)> apply;  // applied to a copy of the parameters
    EditEffects effects;
    // Non-empty: merges with the newest step of the same key while the
    // gesture lasts (a slider drag, a word typed), see CloseMerge.
    QString mergeKey;
    // The Constant/Inherit pairs only store a flag, and the update they ask
    // for cannot regrow the tree under a cloud or chain builder.
    bool evenWhileLocked = false;
  };
  // Applies `change` to the parameters as one step of the undo stack, then
  // what follows from it (`effects`). Refused (false) while edits are
  // locked or an undo loads the controls. A change that leaves the
  // parameters as they were records nothing but still has its effects.
  bool Change(const ParameterChange& change);
  // The gesture under way ended: the next edit is a step of its own.
  void CloseMerge() { m_history.CloseMerge(); }
  // The undo stack, for the "Edit" menu and the question before unsaved
  // changes are given up. New, Open and a preset start it afresh (clear),
  // "Save" marks the saved step (setClean).
  EditHistory& History() { return m_history; }
  const EditHistory& History() const { return m_history; }
  // "Undo" and "Redo": refused while edits are locked or in billboard
  // mode. The parameters, the controls and the pictures return to that
  // step and the tree regrows as after an edit (unless the step changed
  // only the wind, which regrows nothing).
  void Undo();
  void Redo();
  // The undo stack's side of a step (ParameterEdit): the edit as it is made,
  // and a step taken back or repeated.
  void ApplyEdit(const vh::TreeParameters& after, const EditEffects& effects);
  void RestoreParameters(const vh::TreeParameters& state);

  // "New": the default parameters, no pictures, default switches, grown
  // afresh, with a fresh history.
  void StartNewTree();
  // Replaces the parameters with `params` just read from a document or a
  // preset: grows them, leaves billboard mode, loads the pictures they name
  // and announces it all, with a fresh history. Returns a message for each
  // picture that could not be read (the controls show the document all
  // the same).
  QStringList OpenParameters(vh::TreeParameters params);
  // Copies the pictures the parameters name into `folder` and names the
  // copies from now on, in every step of the history too: the user chose to
  // keep them beside the document. Throws when a copy fails.
  void CopyPicturesInto(const std::string& folder);
  // How the outline's texture coordinates are worked out for the editor the
  // user sees: applied when an opened document places the picture
  // differently from the document before it, as the editor's placement
  // controls then move.
  void SetTexCoordsRule(std::function<void(vh::TreeParameters&)> rule) { m_texCoordsRule = std::move(rule); }

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
  // True while an undo or redo replaces the parameters and the controls
  // show them: no control's change is an edit then.
  bool Restoring() const { return m_restoring; }
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
  // "Wireframe" clicked: in billboard mode the cloud and the ground plane
  // are drawn as lines (or filled) at once; otherwise the tree and the
  // ground plane, refused while edits are locked (false). The view is
  // told to redraw by whoever clicked.
  bool SetWireframe(bool on);
  // "Wireframe" as its box shows it: the ground plane rebuilt after an
  // edit takes it.
  void SetWireframeTicked(bool ticked) { m_state.wireframeTicked = ticked; }
  // "Hide leaves": the tree regrows with or without its leaves; refused
  // while edits are locked (false).
  bool SetShowLeaves(bool show);

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
  // The pictures of textured materials the opened document names but that
  // could not be read: those materials are grown, shown and exported
  // untextured, in their colours, until a picture is loaded for them.
  const std::vector<vh::MissingPicture>& MissingPictures() const { return m_missingPictures; }

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
  // An edit was applied (not an undo or redo): pages that show what another
  // control changed (the picture dragged in the leaf editor) follow it.
  void parametersEdited();
  // An undo or redo is about to take the parameters from `before` to `after`.
  void restoreStarted(const vh::TreeParameters& before, const vh::TreeParameters& after);
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
  EditHistory m_history;
  vh::TreeParameters m_recorded;  // the state the history's current step holds
  bool m_restoring = false;
  std::function<void(vh::TreeParameters&)> m_texCoordsRule;
  std::vector<vh::MissingPicture> m_missingPictures;
  // Pictures the user had copied beside the document: original → copy.
  std::vector<std::pair<std::string, std::string>> m_pictureCopies;
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
