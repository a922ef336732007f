#include <gtest/gtest.h>

#include <functional>

#include "foundation/GlobalReplaceableObjectParams.h"
#include "foundation/Params.h"
#include "foundation/XMLStorage.h"

namespace {

std::string Value(const Ref<IParamCollection>& params, const std::string& name) {
  return params->GetValue(name, "<absent>").ToString();
}

TEST(Params, NamesAreKeysWithoutCase) {
  Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
  params->SetValue("Volume", 1);
  params->SetValue("VOLUME", 2);
  ASSERT_EQ(params->Count(), 1);
  EXPECT_EQ(params->FindParam(Variant(0))->GetName(), "Volume");
  EXPECT_EQ(params->GetValue("volume").ToInt(), 2);
  EXPECT_EQ(params->GetValue("absent", 5).ToInt(), 5);
  EXPECT_FALSE(params->FindParam(Variant(3)));

  Ref<TParam> duplicate = TAbstractObject::Create<TParam>("name=volume");
  params->AddParam(Ref<IParam>(duplicate.get()));
  EXPECT_EQ(params->Count(), 1) << "a name already present is not stored";
}

TEST(Params, FromParameterStrings) {
  Ref<IParamCollection> params = ParamsFromString("a=1\\b={x\\y}");
  ASSERT_TRUE(params);
  EXPECT_EQ(params->Count(), 2);
  EXPECT_EQ(Value(params, "a"), "1");
  EXPECT_EQ(Value(params, "b"), "x\\y");

  Ref<IParamCollection> bare = ParamsFromString("a");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->Count(), 1);
  EXPECT_EQ(Value(bare, ""), "");
  EXPECT_FALSE(ParamsFromString(""));
  EXPECT_FALSE(ParamsFromString(" \\ "));

  Ref<TParamCollection> built = TAbstractObject::Create<TParamCollection>("name=opts\\x=1");
  EXPECT_EQ(built->GetName(), "opts");
  EXPECT_EQ(Value(Ref<IParamCollection>(built.get()), "name"), "opts");
  EXPECT_EQ(Value(Ref<IParamCollection>(built.get()), "x"), "1");

  Ref<IParamCollection> clone = CloneParams(params);
  params->SetValue("a", "changed");
  EXPECT_EQ(Value(clone, "a"), "1");
  EXPECT_FALSE(CloneParams(nullptr));
  SetParamBool(clone, "flag", true);
  SetParamBool(clone, "skipped", true, false);
  EXPECT_EQ(Value(clone, "flag"), "yes");
  EXPECT_EQ(Value(clone, "skipped"), "<absent>");
}

TEST(Params, SaveAndLoadAsParamElements) {
  Ref<TPersistParamsObject> object = TAbstractObject::Create<TPersistParamsObject>("name=game");
  object->SetParamValue("Level", 7);
  object->SetParamValue("Player", "Ann & Bob");
  object->SetParamValue("Ratio", 0.5);
  Ref<IHierStorageRoot> doc = CreateXmlStorage("game");
  object->SaveToStorage(doc);
  EXPECT_EQ(doc->GetXmlText(),
            "<game name=\"game\"><params><param name=\"Level\" value=\"7\"/>"
            "<param name=\"Player\" value=\"Ann &amp; Bob\"/>"
            "<param name=\"Ratio\" value=\"0.5\"/></params></game>");

  Ref<TPersistParamsObject> copy = TAbstractObject::Create<TPersistParamsObject>();
  copy->LoadFromStorage(LoadXmlStorageFromText(doc->GetXmlText()));
  EXPECT_EQ(copy->GetName(), "game");
  Variant level = copy->GetParamValue("level");
  EXPECT_TRUE(level.IsString()) << "loaded values are strings";
  EXPECT_EQ(level.ToString(), "7");
  EXPECT_EQ(copy->GetParamValueDef("Player", "").ToString(), "Ann & Bob");
  EXPECT_TRUE(copy->GetParamValue("absent").IsNull());

  Ref<TPersistParamsObject> bare = TAbstractObject::Create<TPersistParamsObject>();
  bare->LoadFromStorage(LoadXmlStorageFromText("<game/>"));
  EXPECT_EQ(bare->GetParams()->Count(), 0);
}

// ---- replacement values by guid

class TBox : public TPropertyObject {
 public:
  void Init() override {
    TPropertyObject::Init();
    elementName_ = "box";
  }
  void LoadFromXml(const Ref<IHierStorage>& node) override {
    TPropertyObject::LoadFromXml(node);
    // A child with the same guid loads in the middle of the parent's reads.
    if (Ref<IHierStorage> inner = node->GetChild("box", 0)) {
      child = TAbstractObject::Create<TBox>();
      child->LoadFromStorage(inner);
    }
    x = ReadXmlInt(node, "x", 0);
    y = ReadXmlInt(node, "y", 0);
  }
  int x = 0;
  int y = 0;
  Ref<TBox> child;
};

class GuidParams : public ::testing::Test {
 protected:
  void SetUp() override { GlobalReplaceableObjectParams()->Clear(); }
  void TearDown() override { GlobalReplaceableObjectParams()->Clear(); }

  Ref<TBox> Load(std::string_view xml) {
    Ref<TBox> box = TAbstractObject::Create<TBox>();
    box->LoadFromStorage(LoadXmlStorageFromText(xml));
    return box;
  }
  Ref<IReplaceableObjectParamCollection> Params(const std::string& guid) {
    return GlobalReplaceableObjectParams()->GetParams(guid, true);
  }
};

TEST_F(GuidParams, ReplacementValuesWinAndVanishOnceTheNodeHoldsThem) {
  Params("G")->SetValue("x", "5");
  EXPECT_EQ(Params("g").get(), Params("G").get()) << "one collection per guid";

  EXPECT_EQ(Load("<box x=\"3\"/>")->x, 3) << "no guid: the node itself";
  EXPECT_EQ(Load("<box _object_guid=\"other\" x=\"3\"/>")->x, 3);
  EXPECT_EQ(Load("<box _object_guid=\"G\" x=\"3\"/>")->x, 5);
  EXPECT_EQ(Params("G")->Count(), 1);
  EXPECT_EQ(Load("<box _object_guid=\"G\" x=\"5\"/>")->x, 5);
  EXPECT_EQ(Params("G")->Count(), 0) << "a value equal to the node's changes nothing";
  EXPECT_FALSE(GlobalReplaceableObjectParams()->GetParams("", true));
}

// Every reader asks with its default as it is written, so a replacement equal to the
// default of an absent attribute changes nothing and goes.
TEST_F(GuidParams, ReplacementsEqualToTheDefaultGo) {
  struct Case {
    const char* replacement;
    std::function<std::string(const Ref<IHierStorage>&)> read;
    std::string value;
    bool kept;
  } cases[] = {
      {"7", [](auto& n) { return std::to_string(ReadXmlInt(n, "a", 7)); }, "7", false},
      {"8", [](auto& n) { return std::to_string(ReadXmlInt(n, "a", 7)); }, "8", true},
      {"$7", [](auto& n) { return std::to_string(ReadXmlInt(n, "a", 7)); }, "7", true},
      {"-16711936", [](auto& n) { return std::to_string(ReadXmlHex(n, "a", 0xFF00FF00)); },
       "4278255360", false},
      {"$FF00FF00", [](auto& n) { return std::to_string(ReadXmlHex(n, "a", 0xFF00FF00)); },
       "4278255360", true},
      {"0", [](auto& n) { return std::to_string(ReadXmlHex(n, "a", 0)); }, "0", false},
      {"1", [](auto& n) { return FormatFloatValue(ReadXmlFloat(n, "a", 1.0)); }, "1", false},
      {"0.25", [](auto& n) { return FormatFloatValue(ReadXmlFloat(n, "a", 0.25)); }, "0.25", false},
      {"1.0", [](auto& n) { return FormatFloatValue(ReadXmlFloat(n, "a", 1.0)); }, "1", true},
      {"no", [](auto& n) { return std::to_string(ReadXmlBool(n, "a", false)); }, "0", false},
      {"", [](auto& n) { return ReadXmlStr(n, "a"); }, "", false},
  };
  for (const Case& c : cases) {
    GlobalReplaceableObjectParams()->Clear();
    Params("G")->SetValue("a", c.replacement);
    Ref<IHierStorage> node = ResolveObjectGuid("G", LoadXmlStorageFromText("<box/>"));
    EXPECT_EQ(c.read(node), c.value) << c.replacement;
    EXPECT_EQ(Params("G")->Count(), c.kept ? 1 : 0) << c.replacement;
  }
}

TEST_F(GuidParams, EachOverlaidNodeKeepsItsOwnAttributes) {
  Params("G")->SetValue("x", "9");
  Ref<TBox> outer = Load(
      "<box _object_guid=\"G\" x=\"1\" y=\"2\"><box _object_guid=\"G\" x=\"3\" y=\"4\"/></box>");
  ASSERT_TRUE(outer->child);
  EXPECT_EQ(outer->child->x, 9);
  EXPECT_EQ(outer->child->y, 4);
  EXPECT_EQ(outer->x, 9);
  EXPECT_EQ(outer->y, 2) << "read from the parent's node, not the child's";
}

TEST_F(GuidParams, TheTableSavesAndLoadsAsParamsElements) {
  Params("G1")->SetValue("x", "5");
  Params("G2")->SetValue("label", "Hi");
  Ref<IHierStorageRoot> doc = CreateXmlStorage("game");
  ASSERT_TRUE(SaveObjectToChild(GlobalReplaceableObjectParams(), doc));
  std::string xml = doc->GetXmlText();
  EXPECT_EQ(xml,
            "<game><global_replaceable_object_params>"
            "<params name=\"G1\"><param name=\"x\" value=\"5\"/></params>"
            "<params name=\"G2\"><param name=\"label\" value=\"Hi\"/></params>"
            "</global_replaceable_object_params></game>");

  GlobalReplaceableObjectParams()->Clear();
  ASSERT_TRUE(LoadObjectFromChild(GlobalReplaceableObjectParams(), LoadXmlStorageFromText(xml)));
  EXPECT_EQ(GlobalReplaceableObjectParams()->Count(), 2);
  EXPECT_EQ(Load("<box _object_guid=\"g1\" x=\"1\"/>")->x, 5);
}

}  // namespace
