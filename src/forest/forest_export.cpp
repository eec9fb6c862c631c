#include "forest/forest_export.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "foundations/atomic_file.h"

namespace vh {
namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Packs grown on a pool of threads, handed out in order. The threads run
// at most a few variants ahead of the one the writer waits for, so that
// finished packs do not pile up while an early, slow variant still grows.
class ParallelPacks {
 public:
  ParallelPacks(const ForestPlan& plan, std::vector<std::size_t> variants, int threads,
                const ForestChainMaker& chains, const std::atomic<bool>* cancel)
      : m_plan(plan),
        m_variants(std::move(variants)),
        m_chains(chains),
        m_cancel(cancel),
        m_results(m_variants.size()),
        m_ahead(2 * static_cast<std::size_t>(threads)) {
    for (int i = 0; i < threads; ++i) m_threads.emplace_back([this] { Work(); });
  }

  ~ParallelPacks() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads) thread.join();
  }

  // The pack of the `position`th variant, once grown; rethrows what
  // growing it threw.
  std::string Take(std::size_t position) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_results[position].done; });
    Result result = std::move(m_results[position]);
    m_taken = position + 1;
    lock.unlock();
    m_changed.notify_all();
    if (result.failure) std::rethrow_exception(result.failure);
    return std::move(result.pack);
  }

 private:
  struct Result {
    bool done = false;
    std::string pack;
    std::exception_ptr failure;
  };

  void Work() {
    for (;;) {
      std::size_t position = 0;
      {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock,
                       [&] { return m_stop || m_next >= m_variants.size() || m_next < m_taken + m_ahead; });
        if (m_stop || m_next >= m_variants.size()) return;
        position = m_next++;
      }
      Result result;
      try {
        result.pack = GrowVariantPack(m_plan, m_variants[position], m_chains, m_cancel);
      } catch (...) {
        result.failure = std::current_exception();
      }
      result.done = true;
      {
        std::lock_guard lock(m_mutex);
        m_results[position] = std::move(result);
      }
      m_changed.notify_all();
    }
  }

  const ForestPlan& m_plan;
  const std::vector<std::size_t> m_variants;
  const ForestChainMaker& m_chains;
  const std::atomic<bool>* m_cancel;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Result> m_results;
  std::size_t m_next = 0, m_taken = 0;
  const std::size_t m_ahead;
  bool m_stop = false;
  std::vector<std::thread> m_threads;  // last: started once everything else is set
};

}  // namespace

ForestFileWriter::ForestFileWriter(const ForestPlan& plan, const std::string& path,
                                   ForestInstancing instancing)
    : m_path(path), m_gltf(plan, instancing, FolderOf(path)), m_file(std::make_unique<AtomicFile>(path)) {}

ForestFileWriter::~ForestFileWriter() = default;

void ForestFileWriter::Commit() {
  m_gltf.WriteTo(*m_file, m_path);
  m_file->Commit();
}

void ExportForest(const ForestPlan& plan, const std::string& path, const ForestExportOptions& options) {
  ForestFileWriter writer(plan, path, options.instancing);
  std::vector<std::size_t> variants;
  for (std::size_t v = 0; v < plan.variants.size(); ++v)
    if (writer.Wanted(v)) variants.push_back(v);
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int threads = std::clamp(options.threads > 0 ? options.threads : cores, 1,
                                 static_cast<int>(std::max<std::size_t>(1, variants.size())));
  ParallelPacks packs(plan, variants, threads, options.chains, options.cancel);
  for (std::size_t i = 0; i < variants.size(); ++i) {
    writer.Add(variants[i], packs.Take(i));
    if (options.progress) options.progress(i + 1, variants.size());
    if (options.cancel != nullptr && *options.cancel) throw ForestCancelled();
  }
  if (options.cancel != nullptr && *options.cancel) throw ForestCancelled();
  writer.Commit();
}

}  // namespace vh
