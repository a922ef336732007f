// The XML text writer: compact text, no declaration of its own, no indentation.
#include <ostream>

#include "foundation/Routines.h"
#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"
#include "foundation/TextConvert.h"

namespace {

struct EscapeTable {
  bool escape[256] = {};
  constexpr EscapeTable() {
    escape[uint8_t('"')] = escape[uint8_t('&')] = escape[uint8_t('<')] = escape[uint8_t('>')] =
        true;
    escape[0] = true;
  }
};
constexpr EscapeTable kEscape;

void AppendEscapedValue(std::string& out, const TXmlValue& value) {
  if (value.IsString()) return AppendEscaped(out, value.Text());
  if (!value.IsEmpty()) AppendEscaped(out, value.XmlText());
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* run = p;
    while (p < end && !kEscape.escape[static_cast<uint8_t>(*p)]) ++p;
    out.append(run, p - run);
    if (p == end) break;
    switch (*p) {
      case '"':
        out += "&quot;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        // A raw NUL would end the text for every reader of files and buffers.
        out += "&#0;";
    }
    ++p;
  }
}

void TXmlNode::WriteAttrs(std::string& out) const {
  for (const TXmlAttrData& attr : attrs_) {
    out += ' ';
    out += names_->Name(attr.nameId);
    out += "=\"";
    AppendEscapedValue(out, attr);
    out += '"';
  }
}

void TXmlNode::WriteChildrenXml(std::string& out, int depth) {
  for (const Ref<TXmlNode>& child : children_) child->WriteXml(out, depth + 1);
}

void TXmlElement::WriteXml(std::string& out, int depth) {
  CheckXmlDepth(depth);
  const std::string& name = names_->Name(nameId_);
  out += '<';
  out += name;
  WriteAttrs(out);
  size_t mark = out.size();
  out += '>';
  if (!children_.empty())
    WriteChildrenXml(out, depth);
  else
    AppendEscapedValue(out, value_);
  if (out.size() == mark + 1) {
    out[mark] = '/';
    out += '>';
    return;
  }
  out += "</";
  out += name;
  out += '>';
}

void TXmlText::WriteXml(std::string& out, int) {
  AppendEscapedValue(out, value_);
}

void TXmlCDATASection::WriteXml(std::string& out, int) {
  // "]]>" would end the section: cut after its first "]" and open a new section.
  std::string_view text = RawText();
  for (;;) {
    size_t end = text.find("]]>");
    out += "<![CDATA[";
    if (end == std::string_view::npos) {
      out += text;
      out += "]]>";
      return;
    }
    out += text.substr(0, end + 1);
    out += "]]>";
    text.remove_prefix(end + 1);
  }
}

void TXmlComment::WriteXml(std::string& out, int) {
  out += "<!--";
  out += RawText();
  out += "-->";
}

void TXmlProcessingInstruction::WriteXml(std::string& out, int) {
  const std::string& name = names_->Name(nameId_);
  out += "<?";
  out += name;
  std::string_view text = RawText();
  if (!text.empty()) {
    // Text read from a file keeps the space that parted it from the target; a separator
    // is needed only where the text would otherwise run into the target's name.
    uint32_t first;
    if (DecodeUtf8(text.data(), text.data() + text.size(), first) && IsNameCodePoint(first))
      out += ' ';
    out += text;
    out += "?>";
    return;
  }
  if (name != "xml") {
    WriteAttrs(out);
  } else {
    // Everything the system writes is UTF-8, whatever encoding the file it came from had.
    for (const TXmlAttrData& attr : attrs_) {
      const std::string& attrName = names_->Name(attr.nameId);
      out += ' ';
      out += attrName;
      out += "=\"";
      if (attrName == "encoding" && !SameText(attr.XmlText(), "utf-8"))
        out += "utf-8";
      else
        AppendEscapedValue(out, attr);
      out += '"';
    }
  }
  out += "?>";
}

void TXmlDocument::WriteXml(std::string& out, int depth) {
  WriteChildrenXml(out, depth);
}

void TXmlDocument::SaveToStream(std::ostream& stream) {
  std::string text = GetXml();
  stream.write(text.data(), std::streamsize(text.size()));
}

void TXmlDocument::SaveToFile(const std::string& path) {
  if (!WriteXmlFileBytes(path, GetXml())) throw Exception("Cannot create file \"" + path + "\"");
}
