#include <gtest/gtest.h>
#include <unistd.h>

#include "foundation/Cipher.h"
#include "foundation/GlobalOptions.h"
#include "foundation/ResourceReader.h"
#include "foundation/SafeFile.h"
#include "foundation/XMLStorage.h"
#include "foundation/XmlAttributes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"

namespace {

std::string Text(const Variant& value) {
  return value.ToString();
}

Ref<IHierStorageRoot> Parse(std::string_view xml) {
  Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(xml);
  EXPECT_TRUE(storage);
  return storage;
}

std::string Spec(const std::string& file, const std::string& key = {}) {
  return "file={" + file + "}" + (key.empty() ? "" : "\\cryptkey=" + key);
}

// Every test starts and ends with no storage file open; the test's folder stands for
// the preference folder, where saves may go.
class XmlStorage : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearXmlStorageRegistry();
    SetPreferenceFolderProvider([this] { return folder.Path().string(); });
  }
  void TearDown() override {
    SetPreferenceFolderProvider(nullptr);
    ClearXmlStorageRegistry();
  }
  TempFolder folder;
};

TEST_F(XmlStorage, OverlaySuppliesWhatTheElementLacks) {
  folder.Write("base.xml",
               R"(<base x="overlay" only="o"><item n="1"/><item n="2"/><extra/></base>)");
  Ref<IHierStorageRoot> storage =
      Parse("<root _outstorage=\"" + Spec(folder / "base.xml") + "\" x=\"own\"><extra/></root>");

  EXPECT_EQ(Text(storage->GetAttr("x", "d")), "own") << "the element wins";
  EXPECT_EQ(Text(storage->GetAttr("only", "d")), "o");
  EXPECT_EQ(Text(storage->GetAttr("none", "d")), "d");
  EXPECT_EQ(storage->GetAttr("none", "d").GetKind(), Variant::Kind::ByteString);

  EXPECT_EQ(storage->GetChildCount("item"), 2) << "counted in the overlay";
  EXPECT_EQ(Text(storage->GetChild("item", 1)->GetAttr("n")), "2");
  EXPECT_FALSE(storage->GetChild("item", 2));
  EXPECT_EQ(storage->GetChildCount("extra"), 1) << "the element's own children hide the overlay's";

  // Writes go to the element; only children the element lacks are written in the overlay.
  storage->SetAttr("only", "mine");
  EXPECT_EQ(Text(storage->GetAttr("only")), "mine");
  storage->SetChildText("item", "t");
  EXPECT_EQ(Text(OpenXmlStorage(Spec(folder / "base.xml"))->GetChild("item", 0)->GetText()), "t");
}

TEST_F(XmlStorage, FindAttrTellsFoundFromLeftOut) {
  folder.Write("base.xml", R"(<base only="o" x="overlay"/>)");
  Ref<IHierStorageRoot> storage =
      Parse("<root _outstorage=\"" + Spec(folder / "base.xml") + "\" x=\"own\" empty=\"\"/>");
  struct Case {
    std::string_view name;
    TAttrLookup lookup;
    std::string_view text;
  };
  for (const Case& c : {Case{"x", TAttrLookup::Found, "own"}, Case{"only", TAttrLookup::Found, "o"},
                        Case{"empty", TAttrLookup::Found, ""},
                        Case{"none", TAttrLookup::Absent, "untouched"}}) {
    std::string text = "untouched";
    EXPECT_EQ(storage->FindAttr(c.name, text), c.lookup) << c.name;
    EXPECT_EQ(text, c.text) << c.name;
    if (c.lookup == TAttrLookup::Found) EXPECT_EQ(Text(storage->GetAttr(c.name, "d")), c.text);
  }
  // The readers take an empty attribute as written and a left-out one as their default.
  EXPECT_EQ(ReadXmlInt(storage, "none", 42), 42);
  EXPECT_EQ(ReadXmlStr(storage, "empty", "d"), "");
  EXPECT_EQ(ReadXmlStr(storage, "none", "d"), "d");
  EXPECT_EQ(ReadXmlEnum(storage, "none", "a/b/c", 2), 2);
  EXPECT_EQ(ReadXmlEnum(storage, "none", "a/b/c", 7), 7);
}

TEST_F(XmlStorage, OverlayCyclesAreCutInsteadOfRecursing) {
  folder.Write("self.xml", "<s _outstorage=\"" + Spec(folder / "self.xml") + "\" a=\"1\"/>");
  folder.Write("a.xml", "<a _outstorage=\"" + Spec(folder / "b.xml") + "\" fromA=\"A\"/>");
  folder.Write("b.xml", "<b _outstorage=\"" + Spec(folder / "a.xml") + "\" fromB=\"B\"/>");

  Ref<IHierStorageRoot> self = OpenXmlStorage(Spec(folder / "self.xml"));
  ASSERT_TRUE(self);
  EXPECT_EQ(Text(self->GetAttr("a")), "1");
  EXPECT_EQ(Text(self->GetAttr("missing", "d")), "d");
  EXPECT_EQ(self->GetChildCount("x"), 0);

  Ref<IHierStorageRoot> a = OpenXmlStorage(Spec(folder / "a.xml"));
  EXPECT_EQ(Text(a->GetAttr("fromB")), "B") << "one step of the chain stays";
  EXPECT_EQ(Text(a->GetAttr("missing", "d")), "d");
  Ref<IHierStorageRoot> b = OpenXmlStorage(Spec(folder / "b.xml"));
  EXPECT_EQ(Text(b->GetAttr("missing", "d")), "d");

  // A child naming its own, already open file leans on that file without a loop.
  Ref<IHierStorage> child = self->AddChild("c");
  child->SetAttr("_outstorage", Spec(folder / "self.xml"));
  Ref<IHierStorage> reread = self->GetChild("c", 0);
  EXPECT_EQ(Text(reread->GetAttr("a")), "1");

  // A storage re-loaded so that its overlay would be itself drops the overlay.
  Ref<IHierStorageRoot> saved = CreateXmlStorage("loop");
  ASSERT_TRUE(SaveXmlStorage(saved, Spec(folder / "loop.xml")));
  ASSERT_TRUE(saved->LoadFromText("<loop _outstorage=\"" + Spec(folder / "loop.xml") + "\"/>"));
  EXPECT_EQ(Text(saved->GetAttr("missing", "d")), "d");
}

TEST_F(XmlStorage, ContentIsTextOrTheChildrensXml) {
  Ref<IHierStorageRoot> storage = Parse("<r><plain>hello</plain><two><a x=\"1\"/><b/></two></r>");
  EXPECT_EQ(Text(storage->GetChildContent("plain")), "hello");
  EXPECT_EQ(Text(storage->GetChildContent("two")), "<a x=\"1\"/><b/>");
  EXPECT_TRUE(storage->GetChildContent("absent").IsEmpty());

  struct Case {
    std::string value;
    std::string xml;
  } cases[] = {
      {"<a x=\"1\"/><b/>", "<t><a x=\"1\"/></t>"},  // only the first element is appended
      {"plain words", "<t>plain words</t>"},
      {"a < b", "<t>a &lt; b</t>"},
      {"", "<t/>"},
  };
  for (const Case& c : cases) {
    Ref<IHierStorageRoot> target = CreateXmlStorage("t");
    target->SetContent(c.value);
    EXPECT_EQ(target->GetXmlText(), c.xml) << c.value;
  }
}

TEST_F(XmlStorage, PathsMatchElementNamesOrNameAttributesWithoutCase) {
  Ref<IHierStorageRoot> storage = Parse(
      "<r><Screens><screen name=\"Main\"><Button name=\"ok\" v=\"1\"/></screen></Screens>"
      "<widgets><w name=\"x\" v=\"2\"/></widgets><w name=\"x\" v=\"3\"/></r>");
  EXPECT_EQ(storage->FindPath("").get(), static_cast<IHierStorage*>(storage.get()));

  struct Case {
    const char* path;
    const char* container;
    const char* v;  // nullptr: not found
  } cases[] = {
      {"screens/MAIN/button", "", "1"},
      {"SCREENS/main/OK", "", "1"},
      {"x", "widgets", "2"},
      {"x", "", "3"},
      {"x", "nothing", "3"},
      {"screens/other", "", nullptr},
      {"screens/main/ok/deeper", "", nullptr},
  };
  for (const Case& c : cases) {
    Ref<IHierStorage> found = storage->FindPath(c.path, c.container);
    if (!c.v) {
      EXPECT_FALSE(found) << c.path;
      continue;
    }
    ASSERT_TRUE(found) << c.path;
    EXPECT_EQ(Text(found->GetAttr("v")), c.v) << c.path;
  }
  EXPECT_EQ(Text(storage->GetChildByName("Screens/screen")->GetAttr("name")), "Main");
}

TEST_F(XmlStorage, ValuesAreUtf8AndNamesAreInTheCodePage) {
  Ref<IHierStorageRoot> storage = CreateXmlStorage("r");
  storage->SetAttr("v", "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC");  // "Grüße €"
  EXPECT_EQ(Text(storage->GetAttr("v")), "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC");
  storage->SetAttr("bad", "\xFF\xFE");  // not UTF-8: dropped rather than written
  EXPECT_EQ(Text(storage->GetAttr("bad", "d")), "");

  Ref<IHierStorage> child = storage->AddChild("\xE9t\xE9");  // "été" in the code page
  ASSERT_TRUE(child);
  EXPECT_EQ(child->GetName(), "\xE9t\xE9");
  EXPECT_EQ(storage->GetChildCount("\xE9t\xE9"), 1);
  EXPECT_NE(storage->GetXmlText().find("\xC3\xA9t\xC3\xA9"), std::string::npos);

  // Names that are no XML names would make a file that never reads back.
  EXPECT_FALSE(storage->AddChild("a b"));
  storage->SetAttr("1x", "v");
  EXPECT_EQ(storage->GetAttrCount(), 2);
}

TEST_F(XmlStorage, AttributesByIndexAreBoundsChecked) {
  Ref<IHierStorageRoot> storage = Parse("<r a=\"1\" b=\"2\"/>");
  EXPECT_EQ(storage->GetAttrName(1), "b");
  EXPECT_EQ(Text(storage->GetAttrByIndex(0, "d")), "1");
  for (int index : {-1, 2, 1000}) {
    EXPECT_EQ(storage->GetAttrName(index), "");
    EXPECT_EQ(Text(storage->GetAttrByIndex(index, "d")), "d");
    storage->SetAttrByIndex(index, "x");
  }
  storage->SetAttrByIndex(1, "3");
  EXPECT_EQ(storage->GetXmlText(), "<r a=\"1\" b=\"3\"/>");

  Ref<TXMLStorage> empty = NewXmlStorage();
  EXPECT_EQ(empty->GetAttrName(0), "");
  EXPECT_EQ(Text(empty->GetAttrByIndex(0, "d")), "d");
  EXPECT_EQ(Text(empty->GetAttr("x", "d")), "d");
  EXPECT_EQ(empty->GetChildCount(""), 0);
  EXPECT_FALSE(empty->AddChild("x"));
}

TEST_F(XmlStorage, ChildCountsFollowChangesToTheChildren) {
  Ref<IHierStorageRoot> storage = Parse("<r><a/><a/></r>");
  EXPECT_EQ(storage->GetChildCount("a"), 2);
  storage->RemoveChild(storage->GetChild("a", 0));
  EXPECT_EQ(storage->GetChildCount("a"), 1);
  EXPECT_TRUE(storage->AppendStorage(Parse("<a n=\"new\"/>")));
  EXPECT_EQ(storage->GetChildCount("a"), 2);
  EXPECT_EQ(Text(storage->GetChild("a", 1)->GetAttr("n")), "new");
  EXPECT_FALSE(storage->AppendStorage(nullptr));
  EXPECT_EQ(storage->GetChildCount(""), 2);
}

TEST_F(XmlStorage, ANewStorageIsOneEmptyElementWithoutDeclaration) {
  EXPECT_EQ(CreateXmlStorage("options")->GetXmlText(), "<options/>");
  EXPECT_FALSE(CreateXmlStorage(""));
}

TEST_F(XmlStorage, RegistrySharesOneStoragePerFileWhateverTheSpelling) {
  folder.Write("data/x.xml", "<x v=\"1\"/>");
  std::string native = folder / "data/x.xml";
  std::string backslashed = native;
  std::replace(backslashed.begin(), backslashed.end(), '/', '\\');

  Ref<IHierStorageRoot> first = OpenXmlStorage(Spec(native));
  ASSERT_TRUE(first);
  EXPECT_EQ(OpenXmlStorage(Spec(backslashed)).get(), first.get());
  EXPECT_EQ(OpenXmlStorage("file=" + folder.Path().string() + "//data/X.XML").get(), first.get());
  EXPECT_FALSE(OpenXmlStorage("cryptkey=k"));

  // Clearing forgets the file; holders keep theirs.
  folder.Write("data/x.xml", "<x v=\"2\"/>");
  ClearXmlStorageRegistry();
  EXPECT_EQ(Text(first->GetAttr("v")), "1");
  Ref<IHierStorageRoot> second = OpenXmlStorage(Spec(native));
  EXPECT_NE(second.get(), first.get());
  EXPECT_EQ(Text(second->GetAttr("v")), "2");

  // A missing file opens as a storage without an element.
  Ref<IHierStorageRoot> missing = OpenXmlStorage(Spec(folder / "none.xml"));
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->GetName(), "");
}

TEST_F(XmlStorage, ASavedFileIsWhatTheRegistryGivesFromThenOn) {
  folder.Write("s.xml", "<s v=\"old\"/>");
  Ref<IHierStorageRoot> old = OpenXmlStorage(Spec(folder / "s.xml"));
  Ref<IHierStorageRoot> fresh = CreateXmlStorage("s");
  fresh->SetAttr("v", "new");
  ASSERT_TRUE(SaveXmlStorage(fresh, Spec(folder / "s.xml")));
  EXPECT_EQ(Text(OpenXmlStorage(Spec(folder / "s.xml"))->GetAttr("v")), "new");
  EXPECT_EQ(Text(old->GetAttr("v")), "old") << "holders keep the storage they have";

  // Saving a storage over a child element registers the file's root.
  Ref<IHierStorageRoot> doc = Parse("<top a=\"1\"><inner/></top>");
  ASSERT_TRUE(SaveXmlStorage(doc->GetChild("inner", 0), Spec(folder / "t.xml")));
  EXPECT_EQ(folder.Read("t.xml"), "<top a=\"1\"><inner/></top>");
  EXPECT_EQ(OpenXmlStorage(Spec(folder / "t.xml"))->GetName(), "top");
}

TEST_F(XmlStorage, DetachLeavesTheSharedOverlayToItsOtherHolders) {
  folder.Write("shared.xml", "<shared v=\"1\"><kid/></shared>");
  std::string xml = "<r _outstorage=\"" + Spec(folder / "shared.xml") + "\"/>";
  Ref<IHierStorageRoot> one = Parse(xml);
  Ref<TXMLStorage> two(static_cast<TXMLStorage*>(Parse(xml).get()));
  two->Detach();
  EXPECT_EQ(two->GetName(), "");
  EXPECT_EQ(Text(one->GetAttr("v")), "1");
  EXPECT_EQ(one->GetChildCount("kid"), 1);
  EXPECT_EQ(OpenXmlStorage(Spec(folder / "shared.xml"))->GetName(), "shared");
}

TEST_F(XmlStorage, SavingMakesTheFilesOwnFolder) {
  Ref<IHierStorageRoot> storage = CreateXmlStorage("deep");
  ASSERT_TRUE(SaveXmlStorage(storage, Spec(folder / "one/two/three.xml")));
  EXPECT_EQ(folder.Read("one/two/three.xml"), "<deep/>");
  ASSERT_TRUE(SaveXmlStorage(storage, "file=" + folder.Path().string() + "/four/five.xml"));
  EXPECT_EQ(folder.Read("four/five.xml"), "<deep/>");
  EXPECT_FALSE(SaveXmlStorage(nullptr, Spec(folder / "x.xml")));
  EXPECT_FALSE(SaveXmlStorage(storage, "cryptkey=k"));
  EXPECT_THROW(ForceDirectoryPath(""), Exception);
}

// A storage path in data may name any file: saves go only under the program and the
// preference folders, and everything else is refused with a warning.
TEST_F(XmlStorage, SavesGoOnlyUnderTheProgramAndPreferenceFolders) {
  TempFolder elsewhere;
  std::string probe = "storage-probe-" + std::to_string(getpid()) + ".xml";
  struct Case {
    std::string file;
    std::string written;  // the native file it reaches ('' when refused)
    const char* problem;
  } cases[] = {
      {folder / "prefs.xml", folder / "prefs.xml", ""},
      {"%apppath%" + probe, (std::filesystem::path(ProgramFolder()) / probe).string(), ""},
      {elsewhere / "outside.xml", "", "outside the program and preference folders"},
      {elsewhere / "new/deeper/outside.xml", "", "outside the program and preference folders"},
      {folder / "sub/../../outside.xml", "", "the path climbs out with \"..\""},
      {"%apppath%..\\" + probe, "", "the path climbs out with \"..\""},
      {"data\\..\\..\\" + probe, "", "the path climbs out with \"..\""},
  };
  Ref<IHierStorageRoot> storage = CreateXmlStorage("kept");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    WarningCapture warnings;
    bool saved = SaveXmlStorage(storage, Spec(c.file));
    EXPECT_EQ(saved, c.written != "");
    if (saved) {
      EXPECT_TRUE(warnings.Lines().empty());
      EXPECT_TRUE(std::filesystem::remove(c.written));
    } else {
      EXPECT_EQ(warnings.Lines(), std::vector<std::string>{"warning: " + c.file +
                                                           ": storage not saved: " + c.problem});
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.Path())) << "nothing written, no folder made";
  EXPECT_FALSE(
      std::filesystem::exists(std::filesystem::path(folder.Path()).parent_path() / "outside.xml"));
}

TEST_F(XmlStorage, EncipheredSaveAndOpenGiveTheSameDocument) {
  const std::string key = "p2xg9c0rw5ly7ke3q1nbzu";
  Ref<IHierStorageRoot> storage = Parse(
      "<profile name=\"Ann\"><level n=\"1\" score=\"12.5\"/><note>caf\xC3\xA9 &amp; tea</note>"
      "</profile>");
  ASSERT_TRUE(SaveXmlStorage(storage, Spec(folder / "users.dat", key)));
  std::string stored = folder.Read("users.dat");
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(stored.size(), storage->GetXmlText().size() * 2);

  ClearXmlStorageRegistry();
  Ref<IHierStorageRoot> opened = OpenXmlStorage(Spec(folder / "users.dat", key));
  ASSERT_TRUE(opened);
  EXPECT_NE(opened.get(), storage.get());
  EXPECT_EQ(opened->GetXmlText(), storage->GetXmlText());

  ClearXmlStorageRegistry();
  Ref<IHierStorageRoot> wrongKey = OpenXmlStorage(Spec(folder / "users.dat", "other"));
  if (wrongKey) {
    EXPECT_NE(wrongKey->GetXmlText(), storage->GetXmlText());
  }
}

TEST_F(XmlStorage, SaveToFileTellsWhetherItWrote) {
  Ref<IHierStorageRoot> storage = Parse("<r a=\"1\"><c>t</c></r>");
  EXPECT_TRUE(storage->SaveToFile(folder / "plain.xml", false));
  EXPECT_EQ(folder.Read("plain.xml"), "<r a=\"1\"><c>t</c></r>");

  EXPECT_TRUE(storage->SaveToFile(folder / "binary.xml", true));
  Ref<TXMLStorage> reread = NewXmlStorage();
  ASSERT_TRUE(reread->LoadFromFile(folder / "binary.xml"));
  EXPECT_EQ(reread->GetXmlText(), storage->GetXmlText());

  folder.Write("file", "a regular file");
  EXPECT_FALSE(storage->SaveToFile(folder / "file/below.xml", false));
  EXPECT_FALSE(storage->SaveToFile(folder / "missing/x.xml", false));
  EXPECT_FALSE(storage->SaveToFile("res:TESTPACK\\x.xml", false));
  EXPECT_FALSE(NewXmlStorage()->SaveToFile(folder / "none.xml", false));

  SetSafeFileFaultHook([](TSafeFileStep step, int64_t) { return step == TSafeFileStep::Rename; });
  EXPECT_FALSE(storage->SaveToFile(folder / "plain.xml", false));
  SetSafeFileFaultHook(nullptr);
}

TEST_F(XmlStorage, RootLoadsAnswerFalseAndKeepWhatTheyHad) {
  Ref<TXMLStorage> storage = NewXmlStorage();
  ASSERT_TRUE(storage->LoadFromText("<first/>"));
  EXPECT_FALSE(storage->LoadFromText("<broken"));
  EXPECT_FALSE(storage->LoadFromFile(folder / "missing.xml"));
  EXPECT_EQ(storage->GetName(), "first");
  EXPECT_THROW(LoadXmlStorageFromText("<broken"), EXmlError);
  EXPECT_FALSE(LoadXmlStorageFromFile(folder / "missing.xml"));
}

}  // namespace
