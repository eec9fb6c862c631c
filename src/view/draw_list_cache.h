// DrawListCache: the display lists one GL context keeps for the submeshes it
// has drawn, keyed by submesh. The mesh model knows nothing of them; a list
// is compiled again when its submesh's revision (or the frame's wireframe
// option) changes, and freed once its submesh is gone.
//
// The cache itself makes no GL call, so that its bookkeeping can be checked
// without a context: it hands out the names to free, and the drawing code
// (mesh_drawing.h) frees them in the context they belong to.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "tree/mesh.h"
#include "view/submesh_drawing.h"

namespace vh {

class DrawListCache {
 public:
  // The list of `submesh`; a submesh seen for the first time gets an empty
  // one (no name, nothing compiled). Should a new submesh occupy the memory
  // of one that is gone, the old list is set aside to be freed and the new
  // submesh starts afresh.
  CompiledList& For(const std::shared_ptr<Submesh>& submesh);

  // Names of the lists whose submeshes no longer exist; they leave the
  // cache. Free them with the context current.
  std::vector<unsigned> TakeGone();
  // Names of every list; the cache is empty afterwards (the context is
  // about to be destroyed and can still free them).
  std::vector<unsigned> TakeAll();
  // Empties the cache without freeing anything: the context that owned the
  // lists is gone, and the next one compiles everything afresh.
  void Forget();

  // Number of submeshes with an entry.
  std::size_t Size() const { return m_entries.size(); }

 private:
  struct Entry {
    std::weak_ptr<const Submesh> owner;  // expires when the submesh is destroyed
    CompiledList list;
  };
  std::unordered_map<const Submesh*, Entry> m_entries;
  std::vector<unsigned> m_setAside;  // names of replaced entries, to be freed
};

}  // namespace vh
