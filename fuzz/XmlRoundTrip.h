#pragma once
// Checks shared by the XML fuzz targets: what the writers produce reads back as the
// same tree. A mismatch aborts, so the fuzzer keeps the input.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"
#include "foundation/TextConvert.h"

namespace xmlfuzz {

inline void Fail(const char* what, const std::string& a, const std::string& b) {
  std::fprintf(stderr, "%s\n--- first:\n%s\n--- second:\n%s\n", what, a.c_str(), b.c_str());
  std::abort();
}

// A structural dump. An element's stored value and a lone text child are the same
// content, so both dump alike; kinds of values are dumped only on request (text keeps
// none). The declaration dumps as written, since writing normalises its encoding.
inline void Dump(TXmlNode& node, bool kinds, std::string& out) {
  auto value = [&](const TXmlValue& v) {
    if (kinds) out += std::to_string(int(v.Kind())) + ":";
    out += v.XmlText();
  };
  out += std::to_string(node.NodeType());
  out += '[';
  switch (node.NodeType()) {
    case NODE_TEXT:
      value(static_cast<TXmlText&>(node).Value());
      break;
    case NODE_CDATA_SECTION:
    case NODE_COMMENT:
      out += static_cast<TXmlCharacterData&>(node).RawText();
      break;
    case NODE_PROCESSING_INSTRUCTION:
      out += node.GetXml();
      break;
    case NODE_ELEMENT: {
      out += node.GetNodeName();
      for (TXmlAttrData& attr : node.Attrs()) {
        out += ' ' + node.Names()->Name(attr.nameId) + '=';
        value(attr);
      }
      TXmlValue& stored = static_cast<TXmlElement&>(node).StoredValue();
      if (!node.HasChildren() && !stored.XmlText().empty()) {
        out += "{3[";
        value(stored);
        out += "]}";
      }
      break;
    }
  }
  if (node.HasChildren()) {
    out += '{';
    for (const Ref<TXmlNode>& child : node.RawChildren()) Dump(*child, kinds, out);
    out += '}';
  }
  out += ']';
}

inline std::string Dump(IXmlNode* node, bool kinds) {
  std::string out;
  Dump(*static_cast<TXmlNode*>(node->GetObject()), kinds, out);
  return out;
}

inline bool Visible(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > 32) return true;
  return false;
}

// Whether the text form can hold the tree exactly. Trees from the text reader always
// pass; trees from binary images may hold what text cannot (names that are not XML
// names, comments holding "-->", whitespace-only text, adjacent text nodes...).
inline bool TextRepresentable(TXmlNode& node, bool top) {
  if (top && !node.Attrs().empty()) return false;
  for (TXmlAttrData& attr : node.Attrs())
    if (!IsXmlName(node.Names()->Name(attr.nameId))) return false;
  bool lastWasText = false;
  for (const Ref<TXmlNode>& child : node.RawChildren()) {
    TXmlNode& c = *child;
    bool isText = c.NodeType() == NODE_TEXT;
    switch (c.NodeType()) {
      case NODE_TEXT:
        if (lastWasText || !Visible(static_cast<TXmlText&>(c).Value().XmlText())) return false;
        break;
      case NODE_CDATA_SECTION:
        if (static_cast<TXmlCharacterData&>(c).RawText().find("]]>") != std::string::npos)
          return false;
        break;
      case NODE_COMMENT:
        if (static_cast<TXmlCharacterData&>(c).RawText().find("-->") != std::string::npos)
          return false;
        break;
      case NODE_PROCESSING_INSTRUCTION: {
        std::string_view text = static_cast<TXmlProcessingInstruction&>(c).RawText();
        std::string name = c.GetNodeName();
        if (!IsXmlName(name) || c.HasChildren()) return false;
        if (name == "xml" ? !text.empty() : !c.Attrs().empty()) return false;
        if (name == "xml" && !TextRepresentable(c, false)) return false;
        if (text.find("?>") != std::string::npos) return false;
        // The writer parts such a text from the target with a space, which reads back.
        uint32_t first;
        if (DecodeUtf8(text.data(), text.data() + text.size(), first) && IsNameCodePoint(first))
          return false;
        break;
      }
      case NODE_ELEMENT: {
        if (!IsXmlName(c.GetNodeName())) return false;
        TXmlValue& stored = static_cast<TXmlElement&>(c).StoredValue();
        if (!c.HasChildren() && !stored.IsEmpty() && !stored.XmlText().empty() &&
            !Visible(stored.XmlText()))
          return false;
        if (!TextRepresentable(c, false)) return false;
        break;
      }
      default:
        return false;
    }
    lastWasText = isText;
  }
  return true;
}

// Text written from the document reads back as the same tree and the same text.
inline void CheckTextRoundTrip(IXmlDocument* document) {
  std::string xml = document->GetXml();
  Ref<IXmlDocument> again;
  try {
    again = LoadXmlDocumentFromXml(xml);
  } catch (const std::exception& e) {
    Fail("written text does not read back", xml, e.what());
  }
  std::string first = Dump(document, false), second = Dump(again.get(), false);
  if (first != second) Fail("text round trip changed the tree", first, second);
  if (again->GetXml() != xml) Fail("text round trip changed the text", xml, again->GetXml());
}

// The binary form reads back as the same tree, kinds of values included.
inline void CheckBinaryRoundTrip(IXmlDocument* document) {
  std::string image = document->SaveBinaryXml();
  Ref<IXmlDocument> again = CreateXmlDocument();
  try {
    again->LoadBinaryXml(image);
  } catch (const std::exception& e) {
    Fail("written binary form does not read back", document->GetXml(), e.what());
  }
  std::string first = Dump(document, true), second = Dump(again.get(), true);
  if (first != second) Fail("binary round trip changed the tree", first, second);
}

}  // namespace xmlfuzz
