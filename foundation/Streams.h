#pragma once
// The byte streams every reader of files, archives and program resources goes through.
// A stream is reference counted; whoever holds the last Ref closes it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/Interface.h"

enum class TSeekOrigin { Beginning, Current, End };

class IStream : public virtual IInterface {
 public:
  // Copies up to Count bytes from the position on; gives how many came (0 at the end
  // or on an error).
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Gives how many bytes were written; read-only streams write nothing.
  virtual size_t Write(const void* buffer, size_t count) = 0;
  // Gives the new position, or -1 when it cannot move there (before the start).
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Position() = 0;
  // -1 when the size cannot be known.
  virtual int64_t Size() = 0;
};

// Holds its bytes in memory and grows on writes; an archive entry read whole lands here.
class TFastMemoryStream : public TInterfacedObject, public IStream {
 public:
  TFastMemoryStream() = default;
  explicit TFastMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Position() override { return position_; }
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

  std::string& Bytes() { return bytes_; }

 private:
  std::string bytes_;
  int64_t position_ = 0;
};

// Reads bytes that live as long as the program (a program resource) without copying.
class TFastResourceStream : public TInterfacedObject, public IStream {
 public:
  TFastResourceStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void*, size_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Position() override { return position_; }
  int64_t Size() override { return static_cast<int64_t>(size_); }

 private:
  const uint8_t* data_;
  size_t size_;
  int64_t position_ = 0;
};

// Read-only file stream serving reads from a block buffer, so that the archive reader's
// many small reads of the central directory cost no system call each.
class TBufferedFileStream : public TInterfacedObject, public IStream {
 public:
  // Nothing when the file cannot be opened for reading. Path is a native path.
  static Ref<TBufferedFileStream> Open(const std::string& path);
  ~TBufferedFileStream() override;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void*, size_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Position() override { return position_; }
  int64_t Size() override { return size_; }

 private:
  static constexpr size_t kBlockSize = 64 * 1024;
  TBufferedFileStream(int fd, int64_t size) : fd_(fd), size_(size) {}

  int fd_;
  int64_t size_;
  int64_t position_ = 0;
  // The buffer holds the file's bytes [bufferStart_, bufferStart_ + bufferLength_).
  std::string buffer_;
  int64_t bufferStart_ = 0;
  size_t bufferLength_ = 0;
};

class TSafeFileWriter;

// Writes a file so that a crash or a failed write never leaves it truncated: the bytes
// go to a temporary file beside it, which replaces the file when the stream is closed
// (or Commit is called) and no write has failed.
class TShareAwareFileWriteStream : public TInterfacedObject, public IStream {
 public:
  // Nothing when the temporary file cannot be made (missing folder, no permission).
  static Ref<TShareAwareFileWriteStream> Create(const std::string& path);
  ~TShareAwareFileWriteStream() override;

  size_t Read(void*, size_t) override { return 0; }
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Position() override { return position_; }
  int64_t Size() override { return size_; }

  // Replaces the file now; false when a write failed or the replacement did. Later
  // writes go nowhere.
  bool Commit();

 private:
  explicit TShareAwareFileWriteStream(std::unique_ptr<TSafeFileWriter> writer);

  std::unique_ptr<TSafeFileWriter> writer_;
  int64_t position_ = 0;
  int64_t size_ = 0;
  bool done_ = false;
};

// The stream's whole content from its start; '' when it cannot all be read.
std::string ReadStreamToString(IStream* stream);
