// Resource definitions turned into engine resources and back.
#include <gtest/gtest.h>

#include "engine/EngineResourceDefs.h"
#include "foundation/XMLStorage.h"
#include "tests/engine/ImageFixtures.h"
#include "tests/support/EngineHarness.h"

namespace {

struct Defs : EngineHarness {
  Defs() {
    EXPECT_TRUE(Start());
    defs = TAbstractObject::Create<TResourceDefCollection>();
    defs->SetGroup("gallery");
    defs->SetTarget(engine.get());
    folder.Write("a&b \"q\".png", fixtures::Png(2, 2, PNG_COLOR_TYPE_GRAY, {1, 2, 3, 4}));
    folder.Write("sun.png", fixtures::Png(4, 1, PNG_COLOR_TYPE_GRAY, {1, 2, 3, 4}));
  }
  Ref<TResourceDefCollection> defs;
};

}  // namespace

TEST(ResourceDefs, DefineImageFromFileNamesAndFormats) {
  Defs h;
  std::string program = h.engine->GetProgramFolder();
  struct Case {
    std::string file;
    std::string name, path, params;
  } cases[] = {
      {program + "gallery/sun.png", "pic_sun", "gallery/sun.png", "\\format=png"},
      {"elsewhere\\Moon.PNG", "pic_Moon", "elsewhere\\Moon.PNG", "\\format=png"},
      {"sky.jpg", "pic_sky", "sky.jpg", "\\format=jpeg"},
      {"noextension", "pic_noextension", "noextension", "\\format=jpeg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Ref<IResourceDef> def = h.defs->DefineImageFromFile("pic_%name%", c.file);
    EXPECT_EQ(def->GetName(), c.name);
    EXPECT_EQ(def->GetType(), "ImageResource");
    EXPECT_EQ(def->GetFile(), c.path);
    EXPECT_EQ(def->GetTypeParams(), c.params);
  }
  EXPECT_EQ(h.defs->Count(), 4);
  // Defining a name again changes the definition.
  h.defs->Define("PIC_SUN", "FontResource", "", "f.png");
  EXPECT_EQ(h.defs->Count(), 4);
  EXPECT_EQ(h.defs->Find(Variant("pic_sun"))->GetType(), "FontResource");
}

TEST(ResourceDefs, ValuesAreEscapedSoEveryFileNameLoads) {
  Defs h;
  h.defs->Define("odd", "ImageResource", "\\format=png\\bad name=1\\=x\\note=<&>", h.folder / "a&b \"q\".png");
  h.defs->Define("sun", "ImageResource", "\\format=png", h.folder / "sun.png");
  Ref<IResourceDef> odd = h.defs->Find(Variant("odd"));
  // The element reads back as one resource element with the values as given.
  Ref<IHierStorageRoot> element = LoadXmlStorageFromText(odd->ToResourceXml());
  ASSERT_TRUE(element);
  EXPECT_EQ(ReadXmlStr(element, "file"), h.folder / "a&b \"q\".png");
  EXPECT_EQ(ReadXmlStr(element, "note"), "<&>");
  EXPECT_EQ(element->GetAttrCount(), 5);

  h.defs->LoadResources();
  Ref<IImageResource> image = Supports<IImageResource>(h.engine->GetResource("odd"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->GetWidth(), 2);
  EXPECT_EQ(image->GetGroupName(), "gallery");
  EXPECT_TRUE(h.engine->GetResource("sun"));
}

TEST(ResourceDefs, LoadRemoveAndLoadAgain) {
  Defs h;
  h.defs->LoadResources();  // nothing defined: nothing happens
  h.defs->LoadResource(Variant("absent"));
  EXPECT_EQ(h.engine->Resources().Count(), 0);

  h.defs->Define("sun", "ImageResource", "\\format=png", h.folder / "sun.png");
  h.defs->LoadResources();
  ASSERT_TRUE(h.engine->GetResource("sun"));
  h.defs->RemoveResources();
  EXPECT_EQ(h.engine->GetResource("sun"), nullptr);
  EXPECT_EQ(h.defs->Count(), 1);
  h.defs->LoadResources();
  EXPECT_TRUE(h.engine->GetResource("sun"));

  // Loading one definition replaces the engine's resource of that name.
  Ref<IResource> before = h.engine->GetResource("sun");
  h.defs->LoadResource(Variant("sun"));
  EXPECT_NE(h.engine->GetResource("sun"), before);

  // Without a group only what the list loaded goes (also when a loading screen has emptied
  // it since), not every resource; and of those names only resources without a group:
  // "sun" came with the group "gallery" and stays.
  h.engine->LoadResources(
      LoadXmlStorageFromText("<r><content><resource type=\"ImageResource\" name=\"keep\"/>"
                             "</content></r>"),
      "", false);
  h.defs->Define("moon", "ImageResource", "\\format=png", h.folder / "sun.png");
  h.defs->SetGroup("");
  h.defs->LoadResources();
  ASSERT_TRUE(h.engine->GetResource("moon"));
  h.defs->Clear();
  h.defs->RemoveResources();
  EXPECT_TRUE(h.engine->GetResource("keep"));
  EXPECT_TRUE(h.engine->GetResource("sun"));
  EXPECT_EQ(h.engine->GetResource("moon"), nullptr);
  h.defs->ReleaseTarget();
  h.defs->Define("moon", "ImageResource", "\\format=png", h.folder / "sun.png");
  h.defs->LoadResources();
  EXPECT_EQ(h.engine->GetResource("moon"), nullptr);
}

TEST(ResourceDefs, SaveAndLoadTheirXml) {
  Defs h;
  h.defs->Define("a", "ImageResource", "\\format=png", "a.png");
  h.defs->Define("b", "SoundResource", "", "b.wav");
  Ref<IHierStorageRoot> out = CreateXmlStorage("resource_defs");
  h.defs->SaveToStorage(out);
  std::string xml = out->GetXmlText();
  EXPECT_EQ(xml,
            "<resource_defs resourcegroup=\"gallery\"><resource_def name=\"a\" "
            "type=\"ImageResource\" file=\"a.png\" typeparams=\"\\format=png\"/>"
            "<resource_def name=\"b\" type=\"SoundResource\" file=\"b.wav\"/></resource_defs>");
  Ref<TResourceDefCollection> loaded = TAbstractObject::Create<TResourceDefCollection>();
  loaded->LoadFromStorage(LoadXmlStorageFromText(xml));
  EXPECT_EQ(loaded->GetGroup(), "gallery");
  ASSERT_EQ(loaded->Count(), 2);
  EXPECT_EQ(loaded->Find(Variant("a"))->GetTypeParams(), "\\format=png");
  EXPECT_EQ(loaded->Find(Variant(1))->GetFile(), "b.wav");
}
