// Where XML documents meet files and program resources: reading goes through the
// resource file tree (folders, archives replacing them, "res:" archives, "%apppath%",
// either separator), writing to plain files through the safe writer.
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
  std::string bytes;
  if (!ReadXmlFileBytes(path, bytes)) return nullptr;
  return LoadXmlFromBuffer(bytes.data(), bytes.size());
}

void TXmlDocument::LoadFromFile(const std::string& path) {
  std::string bytes;
  if (!ReadXmlFileBytes(path, bytes)) throw Exception("Cannot open file \"" + path + "\"");
  if (bytes.size() == kBinaryXmlMagic.size() && bytes == kBinaryXmlMagic) {
    Reset();
    return ParseText(bytes);
  }
  LoadBytes(bytes, true);
}

// The program's resources are all of the one kind that holds raw bytes; a resource of
// any other type does not exist. The bytes are read as a file's are.
void TXmlDocument::LoadFromResource(std::string_view type, std::string_view name) {
  if (!SameText(type, "RCDATA")) return;
  std::optional<ProgramResource> resource = FindProgramResource(std::string(name));
  if (!resource || resource->size == 0) return;
  LoadBytes(std::string_view(reinterpret_cast<const char*>(resource->data), resource->size), true);
}
