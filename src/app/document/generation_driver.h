// Grows trees off the window's thread: one generation at a time on a worker
// thread, from a copy of the parameters taken when it was asked for, and the
// finished tree handed back on the window's thread. The window keeps
// drawing the tree it has and processing its events meanwhile, so Escape and
// every edit arrive while a tree grows.
//
// The newest request wins: a request made while a tree grows cancels that
// generation (at its next branch, and its tree is dropped) and is grown once
// it has stopped; of several requests made meanwhile only the last is grown.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <QObject>
#include <QString>

#include "tree/tree.h"

// What one generation grows: copies, so that later edits do not reach it.
struct GrowthRequest {
  vh::TreeParameters params;
  vh::GenerationOptions options;
  std::uint64_t vertexBudget = vh::kDefaultVertexBudget;
};

// What a generation that was not superseded hands back: the tree (whole,
// stopped at the budget or cancelled), or why the parameters cannot be
// grown. The program-wide submesh number counter then stands where that
// generation left it.
struct GrownTree {
  std::unique_ptr<vh::Tree> tree;  // null when `failure` says why
  QString failure;
};

// Frees `tree` without making anyone wait for it: a tree of millions of
// vertices takes a good part of a second to free. A small tree is freed at
// once, a large one on a thread of its own that touches nothing else. Any
// thread may discard a tree: the view draws from buffers of its own and
// frees what it kept of a tree when it sees the submeshes gone.
void DiscardTree(std::unique_ptr<vh::Tree> tree);

class GenerationDriver : public QObject {
  Q_OBJECT
 public:
  // The name of the threads that grow a tree, as the system lists them.
  static constexpr const char* kWorkerThreadName = "growing tree";

  // `deliver` is called on the thread that made the driver (the window's),
  // once for every generation that ends without being superseded.
  explicit GenerationDriver(std::function<void(GrownTree)> deliver, QObject* parent = nullptr);
  // Cancels a running generation and waits for its worker to stop (at its
  // next branch); nothing is delivered any more.
  ~GenerationDriver() override;
  GenerationDriver(const GenerationDriver&) = delete;
  GenerationDriver& operator=(const GenerationDriver&) = delete;

  // Grows `request` now, or, while a generation runs, cancels that one and
  // grows `request` as soon as it has stopped (replacing any request that
  // was waiting for it).
  void Grow(GrowthRequest request);
  // Stops the running generation at its next branch; its partial tree is
  // delivered. A request waiting for it is dropped. Nothing while idle: a
  // cancel never reaches a later generation.
  void Cancel();
  // A generation runs or waits to run (until its tree was delivered).
  bool Busy() const { return m_running; }
  // Waits up to `limit` for the running generation to end and, when it
  // does, hands its tree over now rather than at the next turn of the event
  // loop: a small tree then reaches the screen in the same frame as the
  // edit that asked for it. Returns whether the generation ended in time.
  bool SettleWithin(std::chrono::milliseconds limit);

 signals:
  // No generation runs or waits any more (after the delivery, if any).
  void idle();

 private:
  void Start(GrowthRequest request);
  // On the worker.
  void Run(const GrowthRequest& request);
  // On the window's thread, after the worker posted its result (or
  // SettleWithin saw it): takes the result if it is still there.
  void TakeResult();
  void Finished(GrownTree result);

  std::function<void(GrownTree)> m_deliver;
  std::thread m_worker;
  bool m_running = false;                  // m_worker was started and not yet joined
  std::optional<GrowthRequest> m_waiting;  // grown once the running one stopped
  std::atomic<bool> m_cancel{false};       // read by the generation once per branch
  std::atomic<bool> m_superseded{false};   // the running generation's tree is not wanted
  // The worker's result, from its end until the window's thread takes it.
  std::mutex m_resultMutex;
  std::condition_variable m_resultReady;
  std::optional<GrownTree> m_result;
};
