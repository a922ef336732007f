// Where XML documents meet files and program resources: reading goes through the
// resource file tree (folders, archives replacing them, "res:" archives, "%apppath%",
// either separator), writing to plain files through the safe writer.
#include <algorithm>
#include <cstdint>

#include "foundation/ResourceReader.h"
#include "foundation/Routines.h"
#include "foundation/SafeFile.h"
#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"
#include "platform/ProgramResources.h"

bool ReadXmlFileBytes(const std::string& path, std::string& bytes) {
  Ref<IStream> stream = OpenResourceStream(path, true);
  if (!stream) return false;
  bytes = ReadStreamToString(stream.get());
  return true;
}

bool WriteXmlFileBytes(const std::string& path, std::string_view bytes) {
  std::string native = NativePathForWriting(path);
  return !native.empty() && WriteFileSafely(native, bytes);
}

Ref<IXmlDocument> LoadXmlFile(const std::string& path) {
  Ref<TXmlDocument> document(new TXmlDocument(SharedXmlNameTable()));
  // As from a buffer: text ends at its first zero byte.
  if (!document->LoadFileBytes(path, false, true, false)) return nullptr;
  return Ref<IXmlDocument>(document.get());
}

void TXmlDocument::LoadFromFile(const std::string& path) {
  if (!LoadFileBytes(path, true, false, true))
    throw Exception("Cannot open file \"" + path + "\"");
}

namespace {
// Parts small enough to be scanned while the cache still holds what was just read.
constexpr size_t kFileReadPart = 256 * 1024;
}  // namespace

bool TXmlDocument::LoadFileBytes(const std::string& path, bool ansiFallback, bool upToZero,
                                 bool magicAloneIsText) {
  Ref<IStream> stream = OpenResourceStream(path, true);
  if (!stream) return false;
  int64_t size = stream->Size();
  // What cannot be read whole reads as nothing, as ReadStreamToString gives.
  if (size <= 0 || uint64_t(size) > SIZE_MAX / 4 || stream->Seek(0, TSeekOrigin::Beginning) != 0) {
    LoadBytes({}, ansiFallback, upToZero);
    return true;
  }
  Reset();
  const size_t total = size_t(size);
  // Held here too: the binary form's reader starts a load of its own.
  Ref<TXmlArena> arena(StartLoad(names_, total));
  char* room = arena->TextRoom(total);
  size_t length = SIZE_MAX, firstWide = SIZE_MAX;
  for (size_t got = 0; got < total;) {
    size_t came = stream->Read(room + got, std::min(kFileReadPart, total - got));
    if (came == 0) {
      LoadBytes({}, ansiFallback, upToZero);
      return true;
    }
    if (length == SIZE_MAX) {
      size_t wide;
      size_t count = ScanXmlText(std::string_view(room + got, came), upToZero, wide);
      if (firstWide == SIZE_MAX && wide < count) firstWide = got + wide;
      if (count < came) length = got + count;
    }
    got += came;
  }
  std::string_view bytes(room, total);
  if (bytes.substr(0, kBinaryXmlMagic.size()) == kBinaryXmlMagic) {
    if (!magicAloneIsText || total != kBinaryXmlMagic.size()) {
      ReadBinaryXml(*this, bytes);
      return true;
    }
    Reset();
    ParseText(bytes);
    return true;
  }
  if (length == SIZE_MAX) length = total;
  if (firstWide == SIZE_MAX) firstWide = length;
  std::fill_n(room + length, kXmlTextPadding, '\0');
  ParseLoaded(arena.get(), std::string_view(room, length), firstWide, ansiFallback);
  return true;
}

// The program's resources are all of the one kind that holds raw bytes; a resource of
// any other type does not exist. The bytes are read as a file's are.
void TXmlDocument::LoadFromResource(std::string_view type, std::string_view name) {
  if (!SameText(type, "RCDATA")) return;
  std::optional<ProgramResource> resource = FindProgramResource(std::string(name));
  if (!resource || resource->size == 0) return;
  LoadBytes(std::string_view(reinterpret_cast<const char*>(resource->data), resource->size), true);
}
