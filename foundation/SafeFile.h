#pragma once
// The one way files are saved: the bytes go to a temporary file in the same folder, are
// flushed to the disk, and only then renamed over the old file. A crash or a failed
// write at any point leaves either the old file or the new one, never a truncated mix;
// a temporary left by a process killed part-way is removed by the next save of the file.
//
// And the one way the player's own files (options, profiles, scores, records) are read
// and saved: they live in a folder other programs and users may reach, so they are read
// only when they are regular files of a sane size, never through a link, never blocking.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// Who may read a file that a save creates.
enum class TFileAccess {
  Shared,     // the old file's mode, or the process's default for a new file
  OwnerOnly,  // 0600: readable and writable by the owner only
};

// Writes Bytes as the whole content of the file at Path (a native path). False when it
// could not, with the system's reason in Problem; the old file, if any, is untouched.
bool WriteFileSafely(const std::string& path, std::string_view bytes,
                     TFileAccess access = TFileAccess::Shared, std::string* problem = nullptr);

// A save in progress, for writers that produce their bytes piece by piece.
class TSafeFileWriter {
 public:
  // Nothing when the temporary file cannot be created beside Path (Problem says why).
  static std::unique_ptr<TSafeFileWriter> Open(const std::string& path,
                                               TFileAccess access = TFileAccess::Shared,
                                               std::string* problem = nullptr);
  // Abandons the save (the temporary file is removed) unless it was committed.
  ~TSafeFileWriter();

  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

  // Writes at Offset of the new content; false on failure, after which Commit fails.
  bool WriteAt(int64_t offset, std::string_view bytes);
  // Flushes, then renames over the target. False when anything failed on the way.
  bool Commit();
  bool Failed() const { return failed_; }
  // The system's reason for the first failure; '' while nothing failed.
  const std::string& Problem() const { return problem_; }

 private:
  TSafeFileWriter(std::string path, std::string tempPath, int fd)
      : path_(std::move(path)), tempPath_(std::move(tempPath)), fd_(fd) {}
  void Discard();
  bool Fail(int error);

  std::string path_;
  std::string tempPath_;
  int fd_;
  bool failed_ = false;
  bool committed_ = false;
  std::string problem_;
};

// While one lives, saves leave the flush of their folder (which makes their renames last)
// to it, and it flushes each folder once when it ends: files saved together, such as a
// level's scores, records and players, wait on the disk for their folder once, not once
// each. They nest; the outermost one flushes.
class TFolderFlushBatch {
 public:
  TFolderFlushBatch();
  ~TFolderFlushBatch();
  TFolderFlushBatch(const TFolderFlushBatch&) = delete;
  TFolderFlushBatch& operator=(const TFolderFlushBatch&) = delete;
};

// Tests make a save fail at a chosen step: the hook is asked before each step and a
// non-zero answer fails the step with that system error number (true stands for 1).
// Written tells how many bytes of the new content are written so far. The folder's flush
// comes after the rename, so nothing can fail it: the hook only hears of it.
enum class TSafeFileStep { Create, Write, Flush, Rename, FolderFlush };
using TSafeFileFaultHook = std::function<int(TSafeFileStep step, int64_t written)>;
void SetSafeFileFaultHook(TSafeFileFaultHook hook);

// ---------------------------------------------------------------------------------------
// The player's files

// The most a player file may hold, on reading and on saving alike, so that the game never
// writes a file it then refuses: far above what real play writes (a player's whole story
// is some tens of kilobytes); a larger file is not the game's.
inline constexpr size_t kMaxPlayerFileBytes = 8u << 20;

enum class TPlayerFileState {
  Read,     // Bytes holds the content
  Absent,   // there is no such file
  Damaged,  // something is there that is no player file: Problem says what
};

struct TPlayerFile {
  TPlayerFileState state = TPlayerFileState::Absent;
  std::string bytes;
  std::string problem;
};

// Reads a player file (a native path): only a regular file of at most
// kMaxPlayerFileBytes, opened without following a symbolic link and without blocking,
// its type checked on the opened file. Anything else in its place (a link, a named pipe,
// a device, a folder, a file too large or unreadable) is Damaged. Says nothing: the
// caller warns, naming the file and what it does instead.
TPlayerFile ReadPlayerFile(const std::string& path);

// Saves a player file safely, readable by the player only (0600). Bytes larger than
// kMaxPlayerFileBytes are not saved. A failed or refused save says
// on stderr (the warning channel, once per distinct failure) which file and why; the
// old file stays. A player's file that already holds exactly Bytes is left as it is.
bool SavePlayerFile(const std::string& path, std::string_view bytes);
