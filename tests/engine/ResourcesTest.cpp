// Fonts, sounds, music, groups and the resource collection; the engine's resource lists.
#include <gtest/gtest.h>

#include <set>

#include "engine/EngineRegistration.h"
#include "engine/EngineResources.h"
#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XMLStorage.h"
#include "tests/engine/ImageFixtures.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeResourceOwner.h"
#include "tests/support/WarningCapture.h"

namespace {

struct Resources : ::testing::Test {
  void SetUp() override {
    RegisterFoundationClasses();
    RegisterEngineClasses();
    owner = Ref<FakeResourceOwner>(new FakeResourceOwner());
  }
  Ref<IResourceSlave> Make(const std::string& xml, bool giveOwner = true) {
    Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(xml);
    Ref<IResourceSlave> resource =
        CreateResourceByType(ReadXmlStr(storage, "type"), ReadXmlStr(storage, "name"));
    if (!resource) return nullptr;
    Supports<IPersistObject>(resource)->LoadFromStorage(storage);
    if (giveOwner) resource->SetOwner(owner.get());
    return resource;
  }
  Ref<IFontResource> Font(const std::string& name, const std::string& codes) {
    std::string xml = "<resource type=\"FontResource\" name=\"" + name + "\" file=\"" + name +
                      ".png\" format=\"png\"><symbols>";
    int left = 0;
    for (char code : codes) {
      xml += "<symbol scancode=\"" + std::to_string(int(code)) + "\" left=\"" +
             std::to_string(left) + "\" width=\"2\" height=\"" + std::to_string(3 + left) +
             "\" wleft=\"1\"/>";
      left += 2;
    }
    xml += "</symbols></resource>";
    owner->files[name + ".png"] = fixtures::Png(int(codes.size()) * 2 + 1, 1, PNG_COLOR_TYPE_GRAY,
                                                std::vector<uint8_t>(codes.size() * 2 + 1, 5));
    Ref<IFontResource> font = Supports<IFontResource>(Make(xml));
    owner->resources[name] = Ref<IResource>(font.get());
    return font;
  }
  Ref<FakeResourceOwner> owner;
};

}  // namespace

TEST_F(Resources, UnknownTypesMakeNothing) {
  EXPECT_EQ(CreateResourceByType("NoSuchResource", "x"), nullptr);
  EXPECT_EQ(CreateResourceByType("", "x"), nullptr);
  Ref<IResourceSlave> image = CreateResourceByType("imageresource", "pic");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->GetName(), "pic");
}

TEST_F(Resources, FontFindsGlyphsByCharacterCode) {
  Ref<IFontResource> font = Font("f", "AB");
  Ref<ISymbol> a = font->FindSymbol("A");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->GetName(), "65");
  EXPECT_EQ(a->GetCode(), 65);
  EXPECT_EQ(a->GetRect(), (TRect{0, 0, 2, 3}));
  EXPECT_EQ(a->GetWLeft(), 1);
  EXPECT_EQ(font->FindSymbol("Bcd")->GetName(), "66");
  EXPECT_EQ(font->FindSymbol("C"), nullptr);
  EXPECT_EQ(font->FindSymbol(""), nullptr);
  EXPECT_EQ(font->GetMaxHeight(), 5);
  EXPECT_EQ(font->GetWidth(), 5);

  // A character beyond ASCII is looked up by its Unicode code.
  Ref<IFontResource> accents = Supports<IFontResource>(
      Make("<resource type=\"FontResource\" name=\"u\"><symbols><symbol scancode=\"233\" "
           "width=\"1\" height=\"1\"/><symbol scancode=\"8364\" width=\"1\" height=\"1\"/>"
           "</symbols></resource>"));
  EXPECT_EQ(accents->FindSymbol("\xC3\xA9t\xC3\xA9")->GetCode(), 233);
  EXPECT_EQ(accents->FindSymbol("\xE2\x82\xAC")->GetCode(), 8364);

  // The per-character path answers as the text look-up does, inside and outside Latin-1.
  for (int32_t code : {65, 66, 67, 0, -1, 233, 8364, 1 << 30}) {
    std::string text;
    if (code > 0 && code < 128) text = std::string(1, char(code));
    if (!text.empty()) {
      EXPECT_EQ(font->FindSymbolByCode(code), font->FindSymbol(text)) << code;
    }
    EXPECT_EQ(accents->FindSymbolByCode(code) != nullptr, code == 233 || code == 8364) << code;
  }
  EXPECT_EQ(font->FindSymbolByCode(67), nullptr);
}

// A glyph table at the limits of 32 bits reads as glyphs at the limit of data
// coordinates: the text widget's sums of them then stay far inside 32 bits.
TEST_F(Resources, GlyphMetricsAreKeptWithinTheLimitWhenLoaded) {
  const int32_t limit = kDataCoordinateLimit;
  Ref<IFontResource> font = Supports<IFontResource>(
      Make("<resource type=\"FontResource\" name=\"l\"><symbols><symbol scancode=\"77\" "
           "left=\"-2147483648\" top=\"2147483647\" width=\"2147483647\" height=\"2147483647\" "
           "wleft=\"-2147483648\" wright=\"2147483647\"/></symbols></resource>"));
  ASSERT_TRUE(font);
  Ref<ISymbol> m = font->FindSymbolByCode(77);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetRect(), (TRect{-limit, limit, 0, 2 * limit}));
  EXPECT_EQ(m->GetWLeft(), -limit);
  EXPECT_EQ(m->GetWRight(), limit);
}

TEST_F(Resources, SubstituteFontAsksItsMembersInOrder) {
  Ref<IFontResource> first = Font("f1", "A");
  Ref<IFontResource> second = Font("f2", "AB");
  Ref<IFontResource> both = Supports<IFontResource>(
      Make("<resource type=\"FontSubstituteResource\" name=\"s\" fonts=\"f1,missing,f2\"/>"));
  ASSERT_TRUE(both);
  EXPECT_EQ(both->GetWidth(), 0);  // nothing answered yet
  EXPECT_EQ(both->GetSurface(), nullptr);
  EXPECT_EQ(both->GetMaxHeight(), 5);

  Ref<ISymbol> b = both->FindSymbol("B");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->GetRect(), (TRect{2, 0, 4, 5}));
  EXPECT_EQ(both->GetSurface(), second->GetSurface());
  EXPECT_EQ(both->GetWidth(), second->GetWidth());

  EXPECT_EQ(both->FindSymbol("A"), first->FindSymbol("A"));
  EXPECT_EQ(both->FindSymbolByCode('B'), b);
  EXPECT_EQ(both->FindSymbolByCode('A'), first->FindSymbol("A"));
  EXPECT_EQ(both->GetSurface(), first->GetSurface());
  EXPECT_EQ(both->FindSymbol("Z"), nullptr);

  both->Detach();
  EXPECT_EQ(both->FindSymbol("A"), nullptr);
  EXPECT_EQ(both->GetSurface(), nullptr);
}

TEST_F(Resources, SoundsLoadThroughTheOwnerAndFreeTheirSamples) {
  owner->files["s.wav"] = "RIFF";
  Ref<ISoundResource> sound = Supports<ISoundResource>(
      Make("<resource type=\"SoundResource\" name=\"s\" file=\"s.wav\" master_volume=\"80\"/>"));
  EXPECT_EQ(owner->calls, std::vector<std::string>{"LoadSample s.wav 1 0"});
  EXPECT_NE(sound->GetSampleHandle(), kNoAudio);
  EXPECT_EQ(sound->GetMasterVolume(), 80);
  sound->Unload();
  EXPECT_EQ(owner->LiveHandles(), 0);
  EXPECT_NE(sound->GetSampleHandle(), kNoAudio);  // loads again on use
  EXPECT_EQ(owner->LiveHandles(), 1);
  // Going without being detached still frees the sample.
  sound.reset();
  EXPECT_EQ(owner->LiveHandles(), 0);

  Make("<resource type=\"SoundResource\" name=\"m\" file=\"s.wav\" maxplaybacks=\"4\"/>")->Detach();
  EXPECT_EQ(owner->calls.back(), "FreeSample 3");
  EXPECT_EQ(owner->calls[owner->calls.size() - 2], "LoadSample s.wav 4 0");
}

TEST_F(Resources, MusicOfBothFormats) {
  owner->files["m.mo3"] = "module";
  owner->files["m.ogg"] = "OggS";
  Ref<IMusicResource> module = Supports<IMusicResource>(
      Make("<resource type=\"MusicResource\" name=\"a\" file=\"m.mo3\"/>"));
  Ref<IMusicResource> ogg = Supports<IMusicResource>(
      Make("<resource type=\"MusicResource\" name=\"b\" file=\"m.ogg\" format=\"ogg\"/>"));
  EXPECT_EQ(module->GetFormat(), mfMo3);
  EXPECT_EQ(ogg->GetFormat(), mfOgg);
  EXPECT_EQ(module->GetMusicHandle(), 1u);
  EXPECT_EQ(ogg->GetMusicHandle(), 1002u);  // the channel of sample 2
  EXPECT_EQ(owner->calls, (std::vector<std::string>{"LoadMusic m.mo3", "LoadSample m.ogg 1 1"}));
  module.reset();
  ogg.reset();
  EXPECT_EQ(owner->LiveHandles(), 0);
}

TEST_F(Resources, GroupsSelectAMemberAndEmptyGroupsSelectNone) {
  owner->files["a.wav"] = "a";
  owner->files["b.wav"] = "b";
  Ref<ISoundResource> group = Supports<ISoundResource>(
      Make("<resource type=\"SoundGroupResource\" name=\"g\"><resources>"
           "<resource type=\"SoundResource\" name=\"a\" file=\"a.wav\"/>"
           "<item type=\"SoundResource\" name=\"b\" file=\"b.wav\" master_volume=\"40\"/>"
           "<x type=\"Unknown\" name=\"c\"/></resources></resource>"));
  ASSERT_TRUE(group);
  EXPECT_EQ(owner->LiveHandles(), 2);
  EXPECT_EQ(group->GetSampleHandle(), kNoAudio);  // none chosen yet
  EXPECT_EQ(group->GetMasterVolume(), 100);
  SetRandomSeed(7);
  std::set<AudioHandle> seen;
  for (int i = 0; i < 40; ++i) {
    group->Select();
    seen.insert(group->GetSampleHandle());
  }
  EXPECT_EQ(seen, (std::set<AudioHandle>{1, 2}));
  group->Detach();
  EXPECT_EQ(owner->LiveHandles(), 0);
  EXPECT_EQ(group->GetSampleHandle(), kNoAudio);

  Ref<IMusicResource> empty =
      Supports<IMusicResource>(Make("<resource type=\"MusicGroupResource\" name=\"e\"/>"));
  empty->Select();
  EXPECT_EQ(empty->GetMusicHandle(), kNoAudio);
  EXPECT_EQ(empty->GetFormat(), mfOgg);
}

TEST_F(Resources, CollectionRemovesAndUnloadsByGroup) {
  owner->files["a.wav"] = "a";
  Ref<TResourceCollection> collection = TAbstractObject::Create<TResourceCollection>();
  for (const char* spec : {"one:level1", "two:level1", "three:level2", "four:"}) {
    std::string text = spec;
    std::string name = text.substr(0, text.find(':'));
    Ref<IResourceSlave> sound =
        Make("<resource type=\"SoundResource\" name=\"" + name + "\" file=\"a.wav\"/>");
    sound->SetGroupName(text.substr(text.find(':') + 1));
    collection->Add(Ref<IResource>(sound.get()));
  }
  collection->Add(collection->Find(Variant("ONE")));  // the same name is not stored twice
  EXPECT_EQ(collection->Count(), 4);
  EXPECT_EQ(owner->LiveHandles(), 4);

  collection->UnloadGroup("level1");
  EXPECT_EQ(collection->Count(), 4);
  EXPECT_EQ(owner->LiveHandles(), 2);
  EXPECT_TRUE(collection->Find(Variant("one"))->IsLoadPending());

  collection->RemoveGroup("level2");
  EXPECT_EQ(collection->Count(), 3);
  EXPECT_EQ(collection->Find(Variant("three")), nullptr);
  EXPECT_EQ(owner->LiveHandles(), 1);

  collection->RemoveGroup("");
  EXPECT_EQ(collection->Count(), 0);
  EXPECT_EQ(owner->LiveHandles(), 0);
}

// ---------------------------------------------------------------------------------------
// Resource lists through the engine

namespace {

struct EngineLists : EngineHarness {
  EngineLists() {
    folder.Write("a.png", fixtures::Png(3, 2, PNG_COLOR_TYPE_GRAY, {1, 2, 3, 4, 5, 6}));
    folder.Write("b.png", fixtures::Png(5, 1, PNG_COLOR_TYPE_GRAY, {1, 2, 3, 4, 5}));
    EXPECT_TRUE(Start());
  }
  Ref<IHierStorage> List(const std::string& resources) {
    return LoadXmlStorageFromText("<resources><content>" + resources + "</content></resources>");
  }
  std::string Image(const std::string& name, const std::string& file,
                    const std::string& extra = {}) {
    return "<resource type=\"ImageResource\" name=\"" + name + "\" file=\"" + (folder / file) +
           "\" format=\"png\" " + extra + "/>";
  }
};

}  // namespace

TEST(EngineResourceLists, SkipUnknownTypesAndKeepTheFirstOfAName) {
  EngineLists h;
  h.engine->LoadResources(
      h.List(h.Image("logo", "a.png") + "<resource type=\"Nothing\" name=\"n\"/>" +
             h.Image("LOGO", "b.png") + h.Image("other", "b.png")),
      "first", false);
  EXPECT_EQ(h.engine->Resources().Count(), 2);
  Ref<IImageResource> logo = Supports<IImageResource>(h.engine->GetResource("Logo"));
  ASSERT_TRUE(logo);
  EXPECT_EQ(logo->GetWidth(), 3);
  EXPECT_EQ(logo->GetGroupName(), "first");
  EXPECT_EQ(h.engine->GetResource("n"), nullptr);

  // Another list naming it again in another group neither reloads nor moves it.
  h.engine->LoadResources(h.List(h.Image("logo", "b.png")), "second", false);
  EXPECT_EQ(logo->GetWidth(), 3);
  EXPECT_EQ(logo->GetGroupName(), "first");
  h.engine->DeleteResource("OTHER");
  EXPECT_EQ(h.engine->Resources().Count(), 1);
}

TEST(EngineResourceLists, PumpRunsOneStepBeforeEachResource) {
  EngineLists h;
  // Before the loop runs (a game loading during its own start) nothing is pumped.
  h.engine->LoadResources(h.List(h.Image("early", "a.png")), "g", true);
  EXPECT_EQ(h.game->Count("Update"), 0);
  EXPECT_TRUE(h.engine->GetResource("early"));
  h.engine->StartRunning();
  ASSERT_TRUE(h.StepFrame());
  std::vector<int> countsAtUpdate;
  h.game->onUpdate = [&] { countsAtUpdate.push_back(h.engine->Resources().Count()); };
  h.engine->LoadResources(
      h.List(h.Image("a", "a.png") + h.Image("b", "b.png") + h.Image("c", "a.png")), "g", true);
  EXPECT_EQ(countsAtUpdate, (std::vector<int>{1, 2, 3}));
  countsAtUpdate.clear();
  h.engine->LoadResources(h.List(h.Image("d", "a.png")), "g", false);
  EXPECT_TRUE(countsAtUpdate.empty());
}

TEST(EngineResourceLists, LoadByDemandAndGroupsThroughTheEngine) {
  EngineLists h;
  h.engine->LoadResources(
      h.List(h.Image("lazy", "a.png", "loadbydemand=\"yes\"") + h.Image("eager", "b.png")),
      "level1", false);
  Ref<IImageResource> lazy = Supports<IImageResource>(h.engine->GetResource("lazy"));
  Ref<IImageResource> eager = Supports<IImageResource>(h.engine->GetResource("eager"));
  EXPECT_TRUE(lazy->IsLoadPending());
  EXPECT_FALSE(eager->IsLoadPending());
  EXPECT_EQ(lazy->GetWidth(), 3);
  h.engine->UnloadResources("level1");
  EXPECT_TRUE(eager->IsLoadPending());
  EXPECT_EQ(eager->GetWidth(), 5);  // decoded again on use
  h.engine->RemoveResources("level1");
  EXPECT_EQ(h.engine->Resources().Count(), 0);
  EXPECT_EQ(eager->GetWidth(), 0);  // detached: no owner to load through
}

TEST(EngineResourceLists, EncipheredListFiles) {
  EngineLists h;
  std::string list = h.WriteEnciphered(
      "list.res", "<resources><content>" + h.Image("a", "a.png") + "</content></resources>");
  h.engine->LoadResourcesFromFile(list, "g", false);
  EXPECT_TRUE(h.engine->GetResource("a"));
  EXPECT_EQ(h.engine->ReadTextFile(list, ""), h.folder.Read("list.res") + "\r\n");
}

// A list that cannot be used, or a resource in it, is said once on the warning channel,
// naming the list as its author wrote it; the rest loads as before.
TEST(EngineResourceLists, WhatIsDroppedFromAListIsSaidOnceNamingTheList) {
  EngineLists h;
  WarningCapture warnings;
  std::string damaged = h.WriteEnciphered("bad.res", "<resources><content><resource");
  h.engine->LoadResourcesFromFile(damaged, "g", false);
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_EQ(warnings.Lines()[0].rfind("warning: " + damaged + ": does not parse (", 0), 0u)
      << warnings.Lines()[0];

  warnings.Clear();
  h.engine->LoadResourcesFromFile(h.folder / "missing.res", "g", false);
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_EQ(warnings.Lines()[0].rfind(
                "warning: " + (h.folder / "missing.res") + ": no such resource list", 0),
            0u)
      << warnings.Lines()[0];
  EXPECT_EQ(h.engine->Resources().Count(), 0);

  warnings.Clear();
  std::string list =
      h.WriteEnciphered("list.res", "<resources><content>" + h.Image("a", "a.png") +
                                        "<resource type=\"Nothing\" name=\"n\"/>" +
                                        h.Image("ghost", "ghost.png") + "</content></resources>");
  h.engine->LoadResourcesFromFile(list, "g", false);
  h.engine->LoadResourcesFromFile(list, "g", false);  // said once only
  EXPECT_EQ(warnings.Lines(),
            (std::vector<std::string>{
                "warning: " + list + ": resource \"n\": \"Nothing\" is no resource type; skipped",
                "warning: " + list + ": resource \"ghost\": no such picture " +
                    (h.folder / "ghost.png")}));
  EXPECT_EQ(h.engine->Resources().Count(), 2);
}

TEST(SurfaceCollection, KeepsSurfacesByNameAndCountsTheirPixels) {
  Ref<TSurfaceCollection> surfaces = TAbstractObject::Create<TSurfaceCollection>();
  Ref<TSurface> surface = TAbstractObject::Create<TSurface>();
  surface->SetSize(3, 2);
  surface->SetHasAlpha(true);
  surface->SetPixel(0, 0, 0xFF000000);
  surface->SetPixel(1, 0, 0x81000000);
  surface->SetPixel(2, 0, 0x80000000);
  surfaces->AddSurface(Ref<ISurface>(surface.get()), "frame");
  surfaces->AddSurface(nullptr, "none");
  EXPECT_EQ(surfaces->Count(), 1);
  EXPECT_EQ(surfaces->FindSurface(Variant("FRAME")).get(), static_cast<ISurface*>(surface.get()));
  EXPECT_EQ(surfaces->FindSurface(Variant(0)).get(), static_cast<ISurface*>(surface.get()));
  EXPECT_EQ(surfaces->FindSurface(Variant("other")), nullptr);

  Ref<TParamCollection> params = TAbstractObject::Create<TParamCollection>();
  EXPECT_FALSE(surface->GetStatistics(nullptr, 128));
  ASSERT_TRUE(surface->GetStatistics(params.get(), 128));
  EXPECT_EQ(params->GetValue("PixelsCount").ToInt(), 6);
  EXPECT_EQ(params->GetValue("OpaqueCount").ToInt(), 2);
  EXPECT_EQ(params->GetValue("TransparentCount").ToInt(), 4);
}
