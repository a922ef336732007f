// The music stack, its cross-fades, music pauses and the music's silence under muting sounds.

#include "tests/engine/SoundManagerTestSupport.h"

namespace {

using Channels = std::vector<AudioHandle>;

TEST_F(SoundManagerTest, MusicPiecesStackWithCrossFades) {
  AddMusic("a");
  Ref<FakeMusicResource> b = AddMusic("b");
  const AudioHandle a1 = manager->PlayMusic(MakeMusic("a"));
  ASSERT_NE(a1, kNoAudio);
  EXPECT_EQ(audio.Volume(a1), 0);
  Run(1000);
  EXPECT_NEAR(audio.Volume(a1), 15, 1);
  Run(1000);
  EXPECT_EQ(audio.Volume(a1), 30);

  // B fades in from 0 while A fades out and stops.
  const AudioHandle b1 = manager->PlayMusic(MakeMusic("B"));
  ASSERT_NE(b1, kNoAudio);
  Run(1000);
  EXPECT_NEAR(audio.Volume(a1), 15, 1);
  EXPECT_NEAR(audio.Volume(b1), 15, 1);
  Run(1000);
  EXPECT_FALSE(Playing(a1));
  EXPECT_EQ(audio.Volume(b1), 30);
  EXPECT_EQ(manager->MusicStackChannels(), (Channels{a1, b1}));

  // Stopping B brings A back from 0 and frees B.
  manager->StopMusic(MakeMusic("b"));
  EXPECT_EQ(b->unloads, 1);
  EXPECT_TRUE(Playing(a1));
  EXPECT_EQ(audio.Volume(a1), 0);
  Run(1000);
  EXPECT_NEAR(audio.Volume(a1), 15, 1);
  Run(1000);
  EXPECT_EQ(audio.Volume(a1), 30);
  EXPECT_EQ(manager->MusicStackChannels(), (Channels{a1}));
}

TEST_F(SoundManagerTest, OnlyTheTopMusicStops) {
  Ref<FakeMusicResource> a = AddMusic("a");
  AddMusic("b");
  const AudioHandle a1 = manager->PlayMusic(MakeMusic("a"));
  const AudioHandle b1 = manager->PlayMusic(MakeMusic("b"));
  manager->StopMusic(MakeMusic("a"));
  manager->StopMusic(MakeMusic("nothing"));
  EXPECT_EQ(manager->MusicStackChannels(), (Channels{a1, b1}));
  EXPECT_EQ(a->unloads, 0);
  EXPECT_EQ(manager->PlayMusic(MakeMusic("nothing")), kNoAudio);
  EXPECT_EQ(manager->PlayMusic(nullptr), kNoAudio);
}

TEST_F(SoundManagerTest, StoppedMusicFadesOutAfterItsDataIsFreed) {
  AddMusic("tone", MakeSineWav(44100, 1, 16, 440, 500));
  manager->PlayMusic(MakeMusic("tone"));
  Run(2000);
  manager->StopMusic(MakeMusic("tone"));
  EXPECT_EQ(audio.Count("FreeMusic"), 1);
  EXPECT_GT(audio.Advance(500), 0.01f);
  audio.Advance(2000);
  EXPECT_EQ(audio.Advance(100), 0.0f);
}

TEST_F(SoundManagerTest, TheSameMusicStackedTwicePlaysOnWhenTheUpperOneStops) {
  // Two screens with the same background music: closing the upper one leaves it playing.
  Ref<FakeMusicResource> m = AddMusic("m");
  manager->PlayMusic(MakeMusic("m"));
  const AudioHandle channel = manager->PlayMusic(MakeMusic("m"));
  Run(2000);
  manager->StopMusic(MakeMusic("m"));
  EXPECT_EQ(m->unloads, 0);
  Run(2000);
  EXPECT_TRUE(Playing(channel));
  EXPECT_EQ(audio.Volume(channel), 30);
  manager->StopMusic(MakeMusic("m"));
  EXPECT_EQ(m->unloads, 1);
  EXPECT_TRUE(manager->MusicStackChannels().empty());
}

TEST_F(SoundManagerTest, CompressedMusicPlaysOnItsSampleChannel) {
  Ref<FakeMusicResource> ogg = AddMusic("ogg", Bytes{1, 2, 3}, 1);
  const AudioHandle channel = manager->PlayMusic(MakeMusic("ogg"));
  EXPECT_EQ(channel, ogg->GetMusicHandle());
  EXPECT_TRUE(Playing(channel));
  manager->StopMusic(MakeMusic("ogg"));
  EXPECT_EQ(audio.Count("FreeSample"), 1);
}

TEST_F(SoundManagerTest, MusicGroupsDrawAMemberForEachPlay) {
  Ref<FakeMusicResource> m1(new FakeMusicResource(audio, "m1", Bytes{1}));
  Ref<FakeMusicResource> m2(new FakeMusicResource(audio, "m2", Bytes{2}));
  engine->resources->Add(Ref<IResource>(new FakeMusicGroupResource("group", {m1, m2})));
  const AudioHandle first = manager->PlayMusic(MakeMusic("group"));
  const AudioHandle second = manager->PlayMusic(MakeMusic("group"));
  EXPECT_NE(first, kNoAudio);
  EXPECT_EQ(first, m1->GetMusicHandle());
  EXPECT_EQ(second, m2->GetMusicHandle());
}

TEST_F(SoundManagerTest, PauseAndResumeMusicByTime) {
  AddMusic("m");
  const AudioHandle music = manager->PlayMusic(MakeMusic("m"));
  struct Case {
    bool pause;
    int ms;
    AudioCall expected;  // the last call; its result is not compared
  } cases[] = {
      {true, 0, {"PauseChannel", music, 0, 0}},
      {true, -1, {"SlideVolume", music, 0, 350}},
      {true, 700, {"SlideVolume", music, 0, 700}},
      {false, -1, {"SlideVolume", music, 30, 500}},
      {false, 0, {"Play", music, 0, 0}},
      {false, -5, {"Play", music, 0, 0}},
      {false, 900, {"SlideVolume", music, 30, 900}},
  };
  for (const Case& c : cases) {
    if (c.pause)
      manager->PauseMusic(c.ms);
    else
      manager->ResumeMusic(c.ms);
    AudioCall last = audio.calls.back();
    last.result = 0;
    EXPECT_EQ(last, c.expected) << c.pause << " " << c.ms;
  }
}

TEST_F(SoundManagerTest, MutingSoundsSilenceTheMusicUntilTheLastEnds) {
  AddMusic("m");
  AddSound("voice");
  const AudioHandle music = manager->PlayMusic(MakeMusic("m"));
  Run(2000);
  const Ref<ISound> voice = MakeSound(R"(resourcename="voice" mutemusic="yes")");
  const AudioHandle first = manager->PlaySound(voice);
  Run(200);
  const AudioHandle second = manager->PlaySound(voice);
  EXPECT_EQ(manager->MuteList(), (Channels{first, second}));
  Run(350);
  EXPECT_EQ(audio.Volume(music), 0);
  EXPECT_TRUE(Playing(music));  // silent, not stopped

  audio.EndChannel(first);
  Run(500);
  EXPECT_EQ(audio.Volume(music), 0);
  audio.EndChannel(second);
  Run(10);
  EXPECT_TRUE(manager->MuteList().empty());
  Run(500);
  EXPECT_EQ(audio.Volume(music), 30);
}

TEST_F(SoundManagerTest, PausingAMutingSoundLetsTheMusicBackAndResumingMutesItAgain) {
  SetGame()->screen = "dialog";
  AddMusic("m");
  AddSound("voice");
  const AudioHandle music = manager->PlayMusic(MakeMusic("m"));
  Run(2000);
  manager->PlaySound(MakeSound(R"(resourcename="voice" mutemusic="yes" loop="yes")"));
  Run(350);
  manager->PauseSoundGroup("dialog");
  EXPECT_TRUE(manager->MuteList().empty());
  Run(500);
  EXPECT_EQ(audio.Volume(music), 30);
  manager->ResumeSoundGroup("dialog");
  Run(350);
  EXPECT_EQ(audio.Volume(music), 0);
}

TEST_F(SoundManagerTest, MusicVolumeIsClampedAndReachesTheTopPiece) {
  AddMusic("m");
  const AudioHandle music = manager->PlayMusic(MakeMusic("m"));
  struct Case {
    Variant value;
    int expected;
  } cases[] = {{Variant(150), 100},
               {Variant(-5), 0},
               {Variant("45"), 45},
               {Variant("loud"), 45},
               {Variant(), 45}};
  for (const Case& c : cases) {
    manager->SetMusicVolume(c.value);
    EXPECT_EQ(manager->GetMusicVolume(), c.expected) << c.value.ToString();
    EXPECT_EQ(audio.Volume(music), c.expected) << c.value.ToString();
  }
}

}  // namespace
