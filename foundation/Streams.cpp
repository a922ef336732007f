#include "foundation/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "foundation/SafeFile.h"

namespace {

// The position a seek asks for, or -1 when it is before the start or overflows.
int64_t SeekTarget(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::Beginning ? 0
                 : origin == TSeekOrigin::Current ? position
                                                  : size;
  int64_t target;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
  return target;
}

// Copies Count bytes; the 1- to 4-byte reads that binary readers make in bulk skip the
// general copy routine.
inline void CopySmall(void* to, const void* from, size_t count) {
  auto* d = static_cast<uint8_t*>(to);
  auto* s = static_cast<const uint8_t*>(from);
  switch (count) {
    case 4:
      d[3] = s[3];
      [[fallthrough]];
    case 3:
      d[2] = s[2];
      [[fallthrough]];
    case 2:
      d[1] = s[1];
      [[fallthrough]];
    case 1:
      d[0] = s[0];
      [[fallthrough]];
    case 0:
      return;
    default:
      std::memcpy(d, s, count);
  }
}

size_t ReadFromMemory(const uint8_t* data, size_t size, int64_t& position, void* buffer,
                      size_t count) {
  if (position < 0 || static_cast<uint64_t>(position) >= size) return 0;
  size_t n = std::min(count, size - static_cast<size_t>(position));
  CopySmall(buffer, data + position, n);
  position += static_cast<int64_t>(n);
  return n;
}

}  // namespace

// ---- TFastMemoryStream

size_t TFastMemoryStream::Read(void* buffer, size_t count) {
  return ReadFromMemory(reinterpret_cast<const uint8_t*>(bytes_.data()), bytes_.size(), position_,
                        buffer, count);
}

size_t TFastMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  size_t end = static_cast<size_t>(position_) + count;
  if (end > bytes_.size()) bytes_.resize(end);
  CopySmall(bytes_.data() + position_, buffer, count);
  position_ = static_cast<int64_t>(end);
  return count;
}

int64_t TFastMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t target = SeekTarget(position_, Size(), offset, origin);
  if (target >= 0) position_ = target;
  return target;
}

// ---- TFastResourceStream

size_t TFastResourceStream::Read(void* buffer, size_t count) {
  return ReadFromMemory(data_, size_, position_, buffer, count);
}

int64_t TFastResourceStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t target = SeekTarget(position_, Size(), offset, origin);
  if (target >= 0) position_ = target;
  return target;
}

// ---- TBufferedFileStream

Ref<TBufferedFileStream> TBufferedFileStream::Open(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  return Ref<TBufferedFileStream>(new TBufferedFileStream(fd, info.st_size));
}

TBufferedFileStream::~TBufferedFileStream() {
  close(fd_);
}

namespace {
// Reads at least this large go straight to the caller: a whole file read at once is
// neither buffered nor copied twice.
constexpr size_t kDirectRead = 4 * 1024;
}  // namespace

size_t TBufferedFileStream::Read(void* buffer, size_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    int64_t inBuffer = position_ - bufferStart_;
    if (inBuffer >= 0 && inBuffer < static_cast<int64_t>(bufferLength_)) {
      size_t n = std::min(count - done, bufferLength_ - static_cast<size_t>(inBuffer));
      CopySmall(out + done, buffer_.data() + inBuffer, n);
      done += n;
      position_ += static_cast<int64_t>(n);
      continue;
    }
    // Large reads bypass the buffer; small ones refill it.
    if (count - done >= kDirectRead) {
      ssize_t n = pread(fd_, out + done, count - done, position_);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
      position_ += n;
      continue;
    }
    buffer_.resize(kBlockSize);
    ssize_t n = pread(fd_, buffer_.data(), kBlockSize, position_);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      bufferLength_ = 0;
      break;
    }
    bufferStart_ = position_;
    bufferLength_ = static_cast<size_t>(n);
  }
  return done;
}

int64_t TBufferedFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t target = SeekTarget(position_, size_, offset, origin);
  if (target >= 0) position_ = target;
  return target;
}

// ---- TShareAwareFileWriteStream

TShareAwareFileWriteStream::TShareAwareFileWriteStream(std::unique_ptr<TSafeFileWriter> writer)
    : writer_(std::move(writer)) {}

Ref<TShareAwareFileWriteStream> TShareAwareFileWriteStream::Create(const std::string& path) {
  std::unique_ptr<TSafeFileWriter> writer = TSafeFileWriter::Open(path);
  if (!writer) return nullptr;
  return Ref<TShareAwareFileWriteStream>(new TShareAwareFileWriteStream(std::move(writer)));
}

// A stream closed after a failed write leaves the old file as it was.
TShareAwareFileWriteStream::~TShareAwareFileWriteStream() {
  Commit();
}

size_t TShareAwareFileWriteStream::Write(const void* buffer, size_t count) {
  if (done_ || count == 0) return 0;
  if (!writer_->WriteAt(position_, std::string_view(static_cast<const char*>(buffer), count)))
    return 0;
  position_ += static_cast<int64_t>(count);
  size_ = std::max(size_, position_);
  return count;
}

int64_t TShareAwareFileWriteStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t target = SeekTarget(position_, size_, offset, origin);
  if (target >= 0) position_ = target;
  return target;
}

bool TShareAwareFileWriteStream::Commit() {
  if (done_) return !writer_->Failed();
  done_ = true;
  return writer_->Commit();
}

// ---- helpers

std::string ReadStreamToString(IStream* stream) {
  if (!stream) return {};
  int64_t size = stream->Size();
  if (size <= 0 || stream->Seek(0, TSeekOrigin::Beginning) != 0) return {};
  if (static_cast<uint64_t>(size) > std::string().max_size()) return {};
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    size_t n = stream->Read(bytes.data() + got, bytes.size() - got);
    if (n == 0) return {};
    got += n;
  }
  return bytes;
}
