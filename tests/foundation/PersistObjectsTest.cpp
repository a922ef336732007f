#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "foundation/EngineDeclarations.h"
#include "foundation/EngineGeneralClasses.h"
#include "foundation/GlobalOptions.h"
#include "foundation/XMLStorage.h"
#include "tests/support/TempFolder.h"

namespace {

Ref<IHierStorageRoot> Node(std::string_view xml = "<n/>") {
  return LoadXmlStorageFromText(xml);
}

// Sets FloatPrecision for one test.
struct PrecisionGuard {
  explicit PrecisionGuard(double precision) : saved(FloatPrecision) { FloatPrecision = precision; }
  ~PrecisionGuard() { FloatPrecision = saved; }
  double saved;
};

// ---- the attribute encoding

TEST(AttributeEncoding, BooleansReadYesNoAndTheirNumbers) {
  struct Case {
    const char* text;  // nullptr: attribute absent
    bool def;
    bool expected;
  } cases[] = {
      {"yes", false, true},   {"-1", false, true}, {"Yes", false, false},   {"1", false, false},
      {"true", false, false}, {"", false, false},  {nullptr, false, false}, {"no", true, false},
      {"0", true, false},     {"No", true, true},  {"false", true, true},   {"", true, true},
      {nullptr, true, true},
  };
  for (const Case& c : cases) {
    Ref<IHierStorageRoot> node = Node();
    if (c.text) node->SetAttr("b", c.text);
    EXPECT_EQ(ReadXmlBool(node, "b", c.def), c.expected) << (c.text ? c.text : "absent") << c.def;
  }
  Ref<IHierStorageRoot> node = Node();
  WriteXmlBool(node, "t", true, true);
  WriteXmlBool(node, "f", false, true);
  EXPECT_EQ(node->GetXmlText(), "<n t=\"yes\" f=\"no\"/>");
  EXPECT_TRUE(ReadXmlBool(nullptr, "b", true));
}

TEST(AttributeEncoding, IntegersAndColours) {
  struct Case {
    const char* text;
    int32_t expected;  // with the default 7
  } cases[] = {
      {"42", 42},
      {"-17", -17},
      {"+5", 5},
      {"$1F", 31},
      {"0x10", 16},
      {"$FF00FF00", int32_t(0xFF00FF00)},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", 7},
      {"$100000000", 7},
      {"12a", 7},
      {"", 7},
      {"abc", 7},
      {" 3", 7},
      {"$", 7},
      {"--1", 7},
  };
  for (const Case& c : cases) {
    Ref<IHierStorageRoot> node = Node();
    node->SetAttr("i", c.text);
    EXPECT_EQ(ReadXmlInt(node, "i", 7), c.expected) << c.text;
  }

  Ref<IHierStorageRoot> node = Node();
  WriteXmlInt(node, "i", -123, true);
  WriteXmlHex(node, "c", 0xFF00FF00u, true);
  WriteXmlHex(node, "small", 0xAu, true);
  EXPECT_EQ(node->GetXmlText(), "<n i=\"-123\" c=\"$FF00FF00\" small=\"$0000000A\"/>");
  EXPECT_EQ(ReadXmlHex(node, "c"), 0xFF00FF00u);
  EXPECT_EQ(ReadXmlInt(node, "i"), -123);
  EXPECT_EQ(ReadXmlHex(node, "absent", 0x12345678u), 0x12345678u);
}

TEST(AttributeEncoding, FloatsReadEitherSeparatorAndWriteRounded) {
  struct ReadCase {
    const char* text;
    double expected;  // with the default -1
  } reads[] = {
      {"1.5", 1.5},   {"1,5", 1.5},  {"-0.25", -0.25}, {"+2", 2},    {"1e3", 1000},
      {" 2.5 ", 2.5}, {"abc", -1},   {"", -1},         {"1.5x", -1}, {"nan", -1},
      {"inf", -1},    {"1e999", -1}, {"+-1", -1},
  };
  for (const ReadCase& c : reads) {
    Ref<IHierStorageRoot> node = Node();
    node->SetAttr("f", c.text);
    EXPECT_EQ(ReadXmlFloat(node, "f", -1), c.expected) << c.text;
  }

  struct WriteCase {
    double precision;
    double value;
    const char* text;
  } writes[] = {
      {0.01, 0.333, "0.33"},   {0.01, 2.0, "2"},
      {0.01, 0.005, "0"},      {0.01, 0.015, "0.02"},
      {0.01, -1.239, "-1.24"}, {0.001, 1.0 / 3, "0.333"},
      {0.01, 1e20, "1e+20"},   {0.01, 123456.789, "123456.79"},
      {0, 0.1234, "0.1234"},
  };
  for (const WriteCase& c : writes) {
    PrecisionGuard precision(c.precision);
    EXPECT_EQ(FormatFloatValue(c.value), c.text) << c.value;
  }
  PrecisionGuard precision(0.01);
  Ref<IHierStorageRoot> node = Node();
  WriteXmlFloat(node, "f", 0.333, true);
  EXPECT_EQ(ReadXmlFloat(node, "f"), 0.33);
}

TEST(AttributeEncoding, EnumerationsAreOneNameOfTheList) {
  struct Case {
    const char* text;  // nullptr: absent
    int def;
    int expected;
  } cases[] = {
      {"asynch", 0, 1}, {"synch", 1, 0},  {"other", 0, 0},   {"ASYNCH", 0, 0},
      {nullptr, 1, 1},  {"asynch", 5, 5}, {"synch", -1, -1},
  };
  for (const Case& c : cases) {
    Ref<IHierStorageRoot> node = Node();
    if (c.text) node->SetAttr("e", c.text);
    EXPECT_EQ(ReadXmlEnum(node, "e", "/synch/asynch", c.def), c.expected)
        << (c.text ? c.text : "absent");
  }
  Ref<IHierStorageRoot> node = Node();
  WriteXmlEnum(node, "e", "/png/jpeg", true, 1);
  WriteXmlEnum(node, "x", "/png/jpeg", true, 2);
  EXPECT_EQ(node->GetXmlText(), "<n e=\"jpeg\"/>");
}

TEST(AttributeEncoding, WritersWithoutForceOnlyChangeDifferentValues) {
  Ref<IHierStorageRoot> node = Node("<n old=\"1\" same=\"x\"/>");
  WriteXmlStr(node, "absent", "v");
  WriteXmlStr(node, "old", "2");
  WriteXmlStr(node, "same", "x");
  WriteXmlInt(node, "zero", 0);
  EXPECT_EQ(node->GetXmlText(), "<n old=\"2\" same=\"x\"/>");
  WriteXmlStr(node, "absent", "v", true);
  EXPECT_EQ(ReadXmlStr(node, "absent"), "v");
  WriteXmlStr(nullptr, "x", "v", true);  // no node: nothing happens
  EXPECT_EQ(ReadXmlStr(nullptr, "x", "d"), "d");
}

// The numbers of files must not change with the player's locale.
TEST(AttributeEncoding, NumbersIgnoreTheProcessLocale) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  struct Restore {
    ~Restore() { std::setlocale(LC_ALL, "C"); }
  } restore;
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5") << "the locale is in force";

  PrecisionGuard precision(0.01);
  Ref<IHierStorageRoot> node = Node();
  WriteXmlFloat(node, "f", 1234.567, true);
  WriteXmlFloat(node, "g", -0.5, true);
  WriteXmlInt(node, "i", 1234567, true);
  EXPECT_EQ(node->GetXmlText(), "<n f=\"1234.57\" g=\"-0.5\" i=\"1234567\"/>");
  EXPECT_EQ(ReadXmlFloat(node, "f"), 1234.57);
  node->SetAttr("h", "2,25");
  EXPECT_EQ(ReadXmlFloat(node, "h"), 2.25);
  EXPECT_EQ(ReadXmlInt(node, "i"), 1234567);
}

// ---- objects and collections

class TShape : public TPropertyObject {
 public:
  void Init() override {
    TPropertyObject::Init();
    elementName_ = "shape";
  }
  void LoadFromXml(const Ref<IHierStorage>& node) override {
    TPropertyObject::LoadFromXml(node);
    size = ReadXmlFloat(node, "size", 1.0);
  }
  void SaveToXml(const Ref<IHierStorage>& node) override {
    TPropertyObject::SaveToXml(node);
    WriteXmlFloat(node, "size", size, size != 1.0);
  }
  double size = 1.0;
};

class TCircle : public TShape {
 public:
  void LoadFromXml(const Ref<IHierStorage>& node) override {
    TShape::LoadFromXml(node);
    colour = ReadXmlHex(node, "colour", 0xFF000000u);
  }
  void SaveToXml(const Ref<IHierStorage>& node) override {
    TShape::SaveToXml(node);
    WriteXmlHex(node, "colour", colour, colour != 0xFF000000u);
  }
  uint32_t colour = 0xFF000000u;
};

class TSquare : public TShape {
 public:
  void LoadFromXml(const Ref<IHierStorage>& node) override {
    TShape::LoadFromXml(node);
    filled = ReadXmlBool(node, "filled", false);
  }
  void SaveToXml(const Ref<IHierStorage>& node) override {
    TShape::SaveToXml(node);
    WriteXmlBool(node, "filled", filled, filled);
  }
  bool filled = false;
};

// Keeps what it loads, under each item's name.
class TShapes : public TTypedCreationPersistItemCollection {
 public:
  void Init() override {
    TTypedCreationPersistItemCollection::Init();
    elementName_ = "shapes";
    itemElementName_ = "shape";
  }

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override {
    Ref<INamedObject> named = Supports<INamedObject>(item);
    items_->Add(item, named ? named->GetName() : std::string());
  }
};

void RegisterTestShapes() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterClassName<TCircle>("test_circle");
  RegisterClassName<TSquare>("test_square");
  RegisterClassName<TShapes>("test_shapes");
}

TEST(PersistObjects, ATypedCollectionSavesAndLoadsItsItemsByType) {
  RegisterTestShapes();
  PrecisionGuard precision(0.01);
  Ref<TShapes> shapes = TAbstractObject::Create<TShapes>("name=all");
  EXPECT_EQ(shapes->TypeName(), "test_shapes");
  Ref<TCircle> circle = TAbstractObject::Create<TCircle>("name=sun");
  circle->size = 2.5;
  circle->colour = 0xFFFFCC00u;
  Ref<TSquare> square = TAbstractObject::Create<TSquare>("name=box");
  square->filled = true;
  Ref<TSquare> hidden = TAbstractObject::Create<TSquare>("name=hidden");
  hidden->SetStored(false);
  shapes->Items().Add(circle, "sun");
  shapes->Items().Add(square, "box");
  shapes->Items().Add(hidden, "hidden");

  Ref<IHierStorageRoot> doc = CreateXmlStorage("doc");
  ASSERT_TRUE(SaveObjectToChild(shapes, doc));
  EXPECT_EQ(doc->GetXmlText(),
            "<doc><shapes name=\"all\" type=\"test_shapes\">"
            "<shape name=\"sun\" type=\"test_circle\" size=\"2.5\" colour=\"$FFFFCC00\"/>"
            "<shape name=\"box\" type=\"test_square\" filled=\"yes\"/>"
            "</shapes></doc>");

  Ref<INamedObject> loaded = CreateObjectFromChild(doc, "shapes");
  Ref<TShapes> copy(dynamic_cast<TShapes*>(loaded.get()));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetName(), "all");
  ASSERT_EQ(copy->Count(), 2);
  auto sun = copy->Items().GetAs<IInterface>(Variant("SUN"));
  auto* loadedCircle = dynamic_cast<TCircle*>(sun.get());
  ASSERT_TRUE(loadedCircle);
  EXPECT_EQ(loadedCircle->size, 2.5);
  EXPECT_EQ(loadedCircle->colour, 0xFFFFCC00u);
  auto* loadedSquare = dynamic_cast<TSquare*>(copy->Items().GetByIndex(1).get());
  ASSERT_TRUE(loadedSquare);
  EXPECT_TRUE(loadedSquare->filled);
  EXPECT_EQ(loadedSquare->size, 1.0);
}

TEST(PersistObjects, UnknownTypesAndMissingChildrenGiveNothing) {
  RegisterTestShapes();
  Ref<IHierStorageRoot> doc = LoadXmlStorageFromText(
      "<doc><shapes><shape name=\"a\" type=\"no_such_type\"/><shape name=\"b\" "
      "type=\"TEST_CIRCLE\"/><shape name=\"c\"/></shapes></doc>");
  Ref<TShapes> shapes = CreateAndLoadObject<TShapes>(doc, "shapes");
  ASSERT_TRUE(shapes);
  ASSERT_EQ(shapes->Count(), 1) << "only the registered type is made";
  EXPECT_TRUE(shapes->Contains("b"));

  EXPECT_FALSE(CreateAndLoadObject<TShapes>(doc, "shapes", 1));
  EXPECT_FALSE(CreateAndLoadObject<TShapes>(nullptr, "shapes"));
  EXPECT_FALSE(CreateObjectFromChild(doc, "shapes", 3));
  EXPECT_FALSE(CreateNamedObject("no_such_type", "x"));
  EXPECT_FALSE(CreateNamedObject("test_circle {a=1}"));
  Ref<INamedObject> named = CreateNamedObject("Test_Circle{name=p}", "q");
  ASSERT_TRUE(named);
  EXPECT_EQ(named->GetName(), "q");
}

TEST(PersistObjects, ReservedAttributesSurviveASave) {
  RegisterTestShapes();
  Ref<IHierStorageRoot> doc =
      LoadXmlStorageFromText("<shape name=\"s\" _object_guid=\"G1\" template=\"no\" size=\"3\"/>");
  Ref<TCircle> circle = TAbstractObject::Create<TCircle>();
  circle->LoadFromStorage(doc);
  EXPECT_EQ(circle->GetName(), "s");
  EXPECT_EQ(circle->ObjectGuid(), "G1");
  EXPECT_FALSE(circle->IsTemplate());
  EXPECT_EQ(circle->GetProperty("_object_guid").ToString(), "G1");
  EXPECT_TRUE(circle->GetProperty("Name").IsNull()) << "properties are matched exactly";
  EXPECT_EQ(circle->GetPropertyDef("size", 9).ToInt(), 9);

  Ref<IHierStorageRoot> out = CreateXmlStorage("shape");
  circle->SaveToStorage(out);
  EXPECT_EQ(out->GetXmlText(),
            "<shape name=\"s\" type=\"test_circle\" size=\"3\" _object_guid=\"G1\"/>");

  Ref<TCircle> unnamed = TAbstractObject::Create<TCircle>();
  unnamed->LoadFromStorage(LoadXmlStorageFromText("<shape/>"));
  EXPECT_EQ(unnamed->GetName(), "");

  Ref<TCircle> target = TAbstractObject::Create<TCircle>();
  circle->AssignTo(*target);
  EXPECT_EQ(target->GetName(), "s");
  EXPECT_EQ(target->ObjectGuid(), "") << "the guid is the object's own";
  Ref<TNamedObject> plain = TAbstractObject::Create<TNamedObject>();
  EXPECT_THROW(circle->AssignTo(*plain), Exception);
}

TEST(PersistObjects, AnObjectNotStoredIsLeftOut) {
  Ref<TSquare> square = TAbstractObject::Create<TSquare>();
  square->SetStored(false);
  Ref<IHierStorageRoot> doc = CreateXmlStorage("doc");
  EXPECT_TRUE(SaveObjectToChild(square, doc));
  EXPECT_EQ(doc->GetChildCount("shape"), 0);
  EXPECT_FALSE(SaveObjectToChild(nullptr, doc));
}

TEST(PersistObjects, AnOutStorageObjectSavesIntoItsOwnFile) {
  RegisterTestShapes();
  ClearXmlStorageRegistry();
  TempFolder folder;
  SetPreferenceFolderProvider([&] { return folder.Path().string(); });
  const std::string key = "58m207xjdkaufwjb31cnwz";
  std::string spec = "file={" + (folder / "parts/sun.dat") + "}\\cryptkey=" + key;

  Ref<TCircle> circle = TAbstractObject::Create<TCircle>("name=sun");
  circle->size = 4;
  circle->SetOutStorage(spec);
  Ref<IHierStorageRoot> doc = CreateXmlStorage("doc");
  ASSERT_TRUE(SaveObjectToChild(circle, doc));
  Ref<IHierStorage> node = doc->GetChild("shape", 0);
  EXPECT_EQ(node->GetAttrCount(), 1) << "the node keeps only the reserved attribute";
  EXPECT_EQ(ReadXmlStr(node, "_outstorage"), spec);

  std::string stored = folder.Read("parts/sun.dat");
  EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  ClearXmlStorageRegistry();
  EXPECT_EQ(OpenXmlStorage(spec)->GetXmlText(),
            "<shape name=\"sun\" type=\"test_circle\" size=\"4\"/>");

  // Loading the document again reads the object's values through the overlay.
  ClearXmlStorageRegistry();
  Ref<IHierStorageRoot> reread = LoadXmlStorageFromText(doc->GetXmlText());
  Ref<TCircle> copy = CreateAndLoadObject<TCircle>(reread, "shape");
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetName(), "sun");
  EXPECT_EQ(copy->size, 4);
  EXPECT_EQ(copy->OutStorage(), spec);
  ClearXmlStorageRegistry();
  SetPreferenceFolderProvider(nullptr);
}

}  // namespace
