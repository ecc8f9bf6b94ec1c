// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/RecoverySession.h"

#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "document/Document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <filesystem>
#include <iostream>
#include <utility>

namespace gs {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCopyExt = ".gsr";
constexpr const char* kLockExt = ".lock";

// Opens and locks path without waiting: the descriptor, or -1 when another process holds it.
int TryLock(const std::string& path, bool create) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void RemoveQuietly(const std::string& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

// The start of a copy, enough for its names: the whole copy of a large picture is read only
// when it is recovered.
TBytes ReadHead(const std::string& path) { return ReadFileHead(path, 256 * 1024); }

// The last bytes of a regular file, or nothing.
TBytes ReadTail(const std::string& path, size_t count) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return {};
  TBytes tail;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && uint64_t(info.st_size) >= count) {
    tail.resize(count);
    if (::pread(fd, tail.data(), count, off_t(info.st_size) - off_t(count)) != ssize_t(count)) tail.clear();
  }
  ::close(fd);
  return tail;
}

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(fs::symlink_status(path, error));
}

// The copy a temporary file was to replace ("session-1-2.gsr.Ab12Cd" for "session-1-2.gsr"),
// or an empty path when it is none of ours.
fs::path CopyOfTemporary(const fs::path& path) {
  const std::string name = path.filename().string();
  const size_t at = name.rfind(std::string(kCopyExt) + ".");
  if (at == std::string::npos || at == 0 || name.size() != at + std::strlen(kCopyExt) + 7) return {};
  return path.parent_path() / name.substr(0, at + std::strlen(kCopyExt));
}

// The header of a complete copy, or nothing when the file is cut short or broken.
std::optional<TRecoveryCopy> WholeHeader(const fs::path& path) {
  try {
    if (!RecoveryEndsWhole(ReadTail(path.string(), kRecoveryEndBytes))) return std::nullopt;
    return DecodeRecoveryHeader(ReadHead(path.string()));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// A session killed while it wrote its copy leaves the temporary file. When that file is whole
// and newer than the copy it was to replace, it becomes the copy; otherwise it goes. True when
// it became the copy.
bool SettleTemporary(const fs::path& temp) {
  const fs::path copy = CopyOfTemporary(temp);
  const std::string lock = fs::path(copy).replace_extension(kLockExt).string();
  std::error_code error;
  const int lockFd = TryLock(lock, false);
  if (lockFd < 0 && fs::exists(lock, error)) return false;  // its session is writing it now
  const std::optional<TRecoveryCopy> written = WholeHeader(temp);
  const std::optional<TRecoveryCopy> kept = IsRegularFile(copy) ? WholeHeader(copy) : std::nullopt;
  bool became = false;
  if (written && (!kept || written->SavedAt >= kept->SavedAt)) {
    fs::rename(temp, copy, error);
    became = !error;
    if (error) std::cerr << "The recovery file " << temp << " cannot be kept: " << error.message() << "\n";
  } else {
    RemoveQuietly(temp.string());
  }
  if (lockFd >= 0) ::close(lockFd);
  return became;
}

// The lock of a session that died before it wrote a copy. A session opens its lock file before
// it locks it: one only just made may look free for a moment, so only old ones go.
void RemoveDeadLock(const fs::path& lock) {
  std::error_code error;
  if (fs::exists(fs::path(lock).replace_extension(kCopyExt), error)) return;
  const auto written = fs::last_write_time(lock, error);
  if (error || fs::file_time_type::clock::now() - written < std::chrono::minutes(1)) return;
  const int fd = TryLock(lock.string(), false);
  if (fd < 0) return;
  RemoveQuietly(lock.string());
  ::close(fd);
}

}  // namespace

std::string DefaultRecoveryFolder() {
  std::string state;
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && xdg[0] == '/') {
    state = xdg;
  } else {
    const char* home = std::getenv("HOME");
    state = std::string(home && home[0] ? home : "/tmp") + "/.local/state";
  }
  return state + "/grimacer-studio/recovery";
}

TDeadCopy::TDeadCopy(TDeadCopy&& other) noexcept
    : Path(std::move(other.Path)), LockPath(std::move(other.LockPath)), Header(std::move(other.Header)),
      Damage(std::move(other.Damage)),
      LockFd(std::exchange(other.LockFd, -1)) {}

TDeadCopy& TDeadCopy::operator=(TDeadCopy&& other) noexcept {
  if (this == &other) return *this;
  if (LockFd >= 0) ::close(LockFd);
  Path = std::move(other.Path);
  LockPath = std::move(other.LockPath);
  Header = std::move(other.Header);
  Damage = std::move(other.Damage);
  LockFd = std::exchange(other.LockFd, -1);
  return *this;
}

TDeadCopy::~TDeadCopy() {
  if (LockFd >= 0) ::close(LockFd);
}

void TDeadCopy::Remove() {
  RemoveQuietly(Path);
  RemoveQuietly(LockPath);
}

std::vector<TDeadCopy> FindDeadCopies(const std::string& folder) {
  std::vector<TDeadCopy> dead;
  std::error_code error;
  if (!fs::exists(folder, error)) return dead;
  std::vector<fs::path> paths;
  fs::directory_iterator it(folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) paths.push_back(it->path());
  if (error) {
    std::cerr << "The recovery folder " << folder << " cannot be read: " << error.message() << "\n";
    if (paths.empty()) return dead;
  }
  // Only regular files: opening a FIFO or a device could wait for ever.
  std::erase_if(paths, [](const fs::path& path) { return !IsRegularFile(path); });
  // Temporaries first, since one may become the copy its session meant to write.
  for (size_t i = 0, count = paths.size(); i < count; ++i) {
    const fs::path copy = CopyOfTemporary(paths[i]);
    if (!copy.empty() && SettleTemporary(paths[i]) && std::find(paths.begin(), paths.end(), copy) == paths.end())
      paths.push_back(copy);
  }
  for (const fs::path& path : paths) {
    if (path.extension() == kLockExt) {
      RemoveDeadLock(path);
      continue;
    }
    if (path.extension() != kCopyExt) continue;
    TDeadCopy copy;
    copy.Path = path.string();
    copy.LockPath = fs::path(path).replace_extension(kLockExt).string();
    // A copy without its lock file lost its session too; one whose lock is held is running.
    copy.LockFd = TryLock(copy.LockPath, false);
    if (copy.LockFd < 0 && fs::exists(copy.LockPath, error)) continue;
    try {
      copy.Header = DecodeRecoveryHeader(ReadHead(copy.Path));
    } catch (const std::exception& e) {
      copy.Damage = e.what();
    }
    dead.push_back(std::move(copy));
  }
  std::stable_sort(dead.begin(), dead.end(),
                   [](const TDeadCopy& a, const TDeadCopy& b) { return a.Header.SavedAt > b.Header.SavedAt; });
  return dead;
}

TRecoverySession::TRecoverySession(std::string folder, std::function<void(std::function<void()>)> post)
    : Folder_(std::move(folder)), Post_(std::move(post)) {
  std::error_code error;
  fs::create_directories(Folder_, error);
  if (error) throw Exception("The recovery folder " + Folder_ + " cannot be made: " + error.message());
  // The copies are the user's unsaved photos: no one else may list or read them.
  fs::permissions(Folder_, fs::perms::owner_all, fs::perm_options::replace, error);
  if (error) std::cerr << "The recovery folder " << Folder_ << " stays open to others: " << error.message() << "\n";
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const std::string name = "session-" + std::to_string(::getpid()) + "-" +
                           std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
  CopyPath_ = (fs::path(Folder_) / (name + kCopyExt)).string();
  LockPath_ = (fs::path(Folder_) / (name + kLockExt)).string();
  LockFd_ = TryLock(LockPath_, true);
  if (LockFd_ < 0) throw Exception("The recovery folder " + Folder_ + " cannot be used");
}

TRecoverySession::~TRecoverySession() {
  Join();
  if (Kept_) return;
  RemoveQuietly(CopyPath_);
  RemoveQuietly(LockPath_);
  ::close(LockFd_);
}

void TRecoverySession::Keep() {
  Join();
  if (Kept_) return;
  if (DiscardWhenWritten_) RemoveQuietly(CopyPath_);
  // The file goes before the lock does, so no other instance finds it free and takes it.
  RemoveQuietly(LockPath_);
  ::close(LockFd_);
  LockFd_ = -1;
  Kept_ = true;
}

void TRecoverySession::Join() {
  if (Worker_.joinable()) Worker_.join();
}

TRecoverySession::THistoryMark TRecoverySession::MarkOf(const TDocument& doc) {
  const THistory& history = doc.History;
  THistoryMark mark{history.Count(), history.Current(), history.Bytes(), nullptr};
  if (history.Count() > 0) mark.Step = &history.Step(history.Count());
  return mark;
}

bool TRecoverySession::UpToDate(const TDocument& doc) const { return Written_ == MarkOf(doc); }

void TRecoverySession::WriteInBackground(const TDocument& doc, std::function<void()> ready) {
  if (Writing_) return;
  Join();
  const TRecoveryShape shape = RecoveryShapeOf(doc);
  const bool fits = RecoveryShapeOf(Snapshot_) == shape;
  if (fits) {
    TakeRecoverySnapshot(doc, Snapshot_);
    DiscardWhenWritten_ = false;
    Written_ = MarkOf(doc);
  }
  Writing_ = true;
  std::weak_ptr<TRecoverySession> self = weak_from_this();
  Worker_ = std::thread([this, self, fits, shape, ready = std::move(ready)] {
    std::string error;
    try {
      if (fits) WriteFileBytes(CopyPath_, EncodeRecovery(Snapshot_), TNewFileMode::Private);
      else ReserveRecoverySnapshot(Snapshot_, shape);
    } catch (const std::exception& e) {
      error = e.what();
    }
    // The buffers hold as much as the document itself: kept from one copy to the next (two
    // minutes apart) they would double what an open photo costs. The next copy makes them again
    // here, off the interface thread.
    if (fits) Snapshot_ = TRecoveryCopy();
    // The session outlives this thread (its destructor joins it); the report may come after
    // the window is gone, when the weak pointer tells.
    Post_([self, error, fits, ready] {
      auto session = self.lock();
      if (!session) return;
      session->Finished(error);
      if (!fits && error.empty() && ready) ready();
    });
  });
}

void TRecoverySession::Finished(const std::string& error) {
  Join();
  Writing_ = false;
  if (!error.empty()) {
    std::cerr << "The recovery copy could not be written: " << error << "\n";
    Written_ = {};
  }
  if (DiscardWhenWritten_) RemoveQuietly(CopyPath_);
  DiscardWhenWritten_ = false;
}

void TRecoverySession::WriteNow(const TDocument& doc) {
  Join();  // a background write posts its report, which then finds nothing to join
  Writing_ = false;
  TakeRecoverySnapshot(doc, Snapshot_);
  DiscardWhenWritten_ = false;
  Written_ = {};
  WriteFileBytes(CopyPath_, EncodeRecovery(Snapshot_), TNewFileMode::Private);
  Snapshot_ = TRecoveryCopy();
  Written_ = MarkOf(doc);
}

void TRecoverySession::Discard() {
  Written_ = {};
  if (Writing_) DiscardWhenWritten_ = true;
  else RemoveQuietly(CopyPath_);
}

void TRecoverySession::Adopt(TDeadCopy& dead) {
  Join();
  std::error_code error;
  fs::rename(dead.Path, CopyPath_, error);
  if (error) std::cerr << "The recovered copy " << dead.Path << " stays where it is: " << error.message() << "\n";
  else RemoveQuietly(dead.LockPath);
}

}  // namespace gs
