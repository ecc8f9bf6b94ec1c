// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole-file reading and writing with messages that name the file and the reason.

#include "codecs/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace gs {

// Reads a whole regular file. Fails with EFileError naming the path and the reason (a FIFO or
// device is refused without waiting on it), with EOutOfResources beyond kMaxReadFileBytes.
TBytes ReadFileBytes(const std::string& path);
// The same with another limit, for files this program writes larger than any picture file.
TBytes ReadFileBytes(const std::string& path, uint64_t maxBytes);
// At most the first `count` bytes of a regular file, refused as ReadFileBytes refuses.
TBytes ReadFileHead(const std::string& path, size_t count);

// Who may read a file that WriteFileBytes creates: everyone the umask lets, or its owner alone
// (unsaved work), whatever mode a file it replaces had.
enum class TNewFileMode { Shared, Private };

// Writes a whole file through a temporary file in the same folder that replaces the target
// only once it is complete, so a failed write never destroys the previous file. The file keeps
// what it was: a symbolic link stays a link and its target is written; an existing file keeps
// its permission bits and, where the user may set it, its group; a file with several hard
// links is written in place, after the temporary copy is complete and the space is reserved, so
// every name sees the new content. A new file gets 0666 less the umask.
void WriteFileBytes(const std::string& path, TByteSpan bytes);
void WriteFileBytes(const std::string& path, TByteSpan bytes, TNewFileMode mode);

// The extension including its dot ("" when there is none), as written / lower-cased (ASCII).
std::string ExtractFileExt(const std::string& path);
std::string LowerCase(std::string text);
std::string ExtractFileName(const std::string& path);
std::string ChangeFileExt(const std::string& path, const std::string& ext);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

}  // namespace gs
