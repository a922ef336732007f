// The node tree: names, attributes and their typed getters, children, paths, clones.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <functional>

#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"
#include "tests/support/ErrorOf.h"

namespace {

Ref<IXmlElement> Root(std::string_view text) {
  return LoadXmlDocumentFromXml(text)->GetDocumentElement();
}

TEST(XmlNameTable, StartsWithTheCachedNames) {
  Ref<TXmlNameTable> names(new TXmlNameTable());
  const char* cached[] = {"#text", "#cdata-section", "#comment", "#document", "xml"};
  for (int id = 0; id < 5; ++id) EXPECT_EQ(names->GetID(cached[id]), id);
  EXPECT_EQ(names->GetID(""), -1);
  EXPECT_EQ(names->GetName(-1), "");
  int32_t id = names->GetID("widget");
  EXPECT_EQ(id, 5);
  EXPECT_EQ(names->GetID("widget"), id);
  EXPECT_NE(names->GetID("Widget"), id);
  EXPECT_EQ(names->FindID("never-seen"), -1);
}

TEST(XmlAttributes, KeepInsertionOrder) {
  Ref<IXmlElement> e = Root("<a x='1' y='2' z='3'/>");
  e->SetAttr("x", "9");
  EXPECT_EQ(e->GetAttrName(0), "x");
  e->RemoveAttr("x");
  ASSERT_EQ(e->GetAttrCount(), 2);
  EXPECT_EQ(e->GetAttrName(0), "y");
  EXPECT_EQ(e->GetAttrName(1), "z");
  EXPECT_EQ(ErrorOf([&] { e->GetAttrName(2); }), "List index out of bounds");
}

TEST(XmlAttributes, TypedGetters) {
  Ref<IXmlElement> e = Root("<a i='42' t='abc' c='1,5' d='1.5' h='ff' b='0' big='1e12'/>");
  EXPECT_EQ(e->GetIntAttr("i", 0), 42);
  EXPECT_EQ(e->GetIntAttr("missing", 7), 7);
  EXPECT_EQ(ErrorOf([&] { e->GetIntAttr("t", 0); }), "'abc' is not a valid integer value");
  EXPECT_THROW(e->GetIntAttr("big", 0), Exception);
  EXPECT_EQ(e->GetFloatAttr("c", 0), 1.5);
  EXPECT_EQ(e->GetFloatAttr("d", 0), 1.5);
  EXPECT_EQ(e->GetHexAttr("h", 0), 255);
  EXPECT_FALSE(e->GetBoolAttr("b", true));
  EXPECT_TRUE(e->GetBoolAttr("i", false));
  EXPECT_THROW(e->GetBoolAttr("t", false), Exception);
  EXPECT_EQ(e->GetAttr("t"), "abc");  // the failed getters left it alone
}

TEST(XmlAttributes, TypedSettersKeepTheirKinds) {
  Ref<IXmlElement> e = Root("<a/>");
  e->SetIntAttr("i", 5);
  e->SetBoolAttr("b", false);
  e->SetFloatAttr("f", 2.25);
  e->SetHexAttr("h", 255, 4);
  e->SetHexAttr("n", -1, 2);
  TDateTime date;
  ASSERT_TRUE(EncodeXmlDateTime(2024, 3, 5, 7, 8, 9, date));
  e->SetDateTimeAttr("d", date);
  EXPECT_EQ(e->GetAttrType("i"), Variant::Kind::Integer);
  EXPECT_EQ(e->GetAttrType("b"), Variant::Kind::Boolean);
  EXPECT_EQ(e->GetAttrType("d"), Variant::Kind::Date);
  EXPECT_EQ(e->GetAttrType("missing"), Variant::Kind::WideString);
  EXPECT_EQ(e->GetXml(),
            "<a i=\"5\" b=\"0\" f=\"2.25\" h=\"00FF\" n=\"FFFFFFFF\" d=\"2024-03-05T07-08-09\"/>");
  Ref<IXmlElement> read = Root(e->GetXml());
  EXPECT_DOUBLE_EQ(read->GetDateTimeAttr("d", 0), date);
  EXPECT_EQ(read->GetHexAttr("n", 0), -1);
}

TEST(XmlAttributes, TextFormsOfValues) {
  struct Case {
    Variant value;
    const char* text;
  } cases[] = {
      {Variant(), ""},
      {Variant::Null(), "{{null}}"},
      {Variant(1e20), "1E20"},
      {Variant(0.00001), "1E-5"},
      {Variant(-2.5), "-2.5"},
      {Variant(1.0 / 3), "0.333333333333333"},
      {Variant::Currency(12345), "1.2345"},
      {Variant::SmallInt(-3), "-3"},
      {Variant::Byte(200), "200"},
      {Variant(true), "1"},
      {Variant::ByteArray({1, 2, 3, 4}), "AQIDBA=="},
  };
  for (const Case& c : cases) EXPECT_EQ(XmlTextOfValue(c.value), c.text);
}

// Files written on a player's machine must read back on every other one.
TEST(XmlAttributes, NumbersIgnoreTheProcessLocale) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  struct Restore {
    ~Restore() { std::setlocale(LC_ALL, "C"); }
  } restore;
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5") << "the locale is in force";

  Ref<IXmlElement> e = Root("<a c='2,25' d='2.25'/>");
  e->SetFloatAttr("f", 1.5);
  e->SetVarAttr("g", Variant(float(-0.25)));
  e->SetVarAttr("h", Variant(1.5e-7));
  e->SetVarAttr("m", Variant::Currency(15000));
  e->SetHexAttr("x", 255, 4);
  e->SetDateTimeAttr("t", 36526.5);
  EXPECT_EQ(e->GetXml(),
            "<a c=\"2,25\" d=\"2.25\" f=\"1.5\" g=\"-0.25\" h=\"1.5E-7\" m=\"1.5\" "
            "x=\"00FF\" t=\"2000-01-01T12-00-00\"/>");
  EXPECT_EQ(e->GetFloatAttr("c"), 2.25);
  EXPECT_EQ(e->GetFloatAttr("d"), 2.25);
  Ref<IXmlElement> back = Root(e->GetXml());
  EXPECT_EQ(back->GetFloatAttr("f"), 1.5);
  EXPECT_EQ(back->GetFloatAttr("h"), 1.5e-7);
  EXPECT_EQ(back->GetDateTimeAttr("t"), 36526.5);
}

TEST(XmlAttributes, ValuesOfEveryLengthSurviveCopiesAndMoves) {
  Ref<IXmlElement> e = Root("<a/>");
  std::vector<std::string> values;
  for (size_t length : {0, 1, 13, 14, 15, 39, 200})
    values.push_back(std::string(length, 'x') + "!");
  for (size_t i = 0; i < values.size(); ++i) e->SetAttr("v" + std::to_string(i), values[i]);
  e->SetIntAttr("typed", 3);
  Ref<IXmlNode> copy = e->CloneNode(true);
  e->RemoveAttr("v0");  // later values move up
  e->SetAttr("v1", e->GetAttr("v5"));
  for (size_t i = 1; i < values.size(); ++i) {
    EXPECT_EQ(copy->GetAttr("v" + std::to_string(i)), values[i]);
    EXPECT_EQ(e->GetAttr("v" + std::to_string(i)), values[i == 1 ? 5 : i]);
  }
  EXPECT_EQ(copy->GetAttr("v0"), values[0]);
  EXPECT_EQ(copy->GetAttrType("typed"), Variant::Kind::Integer);
  e->SetVarAttr("v5", Variant(2.5));
  e->SetAttr("v5", std::string(100, 'y'));
  EXPECT_EQ(e->GetAttr("v5"), std::string(100, 'y'));
}

TEST(XmlAttributes, EnumGetters) {
  Ref<IXmlElement> e = Root("<item mode='SECOND' bad='third'/>");
  TXmlTexts modes = {"first", "second"};
  EXPECT_EQ(e->GetEnumAttr("mode", modes, 0), 1);
  EXPECT_EQ(e->GetEnumAttr("missing", modes, 1), 1);
  EXPECT_EQ(ErrorOf([&] { e->GetEnumAttr("bad", modes, 0); }),
            "Wrong value of attribute \"bad\" in element \"item\".\r\nValid values are:\r\n"
            "first\r\nsecond");
  EXPECT_EQ(ErrorOf([&] { e->GetRequiredEnumAttr("none", modes); }),
            "Attribute \"none\" not found");
  EXPECT_EQ(ErrorOf([&] { e->GetRequiredAttr("none"); }), "Attribute \"none\" not specified");
}

TEST(XmlChildren, LookupsByName) {
  Ref<IXmlElement> e = Root("<a><b/>text<!--c--><B/><b x='1'/><c><d/><e/></c></a>");
  EXPECT_EQ(e->GetChildrenByName("b")->Count(), 2);
  EXPECT_EQ(e->GetChildrenByName("c/*")->Count(), 2);
  EXPECT_EQ(e->GetChildrenByName("*")->Count(), 6);
  EXPECT_FALSE(e->GetChildrenByName("c/*/*"));
  EXPECT_EQ(ErrorOf([&] { e->GetRequiredChild("zz"); }), "Child element \"zz\" not found");
  EXPECT_EQ(e->FindChildByAttrValue("b", "x", Variant(1))->GetAttr("x"), "1");
  EXPECT_FALSE(e->FindChildByAttrValue("b", "x", Variant(2)));
}

TEST(XmlChildren, Paths) {
  Ref<IXmlDocument> doc = LoadXmlDocumentFromXml(
      "<r><screen name='Main'><button id='ok'/><button id='cancel'>"
      "<label/></button></screen><other/></r>");
  Ref<IXmlElement> root = doc->GetDocumentElement();
  struct Case {
    const char* path;
    const char* found;  // attribute "id" or the element name; "" for none
  } cases[] = {
      {"screen", "screen"},
      {"SCREEN", ""},  // a single name matches exactly
      {"Screen/Button", "ok"},
      {"/screen/button", "ok"},
      {"screen/button[@id=cancel]", "cancel"},
      {"screen/button[id=CANCEL]/label", "label"},
      {"screen/button[@id=cancel]/label/../..", "screen"},
      {"screen/button[@id=none]", ""},
      {"screen/button[noequals]", "screen"},
      {"screen//button", "ok"},
      {"missing/button", ""},
      {"../r", "r"},
      {"../missing", ""},
  };
  for (const Case& c : cases) {
    Ref<IXmlNode> node = root->FindElement(c.path);
    std::string found = !node                 ? ""
                        : node->HasAttr("id") ? node->GetAttr("id")
                                              : node->GetNodeName();
    EXPECT_EQ(found, c.found) << c.path;
  }
}

TEST(XmlChildren, GetAndSetValue) {
  Ref<IXmlElement> root = Root("<r a='1'><b>text</b></r>");
  EXPECT_EQ(root->GetValue("@a").ToString(), "1");
  EXPECT_EQ(root->GetValue("@none").ToString(), "");
  EXPECT_EQ(root->GetValue("b").ToString(), "text");
  root->SetValue("@n", Variant(7));
  EXPECT_EQ(root->GetAttrType("n"), Variant::Kind::Integer);
  root->SetValue("b", Variant("new"));
  // A missing plain path is made element by element.
  root->SetValue("x/y", Variant(3));
  EXPECT_EQ(root->GetXml(), "<r a=\"1\" n=\"7\"><b>new</b><x><y>3</y></x></r>");
  // Paths that step up or test attributes make nothing.
  root->SetValue("../z", Variant(1));
  root->SetValue("q[@k=v]", Variant(1));
  root->SetValue("bad name", Variant(1));
  EXPECT_EQ(root->GetXml(), "<r a=\"1\" n=\"7\"><b>new</b><x><y>3</y></x></r>");
}

TEST(XmlChildren, StoredTextAndChildren) {
  Ref<IXmlElement> e = Root("<a/>");
  e->SetText("first");
  e->AppendElement("b");
  EXPECT_EQ(e->GetXml(), "<a>first<b/></a>");
  EXPECT_EQ(e->GetText(), "first");
  e->AppendElement("c")->SetText("more");
  EXPECT_EQ(e->GetText(), "first more");
  e->SetText("only");
  EXPECT_EQ(e->GetChildNodes()->Count(), 1);
  EXPECT_EQ(e->GetValueType(), Variant::Kind::WideString);
}

TEST(XmlChildren, InsertReplaceRemove) {
  Ref<IXmlDocument> doc = LoadXmlDocumentFromXml("<a><b/><c/></a>");
  Ref<IXmlElement> a = doc->GetDocumentElement();
  Ref<IXmlNode> b = a->GetChildNodes()->Item(0);
  Ref<IXmlNode> c = a->GetChildNodes()->Item(1);
  a->InsertBefore(Ref<IXmlNode>(doc->CreateElement("x")), c);
  EXPECT_EQ(a->GetXml(), "<a><b/><x/><c/></a>");
  a->ReplaceChild(Ref<IXmlNode>(doc->CreateElement("y")), b);
  EXPECT_EQ(a->GetXml(), "<a><y/><x/><c/></a>");
  EXPECT_FALSE(b->GetParentNode());
  EXPECT_EQ(a->RemoveChild(c), 2);
  EXPECT_EQ(a->RemoveChild(c), -1);
  EXPECT_EQ(a->GetXml(), "<a><y/><x/></a>");
}

TEST(XmlChildren, CloneKeepsValuesAndAttributes) {
  Ref<IXmlElement> e = Root("<a k='v'><b>text</b></a>");
  Ref<IXmlNode> b = e->FindElement("b");
  b->SetVarValue(Variant(12));
  Ref<IXmlNode> copy = e->CloneNode(true);
  EXPECT_FALSE(copy->GetParentNode());
  EXPECT_EQ(copy->GetXml(), "<a k=\"v\"><b>12</b></a>");
  EXPECT_EQ(copy->FindElement("b")->GetValueType(), Variant::Kind::Integer);
  EXPECT_EQ(e->CloneNode(false)->GetXml(), "<a k=\"v\"/>");
}

// Loaded nodes share their document's memory; each must still live as long as it is held,
// wherever it went, and take any change, whatever became of the document it came from.
TEST(XmlChildren, LoadedNodesOutliveTheirDocumentWhereverTheyGo) {
  const std::string kLong(60, 'v');
  const std::string kText = "<a x='1'><b y='" + kLong + "'>" + kLong + "</b><c/>tail</a>";
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary form" : "text form");
    Ref<IXmlDocument> target = CreateXmlDocument("target");
    Ref<IXmlElement> kept;
    Ref<IXmlNode> tail;
    {
      Ref<IXmlDocument> source = CreateXmlDocument();
      source->LoadXML(binary ? LoadXmlDocumentFromXml(kText)->SaveBinaryXml() : kText);
      kept = source->GetDocumentElement();
      tail = kept->GetChildNodes()->Item(2);
      target->GetDocumentElement()->AppendChild(kept->GetChildNodes()->Item(0));
      source->LoadXML("<other/>");  // the old nodes are no longer the document's
    }
    kept->SetAttr("z", "2");
    kept->SetAttr("x", "one");
    for (int i = 0; i < 20; ++i) kept->AppendElement("d");
    kept->RemoveChild(tail);
    EXPECT_EQ(tail->GetText(), "tail");
    EXPECT_EQ(kept->GetAttrCount(), 2);
    EXPECT_EQ(kept->GetAttr("x"), "one");
    EXPECT_EQ(kept->GetChildNodes()->Count(), 22);
    Ref<IXmlElement> b = target->GetDocumentElement()->GetChildNodes()->Item(0)->AsElement();
    b->SetAttr("w", "3");
    EXPECT_EQ(target->GetXml(),
              "<target><b y=\"" + kLong + "\" w=\"3\">" + kLong + "</b></target>");
    b->AppendElement("e");  // the text moves into a child of its own
    Ref<IXmlNode> text = b->GetChildNodes()->Item(0);
    target = nullptr;
    EXPECT_EQ(b->GetAttr("y"), kLong);
    b = nullptr;
    kept = nullptr;
    EXPECT_EQ(text->GetText(), kLong);
  }
}

// A loaded document lets go of its nodes in one piece when nothing else holds them and
// the tree is as it was loaded; whatever was done to it, a node still held lives on with
// its values, and nothing is lost or freed twice.
TEST(XmlChildren, LoadedDocumentsLetGoOfTheirNodesWhateverWasDoneToThem) {
  const std::string kLong(40, 'v');
  const std::string kText = "<?pi " + kLong + "?><a x='" + kLong + "' y='&amp;" + kLong + "'><b>" +
                            kLong + "</b><!--" + kLong + "--><![CDATA[" + kLong + "]]>text &lt; " +
                            kLong + "<c z='1'><d/></c></a>";
  struct Case {
    const char* what;
    // Acts on the loaded document; gives a node to hold on to, or none.
    std::function<Ref<IXmlNode>(IXmlDocument&)> act;
  } cases[] = {
      {"nothing held", [](IXmlDocument&) { return Ref<IXmlNode>(); }},
      {"an element held", [](IXmlDocument& d) { return d.FindElement("a/c"); }},
      {"an element held and let go",
       [](IXmlDocument& d) {
         Ref<IXmlNode> c = d.FindElement("a/c");
         c->GetAttr("z");
         return Ref<IXmlNode>();
       }},
      {"an attribute set",
       [&](IXmlDocument& d) {
         d.GetDocumentElement()->SetAttr("x", kLong + kLong);
         return Ref<IXmlNode>();
       }},
      {"a held element given a child",
       [](IXmlDocument& d) {
         Ref<IXmlNode> b = d.FindElement("a/b");
         b->AppendElement("e");
         return b;
       }},
      {"the root taken out and held",
       [](IXmlDocument& d) {
         Ref<IXmlNode> root(d.GetDocumentElement());
         d.RemoveChild(root);
         return root;
       }},
      {"a node of the tree added again elsewhere",
       [](IXmlDocument& d) {
         d.GetDocumentElement()->AppendChild(d.FindElement("a/b"));
         return Ref<IXmlNode>();
       }},
      {"the child list of an element held",
       [](IXmlDocument& d) { return d.FindElement("a/c")->GetChildNodes()->Item(0); }},
      {"a child added to the document", [](IXmlDocument& d) { return d.AppendComment("new"); }},
      {"a held comment changed",
       [&](IXmlDocument& d) {
         Ref<IXmlNode> comment = d.GetDocumentElement()->GetChildNodes()->Item(1);
         comment->SetText(kLong + "!");
         return comment;
       }},
  };
  for (bool binary : {false, true})
    for (bool reload : {false, true})
      for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + (binary ? ", binary form" : ", text form") +
                     (reload ? ", loaded over" : ", released"));
        Ref<IXmlDocument> document = CreateXmlDocument();
        document->LoadXML(binary ? LoadXmlDocumentFromXml(kText)->SaveBinaryXml() : kText);
        Ref<IXmlNode> held = c.act(*document);
        std::string written = held ? held->GetXml() : std::string();
        std::string whole = document->GetXml();
        if (reload) {
          document->LoadXML("<other/>");
          EXPECT_EQ(document->GetXml(), "<other/>");
        }
        document = nullptr;
        if (held) {
          EXPECT_EQ(held->GetXml(), written);
        } else {
          EXPECT_NE(whole.find(kLong), std::string::npos);
        }
      }
}

TEST(XmlChildren, NodesMoveToTheNameTableOfTheirNewOwner) {
  Ref<IXmlDocument> binary = CreateXmlDocument();
  binary->LoadBinaryXml(LoadXmlDocumentFromXml("<own attr='1'><kid/></own>")->SaveBinaryXml());
  Ref<IXmlDocument> shared = CreateXmlDocument("root");
  ASSERT_NE(binary->GetNameTable()->GetObject(), shared->GetNameTable()->GetObject());
  shared->GetDocumentElement()->AppendChild(Ref<IXmlNode>(binary->GetDocumentElement()));
  EXPECT_EQ(shared->GetXml(), "<root><own attr=\"1\"><kid/></own></root>");
  EXPECT_EQ(shared->GetDocumentElement()->FindElement("own")->GetAttr("attr"), "1");
}

TEST(XmlElement, CdataAndBinaryText) {
  Ref<IXmlElement> e = Root("<a>old<![CDATA[old]]><b/></a>");
  e->ReplaceTextByCDATASection("1]]>2");
  Ref<IXmlNodeList> children = e->GetChildNodes();
  ASSERT_EQ(children->Count(), 3);
  EXPECT_EQ(children->Item(1)->GetText(), "1]");
  EXPECT_EQ(children->Item(2)->GetText(), "]>2");

  const char data[] = "binary\0data";
  e->ReplaceTextByBinaryData(data, sizeof data, 5);
  EXPECT_EQ(e->GetChildNodes()->Item(1)->GetText(), "Ymlu\r\nYXJ5A\r\nGRhdG\r\nEA");
  EXPECT_EQ(e->GetTextAsBinaryData(), std::string(data, sizeof data));
  EXPECT_EQ(Base64Decode("QQ"), "");
}

TEST(XmlDocument, NewDocumentElementAndCreation) {
  Ref<IXmlDocument> doc = CreateXmlDocument("first");
  doc->AppendComment("c");
  Ref<IXmlElement> root = doc->NewDocumentElement("1.0", "utf-8", "second");
  EXPECT_EQ(doc->GetXml(), "<second/>");
  root->AppendChild(doc->CreateText("t"));
  root->AppendChild(doc->CreateProcessingInstruction("p", " q"));
  EXPECT_EQ(doc->GetXml(), "<second>t<?p q?></second>");
  EXPECT_EQ(doc->GetDocumentElement()->GetNodeName(), "second");
}

}  // namespace
