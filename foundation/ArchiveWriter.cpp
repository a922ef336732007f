#include "foundation/ArchiveWriter.h"

#include <minizip/zip.h>

#include <algorithm>
#include <cstring>

namespace {

// A growing byte buffer that minizip's writer sees as a file.
struct MemoryFile {
  std::string bytes;
  size_t position = 0;
};

MemoryFile* AsFile(voidpf stream) {
  return static_cast<MemoryFile*>(stream);
}

voidpf Open(voidpf opaque, const void*, int) {
  return opaque;
}

uLong Read(voidpf, voidpf stream, void* buffer, uLong size) {
  MemoryFile* f = AsFile(stream);
  if (f->position >= f->bytes.size()) return 0;
  size_t n = std::min<size_t>(size, f->bytes.size() - f->position);
  std::memcpy(buffer, f->bytes.data() + f->position, n);
  f->position += n;
  return static_cast<uLong>(n);
}

uLong Write(voidpf, voidpf stream, const void* buffer, uLong size) {
  MemoryFile* f = AsFile(stream);
  if (f->position + size > f->bytes.size()) f->bytes.resize(f->position + size);
  std::memcpy(f->bytes.data() + f->position, buffer, size);
  f->position += size;
  return size;
}

ZPOS64_T Tell(voidpf, voidpf stream) {
  return AsFile(stream)->position;
}

long Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  MemoryFile* f = AsFile(stream);
  ZPOS64_T base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                  : origin == ZLIB_FILEFUNC_SEEK_CUR ? f->position
                                                     : f->bytes.size();
  f->position = static_cast<size_t>(base + offset);
  return 0;
}

int Close(voidpf, voidpf) {
  return 0;
}
int Error(voidpf, voidpf) {
  return 0;
}

}  // namespace

std::optional<std::string> BuildZipArchive(const std::vector<TArchiveEntry>& entries, bool stored) {
  MemoryFile file;
  zlib_filefunc64_def functions{Open, Read, Write, Tell, Seek, Close, Error, &file};
  zipFile zip = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions);
  if (!zip) return std::nullopt;
  zip_fileinfo info{};
  info.tmz_date.tm_year = 1980;
  info.tmz_date.tm_mday = 1;
  bool ok = true;
  for (const TArchiveEntry& entry : entries) {
    ok = !entry.name.empty() &&
         zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                               stored ? 0 : Z_DEFLATED, Z_BEST_COMPRESSION,
                               entry.bytes.size() >= 0xFFFFFFFFu) == ZIP_OK;
    if (!ok) break;
    for (size_t done = 0; ok && done < entry.bytes.size();) {
      unsigned piece = static_cast<unsigned>(std::min<size_t>(entry.bytes.size() - done, 1u << 20));
      ok = zipWriteInFileInZip(zip, entry.bytes.data() + done, piece) == ZIP_OK;
      done += piece;
    }
    if (zipCloseFileInZip(zip) != ZIP_OK) ok = false;
    if (!ok) break;
  }
  if (zipClose(zip, nullptr) != ZIP_OK) ok = false;
  if (!ok) return std::nullopt;
  return std::move(file.bytes);
}
