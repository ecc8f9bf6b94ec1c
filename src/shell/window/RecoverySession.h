// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recovery copies of running and ended sessions, in one folder. A session holds an flock on
// its lock file for as long as it runs; the kernel lets go of it however the process ends, so a
// copy whose lock can be taken belongs to a session that did not end normally, and one whose
// lock is held belongs to another running instance and is left alone.

#include "document/Recovery.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace gs {

// Where copies live: $XDG_STATE_HOME/grimacer-studio/recovery, ~/.local/state when unset.
std::string DefaultRecoveryFolder();

// A copy a dead session left, with its lock held while the copy is offered, so that two
// instances starting together do not both offer it.
struct TDeadCopy {
  std::string Path;
  std::string LockPath;
  TRecoveryCopy Header;  // the names and the time only
  std::string Damage;    // why even the names cannot be read; empty when they can
  int LockFd = -1;
  TDeadCopy() = default;
  TDeadCopy(TDeadCopy&& other) noexcept;
  TDeadCopy& operator=(TDeadCopy&& other) noexcept;
  ~TDeadCopy();
  // Deletes the copy and its lock file.
  void Remove();
};

// The dead sessions' copies in the folder, newest first, those whose names cannot be read last
// (with the reason in Damage). Only regular files are opened. A dead session's temporary file
// becomes its copy when it is whole and newer, and goes otherwise. A folder that cannot be
// listed is skipped with one line on standard error.
std::vector<TDeadCopy> FindDeadCopies(const std::string& folder);

class TRecoverySession : public std::enable_shared_from_this<TRecoverySession> {
public:
  // `post` runs a function on the interface thread later; a finished write reports through it.
  // Creates the folder and takes this session's lock; fails with an Exception.
  TRecoverySession(std::string folder, std::function<void(std::function<void()>)> post);
  // Waits for a write under way, then removes the copy and the lock: the session ended normally.
  ~TRecoverySession();
  TRecoverySession(const TRecoverySession&) = delete;
  TRecoverySession& operator=(const TRecoverySession&) = delete;

  const std::string& Folder() const { return Folder_; }
  const std::string& CopyPath() const { return CopyPath_; }
  bool Writing() const { return Writing_; }
  // Whether the copy holds the document's state already: nothing was recorded in its history
  // since the copy's snapshot.
  bool UpToDate(const TDocument& doc) const;

  // Takes the snapshot on the calling (interface) thread, then encodes and writes it on a worker
  // thread. Only while no write is under way. The worker first makes the snapshot's buffers and
  // the session asks again through `ready`, so that the interface thread only ever copies into
  // memory that is there; they go again once the copy is written.
  void WriteInBackground(const TDocument& doc, std::function<void()> ready);
  // Takes the snapshot and writes it before returning.
  void WriteNow(const TDocument& doc);
  // The work is in a file now, or gone: the copy goes (once a write under way has ended).
  void Discard();
  // A dead session's copy becomes this session's.
  void Adopt(TDeadCopy& dead);
  // The session ends without its work saved: the copy stays for the next start to offer, as a
  // dead session's does, and the lock goes now rather than being left behind.
  void Keep();

private:
  void Finished(const std::string& error);
  void Join();

  // Where the history was at a snapshot: a new, undone or redone step, or one trimmed away,
  // changes one of these.
  struct THistoryMark {
    int Count = -1, Current = -1;
    size_t Bytes = 0;
    const void* Step = nullptr;
    friend bool operator==(const THistoryMark&, const THistoryMark&) = default;
  };
  static THistoryMark MarkOf(const TDocument& doc);
  THistoryMark Written_;  // the copy on disk, or none

  std::string Folder_;
  std::string CopyPath_;
  std::string LockPath_;
  int LockFd_ = -1;
  std::function<void(std::function<void()>)> Post_;
  TRecoveryCopy Snapshot_;  // made on the worker before a snapshot, let go after its write
  std::thread Worker_;
  std::atomic<bool> Writing_ = false;
  bool DiscardWhenWritten_ = false;
  bool Kept_ = false;
};

}  // namespace gs
