// Fuzzes the binary-xml reader. Inputs without the magic get it, so the fuzzer spends
// its time on the image itself. Accepted documents must write a binary form that reads
// back to the same tree, and, when text can hold them, text that does too.
#include <cstddef>
#include <cstdint>

#include "fuzz/XmlRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string image(reinterpret_cast<const char*>(data), size);
  if (image.compare(0, kBinaryXmlMagic.size(), kBinaryXmlMagic) != 0)
    image.insert(0, kBinaryXmlMagic);
  Ref<IXmlDocument> document = CreateXmlDocument();
  try {
    document->LoadBinaryXml(image);
  } catch (const Exception&) {
    return 0;
  }
  xmlfuzz::CheckBinaryRoundTrip(document.get());
  if (xmlfuzz::TextRepresentable(*static_cast<TXmlNode*>(document->GetObject()), true))
    xmlfuzz::CheckTextRoundTrip(document.get());
  else
    document->GetXml();  // must still not fail
  return 0;
}
