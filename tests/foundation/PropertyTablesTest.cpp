// Property tables: one declaration per property answers reads, writes, loading and saving,
// in the order of the class chain.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/XMLStorage.h"

namespace {

// A base with one property of each kind, and a derived class that adds, shadows and
// splits some of them.
class TSampleBase : public TPropertyObject {
 public:
  int32_t count = 3;
  uint32_t color = 0xFFFFFFFF;
  bool flag = false;
  double ratio = 1.0;
  std::string label;
  uint8_t mode = 1;
  uint8_t level = 255;
  int32_t size = 0;
  int32_t sizeSets = 0;
  int32_t depth = 0;
  int32_t depthSets = 0;
  std::vector<std::string> changes;

  void SetSize(int32_t value) {
    size = value;
    ++sizeSets;
  }
  int32_t GetSize() { return size; }
  void SetDepth(int32_t value) {
    depth = value;
    ++depthSets;
  }

 protected:
  const TPropertyTable& Properties() override {
    using B = TSampleBase;
    static const TPropertyTable table(TPropertyObject::Properties(),
                                      {
                                          Prop("count", &B::count).Int(3).Redraws(),
                                          Prop("color", &B::color).Hex(0xFFFFFFFF),
                                          Prop("flag", &B::flag).Bool(),
                                          Prop("ratio", &B::ratio).Float(1.0).Invalidates(),
                                          Prop("label", &B::label).Str().Always(),
                                          Prop("mode", &B::mode).Enum("/a/b/c", 1).SkipDefault(),
                                          Attr("level", &B::level).Int(255),
                                          Prop("size", &B::GetSize, &B::SetSize).Int(),
                                          Prop("depth", &B::depth, &B::SetDepth).Int(),
                                          Prop("twice", &B::GetSize),
                                      });
    return table;
  }
  void PropertyChanged(const TPropertyRow& row) override { changes.push_back(row.Name()); }
};

class TSampleDerived : public TSampleBase {
 public:
  int32_t extra = 0;
  std::string trail;

 protected:
  const TPropertyTable& Properties() override {
    using D = TSampleDerived;
    static const TPropertyTable table(
        TSampleBase::Properties(),
        {
            // Written here, read as the base reads it.
            Prop<D>("count", nullptr, [](D& d, int32_t n) { d.count = n * 10; }),
            Prop("extra", &D::extra).Int().SavedWhen([](D& d) { return d.extra > 5; }),
            Prop("twice", &D::extra).ReadOnly(),
            Custom<D>(
                "trail",
                [](D& d, const Ref<IHierStorage>& node) {
                  d.trail = ReadXmlStr(node, "trail") + "!";
                },
                [](D& d, const Ref<IHierStorage>& node) {
                  WriteXmlStr(node, "trail", d.trail, true);
                }),
        });
    return table;
  }
};

std::string Saved(TPersistObject& object) {
  Ref<IHierStorageRoot> node = CreateXmlStorage("n");
  object.SaveToXml(Ref<IHierStorage>(node.get()));
  return node->GetXmlText();
}

void Load(TPersistObject& object, const std::string& xml) {
  object.LoadFromXml(Ref<IHierStorage>(LoadXmlStorageFromText(xml).get()));
}

TEST(PropertyTables, OneRowReadsWritesLoadsAndSaves) {
  Ref<TSampleBase> o = TAbstractObject::Create<TSampleBase>();
  Load(*o, R"(<n name="s" count="$10" color="$80112233" flag="yes" ratio="2,5" label="x"
              mode="c" level="300" size="9" depth="4"/>)");
  EXPECT_EQ(o->count, 16);
  EXPECT_EQ(o->color, 0x80112233u);
  EXPECT_TRUE(o->flag);
  EXPECT_EQ(o->ratio, 2.5);
  EXPECT_EQ(o->label, "x");
  EXPECT_EQ(o->mode, 2);
  EXPECT_EQ(o->level, 255) << "saturates into its field";
  EXPECT_EQ(o->size, 9);
  EXPECT_EQ(o->sizeSets, 1) << "a getter function's row loads through the setter";
  EXPECT_EQ(o->depth, 4);
  EXPECT_EQ(o->depthSets, 0) << "a field's row loads into the field";
  o->SetProperty("depth", Variant(5));
  EXPECT_EQ(o->depthSets, 1) << "and writes the property through the setter";
  EXPECT_EQ(
      Saved(*o),
      R"(<n name="s" count="16" color="$80112233" flag="yes" ratio="2.5" label="x" mode="c" size="9" depth="5"/>)");

  // Defaults stay out of new files, but Always() rows and forced rows are written.
  Ref<TSampleBase> fresh = TAbstractObject::Create<TSampleBase>();
  EXPECT_EQ(Saved(*fresh), R"(<n label=""/>)");

  // Properties: Variants by the C++ type.
  EXPECT_EQ(o->GetProperty("count").GetKind(), Variant::Kind::Integer);
  EXPECT_EQ(o->GetProperty("color").ToInt(), int32_t(0x80112233));
  EXPECT_EQ(o->GetProperty("flag").GetKind(), Variant::Kind::Boolean);
  EXPECT_EQ(o->GetProperty("ratio").GetKind(), Variant::Kind::Double);
  EXPECT_EQ(o->GetProperty("twice").ToInt(), 9);
  EXPECT_TRUE(o->GetProperty("level").IsNull()) << "an attribute is no property";
  EXPECT_TRUE(o->GetProperty("nothing").IsNull());
  EXPECT_EQ(o->GetProperty("name").ToString(), "s");
}

TEST(PropertyTables, WritesConvertOrAreIgnored) {
  Ref<TSampleBase> o = TAbstractObject::Create<TSampleBase>();
  struct Case {
    const char* name;
    Variant value;
    std::string expected;  // the property read back
  } cases[] = {
      {"count", Variant("12"), "12"},
      {"count", Variant("twelve"), "3"},
      {"count", Variant(2.5), "2"},
      {"count", Variant(1e12), "2147483647"},
      {"color", Variant("$FF000001"), "-16777215"},
      {"color", Variant("red"), "0"},
      {"flag", Variant("true"), "True"},
      {"flag", Variant("maybe"), "False"},
      {"ratio", Variant("0.25"), "0.25"},
      {"label", Variant(7), "7"},
      {"twice", Variant(5), "0"},  // read only
      {"size", Variant(4), "4"},
  };
  for (const Case& c : cases) {
    Ref<TSampleBase> object = TAbstractObject::Create<TSampleBase>();
    object->SetProperty(c.name, c.value);
    EXPECT_EQ(object->GetProperty(c.name).ToString(), c.expected) << c.name;
  }
  o->SetProperty("level", Variant(3));
  EXPECT_EQ(o->level, 255);
}

TEST(PropertyTables, FieldRowsTellTheirChanges) {
  Ref<TSampleBase> o = TAbstractObject::Create<TSampleBase>();
  o->SetProperty("count", Variant(3));  // unchanged
  o->SetProperty("count", Variant(4));
  o->SetProperty("ratio", Variant(0.5));
  o->SetProperty("flag", Variant(true));  // asks for nothing
  EXPECT_EQ(o->changes, (std::vector<std::string>{"count", "ratio"}));
}

TEST(PropertyTables, DerivedRowsShadowTheirDirectionOnly) {
  Ref<TSampleDerived> d = TAbstractObject::Create<TSampleDerived>();
  d->SetProperty("count", Variant(2));
  EXPECT_EQ(d->count, 20) << "the derived class writes";
  EXPECT_EQ(d->GetProperty("count").ToInt(), 20) << "the base reads";
  d->SetProperty("extra", Variant(8));
  EXPECT_EQ(d->GetProperty("twice").ToInt(), 8) << "read by the derived row";
  d->SetProperty("twice", Variant(1));
  EXPECT_EQ(d->GetProperty("twice").ToInt(), 8) << "and written by nobody";

  // The derived rows load and save after the base's, in their order.
  Load(*d, R"(<n extra="3" trail="t" count="5"/>)");
  EXPECT_EQ(d->count, 5) << "files go through the base row";
  EXPECT_EQ(d->trail, "t!");
  EXPECT_EQ(Saved(*d), R"(<n count="5" label="" trail="t!"/>)") << "extra 3 is not above 5";
  d->extra = 6;
  EXPECT_EQ(Saved(*d), R"(<n count="5" label="" extra="6" trail="t!"/>)");
}

TEST(PropertyTables, SkippedDefaultsAndUnforcedWrites) {
  // Saving into a node that holds other values: an unforced row sets its default there, a
  // skipped default leaves the node's value.
  Ref<TSampleBase> o = TAbstractObject::Create<TSampleBase>();
  Ref<IHierStorageRoot> node = LoadXmlStorageFromText(R"(<n count="9" mode="a"/>)");
  o->SaveToXml(Ref<IHierStorage>(node.get()));
  EXPECT_EQ(node->GetXmlText(), R"(<n count="3" mode="a" label=""/>)");
}

TEST(PropertyTables, NamesAreLookedUpOnlyWhenAskedByName) {
  Ref<TSampleDerived> d = TAbstractObject::Create<TSampleDerived>();
  const TPropertyRow* reader = nullptr;
  const TPropertyRow* writer = nullptr;
  ASSERT_TRUE(d->ResolveProperty("ratio", reader, writer));
  ASSERT_TRUE(reader && writer);
  uint64_t before = TPropertyTable::LookupCount();
  double value = 0;
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(d->ReadNumber(reader, value));
    d->WriteNumber(writer, value + 1);
  }
  EXPECT_EQ(TPropertyTable::LookupCount(), before);
  EXPECT_EQ(d->ratio, 101.0);
  EXPECT_EQ(d->changes.size(), 100u) << "changes are told through rows too";
  d->GetProperty("ratio");
  EXPECT_EQ(TPropertyTable::LookupCount(), before + 1);
}

}  // namespace
