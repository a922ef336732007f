// The mixer behind every audio backend: channels, playback limits, loops, volumes, pans and
// slides, measured on the mixed output.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "platform/audio/Mixer.h"
#include "tests/platform/AudioTestData.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/FakeAudio.h"

using allocation_count::allocations;
using allocation_count::counting;

namespace {

constexpr size_t FramesOf(int ms) {
  return static_cast<size_t>(ms) * kAudioRate / 1000;
}

// A mono sample holding half of full scale for ms: mixed at volume v it gives 0.5 v.
Pcm Level(int ms, int channels = 1) {
  Pcm pcm;
  pcm.channels = channels;
  pcm.samples.assign(FramesOf(ms) * channels, 16384);
  return pcm;
}

struct Output {
  std::vector<float> frames;
  float Left(size_t i) const { return frames[2 * i]; }
  float Right(size_t i) const { return frames[2 * i + 1]; }
  size_t Count() const { return frames.size() / 2; }
  float Peak(size_t from, size_t to) const {
    float peak = 0;
    for (size_t i = 2 * from; i < 2 * std::min(to, Count()); ++i)
      peak = std::max(peak, std::fabs(frames[i]));
    return peak;
  }
};

Output MixFor(Mixer& mixer, int ms) {
  Output out;
  out.frames.resize(2 * FramesOf(ms));
  mixer.Mix(out.frames.data(), FramesOf(ms));
  return out;
}

AudioHandle PlayingChannel(Mixer& mixer, AudioHandle sample) {
  const AudioHandle channel = mixer.GetSampleChannel(sample);
  EXPECT_NE(channel, kNoAudio);
  EXPECT_TRUE(mixer.Play(channel, true));
  return channel;
}

TEST(AudioMixer, SlideReachesItsVolumeInItsTime) {
  struct Case {
    int from, to, ms;
  };
  const Case cases[] = {{100, 20, 200}, {0, 100, 100}, {30, 30, 50}, {80, 0, 1000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from * 10000 + c.to * 10 + c.ms);
    Mixer mixer;
    const AudioHandle sample = mixer.AddSample(Level(5000), 1, false);
    const AudioHandle channel = PlayingChannel(mixer, sample);
    mixer.SetVolume(channel, c.from);
    mixer.SlideVolume(channel, c.to, c.ms);
    MixFor(mixer, c.ms / 2);
    EXPECT_NEAR(mixer.GetVolume(channel), (c.from + c.to) / 2.0, 1.0);
    const Output end = MixFor(mixer, c.ms / 2 + 5);
    EXPECT_EQ(mixer.GetVolume(channel), c.to);
    EXPECT_NEAR(end.Left(end.Count() - 1), 0.5f * c.to / 100.0f, 1e-3);
    EXPECT_EQ(mixer.GetState(channel), ChannelState::Playing);
  }
}

TEST(AudioMixer, SlideDownAndStopEndsTheChannelAtItsEnd) {
  Mixer mixer;
  const AudioHandle sample = mixer.AddSample(Level(5000), 1, true);
  const AudioHandle channel = PlayingChannel(mixer, sample);
  mixer.SlideVolumeAndStop(channel, 300);
  const Output first = MixFor(mixer, 290);
  EXPECT_EQ(mixer.GetState(channel), ChannelState::Playing);
  EXPECT_LT(first.Peak(first.Count() - 128, first.Count()), 0.5f * 0.05f);  // nearly faded
  const Output rest = MixFor(mixer, 20);
  EXPECT_EQ(mixer.GetState(channel), ChannelState::Stopped);
  EXPECT_EQ(rest.Peak(FramesOf(10) + 1, rest.Count()), 0.0f);
  // A stopped channel may play again from the start at its volume of 0.
  EXPECT_TRUE(mixer.Play(channel, true));
  EXPECT_EQ(mixer.GetVolume(channel), 0);
}

TEST(AudioMixer, NewSlideReplacesTheRunningOne) {
  Mixer mixer;
  const AudioHandle sample = mixer.AddSample(Level(5000), 1, false);
  const AudioHandle channel = PlayingChannel(mixer, sample);
  mixer.SlideVolumeAndStop(channel, 1000);
  MixFor(mixer, 500);
  EXPECT_NEAR(mixer.GetVolume(channel), 50, 1);
  mixer.SlideVolume(channel, 100, 100);  // from where the first one got to, and no stop
  MixFor(mixer, 50);
  EXPECT_NEAR(mixer.GetVolume(channel), 75, 1);
  MixFor(mixer, 2000);
  EXPECT_EQ(mixer.GetVolume(channel), 100);
  EXPECT_EQ(mixer.GetState(channel), ChannelState::Playing);
  // Setting the volume ends a slide too.
  mixer.SlideVolumeAndStop(channel, 100);
  mixer.SetVolume(channel, 40);
  MixFor(mixer, 200);
  EXPECT_EQ(mixer.GetVolume(channel), 40);
  EXPECT_EQ(mixer.GetState(channel), ChannelState::Playing);
}

TEST(AudioMixer, SlidesWithoutTimeActAtOnce) {
  Mixer mixer;
  const AudioHandle sample = mixer.AddSample(Level(100), 1, false);
  const AudioHandle channel = PlayingChannel(mixer, sample);
  mixer.SlideVolume(channel, 25, 0);
  EXPECT_EQ(mixer.GetVolume(channel), 25);
  mixer.SlideVolumeAndStop(channel, -1);
  EXPECT_EQ(mixer.GetState(channel), ChannelState::Stopped);
}

TEST(AudioMixer, MaximumPlaybacksAreRespected) {
  Mixer mixer;
  const AudioHandle sample = mixer.AddSample(Level(50), 2, false);
  const AudioHandle a = mixer.GetSampleChannel(sample);
  const AudioHandle b = mixer.GetSampleChannel(sample);
  ASSERT_NE(a, kNoAudio);
  ASSERT_NE(b, kNoAudio);
  EXPECT_NE(a, b);
  // Obtained but not yet played still counts: a sound waiting for its start delay keeps it.
  EXPECT_EQ(mixer.GetSampleChannel(sample), kNoAudio);
  mixer.Play(a, true);
  mixer.Play(b, true);
  EXPECT_EQ(mixer.GetSampleChannel(sample), kNoAudio);
  AudioHandle held[4] = {};
  EXPECT_EQ(mixer.GetSampleChannels(sample, held), 2);
  const Output both = MixFor(mixer, 20);
  EXPECT_NEAR(both.Left(10), 1.0f, 1e-3);  // two at half scale

  // Once one has ended, its slot plays the next sound and its old handle goes stale.
  mixer.Stop(a);
  const AudioHandle c = mixer.GetSampleChannel(sample);
  ASSERT_NE(c, kNoAudio);
  EXPECT_NE(c, a);
  EXPECT_FALSE(mixer.Play(a, true));
  EXPECT_EQ(mixer.GetState(b), ChannelState::Playing);
}

TEST(AudioMixer, EndedChannelPlaysAgainUntilItsSlotIsReused) {
  Mixer mixer;
  const AudioHandle sample = mixer.AddSample(Level(10), 2, false);
  const AudioHandle first = PlayingChannel(mixer, sample);
  MixFor(mixer, 20);
  EXPECT_EQ(mixer.GetState(first), ChannelState::Stopped);
  // A fresh channel is preferred while there is room, so the ended one stays valid...
  const AudioHandle second = PlayingChannel(mixer, sample);
  EXPECT_TRUE(mixer.Play(first, true));
  const Output out = MixFor(mixer, 5);
  EXPECT_NEAR(out.Left(10), 1.0f, 1e-3);
  EXPECT_NE(first, second);
}

TEST(AudioMixer, LoopingChannelsPlayOnAndOthersEnd) {
  struct Case {
    bool sampleLoop;
    int setLoop;  // -1 leaves the sample's flag
    bool playsOn;
  };
  const Case cases[] = {{true, -1, true}, {false, -1, false}, {false, 1, true}, {true, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setLoop);
    Mixer mixer;
    const AudioHandle sample = mixer.AddSample(Level(10), 1, c.sampleLoop);
    const AudioHandle channel = mixer.GetSampleChannel(sample);
    if (c.setLoop >= 0) mixer.SetLoop(channel, c.setLoop == 1);
    mixer.Play(channel, true);
    const Output out = MixFor(mixer, 100);
    EXPECT_EQ(mixer.GetState(channel) == ChannelState::Playing, c.playsOn);
    // Looping leaves no gap at the seams; an ended sound leaves silence after its 10 ms.
    const float tail = out.Peak(FramesOf(50), out.Count());
    EXPECT_EQ(tail > 0.49f, c.playsOn);
    if (c.playsOn) {
      const auto quiet = std::count(out.frames.begin(), out.frames.end(), 0.0f);
      EXPECT_EQ(quiet, 0);
    } else {
      EXPECT_EQ(out.Peak(FramesOf(10) + 1, out.Count()), 0.0f);
    }
  }
}

TEST(AudioMixer, VolumeAndPanScaleTheSides) {
  struct Case {
    int volume, pan;
    float left, right;
  };
  const Case cases[] = {{100, 0, 0.5f, 0.5f},   {50, 0, 0.25f, 0.25f},  {100, -100, 0.5f, 0.0f},
                        {100, 100, 0.0f, 0.5f}, {100, 50, 0.25f, 0.5f}, {150, 0, 0.5f, 0.5f},
                        {-5, 0, 0.0f, 0.0f},    {100, 300, 0.0f, 0.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.volume * 1000 + c.pan);
    Mixer mixer;
    const AudioHandle sample = mixer.AddSample(Level(100, 2), 1, false);
    const AudioHandle channel = PlayingChannel(mixer, sample);
    mixer.SetVolume(channel, c.volume);
    mixer.SetPan(channel, c.pan);
    const Output out = MixFor(mixer, 20);
    EXPECT_NEAR(out.Left(500), c.left, 1e-3);
    EXPECT_NEAR(out.Right(500), c.right, 1e-3);
  }
}

TEST(AudioMixer, PauseAndResumeKeepThePosition) {
  Mixer mixer;
  const AudioHandle sample = mixer.AddSample(Level(100), 1, false);
  const AudioHandle channel = PlayingChannel(mixer, sample);
  MixFor(mixer, 60);
  mixer.PauseChannel(channel);
  EXPECT_EQ(mixer.GetState(channel), ChannelState::Paused);
  EXPECT_EQ(MixFor(mixer, 50).Peak(0, FramesOf(50)), 0.0f);
  mixer.Play(channel, false);
  const Output out = MixFor(mixer, 100);
  EXPECT_GT(out.Peak(0, FramesOf(39)), 0.49f);  // the last 40 ms of the sound
  EXPECT_EQ(out.Peak(FramesOf(41), out.Count()), 0.0f);
  EXPECT_EQ(mixer.GetState(channel), ChannelState::Stopped);
}

TEST(AudioMixer, StaleAndForeignHandlesDoNothing) {
  Mixer mixer;
  const AudioHandle sample = mixer.AddSample(Level(100), 4, false);
  const AudioHandle channel = mixer.GetSampleChannel(sample);
  const AudioHandle music = mixer.AddMusic(Level(100));
  mixer.FreeSample(sample);
  for (AudioHandle stale : {sample, channel, kNoAudio, 0xFFFFFFFFu, channel ^ 0x3FFF0000u}) {
    SCOPED_TRACE(stale);
    EXPECT_EQ(mixer.GetSampleChannel(stale), kNoAudio);
    EXPECT_FALSE(mixer.Play(stale, true));
    mixer.SetVolume(stale, 10);
    mixer.SlideVolumeAndStop(stale, 10);
    mixer.Stop(stale);
    mixer.FreeMusic(stale);
    EXPECT_EQ(mixer.GetState(stale), ChannelState::Stopped);
    EXPECT_EQ(mixer.GetVolume(stale), -1);
    SampleInfo info;
    EXPECT_FALSE(mixer.GetSampleInfo(stale, info));
  }
  // A music handle is no sample, and a freed sample's slot gives a new handle.
  EXPECT_EQ(mixer.GetSampleChannel(music), kNoAudio);
  EXPECT_TRUE(mixer.Play(music, true));
  const AudioHandle again = mixer.AddSample(Level(100), 1, false);
  EXPECT_NE(again, sample);
  EXPECT_EQ(mixer.GetSampleChannel(sample), kNoAudio);
  mixer.Clear();
  EXPECT_FALSE(mixer.Play(music, false));
  EXPECT_EQ(mixer.GetSampleChannel(again), kNoAudio);
}

TEST(AudioMixer, StopOfASampleStopsAllItsChannels) {
  Mixer mixer;
  const AudioHandle sample = mixer.AddSample(Level(1000), 3, false);
  const AudioHandle a = PlayingChannel(mixer, sample);
  const AudioHandle b = PlayingChannel(mixer, sample);
  mixer.Stop(sample);
  EXPECT_EQ(mixer.GetState(a), ChannelState::Stopped);
  EXPECT_EQ(mixer.GetState(b), ChannelState::Stopped);
  AudioHandle held[3];
  EXPECT_EQ(mixer.GetSampleChannels(sample, held), 0);
}

TEST(AudioMixer, FreeingWhileFadingOutFinishesTheFade) {
  Mixer mixer;
  const AudioHandle sample = mixer.AddSample(Level(5000), 2, false);
  const AudioHandle fading = PlayingChannel(mixer, sample);
  const AudioHandle cut = PlayingChannel(mixer, sample);
  const AudioHandle music = mixer.AddMusic(Level(5000));
  mixer.Play(music, true);
  mixer.SlideVolumeAndStop(fading, 100);
  mixer.SlideVolumeAndStop(music, 100);
  mixer.FreeSample(sample);
  mixer.FreeMusic(music);
  // Handles are stale at once; the fading sounds go on until their fade has ended.
  EXPECT_EQ(mixer.GetState(fading), ChannelState::Stopped);
  EXPECT_EQ(mixer.GetState(cut), ChannelState::Stopped);
  EXPECT_EQ(mixer.GetState(music), ChannelState::Stopped);
  const Output out = MixFor(mixer, 200);
  EXPECT_NEAR(out.Left(0), 1.0f, 0.01f);  // two fading voices, the cut one silent
  EXPECT_EQ(out.Peak(FramesOf(101), out.Count()), 0.0f);
}

TEST(AudioMixer, ModuleMusicPlaysLoopsAndEnds) {
  const Bytes module = MakeTinyModule();
  ASSERT_EQ(DetectAudioFormat(module.data(), module.size()), AudioFormat::Module);
  Mixer mixer;
  const AudioHandle music = mixer.AddMusic(ModuleStream::Open(module.data(), module.size()));
  ASSERT_NE(music, kNoAudio);
  mixer.Play(music, true);
  // The song lasts two rows (0.24 s) and loops.
  const Output looping = MixFor(mixer, 1000);
  EXPECT_GT(looping.Peak(FramesOf(900), looping.Count()), 0.05f);
  EXPECT_EQ(mixer.GetState(music), ChannelState::Playing);
  mixer.SetLoop(music, false);
  mixer.Play(music, true);
  const Output once = MixFor(mixer, 1000);
  EXPECT_GT(once.Peak(0, FramesOf(100)), 0.05f);
  EXPECT_EQ(once.Peak(FramesOf(500), once.Count()), 0.0f);
  EXPECT_EQ(mixer.GetState(music), ChannelState::Stopped);
  // An ended module plays again from its start.
  mixer.Play(music, false);
  EXPECT_GT(MixFor(mixer, 100).Peak(0, FramesOf(100)), 0.05f);
}

TEST(AudioMixer, MixingAllocatesNothing) {
  // Sample channels and decoded music, looping, ending and sliding. (libopenmpt itself takes a
  // few bytes each time a module wraps to its start, which is not ours to change.)
  Mixer mixer;
  const AudioHandle music = mixer.AddMusic(Level(50, 2));
  mixer.Play(music, true);
  mixer.SlideVolume(music, 10, 500);
  for (int i = 0; i < 8; ++i) {
    const AudioHandle sample = mixer.AddSample(Level(30, 1 + i % 2), 1, i % 2 == 0);
    const AudioHandle channel = PlayingChannel(mixer, sample);
    if (i % 3 == 0) mixer.SlideVolumeAndStop(channel, 20);
  }
  std::vector<float> out(2 * 1024);
  allocations = 0;
  counting = true;
  for (int i = 0; i < 100; ++i) mixer.Mix(out.data(), 1024);
  counting = false;
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(mixer.GetState(music), ChannelState::Playing);
}

// --- Through the recording backend, as the sound manager will see it.

TEST(AudioFake, PausedOutputKeepsChannelsPlaying) {
  FakeAudio audio;
  ASSERT_TRUE(audio.Init());
  const Bytes wav = MakeSineWav(44100, 1, 16, 440, 100);
  const AudioHandle sample = audio.LoadSample(wav.data(), wav.size(), 1, false);
  const AudioHandle channel = audio.GetSampleChannel(sample);
  audio.SlideVolumeAndStop(channel, 50);
  audio.Play(channel, true);
  audio.Pause();
  EXPECT_EQ(audio.Advance(1000), 0.0f);
  EXPECT_EQ(audio.GetState(channel), ChannelState::Playing);  // frozen, slide included
  audio.Start();
  EXPECT_GT(audio.Advance(10), 0.2f);
  audio.Advance(60);
  EXPECT_EQ(audio.GetState(channel), ChannelState::Stopped);
  const AudioCall expected[] = {{"Pause"}, {"GetState", channel, 0, 0, 1}, {"Start"}};
  EXPECT_TRUE(std::search(audio.calls.begin(), audio.calls.end(), std::begin(expected),
                          std::end(expected)) != audio.calls.end());
}

TEST(AudioFake, LoopingSampleWithAStartDelayPlaysWhenAsked) {
  // A looping sound first waits for its start delay on a channel already obtained, then plays
  // and repeats; the channel must not be handed to anyone else meanwhile.
  FakeAudio audio;
  ASSERT_TRUE(audio.Init());
  const Bytes wav = MakeSineWav(22050, 1, 16, 440, 20);
  const AudioHandle sample = audio.LoadSample(wav.data(), wav.size(), 1, false);
  const AudioHandle channel = audio.GetSampleChannel(sample);
  audio.SetLoop(channel, true);
  audio.SetVolume(channel, 80);
  audio.Advance(500);
  EXPECT_EQ(audio.GetSampleChannel(sample), kNoAudio);
  EXPECT_EQ(audio.GetState(channel), ChannelState::Stopped);
  EXPECT_TRUE(audio.Play(channel, true));
  EXPECT_GT(audio.Advance(200), 0.3f);
  EXPECT_EQ(audio.GetState(channel), ChannelState::Playing);
  EXPECT_EQ(audio.Volume(channel), 80);
}

TEST(AudioFake, RecordsEndsOnDemandAndFailsWhenAsked) {
  FakeAudio audio;
  EXPECT_EQ(audio.LoadSample("x", 1, 1, false), kNoAudio);  // not initialised
  ASSERT_TRUE(audio.Init());
  const AudioHandle sample = audio.LoadSample("any bytes", 9, 1, false);
  ASSERT_NE(sample, kNoAudio);
  const AudioHandle channel = audio.GetSampleChannel(sample);
  audio.Play(channel, true);
  audio.EndChannel(channel);
  EXPECT_EQ(audio.GetState(channel), ChannelState::Stopped);
  EXPECT_EQ(audio.Count("Play"), 1);
  EXPECT_EQ(audio.calls[2], (AudioCall{"LoadSample", 0, 1, 0, sample}));
  audio.acceptAnyData = false;
  EXPECT_EQ(audio.LoadMusic("any bytes", 9), kNoAudio);
  audio.Shutdown();
  EXPECT_EQ(audio.GetState(channel), ChannelState::Stopped);
  FakeAudio silent;
  silent.failInit = true;
  EXPECT_FALSE(silent.Init());
  EXPECT_EQ(silent.LoadSample("any bytes", 9, 1, false), kNoAudio);
}

TEST(AudioFactory, KindsAndTheSilentBackend) {
  EXPECT_EQ(CreateAudio("speaker"), nullptr);
  ASSERT_NE(CreateAudio("sdl"), nullptr);
  std::unique_ptr<IAudio> null = CreateAudio("null");
  ASSERT_NE(null, nullptr);
  EXPECT_FALSE(null->Init());
  const Bytes wav = MakeSineWav(44100, 1, 16, 440, 10);
  EXPECT_EQ(null->LoadSample(wav.data(), wav.size(), 1, false), kNoAudio);
  EXPECT_EQ(null->GetState(1), ChannelState::Stopped);
}

}  // namespace
