// Sounds: delays, repeats, output loops, groups, stopping, volumes, the global pause, and a
// manager that is not initialised.

#include <algorithm>

#include "tests/engine/SoundManagerTestSupport.h"

namespace {

// Ms of updates (without output, so that no sound runs out) until the channel plays; -1
// when it has not started within Limit.
int StartTime(TSoundManager& manager, FakeAudio& audio, AudioHandle channel, int limit = 3000) {
  for (int t = 0; t <= limit; t += 10) {
    if (audio.GetState(channel) == ChannelState::Playing) return t;
    manager.Update(10);
  }
  return -1;
}

TEST_F(SoundManagerTest, SoundsWaitForTheirStartDelay) {
  AddSound("s");
  struct Case {
    const char* attributes;
    int earliest, latest;  // ms
  } cases[] = {
      {"", 0, 0},
      {R"(startdelaytime="500")", 500, 510},
      {R"(startdelaytime_min="200" startdelaytime_max="600")", 200, 610},
      // A reversed range draws nothing: the minimum.
      {R"(startdelaytime_min="900" startdelaytime_max="100")", 900, 910},
      {R"(startdelaytime="-50")", 0, 0},
      // Looped by the output, it still waits and then plays.
      {R"(loop="yes" startdelaytime="500")", 500, 510},
  };
  for (const Case& c : cases) {
    const AudioHandle channel =
        manager->PlaySound(MakeSound(std::string(R"(resourcename="s" )") + c.attributes));
    ASSERT_NE(channel, kNoAudio) << c.attributes;
    EXPECT_TRUE(manager->IsSoundPlaying(channel)) << c.attributes;
    const int start = StartTime(*manager, audio, channel);
    EXPECT_GE(start, c.earliest) << c.attributes;
    EXPECT_LE(start, c.latest) << c.attributes;
    manager->StopAllSounds();
  }
}

TEST_F(SoundManagerTest, LoopingSoundsRepeatAfterTheirPause) {
  AddSound("s");
  struct Case {
    const char* attributes;
    int pause;
  } cases[] = {
      {R"(cycledelaytime="1000")", 1000},
      {R"(cycledelaytime_min="800" cycledelaytime_max="300")", 800},
  };
  for (const Case& c : cases) {
    const AudioHandle channel = manager->PlaySound(
        MakeSound(std::string(R"(resourcename="s" loop="yes" )") + c.attributes));
    ASSERT_TRUE(Playing(channel));
    for (int round = 0; round < 2; ++round) {
      audio.EndChannel(channel);
      manager->Update(0);
      EXPECT_FALSE(Playing(channel));
      manager->Update(c.pause - 1);
      EXPECT_FALSE(Playing(channel)) << c.attributes;
      manager->Update(1);
      EXPECT_TRUE(Playing(channel)) << c.attributes;
    }
    EXPECT_EQ(audio.Count("SetLoop"), 0);
    manager->StopAllSounds();
  }
}

TEST_F(SoundManagerTest, SoundsLoopedByTheOutputEndWhenTheirChannelIsStopped) {
  AddSound("s");
  const Ref<ISound> sound = MakeSound(R"(resourcename="s" loop="yes")");
  const AudioHandle looped = manager->PlaySound(sound);
  EXPECT_TRUE(Called("SetLoop", looped));
  Run(3000);  // three times the sound's length
  EXPECT_TRUE(Playing(looped));
  audio.Stop(looped);  // from outside the manager
  manager->Update(10);
  EXPECT_FALSE(manager->IsSoundPlaying(looped));
  EXPECT_EQ(manager->Sounds()->Count(), 0);

  const AudioHandle again = manager->PlaySound(sound);
  manager->StopSound(sound);
  EXPECT_FALSE(manager->IsSoundPlaying(again));
  manager->Update(10);
  EXPECT_EQ(manager->Sounds()->Count(), 0);
}

TEST_F(SoundManagerTest, NonLoopingSoundsLeaveWhenTheyEnd) {
  AddSound("s");
  const AudioHandle channel = manager->PlaySound(MakeSound(R"(resourcename="s")"));
  Run(900);
  EXPECT_TRUE(manager->IsSoundPlaying(channel));
  Run(200);
  EXPECT_FALSE(manager->IsSoundPlaying(channel));
  EXPECT_EQ(manager->Sounds()->Count(), 0);
}

TEST_F(SoundManagerTest, StoppingASoundEndsEveryPlayOfItInEveryState) {
  Ref<FakeSoundResource> resource = AddSound("s");
  const Ref<ISound> repeating = MakeSound(R"(resourcename="s" loop="yes" cycledelaytime="500")");
  const AudioHandle inPause = manager->PlaySound(repeating);
  audio.EndChannel(inPause);
  manager->Update(0);  // now in its repeat pause
  const AudioHandle waiting =
      manager->PlaySound(MakeSound(R"(resourcename="s" startdelaytime="300")"));
  const AudioHandle playing = manager->PlaySound(MakeSound(R"(resourcename="s")"));
  ASSERT_TRUE(Playing(playing));

  manager->StopSound(MakeSound(R"(resourcename="s")"));
  EXPECT_TRUE(Called("Stop", resource->GetSampleHandle()));  // the whole sample: no fade
  manager->Update(2000);
  for (AudioHandle channel : {inPause, waiting, playing}) {
    EXPECT_FALSE(Playing(channel));
    EXPECT_FALSE(manager->IsSoundPlaying(channel));
  }
  EXPECT_EQ(manager->Sounds()->Count(), 0);
}

TEST_F(SoundManagerTest, StoppingWithAFadeSlidesEveryChannelOut) {
  AddSound("s");
  const Ref<ISound> sound = MakeSound(R"(resourcename="s" stopfadingtime="-1")");
  const AudioHandle first = manager->PlaySound(sound);
  const AudioHandle second = manager->PlaySound(sound);
  manager->StopSound(sound);
  for (AudioHandle channel : {first, second}) {
    const auto fade = std::find(audio.calls.begin(), audio.calls.end(),
                                AudioCall{"SlideVolumeAndStop", channel, 350, 0, 0});
    EXPECT_NE(fade, audio.calls.end());
  }
  Run(200);
  EXPECT_TRUE(Playing(first));
  Run(200);
  EXPECT_FALSE(Playing(first));
  EXPECT_FALSE(Playing(second));
}

TEST_F(SoundManagerTest, SoundsFadeInWhenAsked) {
  AddSound("s");
  const AudioHandle channel =
      manager->PlaySound(MakeSound(R"(resourcename="s" playfadingtime="-1")"));
  EXPECT_EQ(audio.Volume(channel), 0);
  audio.Advance(350);
  EXPECT_EQ(audio.Volume(channel), 70);
}

TEST_F(SoundManagerTest, SoundsBelongToTheTopScreensGroup) {
  Ref<TFakeGame> game = SetGame();
  AddSound("s", 8);
  game->screen = "menu";
  const AudioHandle looping = manager->PlaySound(MakeSound(R"(resourcename="s" loop="yes")"));
  const AudioHandle once = manager->PlaySound(MakeSound(R"(resourcename="s")"));
  const AudioHandle kept =
      manager->PlaySound(MakeSound(R"(resourcename="s" loop="yes" stoppable_by_group="no")"));
  const AudioHandle waiting = manager->PlaySound(
      MakeSound(R"(resourcename="s" stoppable_by_group="yes" startdelaytime="500")"));
  game->screen = "options";
  const AudioHandle other = manager->PlaySound(MakeSound(R"(resourcename="s" loop="yes")"));
  for (AudioHandle channel : {looping, once, kept, waiting, other}) ASSERT_NE(channel, kNoAudio);

  manager->Update(200);
  manager->PauseSoundGroup("menu");
  EXPECT_EQ(audio.GetState(looping), ChannelState::Paused);
  for (AudioHandle channel : {once, kept, other}) EXPECT_TRUE(Playing(channel));
  manager->Update(1000);
  EXPECT_FALSE(Playing(waiting));

  // Resumed, each goes on where it was: the waiting one waits out the rest of its delay.
  manager->ResumeSoundGroup("menu");
  EXPECT_TRUE(Playing(looping));
  manager->Update(290);
  EXPECT_FALSE(Playing(waiting));
  manager->Update(10);
  EXPECT_TRUE(Playing(waiting));

  manager->StopSoundGroup("MENU");  // names match exactly
  manager->StopSoundGroup("");
  EXPECT_TRUE(Playing(looping));
  manager->StopSoundGroup("menu");
  EXPECT_TRUE(Called("Stop", looping));  // the sound object stops its own channel
  for (AudioHandle channel : {looping, waiting}) {
    EXPECT_FALSE(Playing(channel));
    EXPECT_FALSE(manager->IsSoundPlaying(channel));
  }
  for (AudioHandle channel : {once, kept, other}) EXPECT_TRUE(manager->IsSoundPlaying(channel));
}

TEST_F(SoundManagerTest, ASoundThatEndedBeforeItsGroupPausedDoesNotPlayAgainOnResume) {
  SetGame()->screen = "menu";
  AddSound("s");
  const AudioHandle channel =
      manager->PlaySound(MakeSound(R"(resourcename="s" stoppable_by_group="yes")"));
  audio.EndChannel(channel);
  manager->PauseSoundGroup("menu");
  manager->ResumeSoundGroup("menu");
  EXPECT_FALSE(Playing(channel));
  manager->Update(10);
  EXPECT_EQ(manager->Sounds()->Count(), 0);
}

TEST_F(SoundManagerTest, WithoutAGameSoundsHaveNoGroup) {
  AddSound("s");
  const AudioHandle channel = manager->PlaySound(MakeSound(R"(resourcename="s" loop="yes")"));
  EXPECT_EQ(manager->Sounds()->GetItem(0)->GetGroupName(), "");
  manager->StopSoundGroup("");
  EXPECT_TRUE(Playing(channel));
}

TEST_F(SoundManagerTest, SoundGroupsDrawAMemberForEachPlay) {
  Ref<FakeSoundResource> s1(new FakeSoundResource(audio, "s1", Bytes{1}));
  Ref<FakeSoundResource> s2(new FakeSoundResource(audio, "s2", Bytes{2}));
  engine->resources->Add(Ref<IResource>(new FakeSoundGroupResource("group", {s1, s2})));
  const Ref<ISound> sound = MakeSound(R"(resourcename="group")");
  const AudioHandle first = manager->PlaySound(sound);
  const AudioHandle second = manager->PlaySound(sound);
  ASSERT_NE(first, kNoAudio);
  ASSERT_NE(second, kNoAudio);
  AudioHandle held[4];
  ASSERT_EQ(audio.GetSampleChannels(s1->GetSampleHandle(), held), 1);
  EXPECT_EQ(held[0], first);
  ASSERT_EQ(audio.GetSampleChannels(s2->GetSampleHandle(), held), 1);
  EXPECT_EQ(held[0], second);
}

TEST_F(SoundManagerTest, SoundVolumesAreClampedAndScaled) {
  AddSound("loud", 4, 80);
  const AudioHandle half = manager->PlaySound(MakeSound(R"(resourcename="loud" volume="50")"));
  const AudioHandle over = manager->PlaySound(MakeSound(R"(resourcename="loud" volume="300")"));
  const AudioHandle own = manager->PlaySound(MakeSound(R"(resourcename="loud")"));
  struct Case {
    Variant value;
    int manager, half, over, own;  // the stored volume and the three channels' volumes
  } cases[] = {
      {Variant(100), 100, 40, 80, 80}, {Variant(150), 100, 40, 80, 80}, {Variant(-20), 0, 0, 0, 0},
      {Variant("50"), 50, 20, 40, 40}, {Variant("x"), 50, 20, 40, 40},
  };
  for (const Case& c : cases) {
    manager->SetSoundVolume(c.value);
    EXPECT_EQ(manager->GetSoundVolume(), c.manager) << c.value.ToString();
    EXPECT_EQ(audio.Volume(half), c.half) << c.value.ToString();
    EXPECT_EQ(audio.Volume(over), c.over) << c.value.ToString();
    EXPECT_EQ(audio.Volume(own), c.own) << c.value.ToString();
  }
}

TEST_F(SoundManagerTest, PanIsSetUnlessLeftAlone) {
  AddSound("s");
  const AudioHandle left = manager->PlaySound(MakeSound(R"(resourcename="s" pan="-150")"));
  const AudioHandle unchanged = manager->PlaySound(MakeSound(R"(resourcename="s")"));
  EXPECT_NE(std::find(audio.calls.begin(), audio.calls.end(), AudioCall{"SetPan", left, -100}),
            audio.calls.end());
  EXPECT_FALSE(Called("SetPan", unchanged));
}

TEST_F(SoundManagerTest, ASampleWithEveryChannelBusyPlaysNothing) {
  AddSound("single", 1);
  const Ref<ISound> sound = MakeSound(R"(resourcename="single")");
  EXPECT_NE(manager->PlaySound(sound), kNoAudio);
  EXPECT_EQ(manager->PlaySound(sound), kNoAudio);
  EXPECT_EQ(manager->PlaySound(MakeSound(R"(resourcename="missing")")), kNoAudio);
  EXPECT_EQ(manager->PlaySound(nullptr), kNoAudio);
  EXPECT_EQ(manager->Sounds()->Count(), 1);
}

TEST_F(SoundManagerTest, StopAllSoundsLeavesUnloadedResourcesUnloaded) {
  Ref<FakeSoundResource> used = AddSound("used");
  Ref<FakeSoundResource> unused = AddSound("unused");
  const AudioHandle channel =
      manager->PlaySound(MakeSound(R"(resourcename="used" loop="yes" cycledelaytime="100")"));
  manager->StopAllSounds();
  EXPECT_FALSE(Playing(channel));
  EXPECT_EQ(manager->Sounds()->Count(), 0);
  EXPECT_EQ(unused->loads, 0);
  EXPECT_TRUE(Called("Stop", used->GetSampleHandle()));
}

TEST_F(SoundManagerTest, LosingTheFocusPausesAllOutput) {
  EXPECT_TRUE(manager->IsPaused());  // output runs
  manager->SetPaused(false);
  EXPECT_FALSE(manager->IsPaused());
  EXPECT_TRUE(audio.OutputPaused());
  manager->SetPaused(true);
  EXPECT_TRUE(manager->IsPaused());
  EXPECT_FALSE(audio.OutputPaused());

  // Focus lost before the output started: it starts paused.
  FakeAudio late;
  Ref<TSoundManager> other(new TSoundManager());
  other->SetAudio(&late);
  other->SetPaused(false);
  ASSERT_TRUE(other->Init());
  EXPECT_TRUE(late.OutputPaused());
}

TEST_F(SoundManagerTest, DoneShutsTheOutputDown) {
  AddSound("s");
  manager->PlaySound(MakeSound(R"(resourcename="s" loop="yes")"));
  manager->Done();
  EXPECT_FALSE(manager->IsInitialised());
  EXPECT_EQ(manager->GetAudio(), nullptr);
  EXPECT_EQ(audio.Count("Shutdown"), 1);
  EXPECT_EQ(manager->Sounds()->Count(), 0);
  manager->Clear();
  EXPECT_EQ(manager->GetResources(), nullptr);
}

TEST(SoundManagerUninitialised, EveryOperationDoesNothing) {
  FakeAudio audio;
  audio.failInit = true;
  Ref<FakeEngine> engine(new FakeEngine());
  Ref<FakeSoundResource> sound(new FakeSoundResource(audio, "s", Bytes{1}));
  Ref<FakeMusicResource> music(new FakeMusicResource(audio, "m", Bytes{1}));
  engine->resources->Add(Ref<IResource>(sound.get()));
  engine->resources->Add(Ref<IResource>(music.get()));

  Ref<TSoundManager> unset(new TSoundManager());
  EXPECT_FALSE(unset->Init());  // no output given

  Ref<TSoundManager> manager(new TSoundManager());
  manager->SetEngine(engine.get());
  manager->SetAudio(&audio);
  EXPECT_FALSE(manager->Init());
  EXPECT_EQ(manager->GetAudio(), nullptr);
  const Ref<ISound> description = MakeSound(R"(resourcename="s" loop="yes")");
  EXPECT_EQ(manager->PlaySound(description), kNoAudio);
  EXPECT_EQ(manager->PlayMusic(MakeMusic("m")), kNoAudio);
  manager->StopSound(description);
  manager->StopMusic(MakeMusic("m"));
  manager->PauseMusic(-1);
  manager->ResumeMusic(-1);
  manager->StopAllSounds();
  manager->StopSoundGroup("g");
  manager->PauseSoundGroup("g");
  manager->ResumeSoundGroup("g");
  manager->SetMusicVolume(Variant(10));
  manager->SetSoundVolume(Variant(10));
  manager->SetPaused(false);
  manager->Update(100);
  EXPECT_FALSE(manager->IsSoundPlaying(1));
  EXPECT_FALSE(manager->IsPaused());  // the flag is kept
  EXPECT_EQ(audio.calls.size(), 1u);  // Init only
  EXPECT_EQ(sound->loads + music->loads, 0);
}

}  // namespace
