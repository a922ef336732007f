#pragma once
// The resource file tree: every file of the game is read by a data path that hides
// where it lies, in a folder, in a zip archive that replaces a folder of the same name,
// or in an archive embedded in the program ("res:NAME\file"). Data paths use "\" or "/"
// and any letter case; "%apppath%" stands for the program's folder.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/Streams.h"

// The extension of an archive that replaces a folder: ".zip" until the start-up
// routine sets the game's own, GameArchiveExtension (the data tool sets it too).
extern std::string ArchiveExtension;
inline constexpr const char* GameArchiveExtension = ".vkd";

// The program's folder (a native path) that "%apppath%" stands for. Until set, the
// folder of the running executable.
void SetProgramFolder(const std::string& folder);
std::string ProgramFolder();

// A stream on the file, or nothing when it cannot be found or opened. For writing, the
// file is replaced safely when the stream is released; writing never goes into an
// archive, and "res:" paths give nothing.
Ref<IStream> OpenResourceStream(const std::string& path, bool forReading);
// The whole file, or '' when it cannot be opened.
std::string LoadResourceToString(const std::string& path);
// True when the data path names an existing folder.
bool IsDirectory(const std::string& path);

// "/" becomes "\" and "%apppath%" the program's folder with a trailing "\".
std::string NormalizeResourcePath(const std::string& path);
// The native path of a data path for a file to be written: its folder resolved without
// case, its name matching an existing file without case or kept as given. '' when the
// folder does not exist or the path is a "res:" path.
std::string NativePathForWriting(const std::string& path);
// Forgets the reader that answered last and the folder listings kept for resolving
// letter case. Data files never change while the game runs; tools and tests that change
// them call this.
void ClearResourceCache();

// Where an archive entry lies, so that it can be found again without a search.
struct TCacheEntryInfo {
  uint64_t positionInDirectory;
  uint64_t entryNumber;
};

// Reads files below one root: a folder, an archive file replacing the folder of that
// name, or an archive among the program's resources.
class TResourceReader {
 public:
  enum TKind : uint8_t { kInvalid = 0, kFolder = 1, kArchive = 2 };
  // Archives of this many entries or more get a name index.
  static constexpr uint64_t kIndexThreshold = 1000;

  // Root is a data path ("\" separators); "res:NAME" names a program resource.
  explicit TResourceReader(const std::string& root);
  // An archive read from Stream; Root names it only.
  TResourceReader(const std::string& root, Ref<IStream> stream);
  ~TResourceReader();
  TResourceReader(const TResourceReader&) = delete;
  TResourceReader& operator=(const TResourceReader&) = delete;

  const std::string& Root() const { return root_; }
  TKind Kind() const { return kind_; }
  bool HasIndex() const { return !index_.empty(); }

  // The file at RelativePath ("\" or "/" separators) below the root, or nothing.
  Ref<IStream> OpenFile(const std::string& relativePath);
  // Calls Maker with every file's path relative to the root, in archive order (for an
  // archive, while that entry is the archive's current one). False when an archive's
  // directory could not be read to its end.
  bool ListFiles(const std::function<void(const std::string& name)>& maker);
  void BuildIndex();
  // Makes the entry of that name, compared without case, the archive's current one.
  bool LocateFile(const std::string& entryName);

 private:
  struct IndexEntry {
    std::string name;
    TCacheEntryInfo info;
  };

  void Open();
  Ref<IStream> OpenFileOrThrow(const std::string& relativePath);
  void OpenArchive(Ref<IStream> stream);
  void CloseArchive();
  Ref<IStream> ReadCurrentEntry();

  std::string root_;
  TKind kind_ = kInvalid;
  std::string folder_;             // native path of the folder, when Kind is kFolder
  Ref<IStream> stream_;            // what the archive is read from
  void* archive_ = nullptr;        // the minizip reading handle
  std::vector<IndexEntry> index_;  // sorted by name without case; equal names in archive order
};
