#pragma once
// The one way files are saved: the bytes go to a temporary file in the same folder, are
// flushed to the disk, and only then renamed over the old file. A crash or a failed
// write at any point leaves either the old file or the new one, never a truncated mix.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// Writes Bytes as the whole content of the file at Path (a native path). False when it
// could not; the old file, if any, is then untouched.
bool WriteFileSafely(const std::string& path, std::string_view bytes);

// A save in progress, for writers that produce their bytes piece by piece.
class TSafeFileWriter {
 public:
  // Nothing when the temporary file cannot be created beside Path.
  static std::unique_ptr<TSafeFileWriter> Open(const std::string& path);
  // Abandons the save (the temporary file is removed) unless it was committed.
  ~TSafeFileWriter();

  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

  // Writes at Offset of the new content; false on failure, after which Commit fails.
  bool WriteAt(int64_t offset, std::string_view bytes);
  // Flushes, then renames over the target. False when anything failed on the way.
  bool Commit();
  bool Failed() const { return failed_; }

 private:
  TSafeFileWriter(std::string path, std::string tempPath, int fd)
      : path_(std::move(path)), tempPath_(std::move(tempPath)), fd_(fd) {}
  void Discard();

  std::string path_;
  std::string tempPath_;
  int fd_;
  bool failed_ = false;
  bool committed_ = false;
};

// Tests make a save fail at a chosen step: the hook is asked before each step and a true
// answer fails it. Written tells how many bytes of the new content are written so far.
enum class TSafeFileStep { Create, Write, Flush, Rename };
using TSafeFileFaultHook = std::function<bool(TSafeFileStep step, int64_t written)>;
void SetSafeFileFaultHook(TSafeFileFaultHook hook);
