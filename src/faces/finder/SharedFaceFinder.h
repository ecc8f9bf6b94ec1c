// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The face model is large and slow to read: it is read once per program, on first use, on a
// thread of its own, so that neither start-up nor the interface waits for it.

#include "faces/finder/FaceFinder.h"

#include <future>
#include <memory>
#include <string>

namespace gs {

using TFaceFinderFuture = std::shared_future<std::shared_ptr<const TFaceFinder>>;

// The finder for a model file, being read or read. A read that failed (a missing or broken
// file) is tried again on the next call, so installing the model later works without a restart.
TFaceFinderFuture SharedFaceFinder(const std::string& modelPath);

}  // namespace gs
