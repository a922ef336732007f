// The binary-xml form: packed integers, typed values, names, and hostile images.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"
#include "tests/support/ErrorOf.h"

namespace {

std::string Hex(std::string_view bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", c);
    out += buffer;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

// Builds images by hand, field by field.
struct Image {
  std::string bytes{kBinaryXmlMagic};
  explicit Image(uint32_t flags = 0) { U32(flags); }
  Image& Int(int32_t v) {
    bytes += PackXmlInteger(v);
    return *this;
  }
  Image& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes += char(v >> (8 * i));
    return *this;
  }
  Image& Byte(uint8_t b) {
    bytes += char(b);
    return *this;
  }
  Image& Text(std::string_view s) {
    Int(int32_t(s.size()));
    bytes += s;
    return *this;
  }
  // The five standard names plus "a" (id 5), then `buckets` and no bucket records.
  Image& Names(int32_t buckets = 4096) {
    Int(6);
    for (const char* n : {"#text", "#cdata-section", "#comment", "#document", "xml", "a"}) Text(n);
    return Int(buckets).Int(0);
  }
};

Ref<IXmlDocument> LoadBinary(std::string_view bytes) {
  Ref<IXmlDocument> document = CreateXmlDocument();
  document->LoadBinaryXml(bytes);
  return document;
}

TEST(XmlBinary, PackedIntegers) {
  struct Case {
    int32_t value;
    const char* hex;
  } cases[] = {
      {0, "00"},
      {127, "7F"},
      {128, "80 80"},
      {300, "81 2C"},
      {32511, "FE FF"},
      {32512, "FF 00 7F 00 00"},
      {32767, "FF FF 7F 00 00"},
      {-1, "FF FF FF FF FF"},
      {INT32_MIN, "FF 00 00 00 80"},
  };
  for (const Case& c : cases) {
    std::string packed = PackXmlInteger(c.value);
    EXPECT_EQ(Hex(packed), c.hex) << c.value;
    size_t pos = 0;
    EXPECT_EQ(UnpackXmlInteger(packed, pos), c.value);
    EXPECT_EQ(pos, packed.size());
    pos = 0;
    EXPECT_EQ(ErrorOf([&] { UnpackXmlInteger(packed.substr(0, packed.size() - 1), pos); }),
              "Data reading error");
  }
}

TEST(XmlBinary, NamesAsSingleBytesOrUtf16) {
  Ref<IXmlDocument> doc = CreateXmlDocument("", "", "", new TXmlNameTable());
  doc->LoadXML("<\xC3\xA9l\xC3\xA9ment x='1'>t</\xC3\xA9l\xC3\xA9ment>");
  for (uint32_t flags : {0u, 1u}) {
    std::ostringstream stream;
    doc->SaveBinaryToStream(stream, flags);
    std::string image = stream.str();
    std::string single = "\xE9l\xE9ment";
    std::string wide = std::string("\xE9\0l\0\xE9\0m\0e\0n\0t\0", 14);
    EXPECT_NE(image.find(flags ? wide : single), std::string::npos) << flags;
    EXPECT_EQ(LoadBinary(image)->GetXml(), doc->GetXml()) << flags;
  }
}

// Readers of the form look names up through the stored buckets: a name's bucket is the
// hash (x 33 + unit) of its UTF-16 units modulo the bucket count.
TEST(XmlBinary, BucketsFollowTheHashOfUtf16Units) {
  Ref<IXmlDocument> doc = CreateXmlDocument("", "", "", new TXmlNameTable());
  doc->LoadXML("<\xC3\xA9 xml='1'/>");  // "é" is unit 233
  std::string image = doc->SaveBinaryXml();
  size_t pos = kBinaryXmlMagic.size() + 4;
  int32_t names = UnpackXmlInteger(image, pos);
  ASSERT_EQ(names, 6);
  for (int i = 0; i < names; ++i) pos += size_t(UnpackXmlInteger(image, pos));
  EXPECT_EQ(UnpackXmlInteger(image, pos), 4096);
  std::map<int32_t, int32_t> bucketOfId;
  for (int32_t used = UnpackXmlInteger(image, pos); used > 0; --used) {
    int32_t bucket = UnpackXmlInteger(image, pos);
    for (int32_t length = UnpackXmlInteger(image, pos); length > 0; --length, pos += 4)
      bucketOfId[int32_t(uint8_t(image[pos]))] = bucket;
  }
  EXPECT_EQ(bucketOfId[5], 233);   // "é"
  EXPECT_EQ(bucketOfId[4], 3313);  // "xml": ((120 * 33 + 109) * 33 + 108) % 4096
}

TEST(XmlBinary, ValuesKeepTheirKinds) {
  TDateTime date;
  ASSERT_TRUE(EncodeXmlDateTime(2020, 2, 29, 23, 59, 58, date));
  const Variant values[] = {
      Variant::Null(),
      Variant::SmallInt(-2),
      Variant(123456),
      Variant(1.5f),
      Variant(-0.1),
      Variant::Currency(-12345678),
      Variant::Date(date),
      Variant("t\xC3\xA9xt"),
      Variant(true),
      Variant::Byte(254),
      Variant::ByteString("raw\xFF"),
      Variant::ByteArray({0, 1, 255}),
  };
  Ref<IXmlDocument> doc = CreateXmlDocument("r");
  Ref<IXmlElement> root = doc->GetDocumentElement();
  for (size_t i = 0; i < std::size(values); ++i) {
    root->SetVarAttr("a" + std::to_string(i), values[i]);
    root->AppendElement("e")->SetVarValue(values[i]);
  }
  Ref<IXmlElement> read = LoadBinary(doc->SaveBinaryXml())->GetDocumentElement();
  Ref<IXmlNodeList> elements = read->GetChildNodes();
  for (size_t i = 0; i < std::size(values); ++i) {
    Variant attr = read->GetVarAttr("a" + std::to_string(i));
    EXPECT_EQ(attr.GetKind(), values[i].GetKind()) << i;
    EXPECT_TRUE(attr == values[i]) << i;
    EXPECT_TRUE(elements->Item(int(i))->GetVarValue() == values[i]) << i;
  }
}

TEST(XmlBinary, TextAsStoredValueOrChild) {
  Ref<IXmlDocument> doc = CreateXmlDocument("r");
  doc->GetDocumentElement()->AppendElement("stored")->SetText("one");
  doc->GetDocumentElement()->AppendElement("child")->AppendText("two");
  doc->AppendProcessingInstruction("pi", " text");
  Ref<IXmlDocument> read = LoadBinary(doc->SaveBinaryXml());
  EXPECT_EQ(read->GetDocumentElement()->GetChildText("stored"), "one");
  EXPECT_EQ(read->GetDocumentElement()->GetChildText("child"), "two");
  EXPECT_EQ(read->GetXml(), doc->GetXml());
}

TEST(XmlBinary, DeclarationKeepsItsAttributes) {
  Ref<IXmlDocument> doc = LoadXmlDocumentFromXml("<?xml version=\"1.0\" standalone=\"yes\"?><a/>");
  EXPECT_EQ(LoadBinary(doc->SaveBinaryXml())->GetXml(), doc->GetXml());
}

TEST(XmlBinary, EveryTruncationRaises) {
  Ref<IXmlDocument> doc = LoadXmlDocumentFromXml(
      "<?xml version='1.0'?><root a='1' b='long value'><!--c--><![CDATA[d]]><e>text</e>"
      "<f g='h'><i/></f></root>");
  doc->GetDocumentElement()->SetIntAttr("n", 70000);
  doc->GetDocumentElement()->SetFloatAttr("x", 2.5);
  std::string image = doc->SaveBinaryXml();
  ASSERT_EQ(LoadBinary(image)->GetXml(), doc->GetXml());
  for (size_t size = 0; size < image.size(); ++size)
    EXPECT_EQ(ErrorOf([&] { LoadBinary(image.substr(0, size)); }), "Data reading error") << size;
}

TEST(XmlBinary, HostileImagesRaise) {
  auto body = [](Image& image) -> Image& {
    return image.Int(0).Int(1).Byte(1).Int(5).Int(0).Int(0).Int(0);
  };
  Image ok;
  body(ok.Names());
  ASSERT_EQ(LoadBinary(ok.bytes)->GetXml(), "<a/>");

  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"zero buckets", body(Image().Names(0)).bytes, "(no error)"},
      {"negative bucket count", body(Image().Names(-1)).bytes, "Data reading error"},
      {"bucket index beyond the count",
       Image().Int(1).Text("a").Int(16).Int(1).Int(16).Int(0).bytes, "Data reading error"},
      {"bucket index with zero buckets", Image().Int(1).Text("a").Int(0).Int(1).Int(0).Int(0).bytes,
       "Data reading error"},
      {"bucket id beyond the names",
       Image().Int(1).Text("a").Int(16).Int(1).Int(0).Int(1).U32(7).Int(0).Int(0).bytes,
       "Data reading error"},
      {"name count beyond the bytes", Image().Int(1000000).bytes, "Data reading error"},
      {"negative name count", Image().Int(-5).bytes, "Data reading error"},
      {"name length beyond the bytes", Image().Int(1).Int(30000).Text("abc").bytes,
       "Data reading error"},
      {"element name id beyond the names", Image().Names().Int(0).Int(1).Byte(1).Int(6).bytes,
       "Data reading error"},
      {"attribute count beyond the bytes", Image().Names().Int(0x7FFFFFFF).bytes,
       "Data reading error"},
      {"child count beyond the bytes", Image().Names().Int(0).Int(30000).Byte(3).bytes,
       "Data reading error"},
      {"wide string beyond the bytes", Image().Names().Int(1).Int(5).Int(8).Int(1000).bytes,
       "Data reading error"},
      {"byte array beyond the bytes", Image().Names().Int(1).Int(5).Int(0x2011).Int(9).bytes,
       "Data reading error"},
      {"node type", Image().Names().Int(0).Int(1).Byte(2).Int(0).bytes,
       "Binary XML reading error: incorrect node type"},
      {"document as a child", Image().Names().Int(0).Int(1).Byte(9).Int(0).bytes,
       "Binary XML reading error: incorrect node type"},
      {"value type", Image().Names().Int(1).Int(5).Int(9).bytes,
       "Value reading error: incorrect type"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf([&] { LoadBinary(c.bytes); }), c.message) << c.what;
}

TEST(XmlBinary, NamesListedTwiceAreOneName) {
  Image image;
  image.Int(2).Text("a").Text("a").Int(16).Int(0);
  image.Int(0).Int(1).Byte(1).Int(1).Int(0);                      // element named by id 1
  image.Int(2).Int(0).Int(8).Int(0).Int(1).Int(8).Int(0).Int(0);  // a="" twice, no children
  Ref<IXmlDocument> doc = LoadBinary(image.bytes);
  ASSERT_TRUE(doc->FindElement("a"));
  EXPECT_EQ(doc->GetDocumentElement()->GetNodeNameId(), 0);
  EXPECT_EQ(doc->GetDocumentElement()->GetAttrCount(), 1);
  EXPECT_EQ(doc->GetXml(), "<a a=\"\"/>");
}

// However many attributes a node has, a name given twice keeps its first place and its
// last value; a node of very many attributes loads in time proportional to them.
TEST(XmlBinary, RepeatedAttributeNamesAmongFewOrMany) {
  for (int count : {3, 40, 20000}) {
    SCOPED_TRACE(count);
    Image image;
    image.Int(count + 1).Text("e");
    for (int i = 0; i < count; ++i) image.Text("n" + std::to_string(i));
    image.Int(16).Int(0);
    image.Int(0).Int(1).Byte(1).Int(0).Int(0);  // the document: one element "e", no value
    image.Int(count + 1);
    for (int i = 0; i < count; ++i) image.Int(i + 1).Int(8).Int(1).Byte('a').Byte(0);
    image.Int(2).Int(8).Int(1).Byte('b').Byte(0);  // n1 again
    image.Int(0);                                  // no children
    Ref<IXmlElement> e = LoadBinary(image.bytes)->GetDocumentElement();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->GetAttrCount(), count);
    EXPECT_EQ(e->GetAttrName(1), "n1");
    EXPECT_EQ(e->GetAttr("n1"), "b");
    EXPECT_EQ(e->GetAttr("n" + std::to_string(count - 1)), "a");
  }
}

TEST(XmlBinary, DeepImagesRaiseInsteadOfOverflowing) {
  Image image;
  image.Names().Int(0).Int(1);
  for (int i = 0; i < 100000; ++i) image.Byte(1).Int(5).Int(0).Int(0).Int(1);
  EXPECT_EQ(ErrorOf([&] { LoadBinary(image.bytes); }),
            "Elements are nested deeper than 512 levels");
}

TEST(XmlBinary, WritingErrors) {
  Ref<IXmlDocument> doc = CreateXmlDocument("r");
  doc->GetDocumentElement()->SetVarAttr("i", Variant(Ref<IInterface>(CreateXmlDocument())));
  EXPECT_EQ(ErrorOf([&] { doc->SaveBinaryXml(); }), "Value writing error: incorrect type");
  Ref<IXmlDocument> other = CreateXmlDocument("s");
  other->GetDocumentElement()->AppendChild(Ref<IXmlNode>(CreateXmlDocument("t")));
  EXPECT_EQ(ErrorOf([&] { other->SaveBinaryXml(); }),
            "Binary XML writing error: incorrect node type");
}

TEST(XmlBinary, TextsOutsideTheCodePageSurviveFlagsZero) {
  const char* xml =
      "<\xD0\xB8\xD0\xBC\xD1\x8F><![CDATA[\xD0\xB4\xD0\xB0]]><!--\xF0\x9F\x98\x80-->"
      "</\xD0\xB8\xD0\xBC\xD1\x8F>";
  Ref<IXmlDocument> doc = CreateXmlDocument("", "", "", new TXmlNameTable());
  doc->LoadXML(xml);
  std::string image = doc->SaveBinaryXml();
  EXPECT_EQ(image[kBinaryXmlMagic.size()] & 1, 1);
  EXPECT_EQ(LoadBinary(image)->GetXml(), xml);
  // Documents that fit the code page keep the single-byte form.
  Ref<IXmlDocument> plain = CreateXmlDocument("", "", "", new TXmlNameTable());
  plain->LoadXML("<a>\xD0\xB8</a>");  // values are UTF-16 whatever the flags
  EXPECT_EQ(plain->SaveBinaryXml()[kBinaryXmlMagic.size()], 0);
}

}  // namespace
