// Behaviour that guards against lost data and unsafe input: each test pins one fault
// that a naive implementation of the model would have.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "foundation/SimpleXML.h"
#include "foundation/TextConvert.h"
#include "tests/support/ErrorOf.h"

namespace {

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

Ref<IXmlDocument> FromBuffer(std::string_view bytes) {
  return LoadXmlFromBuffer(bytes.data(), bytes.size());
}

TEST(XmlFaults, DeepTreesBuiltInCodeRaiseInsteadOfOverflowing) {
  Ref<IXmlDocument> doc = CreateXmlDocument("r");
  Ref<IXmlNode> node(doc->GetDocumentElement());
  for (int i = 0; i < 100000; ++i) node = Ref<IXmlNode>(node->AppendElement("e"));
  const std::string message = "Elements are nested deeper than 512 levels";
  EXPECT_EQ(ErrorOf([&] { doc->GetXml(); }), message);
  EXPECT_EQ(ErrorOf([&] { doc->CloneNode(true); }), message);
  EXPECT_EQ(ErrorOf([&] { doc->GetText(); }), message);
  EXPECT_EQ(ErrorOf([&] { doc->SaveBinaryXml(); }), message);
  // Release from the bottom up so the test itself does not recurse 100000 deep.
  while (node && node->GetParentNode()) {
    Ref<IXmlNode> parent = node->GetParentNode();
    parent->RemoveChild(node);
    node = parent;
  }
}

TEST(XmlFaults, InsertingANodeIntoItsOwnSubtreeIsRefused) {
  Ref<IXmlDocument> doc = LoadXmlDocumentFromXml("<a><b><c/></b></a>");
  Ref<IXmlNode> a(doc->GetDocumentElement());
  Ref<IXmlNode> b = a->FindElement("b");
  Ref<IXmlNode> c = b->FindElement("c");
  const std::string message = "A node cannot be inserted into its own subtree";
  EXPECT_EQ(ErrorOf([&] { a->AppendChild(a); }), message);
  EXPECT_EQ(ErrorOf([&] { c->AppendChild(a); }), message);
  EXPECT_EQ(ErrorOf([&] { c->InsertBefore(b, nullptr); }), message);
  // Held by two lists: the cycle goes through the other holder, not the parent link.
  Ref<IXmlElement> other = doc->CreateElement("other");
  other->AppendChild(c);
  EXPECT_EQ(ErrorOf([&] { c->AppendChild(a); }), message);
  EXPECT_EQ(a->GetXml(), "<a><b><c/></b></a>");
}

TEST(XmlFaults, NulCharactersAreWrittenAsReferences) {
  Ref<IXmlDocument> doc = LoadXmlDocumentFromXml("<a v='x&#0;y'>1&#0;2</a>");
  std::string xml = doc->GetXml();
  EXPECT_EQ(xml, "<a v=\"x&#0;y\">1&#0;2</a>");
  Ref<IXmlDocument> read = FromBuffer(xml);
  EXPECT_EQ(read->GetDocumentElement()->GetAttr("v"), std::string("x\0y", 3));
  EXPECT_EQ(read->GetDocumentElement()->GetText(), std::string("1\0"
                                                               "2",
                                                               3));
}

TEST(XmlFaults, TrimmingCommentsKeepsNonAsciiText) {
  Ref<IXmlDocument> doc = LoadXmlDocumentFromXml(
      "<a><!-- \xD0\xBF\xD1\x80\xD0\xB8 --><![CDATA[\n\xF0\x9F\x98\x80 ]]></a>");
  Ref<IXmlNodeList> children = doc->GetDocumentElement()->GetChildNodes();
  EXPECT_EQ(children->Item(0)->GetText(), "\xD0\xBF\xD1\x80\xD0\xB8");
  EXPECT_EQ(children->Item(1)->GetText(), "\xF0\x9F\x98\x80");
  doc->SetPreserveWhiteSpace(true);
  EXPECT_EQ(children->Item(0)->GetText(), " \xD0\xBF\xD1\x80\xD0\xB8 ");
}

TEST(XmlFaults, SavedFilesLoadBackWithEveryCharacter) {
  const std::string text = "caf\xC3\xA9 \xD0\xBC\xD0\xB8\xD1\x80 \xF0\x9F\x98\x80";
  Ref<IXmlDocument> doc = CreateXmlDocument("r");
  doc->GetDocumentElement()->SetAttr("t", text);
  doc->GetDocumentElement()->SetText(text);
  std::string path = TempPath("xml_faults_save.xml");
  doc->SaveToFile(path);
  Ref<IXmlDocument> read = LoadXmlFile(path);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->GetDocumentElement()->GetAttr("t"), text);
  EXPECT_EQ(read->GetDocumentElement()->GetText(), text);
  Ref<IXmlDocument> again = CreateXmlDocument();
  again->LoadFromFile(path);
  EXPECT_EQ(again->GetXml(), doc->GetXml());
  std::filesystem::remove(path);
  EXPECT_FALSE(LoadXmlFile(path));
  EXPECT_EQ(ErrorOf([&] { again->LoadFromFile(path); }), "Cannot open file \"" + path + "\"");
}

TEST(XmlFaults, CharactersBeyondTheBasicPlaneSurviveUtf16) {
  const std::u16string wide = u"a\U0001F600b";
  std::string utf8 = WideToUtf8(wide);
  EXPECT_EQ(utf8,
            "a\xF0\x9F\x98\x80"
            "b");
  EXPECT_EQ(Utf8ToWide(utf8), wide);
  // Pairs written as two three-byte sequences still decode to the pair.
  EXPECT_EQ(Utf8ToWide("\xED\xA0\xBD\xED\xB8\x80"), u"\U0001F600");
  // And a lone surrogate keeps its unit through UTF-8.
  std::u16string lone = u"x";
  lone += char16_t(0xD800);
  EXPECT_EQ(Utf8ToWide(WideToUtf8(lone)), lone);
}

TEST(XmlFaults, InstructionTextKeepsItsOwnSpacing) {
  struct Case {
    const char* text;
    const char* written;
  } cases[] = {
      {"<?pi data?>", "<?pi data?>"},
      {"<?pi   two?>", "<?pi   two?>"},
      {"<?pi\tx?>", "<?pi\tx?>"},
      {"<?pi$x?>", "<?pi$x?>"},
  };
  for (const Case& c : cases) {
    std::string once = LoadXmlDocumentFromXml(c.text)->GetXml();
    EXPECT_EQ(once, c.written);
    EXPECT_EQ(LoadXmlDocumentFromXml(once)->GetXml(), once);
  }
}

TEST(XmlFaults, DeclarationOfAnotherEncodingIsWrittenAsUtf8) {
  std::string bytes = "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>caf\xE9</a>";
  Ref<IXmlDocument> doc = FromBuffer(bytes);
  std::string xml = doc->GetXml();
  EXPECT_EQ(xml, "<?xml version=\"1.0\" encoding=\"utf-8\"?><a>caf\xC3\xA9</a>");
  EXPECT_EQ(FromBuffer(xml)->GetDocumentElement()->GetText(), "caf\xC3\xA9");
}

TEST(XmlFaults, StreamsOfOlderSingleByteFilesStillLoad) {
  std::string path = TempPath("xml_faults_ansi.xml");
  { std::ofstream(path, std::ios::binary) << "<a>caf\xE9</a>"; }
  Ref<IXmlDocument> doc = CreateXmlDocument();
  doc->LoadFromFile(path);
  EXPECT_EQ(doc->GetDocumentElement()->GetText(), "caf\xC3\xA9");
  std::filesystem::remove(path);
}

}  // namespace
