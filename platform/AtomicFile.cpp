#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

namespace platform {

namespace {

using namespace std::chrono_literals;

std::atomic<WriteCall> CurrentWriteCall{&::write};
std::atomic<SyncCall> CurrentFolderSyncCall{&::fsync};
// A healthy writer holds the lock for a few milliseconds, a hung one for ever.
std::atomic<std::chrono::milliseconds::rep> LockWaitLimitMs{3000};

std::string ErrorText(int error) { return std::generic_category().message(error); }

// A failure of the last system call: the cause is the system's own words, optionally after
// what was being done when it is not about the file itself.
[[noreturn]] void ThrowErrno(const std::string& step, const std::string& path, const std::string& causePrefix = {}) {
  const std::string reason = ErrorText(errno);
  throw FileError(step + " '" + path + "': " + reason, causePrefix.empty() ? reason : causePrefix + ": " + reason);
}

struct FileDescriptor {
  int Fd;
  explicit FileDescriptor(int fd) : Fd(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (Fd >= 0) ::close(Fd);
  }
  // close() reports write-back errors of some file systems, so its result matters for writes.
  bool Close() { return ::close(std::exchange(Fd, -1)) == 0; }
};

[[noreturn]] void Refuse(const std::string& path, const std::string& cause) {
  throw FileError("'" + path + "': " + cause, cause);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// Refuses anything at path but a regular file, saying what it is (and where a link leads).
void RequireRegular(const std::string& path, const struct stat& info, const std::string& role = "it") {
  if (S_ISREG(info.st_mode)) return;
  std::string what = role + " is ";
  struct stat own {};
  if (::lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode)) {
    char target[PATH_MAX];
    if (::realpath(path.c_str(), target) != nullptr)
      what = role + " is a link to '" + std::string(target) + "', which is ";
  }
  Refuse(path, what + KindOf(info.st_mode) + ", not a regular file");
}

// Where a write must go: the file at the end of any chain of symbolic links (the link itself
// stays). A link to a place with no file yet leads to a new file there.
std::string FinalTarget(const std::string& path) {
  std::string target = path;
  for (int hops = 0;; ++hops) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return target;  // the folders are made later, or say why not
      ThrowErrno("cannot examine", target);
    }
    if (!S_ISLNK(info.st_mode)) return target;
    if (hops == 40) {
      errno = ELOOP;
      ThrowErrno("cannot follow the links of", path);
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
    if (length < 0) ThrowErrno("cannot read the link", target);
    link.resize(static_cast<std::size_t>(length));
    target = link.front() == '/' ? link : FolderOf(target) + "/" + link;
  }
}

// flock has no timeout, and breaking off a blocked one takes a signal aimed at this very
// thread (the game has an audio and a music thread too). So the lock is tried, and between
// tries the writer sleeps, 1 ms at first and twice as long each time up to 50 ms: a lock freed
// soon is taken soon, and a lock held for ever costs a few wake-ups a second until the limit.
void LockWithinLimit(int fd, const std::string& lockPath, const std::string& lockRole) {
  const std::chrono::milliseconds limit(LockWaitLimitMs.load());
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::chrono::steady_clock::duration pause = 1ms;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) ThrowErrno("cannot lock", lockPath, "cannot lock " + lockRole);
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      const auto ms = limit.count();
      const std::string held = ms % 1000 != 0 ? std::to_string(ms) + " ms" : std::to_string(ms / 1000) + " seconds";
      Refuse(lockPath, "it is locked by another program: " + lockRole + " has been held for more than " + held);
    }
    std::this_thread::sleep_for(std::min(pause, deadline - now));
    pause = std::min<std::chrono::steady_clock::duration>(pause * 2, 50ms);
  }
}

// Only called while holding the lock, when no writer can be half-way through its own file.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.substr(0, prefix.size()) == prefix) ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

void RequireWithin(const std::string& path, uint64_t size, const std::string& what = "it is",
                   FileSizeLimit limit = StoreFileLimit) {
  if (size > limit.MaxBytes)
    Refuse(path, what + " " + std::to_string(size) + " bytes long; " + std::string(limit.Called) +
                     " may hold at most " + std::to_string(limit.MaxBytes) + " bytes (" +
                     std::to_string(limit.MaxBytes >> 20) + " MiB)");
}

// Writes text to a new temporary file in folder, syncs it, renames it over target (keeping the
// permissions of a target already there) and syncs the folder; on any failure the temporary file goes.
void RenameNewFile(const std::string& folder, const std::string& tempPrefix, const std::string& target,
                   std::string_view text) {
  std::string tempPath = folder + "/" + tempPrefix + "XXXXXX";
  FileDescriptor temp(::mkostemp(tempPath.data(), O_CLOEXEC));
  if (temp.Fd < 0) ThrowErrno("cannot create a temporary file in", folder);
  try {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) ::fchmod(temp.Fd, info.st_mode & 07777);
    const WriteCall write = CurrentWriteCall.load();
    while (!text.empty()) {
      const ssize_t written = write(temp.Fd, text.data(), text.size());
      if (written < 0 && errno != EINTR) ThrowErrno("cannot write", tempPath);
      if (written > 0) text.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::fsync(temp.Fd) != 0) ThrowErrno("cannot sync", tempPath);
    if (!temp.Close()) ThrowErrno("cannot write", tempPath);
    if (::rename(tempPath.c_str(), target.c_str()) != 0) ThrowErrno("cannot replace", target);
  } catch (...) {
    ::unlink(tempPath.c_str());
    throw;
  }
  // Every reader sees the new file now; a failed sync of the folder only leaves it uncertain
  // whether the rename would survive a power cut. That is said, but it is no failed write.
  const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Fd < 0 || CurrentFolderSyncCall.load()(dir.Fd) != 0)
    std::fprintf(stderr, "%s: '%s' is stored, but syncing its folder failed (%s): it may not survive a power cut\n",
                 program_invocation_short_name, target.c_str(), ErrorText(errno).c_str());
}

}  // namespace

WriteCall SetWriteCall(WriteCall call) { return CurrentWriteCall.exchange(call != nullptr ? call : &::write); }

SyncCall SetFolderSyncCall(SyncCall call) { return CurrentFolderSyncCall.exchange(call != nullptr ? call : &::fsync); }

std::chrono::milliseconds SetLockWaitLimit(std::chrono::milliseconds limit) {
  return std::chrono::milliseconds(LockWaitLimitMs.exchange(limit.count()));
}

std::optional<std::string> ReadWholeFile(const std::string& path, FileSizeLimit limit) {
  // Look before opening: opening a FIFO waits for a writer, opening a device may do anything.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;  // no file there (or no folder for it)
    ThrowErrno("cannot examine", path);
  }
  RequireRegular(path, info);
  // Something else may have taken its place since: never wait on it either.
  const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.Fd < 0 && errno == ENOENT) return std::nullopt;
  if (fd.Fd < 0) ThrowErrno("cannot open", path);
  if (::fstat(fd.Fd, &info) != 0) ThrowErrno("cannot examine", path);
  RequireRegular(path, info);
  RequireWithin(path, static_cast<uint64_t>(info.st_size), "it is", limit);
  std::string text;
  text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (ssize_t got = 1; got != 0;) {
    got = ::read(fd.Fd, buffer, sizeof buffer);
    if (got < 0 && errno != EINTR) ThrowErrno("cannot read", path);
    if (got > 0) text.append(buffer, static_cast<std::size_t>(got));
    RequireWithin(path, text.size(), "it is", limit);  // it grew while being read
  }
  return text;
}

void MakePrivateDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      ThrowErrno("cannot create the folder", part, "cannot create the folder '" + part + "'");
    if (slash == std::string::npos) break;
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) ThrowErrno("cannot examine", path, "cannot examine the folder '" + path + "'");
  if (!S_ISDIR(info.st_mode)) {
    const std::string cause = "'" + path + "' is " + KindOf(info.st_mode) + ", not a folder";
    throw FileError(cause, cause);
  }
}

void ReplaceFileLocked(const std::string& path, const FileChange& change) {
  // What a rewrite refuses is refused before anything is made: no folder, lock or temporary file
  // appears for a file the store will not write. Any other trouble shows on the way.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    RequireRegular(path, info);
    RequireWithin(path, static_cast<uint64_t>(info.st_size));
  }
  const std::string home = FolderOf(path);
  MakePrivateDirectories(home);

  // The lock stays beside the path the game uses, in its own folder, even when that is a link
  // to a file elsewhere. It must be a regular file too; never wait on whatever is there.
  const std::string lockPath = path + ".lock";
  const std::string lockRole = "its lock file '" + lockPath + "'";
  if (::stat(lockPath.c_str(), &info) == 0) RequireRegular(lockPath, info, lockRole);
  const FileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
  if (lock.Fd < 0) ThrowErrno("cannot open the lock file", lockPath, "cannot open " + lockRole);
  if (::fstat(lock.Fd, &info) != 0) ThrowErrno("cannot examine", lockPath);
  RequireRegular(lockPath, info, lockRole);
  LockWithinLimit(lock.Fd, lockPath, lockRole);

  // Resolved under the lock: a link may have been changed while this writer waited.
  const std::string target = FinalTarget(path);
  const std::string folder = FolderOf(target);
  if (folder != home) MakePrivateDirectories(folder);
  const std::string tempPrefix = BaseNameOf(target) + ".tmp-";
  RemoveStaleTemporaries(folder, tempPrefix);

  const std::optional<std::string> text = ReadWholeFile(target);
  const std::optional<std::string> next = change(text);
  if (!next || next == text) return;
  RequireWithin(target, next->size(), "the new contents would be");
  RenameNewFile(folder, tempPrefix, target, *next);
}

void WriteFileAtomically(const std::string& path, std::string_view contents) {
  RenameNewFile(FolderOf(path), "." + BaseNameOf(path) + ".tmp-", path, contents);
}

}  // namespace platform
