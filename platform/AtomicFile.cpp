#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <system_error>
#include <utility>

namespace platform {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : Fd(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return Fd; }
  void Reset() {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
  }
  // close() reports write-back errors of some file systems, so its result matters for writes.
  bool Close() {
    const int fd = std::exchange(Fd, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int Fd;
};

FileStamp StampFromStat(const struct stat& info) {
  FileStamp stamp;
  stamp.Exists = true;
  stamp.Device = static_cast<uint64_t>(info.st_dev);
  stamp.Inode = static_cast<uint64_t>(info.st_ino);
  stamp.Size = static_cast<uint64_t>(info.st_size);
  stamp.ModifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return stamp;
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

void WriteAll(int fd, std::string_view data, const std::string& path) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("cannot write '" + path + "'");
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
}

void SyncFolder(const std::string& folder) {
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() < 0 || ::fsync(dir.Get()) != 0) ThrowErrno("cannot sync the folder '" + folder + "'");
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

}  // namespace

FileStamp StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    ThrowErrno("cannot examine '" + path + "'");
  }
  return StampFromStat(info);
}

std::optional<std::string> ReadWholeFile(const std::string& path, FileStamp* stamp) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) {  // no file there (or no folder for it)
      if (stamp != nullptr) *stamp = {};
      return std::nullopt;
    }
    ThrowErrno("cannot open '" + path + "'");
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) ThrowErrno("cannot examine '" + path + "'");
  if (!S_ISREG(info.st_mode)) throw std::system_error(EISDIR, std::generic_category(), "'" + path + "' is not a file");
  if (static_cast<uint64_t>(info.st_size) > MaxStoreFileBytes)
    throw std::system_error(EFBIG, std::generic_category(), "'" + path + "' is too large to be a store file");
  std::string text;
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("cannot read '" + path + "'");
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
    if (text.size() > MaxStoreFileBytes)
      throw std::system_error(EFBIG, std::generic_category(), "'" + path + "' is too large to be a store file");
  }
  if (stamp != nullptr) *stamp = StampFromStat(info);
  return text;
}

void MakePrivateDirectories(const std::string& path) {
  if (path.empty()) throw std::system_error(ENOENT, std::generic_category(), "no folder given");
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) ThrowErrno("cannot create the folder '" + part + "'");
    if (slash == std::string::npos) break;
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) ThrowErrno("cannot examine '" + path + "'");
  if (!S_ISDIR(info.st_mode)) throw std::system_error(ENOTDIR, std::generic_category(), "'" + path + "' is not a folder");
}

FileStamp ReplaceFileLocked(const std::string& path, const FileChange& change) {
  const std::string folder = FolderOf(path);
  MakePrivateDirectories(folder);

  const std::string lockPath = path + ".lock";
  FileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lock.Get() < 0) ThrowErrno("cannot open the lock file '" + lockPath + "'");
  while (::flock(lock.Get(), LOCK_EX) != 0)
    if (errno != EINTR) ThrowErrno("cannot lock '" + lockPath + "'");

  const std::string tempPrefix = BaseNameOf(path) + ".tmp-";
  RemoveStaleTemporaries(folder, tempPrefix);

  FileStamp current;
  const std::optional<std::string> text = ReadWholeFile(path, &current);
  const std::optional<std::string> next = change(text);
  if (!next || next == text) return current;

  std::string tempPath = folder + "/" + tempPrefix + "XXXXXX";
  FileDescriptor temp(::mkostemp(tempPath.data(), O_CLOEXEC));
  if (temp.Get() < 0) ThrowErrno("cannot create a temporary file in '" + folder + "'");
  try {
    if (current.Exists) {
      struct stat info {};
      if (::stat(path.c_str(), &info) == 0) ::fchmod(temp.Get(), info.st_mode & 07777);
    }
    WriteAll(temp.Get(), *next, tempPath);
    if (::fsync(temp.Get()) != 0) ThrowErrno("cannot sync '" + tempPath + "'");
    struct stat info {};
    if (::fstat(temp.Get(), &info) != 0) ThrowErrno("cannot examine '" + tempPath + "'");
    current = StampFromStat(info);
    if (!temp.Close()) ThrowErrno("cannot write '" + tempPath + "'");
    if (::rename(tempPath.c_str(), path.c_str()) != 0) ThrowErrno("cannot replace '" + path + "'");
  } catch (...) {
    temp.Reset();
    ::unlink(tempPath.c_str());
    throw;
  }
  // The new file is in place; syncing the folder makes the rename itself survive a power cut.
  SyncFolder(folder);
  return current;
}

}  // namespace platform
