// The narrow interface through which the pages of the main window (the
// "Branches", "Leaves", "Texture" and "Level of detail" pages and the view
// controls) reach the state the main window owns. Pages hold their own
// controls and handlers; everything shared (the tree, the generation
// protocol, the view) goes through here, so that a page never needs the
// main window's class.
#pragma once

#include <functional>

#include <QString>

#include "app/editing_session.h"

class QWidget;

namespace vh {
class Tree;
class MeshObject;
struct Camera;
struct BillboardCloud;
class BillboardPicker;
class DrawListCache;
}  // namespace vh

class EditorHost {
 public:
  virtual ~EditorHost() = default;

  // The tree being edited: its parameters, pictures and switches, and the
  // tree last grown from them (CurrentTree).
  virtual EditingSession& Session() = 0;
  virtual vh::Tree& CurrentTree() = 0;
  // True while a tree grows (or waits to) or a cloud or chain is built from
  // it: the file flows and the "Level of detail" buttons, which read or
  // replace the tree, refuse then. Edits are applied while a tree grows;
  // it regrows.
  virtual bool Busy() const = 0;
  // True while a billboard cloud or a level-of-detail chain is built from
  // the tree and its textures: the editing handlers ignore input then.
  virtual bool EditsLocked() const = 0;
  // Runs `action` now, or once no tree grows any more: for what reads or
  // replaces the document and the tree as a whole (opening, saving).
  virtual void WhenTreeIsIn(std::function<void()> action) = 0;
  // True while a billboard cloud replaces the tree (tree edits build nothing).
  virtual bool BillboardMode() const = 0;
  // The ground plane (never null) and the billboard cloud (null outside
  // billboard mode).
  virtual vh::MeshObject& GroundPlane() = 0;
  virtual vh::MeshObject* Billboard() = 0;
  // Enters billboard mode with a finished cloud (its mesh must not be
  // null), replacing a current one, and keeps the cloud's two textures for
  // "Export billboard...". The view then draws the cloud instead of the
  // tree and "Infos" shows the cloud's counts.
  virtual void SetBillboard(vh::BillboardCloud cloud) = 0;
  // Leaves billboard mode: releases the cloud and the billboards it made
  // (the tree keeps the bark submeshes the cloud shared); "Infos" shows the
  // tree's counts again. The textures of the last run stay. Does nothing
  // outside billboard mode. "New" and "Open..." call it before they
  // replace the tree.
  virtual void DestroyBillboard() = 0;
  // Forgets the two textures of the last run (a new run is starting).
  virtual void ReleaseBillboardImages() = 0;
  // The source of candidate billboard planes for the whole run: seeded 0
  // when the window is made and never re-seeded, so that later clouds
  // continue its sequence.
  virtual vh::BillboardPicker& Picker() = 0;

  // Regrows when "AutoUpdate" is ticked and not in billboard mode; it
  // returns at once. When the tree is in, the ground plane is rebuilt, the
  // view redrawn and the counts refreshed.
  virtual void UpdateAfterChange() = 0;
  // What "Generate" does: regrow outside billboard mode, nothing else.
  virtual void GenerateTree() = 0;
  // Writes the counts of what the view shows (the cloud in billboard mode,
  // else the tree) into "Infos".
  virtual void RefreshCounts() = 0;
  // Whether "AutoUpdate" is ticked (pages untick it while loading controls).
  virtual bool AutoUpdate() const = 0;
  virtual void SetAutoUpdate(bool on) = 0;

  // The camera of the 3-D view.
  virtual vh::Camera& ViewCamera() = 0;
  // Redraw at the next idle moment.
  virtual void SetViewDirty() = 0;
  // Draw and present a frame now.
  virtual void RenderFrameNow() = 0;
  // Makes the view's GL context current for texture uploads and offscreen
  // rendering and runs `work` in it. Returns false, without running it,
  // when there is no working context.
  virtual bool WithViewContext(const std::function<void()>& work) = 0;
  // The tree's submeshes are about to be changed in place (a billboard
  // cloud or chain is built from them): the view stops reading them.
  virtual void TreeChanging() = 0;
  // The display lists of the view's context, for drawing in it.
  virtual vh::DrawListCache& ViewDrawLists() = 0;
  // Whether "Show plane" and "Wireframe" are ticked.
  virtual bool ShowPlane() const = 0;
  virtual bool WireframeTicked() const = 0;

  // Cross-page requests: the parameter panel's routines and the leaf
  // editor's repaint.
  virtual void LoadLevelControls() = 0;
  virtual void StoreControls() = 0;
  virtual void RepaintLeafEditor() = 0;
  // Gives the keyboard focus to the shown page's first slider, so that
  // check boxes never keep it.
  virtual void GiveFocusBack() = 0;

  // Parent for dialogs and message boxes.
  virtual QWidget* DialogParent() = 0;
};
