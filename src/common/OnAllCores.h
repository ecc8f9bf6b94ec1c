// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work spread over every core for as long as one call lasts, with no pool kept between calls.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace gs {

// While set, no helper thread can start, as on a system that has none left to give: lets tests
// see that work still gets done, and done once, when threads run out.
inline std::atomic<bool> HelperThreadsRefused{false};

// Runs job(0) ... job(count - 1) on every core, handing them out in order, so a job may wait for
// one with a smaller number. The first failure stops the jobs not yet begun and is thrown once
// all threads have stopped. Helpers that cannot start leave their share to the threads that
// did, down to the calling one: a change is never half made for want of a thread.
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
    try {
      helpers.reserve(threads);
      for (size_t t = 1; t < threads; ++t) {
        if (HelperThreadsRefused) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        helpers.emplace_back(work);
      }
    } catch (const std::exception&) {
      // The jobs are handed out by number: whoever runs takes the rest.
    }
    work();
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace gs
