#include "app/document/tree_document.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include "app/document/local_path.h"
#include "app/document/tree_messages.h"
#include "fileio/document_pictures.h"
#include "imaging/picture_io.h"
#include "tree/leaf_texture_mapping.h"
#include "tree/parameter_table.h"

namespace {
constexpr std::chrono::milliseconds kInlineGrowthWait{5};

bool NamesPicture(bool loaded, const std::string& file) { return loaded && !file.empty(); }

// Whether `a` and `b` grow the same tree: they differ at most in how it
// sways, which generation never reads.
bool GrowsSameTree(vh::TreeParameters a, const vh::TreeParameters& b) {
  a.wind = b.wind;
  return a == b;
}

// Whether the leaf editor's placement controls show `a` and `b` at
// different positions (a value beyond a slider shows at its end).
bool ShowsPlacementApart(const vh::TreeParameters& a, const vh::TreeParameters& b) {
  using T = vh::TreeParameters;
  for (int T::*field : {&T::leafTexRotate, &T::leafTexTranslateX, &T::leafTexTranslateY, &T::leafTexScale}) {
    const vh::ControlRange& range = vh::FieldOf(field).control;
    if (std::clamp(a.*field, range.minimum, range.maximum) !=
        std::clamp(b.*field, range.minimum, range.maximum))
      return true;
  }
  return false;
}

void Rename(std::string& file, const std::vector<std::pair<std::string, std::string>>& copies) {
  for (const auto& [original, copy] : copies)
    if (file == original) file = copy;
}
}  // namespace

TreeDocument::TreeDocument(QObject* parent) : QObject(parent), m_recorded(m_state.params) {
  vh::Generate(m_state.params, m_state.GrowthOptions(), {}, m_state.tree);
  m_driver =
      std::make_unique<GenerationDriver>([this](GrownTree grown) { InstallGrownTree(std::move(grown)); });
  connect(m_driver.get(), &GenerationDriver::idle, this, &TreeDocument::RunActionsWaitingForTree);
}

TreeDocument::~TreeDocument() {
  StopGrowing();
  // A closing program need not wait for a large tree to be freed.
  DiscardTree(std::make_unique<vh::Tree>(std::move(m_state.tree)));
}

void TreeDocument::StopGrowing() { m_driver.reset(); }

void TreeDocument::WhenTreeIsIn(std::function<void()> action) {
  m_waitingForTree.push_back(std::move(action));
  RunActionsWaitingForTree();
}

void TreeDocument::RunActionsWaitingForTree() {
  // An action that starts a generation (New, Open) makes the rest wait
  // for that tree in turn.
  while (!m_waitingForTree.empty() && m_driver != nullptr && !m_driver->Busy()) {
    const std::function<void()> action = std::move(m_waitingForTree.front());
    m_waitingForTree.erase(m_waitingForTree.begin());
    action();
  }
}

void TreeDocument::CancelLongTasks() {
  if (m_state.buildingFromTree) m_state.cancelRequested = true;
  if (m_driver != nullptr) m_driver->Cancel();
}

void TreeDocument::BeginBuildFromTree(const char* status) {
  m_state.buildingFromTree = true;
  m_state.buildStatus = status;
  m_state.cancelRequested = false;
  emit buildingChanged(true);
}

void TreeDocument::EndBuildFromTree() {
  m_state.buildingFromTree = false;
  m_state.buildStatus = "";
  m_state.cancelRequested = false;
  emit buildingChanged(false);
}

void TreeDocument::RequestGrowth(Growth growth) {
  // A cloud or chain builder reads the tree while it processes events: it
  // must not be replaced under it (and a builder only starts when idle).
  if (m_state.buildingFromTree || m_driver == nullptr) return;
  // The tree that arrives answers every request made since the last one
  // arrived, so it does what any of them asked for.
  m_pending.afterEdit |= growth.afterEdit;
  m_pending.refreshCounts |= growth.refreshCounts;
  m_pending.opened |= growth.opened;
  // A material whose picture could not be read grows untextured, in its
  // colours, as the command-line tool grows it: the document keeps naming
  // the picture.
  m_driver->Grow({vh::WithoutMissingPictures(m_state.params, m_missingPictures), m_state.GrowthOptions(),
                  m_state.vertexBudget});
}

void TreeDocument::InstallGrownTree(GrownTree grown) {
  const Growth growth = std::exchange(m_pending, {});
  if (grown.tree == nullptr) {
    emit problem(grown.failure, "Error");
    return;
  }
  // The view lets go of the old tree's buffers when it first draws the new
  // one, whose buffers it then fills on its worker; the old tree's memory
  // is freed off this thread.
  auto replaced = std::make_unique<vh::Tree>(std::move(m_state.tree));
  m_state.tree = std::move(*grown.tree);
  DiscardTree(std::move(replaced));
  if (growth.afterEdit) m_state.wireframe.groundPlane = m_state.wireframeTicked;
  // No generation runs now, so the view's new ground plane takes the next
  // object number: the one after the new tree's.
  emit treeReplaced(growth.afterEdit, growth.opened);
  if (growth.refreshCounts) emit countsChanged();
  // Last: the message box processes events, which may start the next generation.
  if (m_state.tree.budgetExceeded) {
    emit problem(TreeTooLargeMessage(m_state.tree, m_state.vertexBudget), "Tree too large");
  }
}

void TreeDocument::UpdateAfterChange() {
  if (BillboardMode() || !m_autoUpdate) return;
  const bool wasIdle = !Growing();
  RequestGrowth({.afterEdit = true, .refreshCounts = true});
  // An edit of a small tree: the tree is in within a few milliseconds, and
  // taken at once it is drawn in the same frame as the control that
  // changed. A larger one arrives later; the wait costs no more than that.
  if (wasIdle && m_driver != nullptr) m_driver->SettleWithin(kInlineGrowthWait);
}

void TreeDocument::UpdateAfterRestore(const vh::TreeParameters& before) {
  if (before.wind != m_state.params.wind) emit windChanged();
  // The tree shown was grown from `before` (or waits for an edit with
  // "AutoUpdate" off); what only sways differently needs no new one.
  if (!GrowsSameTree(before, m_state.params)) UpdateAfterChange();
}

bool TreeDocument::Change(const ParameterChange& change) {
  if (m_restoring || (EditsLocked() && !change.evenWhileLocked)) return false;
  vh::TreeParameters after = m_state.params;
  change.apply(after);
  // Compared with the state the history holds: parameters a test set
  // directly are recorded with the next edit, as part of it.
  if (after == m_recorded) {
    ApplyEdit(after, change.effects);
    return true;
  }
  // The push applies the step (its first redo).
  m_history.push(new ParameterEdit(*this, change.name, m_recorded, std::move(after), change.effects,
                                   change.mergeKey, m_history.Gesture()));
  return true;
}

void TreeDocument::ApplyEdit(const vh::TreeParameters& after, const EditEffects& effects) {
  m_state.params = after;
  m_recorded = after;
  // The generator builds the template again from the outline; the leaves
  // shown stay until the next update.
  if (effects.dropLeafTemplate) m_state.tree.leafTemplate.reset();
  emit parametersEdited();
  if (effects.wind) emit windChanged();
  if (effects.regrow) UpdateAfterChange();
  if (effects.leafAppearance) emit leafAppearanceChanged();
}

void TreeDocument::Undo() {
  if (EditsLocked() || BillboardMode() || !m_history.canUndo()) return;
  m_history.CloseMerge();
  m_history.undo();
}

void TreeDocument::Redo() {
  if (EditsLocked() || BillboardMode() || !m_history.canRedo()) return;
  m_history.CloseMerge();
  m_history.redo();
}

void TreeDocument::RestoreParameters(const vh::TreeParameters& state) {
  const vh::TreeParameters before = m_state.params;
  vh::TreeParameters after = state;
  Rename(after.barkTextureFile, m_pictureCopies);
  Rename(after.leafTextureFile, m_pictureCopies);
  m_restoring = true;
  emit restoreStarted(before, after);
  m_state.params = after;
  m_recorded = after;
  emit parametersReplaced();
  m_restoring = false;
  const QStringList problems = RestorePictures(before, after);
  if (!problems.isEmpty()) emit problem(problems.join('\n'), "Error");
  // A step that only changed the wind sways the tree it has.
  UpdateAfterRestore(before);
  emit leafAppearanceChanged();
}

void TreeDocument::StartNewTree() {
  // The cloud stands for the tree being discarded: leave billboard mode so
  // that the new tree is grown and shown.
  DestroyBillboard();
  m_state.StartNewTree();
  m_missingPictures.clear();
  m_recorded = m_state.params;
  emit parametersReplaced();
  UpdateAfterChange();
  emit countsChanged();  // also when "AutoUpdate" left the new tree ungrown
  emit leafAppearanceChanged();
  m_history.clear();
  m_pictureCopies.clear();
}

QStringList TreeDocument::OpenParameters(vh::TreeParameters params) {
  const bool placementMoves = ShowsPlacementApart(m_state.params, params);
  m_state.params = std::move(params);
  // A picture that cannot be read is reported, and its material grows
  // untextured: read them before the tree grows.
  QStringList problems;
  m_missingPictures.clear();
  const auto load = [&](const char* material, bool textured, const std::string& file,
                        void (TreeDocument::*loadPicture)(const QString&)) {
    try {
      (this->*loadPicture)(FromLocalPath(file));
      if (textured && file.empty()) m_missingPictures.push_back({material, file, "no picture is named"});
    } catch (const std::exception& error) {
      problems << QString::fromLocal8Bit(error.what());
      // The reader's message starts with the file's name, which the
      // description of a missing picture gives already.
      std::string reason = error.what();
      if (reason.rfind(file + ": ", 0) == 0) reason.erase(0, file.size() + 2);
      if (textured) m_missingPictures.push_back({material, file, reason});
    }
  };
  const vh::TreeParameters& opened = m_state.params;
  load("bark", opened.barkTextureLoaded, opened.barkTextureFile, &TreeDocument::LoadBarkPicture);
  load("leaf", opened.leafTextureLoaded, opened.leafTextureFile, &TreeDocument::LoadLeafPicture);
  // The tree grows on the driver's worker: whether it outgrew the budget is
  // known, and said, only once it is in.
  GrowOpenedDocument();
  DestroyBillboard();  // it showed the tree that was just replaced
  // The outline's coordinates follow the editor the user sees when the
  // placement controls move (a document made for another editor size).
  if (placementMoves && m_texCoordsRule) m_texCoordsRule(m_state.params);
  m_recorded = m_state.params;
  emit parametersReplaced();
  emit leafAppearanceChanged();
  emit redrawRequested();
  emit countsChanged();  // of the tree just grown from the document
  m_history.clear();
  m_pictureCopies.clear();
  return problems;
}

void TreeDocument::CopyPicturesInto(const std::string& folder) {
  vh::TreeParameters copied = m_state.params;
  vh::CopyPicturesInto(copied, folder);
  for (const auto& [original, copy] : {std::pair(m_state.params.barkTextureFile, copied.barkTextureFile),
                                       std::pair(m_state.params.leafTextureFile, copied.leafTextureFile)}) {
    if (original != copy) m_pictureCopies.emplace_back(original, copy);
  }
  m_state.params = std::move(copied);
  Rename(m_recorded.barkTextureFile, m_pictureCopies);
  Rename(m_recorded.leafTextureFile, m_pictureCopies);
}

bool TreeDocument::SetWireframe(bool on) {
  WireframeParts& wireframe = m_state.wireframe;
  if (BillboardMode()) {
    wireframe.groundPlane = on;
    wireframe.billboard = on;
    return true;
  }
  if (EditsLocked()) return false;
  wireframe.tree = on;
  wireframe.groundPlane = on;
  emit leafAppearanceChanged();
  return true;
}

bool TreeDocument::SetShowLeaves(bool show) {
  if (EditsLocked()) return false;
  m_state.showLeaves = show;
  UpdateAfterChange();
  emit leafAppearanceChanged();
  return true;
}

void TreeDocument::SetWindPlaying(bool playing) {
  if (playing == m_windPlaying) return;
  m_windPlaying = playing;
  emit windPlayingChanged(playing);
}

void TreeDocument::GenerateTree() {
  if (BillboardMode()) return;
  RequestGrowth({});
}

void TreeDocument::GrowOpenedDocument() {
  RequestGrowth({.afterEdit = false, .refreshCounts = true, .opened = true});
}

const vh::MeshObject& TreeDocument::ShownMesh() const {
  if (m_billboard != nullptr) return *m_billboard;
  return m_state.tree;
}

void TreeDocument::LoadLeafPicture(const QString& fileName) {
  if (EditsLocked() || fileName.isEmpty()) return;
  m_state.leafTextureImage = vh::LoadPicture(LocalPath(fileName));
  std::erase_if(m_missingPictures, [](const vh::MissingPicture& m) { return m.material == "leaf"; });
  emit leafPictureLoaded();
}

void TreeDocument::LoadBarkPicture(const QString& fileName) {
  if (EditsLocked() || fileName.isEmpty()) return;
  m_state.barkTextureImage = vh::LoadPicture(LocalPath(fileName));
  std::erase_if(m_missingPictures, [](const vh::MissingPicture& m) { return m.material == "bark"; });
  emit barkPictureLoaded();
}

QStringList TreeDocument::RestorePictures(const vh::TreeParameters& before, const vh::TreeParameters& after) {
  QStringList problems;
  const auto load = [&problems](const std::function<void()>& step) {
    try {
      step();
    } catch (const std::exception& error) {
      problems << QString::fromLocal8Bit(error.what());
    }
  };
  if (before.barkTextureFile != after.barkTextureFile ||
      before.barkTextureLoaded != after.barkTextureLoaded) {
    if (NamesPicture(after.barkTextureLoaded, after.barkTextureFile)) {
      load([&] { LoadBarkPicture(FromLocalPath(after.barkTextureFile)); });
    } else {
      emit barkPictureUnnamed();
    }
  }
  if (before.leafTextureFile != after.leafTextureFile &&
      NamesPicture(after.leafTextureLoaded, after.leafTextureFile)) {
    load([&] { LoadLeafPicture(FromLocalPath(after.leafTextureFile)); });
  }
  return problems;
}

vh::MaterialPictures TreeDocument::Pictures() const {
  vh::MaterialPictures pictures;
  pictures.leaf = &m_state.leafTextureImage;
  pictures.bark = &m_state.barkTextureImage;
  return pictures;
}

void TreeDocument::SetBillboard(vh::BillboardCloud cloud) {
  if (cloud.mesh == nullptr) return;
  m_billboard = std::move(cloud.mesh);
  m_billboardColour = std::move(cloud.colourTexture);
  m_billboardAlpha = std::move(cloud.transparency);
  m_state.wireframe.billboard = false;  // the new billboards are drawn filled until "Wireframe" is clicked
  emit billboardChanged();
  emit countsChanged();
}

void TreeDocument::DestroyBillboard() {
  if (m_billboard == nullptr) return;
  // The billboards go with the cloud; the bark submeshes it listed are
  // shared with the tree, which keeps them.
  m_billboard.reset();
  emit billboardChanged();
  emit countsChanged();  // the tree is shown again, as it was
}

void TreeDocument::ReleaseBillboardImages() {
  m_billboardColour = vh::Image();
  m_billboardAlpha = vh::Image();
}
