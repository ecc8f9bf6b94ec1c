// Whole-file reading of what the user opens: only regular files, and none larger than any
// picture can be.

#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "common/Limits.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

}  // namespace
}  // namespace gs
