// Sound and music descriptions: reading, writing, properties by name and their collections.

#include <gtest/gtest.h>

#include <string>

#include "engine/EngineSounds.h"
#include "foundation/XMLStorage.h"

namespace {

// Registered first, so that saved sounds name their type whatever order the tests run in.
Ref<TSound> LoadSound(const std::string& attributes) {
  RegisterEngineSoundClasses();
  Ref<TSound> sound = TAbstractObject::Create<TSound>();
  sound->LoadFromStorage(LoadXmlStorageFromText("<sound " + attributes + "/>"));
  return sound;
}

std::string SaveSound(TSound& sound) {
  Ref<IHierStorageRoot> node = CreateXmlStorage("sound");
  sound.SaveToStorage(node);
  return node->GetXmlText();
}

TEST(SoundDescriptions, AttributesAndTheirDefaults) {
  struct Case {
    const char* attributes;
    int volume, pan;
    bool loop, stoppable;
    int startMin, startMax, cycleMin, cycleMax;
  } cases[] = {
      {"", -1, -101, false, false, 0, 0, 0, 0},
      {R"(startdelaytime="500")", -1, -101, false, false, 500, 500, 0, 0},
      {R"(startdelaytime="500" startdelaytime_max="900")", -1, -101, false, false, 500, 900, 0, 0},
      {R"(startdelaytime="500" startdelaytime_min="100")", -1, -101, false, false, 100, 500, 0, 0},
      {R"(startdelaytime_max="300")", -1, -101, false, false, 0, 300, 0, 0},
      {R"(cycledelaytime="1000" cycledelaytime_min="200")", -1, -101, false, false, 0, 0, 200,
       1000},
      // Stoppable by group unless said otherwise when the sound loops.
      {R"(loop="yes")", -1, -101, true, true, 0, 0, 0, 0},
      {R"(loop="yes" stoppable_by_group="no")", -1, -101, true, false, 0, 0, 0, 0},
      {R"(stoppable_by_group="yes")", -1, -101, false, true, 0, 0, 0, 0},
      // Numbers that do not read keep their defaults.
      {R"(volume="loud" pan="12a" startdelaytime="soon")", -1, -101, false, false, 0, 0, 0, 0},
      {R"(volume="80" pan="-30")", 80, -30, false, false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Ref<TSound> sound = LoadSound(c.attributes);
    EXPECT_EQ(sound->GetVolume(), c.volume) << c.attributes;
    EXPECT_EQ(sound->GetPan(), c.pan) << c.attributes;
    EXPECT_EQ(sound->GetLoop(), c.loop) << c.attributes;
    EXPECT_EQ(sound->GetStoppableByGroup(), c.stoppable) << c.attributes;
    EXPECT_EQ(sound->GetStartDelayMin(), c.startMin) << c.attributes;
    EXPECT_EQ(sound->GetStartDelayMax(), c.startMax) << c.attributes;
    EXPECT_EQ(sound->GetCycleDelayMin(), c.cycleMin) << c.attributes;
    EXPECT_EQ(sound->GetCycleDelayMax(), c.cycleMax) << c.attributes;
  }
  Ref<TSound> full =
      LoadSound(R"(resourcename="click" mutemusic="yes" playfadingtime="-1" stopfadingtime="250")");
  EXPECT_EQ(full->GetResourceName(), "click");
  EXPECT_TRUE(full->GetMuteMusic());
  EXPECT_EQ(full->GetPlayFadingTime(), -1);
  EXPECT_EQ(full->GetStopFadingTime(), 250);
}

TEST(SoundDescriptions, SavingWritesOnlyWhatDiffersFromTheDefaults) {
  struct Case {
    const char* attributes;
    const char* saved;
  } cases[] = {
      {"", R"(<sound type="Sound" resourcename=""/>)"},
      {R"(resourcename="a" volume="50" pan="10" mutemusic="yes" playfadingtime="-1" stopfadingtime="7")",
       R"(<sound type="Sound" resourcename="a" volume="50" pan="10" mutemusic="yes" playfadingtime="-1" stopfadingtime="7"/>)"},
      {R"(resourcename="a" loop="yes" startdelaytime="500" cycledelaytime="1000")",
       R"(<sound type="Sound" resourcename="a" loop="yes" startdelaytime="500" cycledelaytime="1000"/>)"},
      {R"(resourcename="a" loop="yes" startdelaytime_min="100" startdelaytime_max="400" cycledelaytime_max="9")",
       R"(<sound type="Sound" resourcename="a" loop="yes" startdelaytime_min="100" startdelaytime_max="400" cycledelaytime_min="0" cycledelaytime_max="9"/>)"},
      // Without a loop the repeat pause means nothing and is dropped; the start delay is
      // kept, since every sound waits for it.
      {R"(resourcename="a" startdelaytime="500" cycledelaytime="1000")",
       R"(<sound type="Sound" resourcename="a" startdelaytime="500"/>)"},
      // The group flag is written only where it differs from the loop it defaults to.
      {R"(resourcename="a" loop="yes" stoppable_by_group="yes")",
       R"(<sound type="Sound" resourcename="a" loop="yes"/>)"},
      {R"(resourcename="a" loop="yes" stoppable_by_group="no")",
       R"(<sound type="Sound" resourcename="a" loop="yes" stoppable_by_group="no"/>)"},
  };
  for (const Case& c : cases) {
    Ref<TSound> sound = LoadSound(c.attributes);
    const std::string saved = SaveSound(*sound);
    EXPECT_EQ(saved, c.saved) << c.attributes;
    // What was written reads back the same.
    Ref<TSound> again = TAbstractObject::Create<TSound>();
    again->LoadFromStorage(LoadXmlStorageFromText(saved));
    EXPECT_EQ(SaveSound(*again), saved);
    EXPECT_EQ(again->GetStoppableByGroup(), sound->GetStoppableByGroup()) << c.attributes;
  }
}

TEST(SoundDescriptions, PropertiesByName) {
  Ref<TSound> sound = LoadSound(R"(name="bell" startdelaytime_min="10" startdelaytime_max="90")");
  EXPECT_EQ(sound->GetProperty("startdelaytime").ToInt(), 10);
  EXPECT_EQ(sound->GetProperty("startdelaytime_max").ToInt(), 90);
  EXPECT_EQ(sound->GetProperty("name").ToString(), "bell");
  EXPECT_TRUE(sound->GetProperty("Volume").IsNull());  // names are exact
  EXPECT_TRUE(sound->GetProperty("stoppable_by_group").IsNull());

  sound->SetProperty("startdelaytime", Variant("300"));
  EXPECT_EQ(sound->GetStartDelayMin(), 300);
  EXPECT_EQ(sound->GetStartDelayMax(), 300);
  sound->SetProperty("cycledelaytime", Variant(40));
  sound->SetProperty("cycledelaytime_max", Variant(70));
  EXPECT_EQ(sound->GetCycleDelayMin(), 40);
  EXPECT_EQ(sound->GetCycleDelayMax(), 70);
  sound->SetProperty("volume", Variant("55"));
  sound->SetProperty("pan", Variant("left"));  // does not convert: ignored
  sound->SetProperty("loop", Variant(true));
  sound->SetProperty("mutemusic", Variant("maybe"));
  sound->SetProperty("resourcename", Variant("ding"));
  sound->SetProperty("playfadingtime", Variant(-1));
  sound->SetProperty("stopfadingtime", Variant(200.4));
  EXPECT_EQ(sound->GetVolume(), 55);
  EXPECT_EQ(sound->GetPan(), -101);
  EXPECT_TRUE(sound->GetProperty("loop").ToBool());
  EXPECT_FALSE(sound->GetMuteMusic());
  EXPECT_EQ(sound->GetProperty("resourcename").ToString(), "ding");
  EXPECT_EQ(sound->GetProperty("playfadingtime").ToInt(), -1);
  EXPECT_EQ(sound->GetStopFadingTime(), 200);

  RegisterEngineSoundClasses();
  Ref<TMusic> music = TAbstractObject::Create<TMusic>();
  music->SetProperty("resourcename", Variant("theme"));
  EXPECT_EQ(music->GetResourceName(), "theme");
  EXPECT_EQ(music->GetProperty("resourcename").ToString(), "theme");
  Ref<IHierStorageRoot> node = CreateXmlStorage("music");
  music->SaveToStorage(node);
  EXPECT_EQ(node->GetXmlText(), R"(<music type="Music" resourcename="theme"/>)");
}

TEST(SoundDescriptions, CollectionsLoadEachItemUnderItsName) {
  Ref<TSoundCollection> sounds = TAbstractObject::Create<TSoundCollection>();
  sounds->LoadFromStorage(LoadXmlStorageFromText(
      R"(<sounds><sound name="Click" resourcename="c" loop="yes"/><other/>)"
      R"(<sound name="door" resourcename="d"/><sound name="click" resourcename="dup"/></sounds>)"));
  EXPECT_EQ(sounds->Count(), 2);  // a second item of the same name is not stored
  ASSERT_TRUE(sounds->FindSound(Variant("CLICK")));
  EXPECT_EQ(sounds->FindSound(Variant("CLICK"))->GetResourceName(), "c");
  EXPECT_TRUE(sounds->FindSound(Variant("click"))->GetStoppableByGroup());
  EXPECT_EQ(sounds->FindSound(Variant(1))->GetName(), "door");
  EXPECT_FALSE(sounds->FindSound(Variant("bell")));
  EXPECT_FALSE(sounds->FindSound(Variant(5)));

  Ref<TMusicCollection> musics = TAbstractObject::Create<TMusicCollection>();
  LoadObjectFromChild(musics,
                      LoadXmlStorageFromText(
                          R"(<screen><musics><music name="music_background" resourcename="theme"/>)"
                          R"(</musics></screen>)"));
  ASSERT_TRUE(musics->FindMusic(Variant("music_background")));
  EXPECT_EQ(musics->FindMusic(Variant("music_background"))->GetResourceName(), "theme");
}

TEST(SoundDescriptions, RegisteredTypeNames) {
  RegisterEngineSoundClasses();
  RegisterEngineSoundClasses();  // later calls change nothing
  EXPECT_TRUE(Supports<ISound>(CreateRegisteredObject("sound")));
  EXPECT_TRUE(Supports<IMusic>(CreateRegisteredObject("Music")));
}

}  // namespace
