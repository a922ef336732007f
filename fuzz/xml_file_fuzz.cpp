// Fuzzes the XML file readers, which read straight into the document's memory: a file must
// give the same document as its bytes in a buffer (LoadXmlFile) or a stream (LoadFromFile).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz/XmlRoundTrip.h"

namespace {

const std::string& FilePath() {
  static const std::string path = [] {
    char name[] = "/tmp/xml_file_fuzz_XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name);
  }();
  return path;
}

struct Removal {
  ~Removal() { std::remove(FilePath().c_str()); }
} removal;

// The document's text, or the error's message marked as one.
template <class Load>
std::string Outcome(Load load) {
  try {
    Ref<IXmlDocument> document = load();
    return document ? document->GetXml() : "<none>";
  } catch (const Exception& e) {
    return std::string("error: ") + e.what();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
  }
  std::string fromBuffer = Outcome([&] { return LoadXmlFromBuffer(bytes.data(), bytes.size()); });
  std::string fromFile = Outcome([&] { return LoadXmlFile(FilePath()); });
  if (fromBuffer != fromFile) xmlfuzz::Fail("file and buffer differ", fromBuffer, fromFile);

  auto fromStream = Outcome([&] {
    Ref<IXmlDocument> document = CreateXmlDocument();
    std::istringstream in(bytes);
    document->LoadFromStream(in);
    return document;
  });
  auto fromPath = Outcome([&] {
    Ref<IXmlDocument> document = CreateXmlDocument();
    document->LoadFromFile(FilePath());
    return document;
  });
  if (fromStream != fromPath) xmlfuzz::Fail("file and stream differ", fromStream, fromPath);
  return 0;
}
