#pragma once
// The fuzz input as an XML document, for the targets that feed objects from XML: nothing
// when the bytes do not parse (the parser's own target covers that path).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/Exceptions.h"
#include "foundation/XMLStorage.h"

inline Ref<IHierStorageRoot> ParseFuzzXml(const uint8_t* data, size_t size) {
  try {
    return LoadXmlStorageFromText(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const Exception&) {
    return nullptr;  // not a document: nothing to feed
  }
}
