// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/finder/SharedFaceFinder.h"

#include <chrono>
#include <map>
#include <mutex>

namespace gs {

namespace {

bool Failed(const TFaceFinderFuture& future) {
  if (future.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return false;
  try {
    future.get();
    return false;
  } catch (...) {
    return true;
  }
}

}  // namespace

TFaceFinderFuture SharedFaceFinder(const std::string& modelPath) {
  static std::mutex lock;
  static std::map<std::string, TFaceFinderFuture> finders;
  std::lock_guard guard(lock);
  TFaceFinderFuture& finder = finders[modelPath];
  if (!finder.valid() || Failed(finder)) {
    finder = std::async(std::launch::async, [modelPath] {
      return std::shared_ptr<const TFaceFinder>(std::make_shared<TFaceFinder>(modelPath));
    }).share();
  }
  return finder;
}

}  // namespace gs
