#include "foundation/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

namespace {

TSafeFileFaultHook& FaultHook() {
  static TSafeFileFaultHook hook;
  return hook;
}

bool Faulted(TSafeFileStep step, int64_t written) {
  const TSafeFileFaultHook& hook = FaultHook();
  return hook && hook(step, written);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The mode the new file gets: the old file's, or what a plain create would give.
mode_t ModeFor(const std::string& path) {
  struct stat old;
  if (stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// A rename is durable only once the folder itself is flushed.
void FlushFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Makes the temporary file beside Path: named after it, or, when that name would be too
// long for the folder, a short hidden one.
int MakeTemporary(const std::string& path, std::string& tempPath) {
  for (const std::string& pattern : {path + ".tmpXXXXXX", FolderOf(path) + "/.save-XXXXXX"}) {
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
      tempPath = name.data();
      return fd;
    }
    if (errno != ENAMETOOLONG) break;
  }
  return -1;
}

}  // namespace

void SetSafeFileFaultHook(TSafeFileFaultHook hook) {
  FaultHook() = std::move(hook);
}

std::unique_ptr<TSafeFileWriter> TSafeFileWriter::Open(const std::string& path) {
  if (path.empty() || path.back() == '/') return nullptr;
  if (Faulted(TSafeFileStep::Create, 0)) return nullptr;
  std::string tempPath;
  int fd = MakeTemporary(path, tempPath);
  if (fd < 0) return nullptr;
  fchmod(fd, ModeFor(path));
  return std::unique_ptr<TSafeFileWriter>(new TSafeFileWriter(path, tempPath, fd));
}

TSafeFileWriter::~TSafeFileWriter() {
  if (!committed_) Discard();
}

void TSafeFileWriter::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  unlink(tempPath_.c_str());
}

bool TSafeFileWriter::WriteAt(int64_t offset, std::string_view bytes) {
  if (failed_ || committed_ || offset < 0) return failed_ = true, false;
  // Written in pieces so that a failure can strike part-way, as a full disk does.
  constexpr size_t kPiece = 4096;
  size_t done = 0;
  while (done < bytes.size()) {
    if (Faulted(TSafeFileStep::Write, offset + static_cast<int64_t>(done))) {
      failed_ = true;
      return false;
    }
    size_t count = std::min(kPiece, bytes.size() - done);
    ssize_t n = pwrite(fd_, bytes.data() + done, count, offset + static_cast<int64_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool TSafeFileWriter::Commit() {
  if (committed_) return !failed_;
  if (failed_) return false;
  struct stat info;
  int64_t written = fstat(fd_, &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
  if (Faulted(TSafeFileStep::Flush, written) || fsync(fd_) != 0) {
    failed_ = true;
    return false;
  }
  int fd = std::exchange(fd_, -1);
  if (close(fd) != 0) {
    failed_ = true;
    return false;
  }
  if (Faulted(TSafeFileStep::Rename, written) || rename(tempPath_.c_str(), path_.c_str()) != 0) {
    failed_ = true;
    return false;
  }
  committed_ = true;
  FlushFolder(FolderOf(path_));
  return true;
}

bool WriteFileSafely(const std::string& path, std::string_view bytes) {
  std::unique_ptr<TSafeFileWriter> writer = TSafeFileWriter::Open(path);
  return writer && writer->WriteAt(0, bytes) && writer->Commit();
}
