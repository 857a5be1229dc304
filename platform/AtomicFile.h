// Whole-file reads and crash-safe, lock-protected rewrites of small files (the per-user store).
//
// Only regular files are read or replaced. Anything else at the file's place (a FIFO, a device,
// a socket, a folder) is refused at once, without waiting on it, with a cause that says what it
// is. A symbolic link is followed: reads see its target, and a rewrite replaces the target,
// leaving the link in place.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// What identifies a file's contents on disk (every rewrite gives a new inode).
struct FileStamp {
  bool Exists = false;
  uint64_t Device = 0;
  uint64_t Inode = 0;
  uint64_t Size = 0;
  int64_t ModifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

// A failed file operation. Cause() is what went wrong, in words a player can act on ("No space
// left on device", "it is a FIFO (named pipe), not a regular file", "cannot create the folder
// '/x': Permission denied"); what() adds the exact step and path.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& detail, std::string cause) : std::runtime_error(detail), CauseText(std::move(cause)) {}
  const std::string& Cause() const { return CauseText; }

 private:
  std::string CauseText;
};

// The stamp of path; Exists is false when there is no such file. Throws FileError.
FileStamp StampOf(const std::string& path);

// The most a file of some kind may hold, and what a refusal calls such a file.
struct FileSizeLimit {
  std::size_t MaxBytes;
  std::string_view Called;
};
// A real store file is a few KiB (every high-score table together about 60 KiB); a larger one
// is not ours, and reading it would only cost time and memory.
constexpr FileSizeLimit StoreFileLimit{4u << 20, "a store file"};

// The whole file, or nothing when it does not exist; stamp (if given) describes what was read.
// Throws FileError for any other failure, for anything but a regular file, and for a file
// larger than the limit.
std::optional<std::string> ReadWholeFile(const std::string& path, FileStamp* stamp = nullptr,
                                         FileSizeLimit limit = StoreFileLimit);

// Creates a folder and any missing parents with owner-only access. Throws FileError.
void MakePrivateDirectories(const std::string& path);

// Current text of the file (nothing when absent) and the stamp of what was read -> new text,
// or nothing to leave the file as it is.
using FileChange =
    std::function<std::optional<std::string>(const std::optional<std::string>& current, const FileStamp& stamp)>;

// Rewrites path while holding an exclusive flock on the lock file path + ".lock" (a separate
// file, since the rename replaces the file itself): reads the file as it is now, asks change()
// for the new text, writes that to a temporary file in the same folder, syncs it, renames it
// over the file and syncs the folder. When path is a symbolic link, the file at the link's end
// is read and replaced; the lock stays beside path, in the game's own folder. A target the
// store refuses (not a regular file, too large) is refused before anything is made. A crash at
// any instant leaves the old or the new file, never a mixture; writers in other processes are
// serialised and each sees the other's result. Temporary files of a writer that died are
// removed. A lock held by another program for longer than the lock wait limit (3 seconds)
// makes the rewrite give up, untouched. Returns the stamp of the file as left. Throws
// FileError on I/O failures and for a new text larger than StoreFileLimit; an exception
// from change() leaves the file untouched. A failed sync of the folder after the rename is no
// failure: the new text is in place; one line on standard error says that it may not survive
// a power cut.
FileStamp ReplaceFileLocked(const std::string& path, const FileChange& change);

// Writes a file whole, without a lock, for files that one writer makes at once (a replay): as
// above, but without the lock, the merge and the size limit. The folder is made when missing.
void WriteFileAtomically(const std::string& path, std::string_view contents);

// For tests, each returning what it replaces: the lock wait limit, the call that writes the
// temporary file (::write; a failing one meets a full disk) and the call that syncs the folder
// after the rename (::fsync). A null call puts the system's own back.
std::chrono::milliseconds SetLockWaitLimit(std::chrono::milliseconds limit);
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t size);
WriteCall SetWriteCall(WriteCall call);
using SyncCall = int (*)(int fd);
SyncCall SetFolderSyncCall(SyncCall call);

}  // namespace platform
