// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <iterator>
#include <fcntl.h>
#include <unistd.h>

namespace gs {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP};
int Pipe[2] = {-1, -1};
struct sigaction Previous[std::size(kSignals)];

// Async-signal-safe: one write, errno kept for the code it interrupted.
void Handler(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &number, 1);
  errno = saved;
}

}  // namespace

TTerminationSignals::TTerminationSignals(std::function<void(int)> ended, QObject* parent)
    : QObject(parent), Ended_(std::move(ended)) {
  if (::pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;  // the signals keep ending the program as before
  Notifier_ = new QSocketNotifier(Pipe[0], QSocketNotifier::Read, this);
  // Arrived catches what the work throws: it ends the program either way.
  connect(Notifier_, &QSocketNotifier::activated, this, [this]() noexcept { Arrived(); });
  struct sigaction action {};
  action.sa_handler = Handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &action, &Previous[i]);
}

TTerminationSignals::~TTerminationSignals() {
  if (!Notifier_) return;
  for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &Previous[i], nullptr);
  ::close(Pipe[0]);
  ::close(Pipe[1]);
  Pipe[0] = Pipe[1] = -1;
}

void TTerminationSignals::Arrived() {
  unsigned char number = 0;
  if (::read(Pipe[0], &number, 1) != 1) return;
  try {
    if (Ended_) Ended_(number);
  } catch (...) {
    // Ending regardless: the signal asked for it.
  }
  // The default action, so that whoever sent the signal sees the program ended by it.
  std::signal(number, SIG_DFL);
  std::raise(number);
}

}  // namespace gs
