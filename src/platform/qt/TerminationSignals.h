// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGTERM and SIGHUP, as a logout, a shutdown or a closed terminal send them, turned into a call
// on the interface thread. The handler only writes the signal's number into a pipe: whatever
// the program then does (write a recovery copy, let go of its lock) runs outside it.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace gs {

class TTerminationSignals : public QObject {
public:
  // `ended` gets the signal's number; once it returns the program ends as that signal ends it.
  // One watcher at a time; the handlers that were there come back when it goes.
  explicit TTerminationSignals(std::function<void(int)> ended, QObject* parent = nullptr);
  ~TTerminationSignals() override;
  TTerminationSignals(const TTerminationSignals&) = delete;
  TTerminationSignals& operator=(const TTerminationSignals&) = delete;

private:
  void Arrived();

  std::function<void(int)> Ended_;
  QSocketNotifier* Notifier_ = nullptr;
};

}  // namespace gs
