#include "view/draw_list_cache.h"

namespace vh {

CompiledList& DrawListCache::For(const std::shared_ptr<Submesh>& submesh) {
  auto [at, inserted] = m_entries.try_emplace(submesh.get());
  Entry& entry = at->second;
  if (!inserted && entry.owner.expired()) {
    // The memory of a destroyed submesh was reused: its list is not ours.
    if (entry.list.name != 0) m_setAside.push_back(entry.list.name);
    entry.list = CompiledList();
    inserted = true;
  }
  if (inserted) entry.owner = submesh;
  return entry.list;
}

std::vector<unsigned> DrawListCache::TakeGone() {
  std::vector<unsigned> names = std::move(m_setAside);
  m_setAside.clear();
  for (auto at = m_entries.begin(); at != m_entries.end();) {
    if (at->second.owner.expired()) {
      if (at->second.list.name != 0) names.push_back(at->second.list.name);
      at = m_entries.erase(at);
    } else {
      ++at;
    }
  }
  return names;
}

std::vector<unsigned> DrawListCache::TakeAll() {
  std::vector<unsigned> names = std::move(m_setAside);
  m_setAside.clear();
  for (const auto& [submesh, entry] : m_entries) {
    if (entry.list.name != 0) names.push_back(entry.list.name);
  }
  m_entries.clear();
  return names;
}

void DrawListCache::Forget() {
  m_entries.clear();
  m_setAside.clear();
}

}  // namespace vh
