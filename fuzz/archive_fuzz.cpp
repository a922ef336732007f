// Archives from outside: read as a program resource and from a memory stream, every
// entry listed and read whole. Nothing may crash, hang or allocate without bound.
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/ResourceReader.h"
#include "platform/ProgramResources.h"

namespace {

void ReadEverything(TResourceReader& reader) {
  std::vector<std::string> names;
  reader.ListFiles([&](const std::string& name) {
    if (names.size() < 4096) names.push_back(name);
  });
  for (const std::string& name : names) {
    Ref<IStream> stream = reader.OpenFile(name);
    if (stream) ReadStreamToString(stream.get());
  }
  reader.OpenFile("no such entry");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegisterProgramResource("FUZZ", data, size);
  {
    TResourceReader reader("res:fuzz");
    ReadEverything(reader);
  }
  UnregisterProgramResource("FUZZ");

  Ref<IStream> stream(
      new TFastMemoryStream(std::string(reinterpret_cast<const char*>(data), size)));
  TResourceReader reader("memory", stream);
  ReadEverything(reader);
  return 0;
}
