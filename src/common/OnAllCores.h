// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work spread over every core for as long as one call lasts, with no pool kept between calls.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace gs {

// Runs job(0) ... job(count - 1) on every core, handing them out in order, so a job may wait for
// one with a smaller number. The first failure stops the jobs not yet begun and is thrown once
// all threads have stopped.
template <class TJob>
void OnAllCores(size_t count, const TJob& job) {
  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureLock;
  auto work = [&] {
    for (size_t i; (i = next++) < count;) {
      try {
        job(i);
      } catch (...) {
        std::lock_guard lock(failureLock);
        if (!failure) failure = std::current_exception();
        next = count;
      }
    }
  };
  const size_t threads = std::min<size_t>(count, std::max(1U, std::thread::hardware_concurrency()));
  {
    std::vector<std::jthread> helpers;
    for (size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace gs
