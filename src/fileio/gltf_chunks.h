// Filling a large buffer on two threads in the order of the file it
// becomes, so that what is complete can be written out while the rest is
// still being filled.
#pragma once

#include <cstddef>
#include <functional>

namespace vh {

// Runs `job(0)` ... `job(count - 1)`, each job taken by the next free
// thread in order. Job i, once it and every job before it are done, makes
// the buffer complete up to `completes(i)`, which does not decrease with i.
//
// Without `progress` the calling thread takes jobs too. With it, two
// helper threads do the jobs while the calling thread calls
// `progress(complete)` whenever more of the buffer is complete, lastly with
// `completes(count - 1)`; an exception from it stops the jobs not yet
// begun and is passed on. `parallel` false runs everything on the calling
// thread (small buffers are not worth a thread).
void RunChunks(std::size_t count, const std::function<void(std::size_t)>& job,
               const std::function<std::size_t(std::size_t)>& completes,
               const std::function<void(std::size_t)>& progress, bool parallel);

}  // namespace vh
