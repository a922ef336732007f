// Fuzzes the XML text reader through the buffer loader (encoding choice included) and
// checks that every accepted document writes text and binary forms that read back.
#include <cstddef>
#include <cstdint>

#include "fuzz/XmlRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Ref<IXmlDocument> document;
  try {
    document = LoadXmlFromBuffer(data, size);
  } catch (const Exception&) {
    return 0;
  }
  // A buffer in the binary form may hold what text cannot (an element without a name).
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.substr(0, kBinaryXmlMagic.size()) != kBinaryXmlMagic ||
      xmlfuzz::TextRepresentable(*static_cast<TXmlNode*>(document->GetObject()), true))
    xmlfuzz::CheckTextRoundTrip(document.get());
  xmlfuzz::CheckBinaryRoundTrip(document.get());
  std::string copy = document->CloneNode(true)->GetXml();
  if (copy != document->GetXml()) xmlfuzz::Fail("clone differs", document->GetXml(), copy);
  return 0;
}
