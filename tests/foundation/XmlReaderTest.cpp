// The XML text reader and writer: messages, whitespace, references, CDATA, encodings.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "foundation/SimpleXML.h"
#include "foundation/TextConvert.h"
#include "tests/support/ErrorOf.h"

namespace {

Ref<IXmlDocument> Parse(std::string_view text, bool preserve = false) {
  Ref<IXmlDocument> document = CreateXmlDocument();
  document->SetPreserveWhiteSpace(preserve);
  document->LoadXML(text);
  return document;
}

// All the bytes of a literal, zero bytes included.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

Ref<IXmlDocument> FromBuffer(std::string_view bytes) {
  return LoadXmlFromBuffer(bytes.data(), bytes.size());
}

TEST(XmlReader, SyntaxErrorsCarryTheirMessages) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"<1a/>", "Name can only begin with a letter or \"_\""},
      {"<a", "Incomplete element definition"},
      {"<a$>", "Incorrect symbol in the element name"},
      {"<a b></a>", "\"=\" expected"},
      {"<a b=", "Attribute value expected"},
      {"<a b=c/>", "String literal expected"},
      {"<a b='<'/>", "\"<\" cannot be used in attribute values"},
      {"<a b=\"x<\"/>", "\"<\" cannot be used in attribute values"},
      {"<a b='x", "\"'\" expected"},
      {"<a>&", "\"#\" or control symbol name expected"},
      {"<a>&#", "Number expected"},
      {"<a>&#X41;</a>", "Number expected"},
      {"<a>&#x;</a>", "Hexadecimal number expected"},
      // Beyond Unicode: no character, however the number would wrap.
      {"<a>&#1114112;</a>", "Number expected"},
      {"<a>&#4294967337;</a>", "Number expected"},
      {"<a>&#99999999999999999999;</a>", "Number expected"},
      {"<a>&#x110000;</a>", "Hexadecimal number expected"},
      {"<a>&#x100000041;</a>", "Hexadecimal number expected"},
      {"<a v='&#x110041;'/>", "Hexadecimal number expected"},
      {"<a>&foo;</a>", "Incorrect control symbol name"},
      {"<a>&#65</a>", "\";\" expected"},
      {"<a></b>", "\"a\" expected"},
      {"<abc></abd>", "\"c\" expected"},
      {"<ab></a>", "\"b\" expected"},
      {"<a></ab>", "\">\" expected"},
      {"<a>", "\"/\" expected"},
      {"<a><b>text</b>", "\"/\" expected"},
      {"<a/ >", "\">\" expected"},
      {"<a x='1' 5>", "\">\" expected"},
      {"<!-- open", "\"-->\" expected"},
      {"<![CDATA[open", "\"]]>\" expected"},
      {"<![CDAT[x]]>", "\"A[\" expected"},
      {"<!DOCTYP x>", "\"E\" expected"},
      {"<!DOCTYPE x", "\">\" expected"},
      {"<?pi x", "\"?>\" expected"},
      {"<?xml version='1'>", "\"?>\" expected"},
      {"<\xC3\xA9t\xC3\xA9></\xC3\xA9t\xC3\xA0>", "\"\xC3\xA9\" expected"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf([&] { Parse(c.text); }), c.message) << c.text;
}

TEST(XmlReader, NodesBeforeAnErrorStay) {
  Ref<IXmlDocument> document = CreateXmlDocument();
  EXPECT_THROW(document->LoadXML("<a><b/><c x='1'/><d y='"), EXmlError);
  EXPECT_EQ(document->GetXml(), "<a><b/><c x=\"1\"/><d/></a>");
}

TEST(XmlReader, TopLevelEndTagEndsTheDocument) {
  EXPECT_EQ(Parse("<a/></x><b/>")->GetXml(), "<a/>");
}

TEST(XmlReader, WhitespaceText) {
  struct Case {
    const char* text;
    bool preserve;
    const char* written;
    int rootChildren;
  } cases[] = {
      {"<a> <b/>\n\t</a>", false, "<a><b/></a>", 1},
      {"<a> x <b/></a>", false, "<a> x <b/></a>", 2},
      {"<a><b/><c/></a>", true, "<a><b/><c/></a>", 5},
      {"<a>  </a>", true, "<a>  </a>", 1},
      {"<a>  </a>", false, "<a/>", 0},
      {"<a v=' 1 '/>", false, "<a v=\" 1 \"/>", 0},
      {"<a>&#32;</a>", false, "<a/>", 0},
  };
  for (const Case& c : cases) {
    Ref<IXmlDocument> document = Parse(c.text, c.preserve);
    EXPECT_EQ(document->GetXml(), c.written) << c.text;
    EXPECT_EQ(document->GetDocumentElement()->GetChildNodes()->Count(), c.rootChildren) << c.text;
  }
}

TEST(XmlReader, References) {
  struct Case {
    const char* text;
    const char* value;
  } cases[] = {
      {"<a>&#65;&#x41;&#x4a;</a>", "AAJ"},
      {"<a>&amp;&lt;&gt;&quot;&apos;</a>", "&<>\"'"},
      {"<a>x&amp;y</a>", "x&y"},
      {"<a>&#233;</a>", "\xC3\xA9"},
      {"<a>&#x1F600;</a>", "\xF0\x9F\x98\x80"},
      {"<a>&#1114111;</a>", "\xF4\x8F\xBF\xBF"},
      {"<a>&#x0010FFFF;</a>", "\xF4\x8F\xBF\xBF"},
      {"<a>&#xD83D;&#xDE00;</a>", "\xF0\x9F\x98\x80"},
      {"<a v='&#65;&amp;'/>", "A&"},
  };
  for (const Case& c : cases) {
    Ref<IXmlElement> root = Parse(c.text)->GetDocumentElement();
    std::string value = root->HasAttr("v") ? root->GetAttr("v") : root->GetText();
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(XmlReader, QuotesInAttributes) {
  Ref<IXmlDocument> document = Parse("<a v='say \"hi\"' w=\"it's\"/>");
  Ref<IXmlElement> root = document->GetDocumentElement();
  EXPECT_EQ(root->GetAttr("v"), "say \"hi\"");
  EXPECT_EQ(root->GetAttr("w"), "it's");
  EXPECT_EQ(document->GetXml(), "<a v=\"say &quot;hi&quot;\" w=\"it's\"/>");
}

TEST(XmlReader, RepeatedAttributeReplacesInPlace) {
  Ref<IXmlElement> root = Parse("<a x='1' y='2' x='3'/>")->GetDocumentElement();
  EXPECT_EQ(root->GetAttrCount(), 2);
  EXPECT_EQ(root->GetAttrName(0), "x");
  EXPECT_EQ(root->GetAttr("x"), "3");
  // The same among very many attributes, which load in time proportional to them.
  std::string text = "<a";
  for (int i = 0; i < 20000; ++i) text += " n" + std::to_string(i) + "='" + std::to_string(i) + "'";
  root = Parse(text + " n5='again' n7='&amp;'/>")->GetDocumentElement();
  EXPECT_EQ(root->GetAttrCount(), 20000);
  EXPECT_EQ(root->GetAttrName(5), "n5");
  EXPECT_EQ(root->GetAttr("n5"), "again");
  EXPECT_EQ(root->GetAttr("n7"), "&");
  EXPECT_EQ(root->GetAttr("n19999"), "19999");
}

// Names come back in the same order again and again, and are recognised by their bytes
// when they do: a name that begins like one met before, ends where it would go on, or
// stands at the end of the text is still read whole.
TEST(XmlReader, NamesMetBeforeAreReadWhole) {
  const std::string k16 = "aaaaaaaaaaaaaaaa", k17 = k16 + "b";
  const std::string texts[] = {
      "<r><e a='1' ab='2' abc='3'/><e ab='4' a='5' abc='6'/><e abc='7' ab='8' a='9'/>"
      "<e a='0'/></r>",
      "<r><" + k16 + " " + k16 + "='1'/><" + k17 + " " + k17 + "='2' " + k16 + "='3'/><" + k16 +
          " " + k16 + "='4'/></r>",
      "<r><e x='1'/><e x\xC3\xA9='2'/><e x='3'/><e\xC3\xA9 x='4'/><e x='5'/></r>",
      "<r><e e='1'/><e e='2'><e/></e><e.x e.x='3'/><e-x e='4'/><e:x e='5'/></r>",
      "<r><e a='1' b='2' c='3' d='4' f='5'/><e a='1' c='2'/><e b='1' d='2' a='3'/>"
      "<e f='1'/><e d='2' a='3' b='4' c='5'/></r>",
  };
  for (const std::string& text : texts) {
    std::string expected = text;  // as read, in double quotes
    std::replace(expected.begin(), expected.end(), '\'', '"');
    for (int pass = 0; pass < 3; ++pass)
      EXPECT_EQ(Parse(text)->GetXml(), expected) << text << " pass " << pass;
  }
  // A name cut off by the end of the text, after it was met whole.
  EXPECT_EQ(ErrorOf([] { Parse("<abcd/><abcd/><abc"); }), "Incomplete element definition");
  EXPECT_EQ(ErrorOf([] { Parse("<a abcd='1' abcd"); }), "\"=\" expected");
}

TEST(XmlReader, CommentsCdataDoctypeAndInstructions) {
  Ref<IXmlDocument> document = Parse(
      "<?xml version=\"1.0\"?><!DOCTYPE a><a><!--note--><!--dash---><![CDATA[<&>]]>"
      "<?pi some text?></a>");
  ASSERT_EQ(document->GetChildNodes()->Count(), 2);  // declaration and element
  Ref<IXmlNodeList> children = document->GetDocumentElement()->GetChildNodes();
  ASSERT_EQ(children->Count(), 4);
  EXPECT_EQ(children->Item(0)->GetNodeType(), NODE_COMMENT);
  EXPECT_EQ(children->Item(1)->GetText(), "dash-");
  EXPECT_EQ(children->Item(2)->GetText(), "<&>");
  EXPECT_EQ(children->Item(3)->GetNodeName(), "pi");
  EXPECT_EQ(children->Item(3)->GetText(), " some text");
  EXPECT_EQ(document->GetXml(),
            "<?xml version=\"1.0\"?><a><!--note--><!--dash---><![CDATA[<&>]]><?pi some "
            "text?></a>");
}

TEST(XmlReader, CdataHoldingTheTerminatorIsSplitAndReadsBack) {
  Ref<IXmlDocument> document = CreateXmlDocument("a");
  document->GetDocumentElement()->AppendCDATA("x]]>y");
  std::string xml = document->GetXml();
  EXPECT_EQ(xml, "<a><![CDATA[x]]]><![CDATA[]>y]]></a>");
  Ref<IXmlNodeList> sections = Parse(xml)->GetDocumentElement()->GetChildNodes();
  ASSERT_EQ(sections->Count(), 2);
  EXPECT_EQ(sections->Item(0)->GetText() + sections->Item(1)->GetText(), "x]]>y");
}

TEST(XmlReader, EncodingOfBuffers) {
  struct Case {
    std::string bytes;
    const char* text;
  } cases[] = {
      {"<?xml version='1.0' encoding='windows-1251'?><a>\xE9\x80</a>", "\xC3\xA9\xE2\x82\xAC"},
      {"<?xml version='1.0' encoding='UTF-8'?><a>\xC3\xA9</a>", "\xC3\xA9"},
      {"<a>\xC3\xA9</a>", "\xC3\xA9"},
      {"\xEF\xBB\xBF<a>x</a>", "x"},
      {"\xEF\xBB\xBF<a>\xC3\xA9</a>", "\xC3\xA9"},
      // The text ends at a zero byte; what follows it is not looked at, near or far.
      {Bytes("<a>x</a>\0<b>"), "x"},
      {Bytes("<a>x</a>\0\xFF"), "x"},
      {Bytes("<a long='attribute value'>x\xC3\xA9</a>\0\xFF\xFE"), "x\xC3\xA9"},
      {Bytes("<a long='attribute value'>x</a>\0\xC3\xA9<b>"), "x"},
      {"<a>\xED\xA0\xBD\xED\xB8\x80</a>", "\xF0\x9F\x98\x80"},  // pair as two sequences
      {"<a>\xF0\x9F\x98\x80</a>", "\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    Ref<IXmlDocument> document = FromBuffer(c.bytes);
    ASSERT_TRUE(document->GetDocumentElement()) << c.bytes;
    EXPECT_EQ(document->GetDocumentElement()->GetText(), c.text) << c.bytes;
  }
}

TEST(XmlReader, MalformedUtf8BufferLoadsEmpty) {
  for (std::string bytes : {"<a>\xC3</a>", "<a>x\x80</a>", "<a/>\xBF"}) {
    Ref<IXmlDocument> document = FromBuffer(bytes);
    ASSERT_TRUE(document);
    EXPECT_FALSE(document->GetDocumentElement()) << bytes;
  }
}

TEST(XmlReader, NestingIsCapped) {
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<a>";
    for (int i = 0; i < depth; ++i) text += "</a>";
    return text;
  };
  EXPECT_NO_THROW(Parse(nested(kXmlMaxDepth)));
  EXPECT_EQ(ErrorOf([&] { Parse(nested(100000)); }), "Elements are nested deeper than 512 levels");
}

TEST(XmlWriter, CompactTextOfEveryKind) {
  Ref<IXmlDocument> document = CreateXmlDocument("root");
  Ref<IXmlElement> root = document->GetDocumentElement();
  root->SetAttr("q", "a\"b<c>&d'e");
  root->SetIntAttr("n", -5);
  root->SetBoolAttr("b", true);
  root->SetFloatAttr("f", 0.1);
  root->AppendElement("empty");
  root->AppendElement("value")->SetText("1 < 2");
  root->AppendComment(" c ");
  root->AppendProcessingInstruction("pi", "data");
  EXPECT_EQ(document->GetXml(),
            "<root q=\"a&quot;b&lt;c&gt;&amp;d'e\" n=\"-5\" b=\"1\" f=\"0.1\"><empty/>"
            "<value>1 &lt; 2</value><!-- c --><?pi data?></root>");
}

}  // namespace
