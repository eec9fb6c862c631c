#include "app/document/generation_driver.h"

#include <exception>
#include <utility>

#ifdef __linux__
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <QMetaObject>

namespace {
// Below this many vertices freeing costs less than starting a thread.
constexpr std::uint64_t kVerticesWorthAThread = 200'000;
// How much the growing threads yield to the window's (a nice value).
constexpr int kWorkerNiceness = 5;
}  // namespace

void DiscardTree(std::unique_ptr<vh::Tree> tree) {
  // The view keeps no pointer into the tree: its buffers are copies, its
  // worker shares the submeshes while it reads them, and the display lists
  // of offscreen pictures are freed in the view's context once their
  // submeshes are gone.
  if (tree == nullptr) return;
  if (tree->VertexCount() < kVerticesWorthAThread) return;
  // The thread owns the tree and nothing else; a program that exits
  // meanwhile simply ends it.
  std::thread([doomed = std::move(tree)] {}).detach();
}

GenerationDriver::GenerationDriver(std::function<void(GrownTree)> deliver, QObject* parent)
    : QObject(parent), m_deliver(std::move(deliver)) {}

GenerationDriver::~GenerationDriver() {
  if (!m_worker.joinable()) return;
  m_superseded = true;
  m_cancel = true;
  // The worker only touches its own copy of the request, its own tree and
  // the two flags above; the result it may have left goes with this
  // object (and its posted call with the object's pending events).
  m_worker.join();
}

void GenerationDriver::Grow(GrowthRequest request) {
  if (!m_running) {
    Start(std::move(request));
    return;
  }
  // Whatever the running generation makes is out of date: stop it and let
  // Finished start this one.
  m_waiting = std::move(request);
  m_superseded = true;
  m_cancel = true;
}

void GenerationDriver::Cancel() {
  if (!m_running) return;
  m_waiting.reset();
  m_cancel = true;
}

void GenerationDriver::Start(GrowthRequest request) {
  m_cancel = false;
  m_superseded = false;
  m_running = true;
  m_worker = std::thread([this, request = std::move(request)] { Run(request); });
}

void GenerationDriver::Run(const GrowthRequest& request) {
#ifdef __linux__
  // Recognisable in a debugger or a process list, and below the window's
  // thread, so that drawing and input come first when both want a core;
  // the meshing helpers it starts take both.
  pthread_setname_np(pthread_self(), kWorkerThreadName);
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kWorkerNiceness);
#endif
  GrownTree result;
  result.tree = std::make_unique<vh::Tree>();
  vh::GenerationControl control;
  control.cancel = &m_cancel;
  control.vertexBudget = request.vertexBudget;
  try {
    vh::Generate(request.params, request.options, control, *result.tree);
  } catch (const std::exception& error) {
    // Parameters no control produces, or no memory left for the tree.
    result.tree.reset();
    result.failure = QString::fromLocal8Bit(error.what());
  }
  if (m_superseded) {
    DiscardTree(std::move(result.tree));
    result.failure.clear();
  }
  {
    const std::lock_guard<std::mutex> lock(m_resultMutex);
    m_result = std::move(result);
  }
  m_resultReady.notify_one();
  QMetaObject::invokeMethod(
      this, [this] { TakeResult(); }, Qt::QueuedConnection);
}

bool GenerationDriver::SettleWithin(std::chrono::milliseconds limit) {
  if (!m_running) return true;
  {
    std::unique_lock<std::mutex> lock(m_resultMutex);
    if (!m_resultReady.wait_for(lock, limit, [this] { return m_result.has_value(); })) return false;
  }
  TakeResult();
  return true;
}

void GenerationDriver::TakeResult() {
  std::optional<GrownTree> result;
  {
    const std::lock_guard<std::mutex> lock(m_resultMutex);
    result.swap(m_result);
  }
  // Already taken by SettleWithin; the posted call comes late.
  if (!result) return;
  Finished(std::move(*result));
}

void GenerationDriver::Finished(GrownTree result) {
  m_worker.join();  // it has left its result and is about to return
  m_running = false;
  if (m_waiting) {
    // Also when this one was not superseded in time: the waiting request
    // holds newer parameters.
    GrowthRequest next = std::move(*m_waiting);
    m_waiting.reset();
    Start(std::move(next));
    return;
  }
  // Nothing to deliver when it was superseded and then cancelled.
  if (result.tree != nullptr || !result.failure.isEmpty()) m_deliver(std::move(result));
  if (!m_running) emit idle();  // unless the delivery asked for the next tree
}
