// Filling a large buffer in shares on two threads, so that what each share
// completes can be written out while the rest is still being filled.
#pragma once

#include <cstddef>
#include <functional>

namespace vh {

// Runs `job(0)` ... `job(count - 1)`, each taken by the next free thread in
// order.
//
// Without `done` the calling thread takes jobs too. With it, two helper
// threads do the jobs while the calling thread calls `done(i)` for each
// job i as it finishes, in the order they finish; an exception from `done`
// stops the jobs not yet begun and is passed on. `parallel` false runs
// everything on the calling thread, `done(i)` after job i (small buffers
// are not worth a thread).
void RunChunks(std::size_t count, const std::function<void(std::size_t)>& job,
               const std::function<void(std::size_t)>& done, bool parallel);

}  // namespace vh
