#include "foundation/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "foundation/Warnings.h"
#include "platform/ErrorText.h"
#include "platform/Folders.h"

namespace {

TSafeFileFaultHook& FaultHook() {
  static TSafeFileFaultHook hook;
  return hook;
}

// The error number a test injects at this step; 0 for none.
int InjectedFault(TSafeFileStep step, int64_t written) {
  const TSafeFileFaultHook& hook = FaultHook();
  return hook ? hook(step, written) : 0;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The mode the new file gets: the old file's, or what a plain create would give.
mode_t ModeFor(const std::string& path, TFileAccess access) {
  if (access == TFileAccess::OwnerOnly) return 0600;
  struct stat old;
  if (stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// A rename is durable only once the folder itself is flushed.
void FlushFolder(const std::string& folder) {
  InjectedFault(TSafeFileStep::FolderFlush, 0);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

struct TFolderFlushes {
  int batches = 0;
  std::vector<std::string> pending;
};

TFolderFlushes& FolderFlushes() {
  static TFolderFlushes flushes;
  return flushes;
}

// The folder is flushed now, or by the batch that is open.
void FlushFolderOrDefer(const std::string& folder) {
  TFolderFlushes& flushes = FolderFlushes();
  if (flushes.batches == 0) return FlushFolder(folder);
  if (std::find(flushes.pending.begin(), flushes.pending.end(), folder) == flushes.pending.end())
    flushes.pending.push_back(folder);
}

// The file at Path is the player's own (0600, this user's, a regular file reached without
// a link) and holds exactly Bytes.
bool HoldsExactly(const std::string& path, std::string_view bytes) {
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info;
  bool same = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
              (info.st_mode & 07777) == 0600 && static_cast<uint64_t>(info.st_size) == bytes.size();
  std::string held(same ? bytes.size() : 0, '\0');
  for (size_t done = 0; same && done < held.size();) {
    ssize_t n = pread(fd, held.data() + done, held.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) same = false;
    done += n > 0 ? static_cast<size_t>(n) : 0;
  }
  close(fd);
  return same && held == bytes;
}

}  // namespace

TFolderFlushBatch::TFolderFlushBatch() {
  ++FolderFlushes().batches;
}

TFolderFlushBatch::~TFolderFlushBatch() {
  TFolderFlushes& flushes = FolderFlushes();
  if (--flushes.batches > 0) return;
  std::vector<std::string> folders = std::move(flushes.pending);
  flushes.pending.clear();
  for (const std::string& folder : folders) FlushFolder(folder);
}

void SetSafeFileFaultHook(TSafeFileFaultHook hook) {
  FaultHook() = std::move(hook);
}

std::unique_ptr<TSafeFileWriter> TSafeFileWriter::Open(const std::string& path, TFileAccess access,
                                                       std::string* problem) {
  auto refuse = [&](const std::string& why) {
    if (problem) *problem = why;
    return nullptr;
  };
  if (path.empty() || path.back() == '/') return refuse("not a file name");
  if (int error = InjectedFault(TSafeFileStep::Create, 0))
    return refuse(platform::SystemErrorText(error));
  platform::RemoveStaleTemporaries(path);
  std::string tempPath;
  int fd = platform::CreateTemporaryBeside(path, tempPath);
  if (fd < 0) return refuse(platform::SystemErrorText(errno));
  fchmod(fd, ModeFor(path, access));
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

bool TSafeFileWriter::Fail(int error) {
  if (!failed_) problem_ = platform::SystemErrorText(error);
  failed_ = true;
  return false;
}

bool TSafeFileWriter::WriteAt(int64_t offset, std::string_view bytes) {
  if (failed_ || committed_ || offset < 0) return Fail(EINVAL);
  // Written in pieces so that a failure can strike part-way, as a full disk does.
  constexpr size_t kPiece = 4096;
  size_t done = 0;
  while (done < bytes.size()) {
    if (int error = InjectedFault(TSafeFileStep::Write, offset + static_cast<int64_t>(done)))
      return Fail(error);
    size_t count = std::min(kPiece, bytes.size() - done);
    ssize_t n = pwrite(fd_, bytes.data() + done, count, offset + static_cast<int64_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
    done += static_cast<size_t>(n);
  }
  return true;
}

bool TSafeFileWriter::Commit() {
  if (committed_) return !failed_;
  if (failed_) return false;
  struct stat info;
  int64_t written = fstat(fd_, &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
  if (int error = InjectedFault(TSafeFileStep::Flush, written)) return Fail(error);
  if (fsync(fd_) != 0) return Fail(errno);
  int fd = std::exchange(fd_, -1);
  if (close(fd) != 0) return Fail(errno);
  if (int error = InjectedFault(TSafeFileStep::Rename, written)) return Fail(error);
  if (rename(tempPath_.c_str(), path_.c_str()) != 0) return Fail(errno);
  committed_ = true;
  FlushFolderOrDefer(FolderOf(path_));
  return true;
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, TFileAccess access,
                     std::string* problem) {
  std::unique_ptr<TSafeFileWriter> writer = TSafeFileWriter::Open(path, access, problem);
  if (!writer) return false;
  if (writer->WriteAt(0, bytes) && writer->Commit()) return true;
  if (problem) *problem = writer->Problem();
  return false;
}

// ---------------------------------------------------------------------------------------
// The player's files

TPlayerFile ReadPlayerFile(const std::string& path) {
  TPlayerFile file;
  switch (platform::ReadRegularFile(path, file.bytes, kMaxPlayerFileBytes, file.problem)) {
    case platform::FileReadState::Read:
      file.state = TPlayerFileState::Read;
      break;
    case platform::FileReadState::Absent:
      file.state = TPlayerFileState::Absent;
      break;
    case platform::FileReadState::Refused:
      file.state = TPlayerFileState::Damaged;
      break;
  }
  return file;
}

bool SavePlayerFile(const std::string& path, std::string_view bytes) {
  // A file the next start would refuse to read is never written: the old one stays.
  if (bytes.size() > kMaxPlayerFileBytes) {
    Warn(path, "not saved (larger than " + std::to_string(kMaxPlayerFileBytes >> 20) +
                   " MiB, the most a player file may hold)");
    return false;
  }
  // Writing the same bytes again would only wait on the disk.
  if (HoldsExactly(path, bytes)) return true;
  std::string problem;
  if (WriteFileSafely(path, bytes, TFileAccess::OwnerOnly, &problem)) return true;
  Warn(path, "not saved (" + problem + ")");
  return false;
}
