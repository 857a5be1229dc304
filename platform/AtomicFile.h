// Whole-file reads and crash-safe, lock-protected rewrites of small files (the per-user store).
// Only regular files are read or replaced: anything else at the file's place (a FIFO, a device,
// a folder) is refused at once, without waiting on it, with a cause that says what it is. A
// symbolic link is followed: reads see its target, and a rewrite replaces the target.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

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

// The most a file of some kind may hold, and what a refusal calls it ("a store file").
struct FileSizeLimit {
  std::size_t MaxBytes;
  std::string_view Called;
};
// A real store file is a few KiB (every high-score table together about 60 KiB); a larger one
// is not ours, and reading it would only cost time and memory.
constexpr FileSizeLimit StoreFileLimit{4u << 20, "a store file"};

// The whole file, or nothing when it does not exist. Throws FileError for any other failure, for
// anything but a regular file, and for a file larger than the limit.
std::optional<std::string> ReadWholeFile(const std::string& path, FileSizeLimit limit = StoreFileLimit);

// Creates a folder and any missing parents with owner-only access. Throws FileError.
void MakePrivateDirectories(const std::string& path);

// Current text of the file (nothing when absent) -> new text, or nothing to leave the file as it is.
using FileChange = std::function<std::optional<std::string>(const std::optional<std::string>& current)>;

// Rewrites path under an exclusive flock on path + ".lock" (a separate file, since the rename
// replaces the file itself), kept beside path even when path is a link to a file elsewhere:
// reads the file at the link's end as it is now, asks change() for the new text and puts that in
// place by a synced temporary file renamed over it, so a crash leaves the old or the new file and
// writers in other processes each see the other's result. A lock held by another program for
// longer than the lock wait limit (3 seconds) makes the rewrite give up, untouched. Throws
// FileError on I/O failures, for a target the store refuses and for a new text larger than
// StoreFileLimit; an exception from change() leaves the file untouched.
void ReplaceFileLocked(const std::string& path, const FileChange& change);

// Writes a new file whole (a replay) as above, but without the lock, the merge and the size limit.
void WriteFileAtomically(const std::string& path, std::string_view contents);

// For tests, each returning what it replaces: the lock wait limit, the ::write of the temporary
// file and the ::fsync of the folder after the rename. A null call puts the system's own back.
std::chrono::milliseconds SetLockWaitLimit(std::chrono::milliseconds limit);
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t size);
WriteCall SetWriteCall(WriteCall call);
using SyncCall = int (*)(int fd);
SyncCall SetFolderSyncCall(SyncCall call);

}  // namespace platform
