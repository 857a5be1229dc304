// Whole-file reads and crash-safe, lock-protected rewrites of small files (the per-user store).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// What identifies a file's contents on disk. Rewrites replace the file by rename, so every
// rewrite gives a new inode even when size and time stay the same.
struct FileStamp {
  bool Exists = false;
  uint64_t Device = 0;
  uint64_t Inode = 0;
  uint64_t Size = 0;
  int64_t ModifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

// Larger files are not ours: reading one fails with EFBIG instead of filling memory.
constexpr std::size_t MaxStoreFileBytes = 16u << 20;

// The stamp of path; Exists is false when there is no such file. Throws std::system_error.
FileStamp StampOf(const std::string& path);

// The whole file, or nothing when it does not exist; stamp (if given) describes what was read.
// Throws std::system_error for any other failure.
std::optional<std::string> ReadWholeFile(const std::string& path, FileStamp* stamp = nullptr);

// Creates a folder and any missing parents with owner-only access. Throws std::system_error.
void MakePrivateDirectories(const std::string& path);

// Current text of the file (nothing when absent) -> new text, or nothing to leave it as it is.
using FileChange = std::function<std::optional<std::string>(const std::optional<std::string>& current)>;

// Rewrites path while holding an exclusive flock on path + ".lock" (a separate file, since the
// rename replaces path itself): reads the file as it is now, asks change() for the new text,
// writes that to a temporary file in the same folder, syncs it, renames it over path and syncs
// the folder. A crash at any instant leaves the old or the new file, never a mixture; writers
// in other processes are serialised and each sees the other's result. Temporary files of a
// writer that died are removed. Returns the stamp of the file as left. Throws
// std::system_error on I/O failures; an exception from change() leaves the file untouched.
FileStamp ReplaceFileLocked(const std::string& path, const FileChange& change);

}  // namespace platform
