#include "foundation/ResourceReader.h"

#include <dirent.h>
#include <minizip/unzip.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_map>

#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "platform/ProgramResources.h"

std::string ArchiveExtension = ".zip";

namespace {

// An entry is inflated whole into memory, so its declared size is checked before that:
// a damaged or hostile archive must not make the game ask for gigabytes.
constexpr uint64_t kMaxEntrySize = 256ull << 20;
// Deflate cannot expand its input more than about 1032 times.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr int kZipStored = 0;
constexpr int kZipDeflated = 8;
constexpr int kCaseInsensitive = 2;

// ---- text helpers

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
  return true;
}

std::string Replace(std::string text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

std::string ToNative(const std::string& dataPath) {
  return Replace(dataPath, '\\', '/');
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

bool IsResourceRoot(std::string_view path) {
  return StartsWithNoCase(path, "res:");
}

// ---- letter case on disk

// Data names files in any letter case and the disk does not forgive that, so a path that
// misses is resolved segment by segment against folder listings. Listings are kept and
// trusted while the folder's modification time stays what it was, except for a listing
// made within a second of that time: a change in the same clock tick would leave the
// time unchanged, so such a listing is read again before it may report a miss.
struct FolderListing {
  timespec modified{};
  ino_t inode = 0;
  timespec listed{};
  std::unordered_map<std::string, std::string> byLowerName;
};

std::unordered_map<std::string, FolderListing>& Listings() {
  static std::unordered_map<std::string, FolderListing> listings;
  return listings;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool ListFolder(const std::string& folder, const struct stat& info, FolderListing& listing) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  listing = FolderListing{};
  listing.modified = info.st_mtim;
  listing.inode = info.st_ino;
  clock_gettime(CLOCK_REALTIME, &listing.listed);
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // Of names equal but for case, the smallest wins, whatever order the disk lists.
    auto [it, added] = listing.byLowerName.try_emplace(Lower(name), name);
    if (!added && name < it->second) it->second = name;
  }
  closedir(dir);
  return true;
}

// The actual name in Folder of Name, compared without case.
std::optional<std::string> FindInFolder(const std::string& folder, const std::string& name) {
  std::string key = folder.empty() ? "." : folder;
  struct stat info;
  if (stat(key.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    Listings().erase(key);
    return std::nullopt;
  }
  std::string lower = Lower(name);
  auto it = Listings().find(key);
  bool fresh = it != Listings().end() && SameTime(it->second.modified, info.st_mtim) &&
               it->second.inode == info.st_ino;
  if (fresh) {
    auto found = it->second.byLowerName.find(lower);
    if (found != it->second.byLowerName.end()) return found->second;
    bool racy = it->second.listed.tv_sec <= it->second.modified.tv_sec + 1;
    if (!racy) return std::nullopt;
  }
  FolderListing& listing = Listings()[key];
  if (!ListFolder(key, info, listing)) {
    Listings().erase(key);
    return std::nullopt;
  }
  auto found = listing.byLowerName.find(lower);
  if (found == listing.byLowerName.end()) return std::nullopt;
  return found->second;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool Exists(const std::string& path, struct stat* info = nullptr) {
  struct stat local;
  return stat(path.c_str(), info ? info : &local) == 0;
}

// The existing path that Native names without regard to case; when MayMissLast, the
// last segment may name nothing yet and is then kept as given.
std::optional<std::string> ResolveCase(const std::string& native, bool mayMissLast = false) {
  if (native.empty()) return std::nullopt;
  if (Exists(native)) return native;
  std::string resolved = native[0] == '/' ? "/" : "";
  size_t start = 0;
  while (start <= native.size()) {
    size_t end = native.find('/', start);
    if (end == std::string::npos) end = native.size();
    std::string segment = native.substr(start, end - start);
    bool last = end == native.size();
    start = end + 1;
    if (segment.empty()) continue;
    std::string candidate = Join(resolved, segment);
    if (segment == "." || segment == ".." || Exists(candidate)) {
      resolved = candidate;
      continue;
    }
    std::optional<std::string> actual = FindInFolder(resolved, segment);
    if (actual) {
      resolved = Join(resolved, *actual);
    } else if (last && mayMissLast) {
      resolved = candidate;
    } else {
      return std::nullopt;
    }
  }
  return resolved;
}

bool IsRegularFile(const std::string& native) {
  struct stat info;
  return Exists(native, &info) && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& native) {
  struct stat info;
  return Exists(native, &info) && S_ISDIR(info.st_mode);
}

// ---- the program's folder

std::string& ProgramFolderSetting() {
  static std::string folder;
  return folder;
}

std::string ExecutableFolder() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !exe.has_parent_path()) return ".";
  return exe.parent_path().string();
}

// ---- minizip over our streams

IStream* AsStream(voidpf stream) {
  return static_cast<IStream*>(stream);
}

voidpf ZipOpen(voidpf, const void* stream, int) {
  return const_cast<void*>(stream);
}

uLong ZipRead(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(AsStream(stream)->Read(buffer, size));
}

uLong ZipWrite(voidpf, voidpf, const void*, uLong) {
  return 0;
}

ZPOS64_T ZipTell(voidpf, voidpf stream) {
  int64_t position = AsStream(stream)->Position();
  return position < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(position);
}

long ZipSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  if (offset > static_cast<ZPOS64_T>(INT64_MAX)) return -1;
  TSeekOrigin from = origin == ZLIB_FILEFUNC_SEEK_SET   ? TSeekOrigin::Beginning
                     : origin == ZLIB_FILEFUNC_SEEK_CUR ? TSeekOrigin::Current
                                                        : TSeekOrigin::End;
  return AsStream(stream)->Seek(static_cast<int64_t>(offset), from) < 0 ? -1 : 0;
}

// The reader holds the stream; minizip only borrows it.
int ZipClose(voidpf, voidpf) {
  return 0;
}
int ZipError(voidpf, voidpf) {
  return 0;
}

unzFile OpenZip(IStream* stream) {
  zlib_filefunc64_def functions{};
  functions.zopen64_file = ZipOpen;
  functions.zread_file = ZipRead;
  functions.zwrite_file = ZipWrite;
  functions.ztell64_file = ZipTell;
  functions.zseek64_file = ZipSeek;
  functions.zclose_file = ZipClose;
  functions.zerror_file = ZipError;
  return unzOpen2_64(stream, &functions);
}

// The current entry's name in full (entry names may run to 65535 bytes).
std::optional<std::string> CurrentEntryName(unzFile zip, unz_file_info64* info) {
  unz_file_info64 local;
  unz_file_info64* i = info ? info : &local;
  if (unzGetCurrentFileInfo64(zip, i, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return std::nullopt;
  std::string name(i->size_filename + 1, '\0');
  if (unzGetCurrentFileInfo64(zip, i, name.data(), static_cast<uLong>(name.size()), nullptr, 0,
                              nullptr, 0) != UNZ_OK)
    return std::nullopt;
  name.resize(i->size_filename);
  return name;
}

bool PlausibleEntrySize(const unz_file_info64& info, int64_t archiveSize) {
  if (info.uncompressed_size > kMaxEntrySize) return false;
  if (archiveSize < 0 || info.compressed_size > static_cast<uint64_t>(archiveSize)) return false;
  if (info.compression_method == kZipStored) return info.uncompressed_size == info.compressed_size;
  if (info.compression_method == kZipDeflated)
    return info.uncompressed_size <= info.compressed_size * kMaxDeflateRatio + 64;
  return false;
}

// ---- the cached reader

std::unique_ptr<TResourceReader>& CachedReader() {
  static std::unique_ptr<TResourceReader> reader;
  return reader;
}

}  // namespace

// ---- settings and paths

void SetProgramFolder(const std::string& folder) {
  ProgramFolderSetting() = folder;
}

std::string ProgramFolder() {
  std::string& folder = ProgramFolderSetting();
  if (folder.empty()) folder = ExecutableFolder();
  return folder;
}

std::string NormalizeResourcePath(const std::string& path) {
  std::string out = Replace(path, '/', '\\');
  static const std::string kAppPath = "%apppath%";
  size_t at = out.find(kAppPath);
  if (at == std::string::npos) return out;
  std::string folder = Replace(ProgramFolder(), '/', '\\');
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  for (; at != std::string::npos; at = out.find(kAppPath, at + folder.size()))
    out.replace(at, kAppPath.size(), folder);
  return out;
}

std::string NativePathForWriting(const std::string& path) {
  std::string normalized = NormalizeResourcePath(path);
  if (IsResourceRoot(normalized)) return {};
  std::string native = ToNative(normalized);
  if (native.empty() || native.back() == '/') return {};
  std::optional<std::string> resolved = ResolveCase(native, true);
  if (!resolved || IsFolder(*resolved)) return {};
  return *resolved;
}

void ClearResourceCache() {
  CachedReader().reset();
  Listings().clear();
}

bool IsDirectory(const std::string& path) {
  std::string normalized = NormalizeResourcePath(path);
  if (IsResourceRoot(normalized)) return false;
  std::optional<std::string> resolved = ResolveCase(ToNative(normalized));
  return resolved && IsFolder(*resolved);
}

// ---- TResourceReader

TResourceReader::TResourceReader(const std::string& root) : root_(root) {
  try {
    Open();
  } catch (const std::exception& error) {
    Warn(root_, std::string("cannot be opened (") + error.what() + "); its files are not found");
    CloseArchive();
    kind_ = kInvalid;
  }
}

void TResourceReader::Open() {
  std::string test = WithoutTrailingSeparator(root_);
  if (IsResourceRoot(test)) {
    if (std::optional<ProgramResource> resource = FindProgramResource(test.substr(4)))
      OpenArchive(Ref<IStream>(new TFastResourceStream(resource->data, resource->size)));
    kind_ = archive_ ? kArchive : kInvalid;
    return;
  }
  std::optional<std::string> native = ResolveCase(ToNative(test));
  if (native && IsRegularFile(*native)) {
    OpenArchive(TBufferedFileStream::Open(*native));
    if (!archive_) Warn(test, "is a file but no zip archive; nothing is read from it");
  } else if (std::optional<std::string> archive = ResolveCase(ToNative(test) + ArchiveExtension);
             archive && IsRegularFile(*archive)) {
    OpenArchive(TBufferedFileStream::Open(*archive));
    if (!archive_)
      Warn(test + ArchiveExtension, "is no zip archive; the folder it stands for is empty");
  }
  if (archive_) {
    kind_ = kArchive;
  } else if (native && IsFolder(*native)) {
    kind_ = kFolder;
    folder_ = *native;
  }
}

TResourceReader::TResourceReader(const std::string& root, Ref<IStream> stream) : root_(root) {
  try {
    OpenArchive(std::move(stream));
  } catch (const std::exception& error) {
    Warn(root_, std::string("cannot be opened (") + error.what() + "); its files are not found");
    CloseArchive();
  }
  kind_ = archive_ ? kArchive : kInvalid;
}

TResourceReader::~TResourceReader() {
  CloseArchive();
}

void TResourceReader::OpenArchive(Ref<IStream> stream) {
  if (!stream) return;
  stream_ = std::move(stream);
  archive_ = OpenZip(stream_.get());
  if (!archive_) {
    stream_.reset();
    return;
  }
  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive_, &global) == UNZ_OK && global.number_entry >= kIndexThreshold)
    BuildIndex();
}

void TResourceReader::CloseArchive() {
  if (archive_) unzClose(archive_);
  archive_ = nullptr;
  stream_.reset();
  index_.clear();
}

bool TResourceReader::ListFiles(const std::function<void(const std::string& name)>& maker) {
  if (kind_ == kFolder) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::recursive_directory_iterator it(folder_, fs::directory_options::skip_permission_denied,
                                        error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (!it->is_regular_file(error)) continue;
      std::string relative = fs::relative(it->path(), folder_, error).string();
      if (!error) maker(Replace(relative, '/', '\\'));
    }
    return !error;
  }
  if (!archive_) return false;
  int status = unzGoToFirstFile(archive_);
  for (; status == UNZ_OK; status = unzGoToNextFile(archive_)) {
    std::optional<std::string> name = CurrentEntryName(archive_, nullptr);
    if (!name) return false;
    maker(*name);
  }
  return status == UNZ_END_OF_LIST_OF_FILE;
}

void TResourceReader::BuildIndex() {
  std::vector<IndexEntry> index;
  bool complete = ListFiles([&](const std::string& name) {
    unz64_file_pos position;
    if (unzGetFilePos64(archive_, &position) != UNZ_OK) return;
    index.push_back({name, {position.pos_in_zip_directory, position.num_of_file}});
  });
  // A directory that could not be read to its end would make the index miss entries
  // that the archive's own search can still find.
  if (!complete) {
    index_.clear();
    return;
  }
  std::stable_sort(index.begin(), index.end(), [](const IndexEntry& a, const IndexEntry& b) {
    return CompareText(a.name, b.name) < 0;
  });
  index_ = std::move(index);
}

bool TResourceReader::LocateFile(const std::string& entryName) {
  if (!archive_) return false;
  if (!index_.empty()) {
    auto it = std::lower_bound(index_.begin(), index_.end(), entryName,
                               [](const IndexEntry& e, const std::string& name) {
                                 return CompareText(e.name, name) < 0;
                               });
    if (it == index_.end() || !SameText(it->name, entryName)) return false;
    unz64_file_pos position{it->info.positionInDirectory, it->info.entryNumber};
    return unzGoToFilePos64(archive_, &position) == UNZ_OK;
  }
  return unzLocateFile(archive_, entryName.c_str(), kCaseInsensitive) == UNZ_OK;
}

Ref<IStream> TResourceReader::OpenFile(const std::string& relativePath) {
  try {
    return OpenFileOrThrow(relativePath);
  } catch (const std::exception& error) {
    Warn(root_, relativePath + " cannot be read (" + error.what() + ")");
    return nullptr;
  }
}

Ref<IStream> TResourceReader::OpenFileOrThrow(const std::string& relativePath) {
  if (kind_ == kFolder) {
    std::optional<std::string> native = ResolveCase(Join(folder_, ToNative(relativePath)));
    if (!native || !IsRegularFile(*native)) return nullptr;
    return TBufferedFileStream::Open(*native);
  }
  if (kind_ != kArchive || relativePath.empty()) return nullptr;
  if (!LocateFile(Replace(relativePath, '\\', '/'))) return nullptr;
  Ref<IStream> entry = ReadCurrentEntry();
  if (!entry) Warn(root_, "the archive's entry " + relativePath + " is damaged; it is not read");
  return entry;
}

Ref<IStream> TResourceReader::ReadCurrentEntry() {
  unz_file_info64 info;
  if (unzGetCurrentFileInfo64(archive_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return nullptr;
  if (!PlausibleEntrySize(info, stream_->Size())) return nullptr;
  if (unzOpenCurrentFile(archive_) != UNZ_OK) return nullptr;
  std::string bytes(static_cast<size_t>(info.uncompressed_size), '\0');
  size_t got = 0;
  bool ok = true;
  while (got < bytes.size()) {
    unsigned piece = static_cast<unsigned>(std::min<size_t>(bytes.size() - got, 1u << 20));
    int n = unzReadCurrentFile(archive_, bytes.data() + got, piece);
    if (n <= 0) {
      ok = false;
      break;
    }
    got += static_cast<size_t>(n);
  }
  // Closing checks the CRC once the entry was read whole: damaged data is no file.
  if (unzCloseCurrentFile(archive_) != UNZ_OK) ok = false;
  if (!ok) return nullptr;
  return Ref<IStream>(new TFastMemoryStream(std::move(bytes)));
}

// ---- the tree

namespace {

Ref<IStream> OpenForWriting(const std::string& path) {
  std::string native = NativePathForWriting(path);
  if (native.empty()) return nullptr;
  return TShareAwareFileWriteStream::Create(native);
}

Ref<IStream> OpenForReading(const std::string& path) {
  std::string normalized = NormalizeResourcePath(path);
  if (normalized.find('\\') == std::string::npos) normalized = ".\\" + normalized;

  // Roots are tried shortest first, so a plain file wins over an archive replacing a
  // deeper folder, and the file name itself is never a root. The reader that answered
  // last is kept open and stands in for its root: it saves re-opening an archive (and
  // re-indexing it) for consecutive files, yet never answers for a root it is not, so
  // the answer never depends on what was read before.
  std::unique_ptr<TResourceReader>& cached = CachedReader();
  std::string cachedRoot = cached ? WithoutTrailingSeparator(cached->Root()) : std::string();
  for (size_t at = normalized.find('\\'); at != std::string::npos;
       at = normalized.find('\\', at + 1)) {
    std::string prefix = normalized.substr(0, at);
    if (prefix.empty()) continue;
    std::unique_ptr<TResourceReader> fresh;
    TResourceReader* reader = cached.get();
    if (!cached || !SameText(prefix, cachedRoot)) {
      fresh = std::make_unique<TResourceReader>(prefix);
      if (fresh->Kind() == TResourceReader::kInvalid) continue;
      reader = fresh.get();
    }
    if (Ref<IStream> stream = reader->OpenFile(normalized.substr(at + 1))) {
      if (fresh) cached = std::move(fresh);
      return stream;
    }
  }
  return nullptr;
}

}  // namespace

// Nothing raises to the caller: a reader that fails in any way has no file.
Ref<IStream> OpenResourceStream(const std::string& path, bool forReading) {
  try {
    return forReading ? OpenForReading(path) : OpenForWriting(path);
  } catch (const std::exception& error) {
    Warn(path,
         std::string(forReading ? "cannot be read (" : "cannot be written (") + error.what() + ")");
    return nullptr;
  }
}

std::string LoadResourceToString(const std::string& path) {
  Ref<IStream> stream = OpenResourceStream(path, true);
  return ReadStreamToString(stream.get());
}
