#pragma once
// Helpers shared by the sources of the XML unit (model, text reader and writer, binary
// form); not for other units.

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/Exceptions.h"
#include "foundation/SimpleXML.h"

[[noreturn]] void RaiseXml(const std::string& message);
// Raises when a walk goes deeper than kXmlMaxDepth.
void CheckXmlDepth(int depth);

// Characters of names. Code points beyond ASCII count as letters except the few
// Latin-1 signs and punctuation that are plainly not.
bool IsNameStartCodePoint(uint32_t cp);
bool IsNameCodePoint(uint32_t cp);

// Appends the text with '"', '&', '<', '>' and NUL written as references.
void AppendEscaped(std::string& out, std::string_view text);

bool EqualsNoCase(std::string_view a, std::string_view b);

// Writes the binary-xml form of a document.
void WriteBinaryXml(TXmlDocument& document, uint32_t flags, std::string& out, std::ostream* stream);
// Reads the binary-xml form (magic included) into an emptied document.
void ReadBinaryXml(TXmlDocument& document, std::string_view bytes);

// Packed integers of the binary-xml form: 0 to 127 in one byte, up to 32511 in two,
// anything else as 0xFF and four bytes.
std::string PackXmlInteger(int32_t value);
// Reads one at `pos` and moves past it; raises "Data reading error" when cut short.
int32_t UnpackXmlInteger(std::string_view bytes, size_t& pos);
