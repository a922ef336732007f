// Storage files (profiles, options, records) are enciphered XML that players can damage
// or edit: the path from their hexadecimal text through the cipher and the reader to
// every value a loader asks the storage for must take any bytes without crashing.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/Cipher.h"
#include "foundation/Exceptions.h"
#include "foundation/XMLStorage.h"

namespace {

// The key the seed corpus is enciphered with.
constexpr std::string_view kKey = "p2xg9c0rw5ly7ke3q1nbzu";

void Check(bool condition) {
  if (!condition) std::abort();
}

// Asks for everything a loader might: names, attributes by index and by name, texts,
// contents, paths and every child, depth first.
void Walk(const Ref<IHierStorage>& node, int depth) {
  if (!node || depth > kXmlMaxDepth) return;
  std::string name = node->GetName();
  int attrs = node->GetAttrCount();
  for (int i = -1; i <= attrs; ++i) {
    std::string attrName = node->GetAttrName(i);
    Variant value = node->GetAttrByIndex(i, "default");
    if (i < 0 || i >= attrs) Check(attrName.empty() && value.ToString() == "default");
    // Names travel in the code page; a name it cannot hold is not found again by name.
    // ("?" stands for such a character and is no name character itself).
    bool plain = std::all_of(attrName.begin(), attrName.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x80 && c != '?';
    });
    if (i >= 0 && i < attrs && plain)
      Check(node->GetAttr(attrName, "x").ToString() == value.ToString());
  }
  node->GetText();
  node->GetContent();
  node->GetXml();
  if (!name.empty()) node->FindPath(name + "/" + name, name);
  int count = node->GetChildCount("");
  for (int i = 0; i < count; ++i) Walk(node->GetChild("", i), depth + 1);
  if (!name.empty()) {
    int named = node->GetChildCount(name);
    for (int i = 0; i < named; ++i) node->GetChild(name, i);
  }
}

void LoadAndWalk(const TCipher_Xtea& cipher, const std::string& text) {
  ClearXmlStorageRegistry();
  try {
    Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(text);
    Walk(storage, 0);
    // What was read is saved enciphered and deciphers to the same text.
    std::string xml = storage->GetXmlText();
    std::string stored = cipher.CodeString(xml, kCipherEncipher, kFormatHex);
    Check(cipher.CodeString(stored, kCipherDecipher, kFormatHex) == xml);
  } catch (const Exception&) {
    // Malformed XML is reported to the loader, which keeps its defaults.
  }
  ClearXmlStorageRegistry();
}

}  // namespace

// The input is the file's hexadecimal text. It is read as the game reads it (deciphered)
// and also as plain hexadecimal bytes, so that the fuzzer can reach the XML walker with
// inputs it builds itself rather than only through cipher text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view hex(reinterpret_cast<const char*>(data), size);
  const TCipher_Xtea cipher{std::string(kKey)};
  LoadAndWalk(cipher, cipher.CodeString(hex, kCipherDecipher, kFormatHex));
  LoadAndWalk(cipher, TStringFormat_HEX().StrTo(hex));
  return 0;
}
