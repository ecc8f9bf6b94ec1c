// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reading of what the user opens: only regular files, and none larger than any
// picture can be.

#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "common/Limits.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

// Counts the calls, then does what the C library's umask does.
std::atomic<int> UmaskCalls{0};
extern "C" mode_t umask(mode_t mask) noexcept {
  ++UmaskCalls;
  return mode_t(::syscall(SYS_umask, mask));
}

namespace gs {
namespace {

namespace fs = std::filesystem;

class TFolder {
public:
  TFolder() {
    std::string pattern = (fs::temp_directory_path() / "gs-fileio-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    Path_ = pattern;
  }
  ~TFolder() {
    std::error_code ec;
    fs::remove_all(Path_, ec);
  }
  std::string operator/(const std::string& name) const { return (Path_ / name).string(); }

private:
  fs::path Path_;
};

std::string FailureOf(const std::string& path) {
  try {
    ReadFileBytes(path);
  } catch (const EOutOfResources& e) {
    return std::string("too large: ") + e.what();
  } catch (const EFileError& e) {
    return e.what();
  }
  return "";
}

TEST(ReadFileBytes, FifosDevicesAndFoldersAreRefusedWithoutWaiting) {
  TFolder folder;
  // Opening a FIFO used to wait for a writer forever; /dev/zero used to be read until memory ran out.
  const std::string fifo = folder / "pipe.png";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(FailureOf(fifo), "Cannot open file \"" + fifo + "\". Not a regular file");
  EXPECT_EQ(FailureOf("/dev/zero"), "Cannot open file \"/dev/zero\". Not a regular file");
  EXPECT_EQ(FailureOf(folder / ""), "Cannot open file \"" + (folder / "") + "\". Not a regular file");
  EXPECT_NE(FailureOf(folder / "missing.png").find("Cannot open file"), std::string::npos);

  std::ofstream(folder / "small.bmp") << "BM";
  EXPECT_EQ(ReadFileBytes(folder / "small.bmp"), (TBytes{'B', 'M'}));
}

TEST(ReadFileBytes, FilesLargerThanAnyPictureAreRefusedBeforeReading) {
  TFolder folder;
  const std::string huge = folder / "huge.bmp";
  std::ofstream(huge) << "BM";
  fs::resize_file(huge, kMaxReadFileBytes + 1);  // sparse: costs no disk
  EXPECT_EQ(FailureOf(huge), "too large: The file \"" + huge + "\" is too large to read (" +
                                 std::to_string(kMaxReadFileBytes + 1) +
                                 " bytes). Files may have at most 1 GB.");
}

std::string Contents(const std::string& path) {
  const TBytes bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void Save(const std::string& path, const std::string& text) {
  WriteFileBytes(path, TByteSpan(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::set<std::string> Names(const TFolder& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder / "")) names.insert(entry.path().filename().string());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : mode_t(-1);
}

TEST(WriteFileBytes, SavingThroughASymbolicLinkWritesItsTargetAndKeepsTheLink) {
  const struct {
    const char* How;
    const char* Link;            // saved through, in a folder "d"
    const char* PointsTo;        // relative to "d" unless absolute ("/" = the scratch folder)
    const char* Written;         // the file that must get the new bytes, in the scratch folder
  } cases[] = {
      {"to a file beside it", "d/l.png", "a.png", "d/a.png"},
      {"to a file in another folder", "d/l.png", "../b.png", "b.png"},
      {"by an absolute path", "d/l.png", "/b.png", "b.png"},
      {"dangling: the target is created", "d/l.png", "new.png", "d/new.png"},
      {"through a chain of two links", "d/l.png", "m.png", "d/a.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.How);
    TFolder folder;
    fs::create_directory(folder / "d");
    std::ofstream(folder / "d/a.png") << "old";
    std::ofstream(folder / "b.png") << "old";
    fs::create_symlink("a.png", folder / "d/m.png");
    const std::string pointsTo = c.PointsTo[0] == '/' ? folder / (c.PointsTo + 1) : c.PointsTo;
    fs::create_symlink(pointsTo, folder / c.Link);
    Save(folder / c.Link, "new");
    EXPECT_TRUE(fs::is_symlink(folder / c.Link));
    EXPECT_EQ(fs::read_symlink(folder / c.Link).string(), pointsTo);
    EXPECT_EQ(Contents(folder / c.Written), "new");
    // Nothing left behind in either folder.
    for (const auto& entry : fs::recursive_directory_iterator(folder / ""))
      EXPECT_TRUE(entry.path().extension() == ".png" || entry.path().filename() == "d") << entry.path();
  }
}

TEST(WriteFileBytes, ExistingFilesKeepTheirModeAndNewFilesFollowTheUmask) {
  TFolder folder;
  const mode_t oldMask = ::umask(027);
  for (const mode_t mode : {0600, 0644, 0604, 0660}) {
    SCOPED_TRACE(std::to_string(mode));
    const std::string path = folder / "kept.png";
    std::ofstream(path) << "old";
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    Save(path, "new");
    EXPECT_EQ(ModeOf(path), mode);
    EXPECT_EQ(Contents(path), "new");
  }
  Save(folder / "fresh.png", "new");
  ::umask(oldMask);
  EXPECT_EQ(ModeOf(folder / "fresh.png"), mode_t(0640));
  EXPECT_EQ(Names(folder), (std::set<std::string>{"fresh.png", "kept.png"}));
}

TEST(WriteFileBytes, AnExistingFileKeepsItsGroupWhereTheUserMayChangeIt) {
  TFolder folder;
  const std::string path = folder / "shared.png";
  std::ofstream(path) << "old";
  // Another group the file may be given: any for root, otherwise one the user belongs to.
  gid_t groups[64];
  const int count = ::getgroups(64, groups);
  gid_t other = ::getegid() + 1;
  for (int i = 0; i < count && ::geteuid() != 0; ++i)
    if (groups[i] != ::getegid()) other = groups[i];
  if (::chown(path.c_str(), uid_t(-1), other) != 0) GTEST_SKIP() << "no second group to give the file";
  Save(path, "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_gid, other);
  EXPECT_EQ(Contents(path), "new");
}

TEST(WriteFileBytes, AFileWithSeveralHardLinksIsWrittenInPlaceForEveryName) {
  TFolder folder;
  std::ofstream(folder / "a.png") << "a much longer old content";
  fs::create_hard_link(folder / "a.png", folder / "b.png");
  struct stat before {};
  ASSERT_EQ(::stat((folder / "a.png").c_str(), &before), 0);
  Save(folder / "a.png", "new");
  EXPECT_EQ(Contents(folder / "a.png"), "new");
  EXPECT_EQ(Contents(folder / "b.png"), "new");  // shorter than before: the rest is cut off
  struct stat after {};
  ASSERT_EQ(::stat((folder / "b.png").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(Names(folder), (std::set<std::string>{"a.png", "b.png"}));
}

TEST(WriteFileBytes, AFailedSaveKeepsTheOldFileAndNamesThePath) {
  TFolder folder;
  // A folder in the way of the target: the rename fails after the temporary file is written.
  fs::create_directory(folder / "x.png");
  std::ofstream(folder / "x.png/inside") << "old";
  try {
    Save(folder / "x.png", "new");
    ADD_FAILURE() << "the save succeeded";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + (folder / "x.png") + "\". ", 0), 0u) << e.what();
  }
  EXPECT_EQ(Contents(folder / "x.png/inside"), "old");
  EXPECT_EQ(Names(folder), (std::set<std::string>{"x.png"}));
  // A link loop cannot be followed, and says so.
  fs::create_symlink("loop.png", folder / "loop.png");
  try {
    Save(folder / "loop.png", "new");
    ADD_FAILURE() << "the save succeeded";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find(std::strerror(ELOOP)), std::string::npos) << e.what();
  }
  EXPECT_TRUE(fs::is_symlink(folder / "loop.png"));
}


// The longest name a folder takes still saves: the temporary beside it must fit as well.
TEST(WriteFileBytes, ANameOfTheLongestLengthSaves) {
  TFolder folder;
  const std::string name = std::string(250, 'n') + ".png";
  Save(folder / name, "new");
  EXPECT_EQ(Contents(folder / name), "new");
  EXPECT_EQ(Names(folder), (std::set<std::string>{name}));
}

// Saves must never set the umask, even for a moment: a file another thread creates meanwhile
// would be open to everyone. Every umask call of this program comes through here.
TEST(WriteFileBytes, SavingNeverSetsTheUmask) {
  TFolder folder;
  const mode_t oldMask = ::umask(027);
  const int before = UmaskCalls;
  Save(folder / "fresh.png", "new");
  const int calls = UmaskCalls - before;
  ::umask(oldMask);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(ModeOf(folder / "fresh.png"), mode_t(0640));
}

// A file under two names is written in place; on a disk without room for the new content the
// save fails before the first byte of the old one changes.
TEST(WriteFileBytes, AFullDiskLeavesAHardLinkedFileWhole) {
  TFolder folder;
  const std::string disk = folder / "disk";
  fs::create_directory(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "no small file system to fill";
  const struct TUnmount {
    std::string Path;
    ~TUnmount() { ::umount2(Path.c_str(), MNT_DETACH); }
  } unmount{disk};
  const std::string old(300 * 1024, 'o');
  Save(disk + "/a.png", old);
  fs::create_hard_link(disk + "/a.png", disk + "/b.png");
  // Room left for the temporary file, not for the original to grow as well.
  std::ofstream(disk + "/filler", std::ios::binary) << std::string(1024 * 1024 - 300 * 1024 - 480 * 1024, 'f');
  try {
    Save(disk + "/a.png", std::string(440 * 1024, 'n'));
    ADD_FAILURE() << "the save found room that the disk does not have";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()).find("The whole picture is in"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(Contents(disk + "/b.png") == old);
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(disk)) names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"a.png", "b.png", "filler"}));
}

}  // namespace
}  // namespace gs
