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
  // The view's list cache sees the submeshes go and frees their lists in
  // its own context at the next frame.
  if (tree == nullptr) return;
  if (tree->VertexCount() < kVerticesWorthAThread) return;
  // The thread owns the tree and nothing else; a program that exits
  // meanwhile simply ends it.
  std::thread([doomed = std::move(tree)] {}).detach();
}

GenerationDriver::GenerationDriver(std::function<void(GrownTree)> deliver, QObject* parent)
    : QObject(parent), deliver_(std::move(deliver)) {}

GenerationDriver::~GenerationDriver() {
  if (!worker_.joinable()) return;
  superseded_ = true;
  cancel_ = true;
  // The worker only touches its own copy of the request, its own tree and
  // the two flags above; the result it may have left goes with this
  // object (and its posted call with the object's pending events).
  worker_.join();
}

void GenerationDriver::Grow(GrowthRequest request) {
  if (!running_) {
    Start(std::move(request));
    return;
  }
  // Whatever the running generation makes is out of date: stop it and let
  // Finished start this one.
  waiting_ = std::move(request);
  superseded_ = true;
  cancel_ = true;
}

void GenerationDriver::Cancel() {
  if (!running_) return;
  waiting_.reset();
  cancel_ = true;
}

void GenerationDriver::Start(GrowthRequest request) {
  cancel_ = false;
  superseded_ = false;
  running_ = true;
  worker_ = std::thread([this, request = std::move(request)] { Run(request); });
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
  control.cancel = &cancel_;
  control.vertexBudget = request.vertexBudget;
  try {
    vh::Generate(request.params, request.options, control, *result.tree);
  } catch (const std::exception& error) {
    // Parameters no control produces, or no memory left for the tree.
    result.tree.reset();
    result.failure = QString::fromLocal8Bit(error.what());
  }
  if (superseded_) {
    DiscardTree(std::move(result.tree));
    result.failure.clear();
  }
  {
    const std::lock_guard<std::mutex> lock(resultMutex_);
    result_ = std::move(result);
  }
  resultReady_.notify_one();
  QMetaObject::invokeMethod(this, [this] { TakeResult(); }, Qt::QueuedConnection);
}

bool GenerationDriver::SettleWithin(std::chrono::milliseconds limit) {
  if (!running_) return true;
  {
    std::unique_lock<std::mutex> lock(resultMutex_);
    if (!resultReady_.wait_for(lock, limit, [this] { return result_.has_value(); })) return false;
  }
  TakeResult();
  return true;
}

void GenerationDriver::TakeResult() {
  std::optional<GrownTree> result;
  {
    const std::lock_guard<std::mutex> lock(resultMutex_);
    result.swap(result_);
  }
  // Already taken by SettleWithin; the posted call comes late.
  if (!result) return;
  Finished(std::move(*result));
}

void GenerationDriver::Finished(GrownTree result) {
  worker_.join();  // it has left its result and is about to return
  running_ = false;
  if (waiting_) {
    // Also when this one was not superseded in time: the waiting request
    // holds newer parameters.
    GrowthRequest next = std::move(*waiting_);
    waiting_.reset();
    Start(std::move(next));
    return;
  }
  // Nothing to deliver when it was superseded and then cancelled.
  if (result.tree != nullptr || !result.failure.isEmpty()) deliver_(std::move(result));
  if (!running_) emit idle();  // unless the delivery asked for the next tree
}
