// The whole stack on a real SDL device: SDL's disk driver writes what the device would play
// to a file, so a generated tone can be measured where it comes out.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/Audio.h"
#include "tests/platform/AudioTestData.h"

namespace {

// Plays 250 ms of 440 Hz (a 22050 Hz file, converted on loading) through the SDL backend and
// returns what the device wrote: stereo float frames. With pauseMidway, the whole output is
// paused for a while after 100 ms.
std::vector<float> PlayTone(bool pauseMidway) {
  // One file per process: tests run in parallel.
  const std::string path =
      testing::TempDir() + "audio_device_test_" + std::to_string(getpid()) + ".raw";
  std::filesystem::remove(path);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  std::unique_ptr<IAudio> audio = CreateAudio("sdl");
  EXPECT_TRUE(audio->Init());
  const Bytes wav = MakeSineWav(22050, 1, 16, 440, 250);
  const AudioHandle sample = audio->LoadSample(wav.data(), wav.size(), 1, false);
  const AudioHandle channel = audio->GetSampleChannel(sample);
  EXPECT_TRUE(audio->Play(channel, true));
  if (pauseMidway) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    audio->Pause();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(audio->GetState(channel), ChannelState::Playing);
    audio->Start();
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (audio->GetState(channel) == ChannelState::Playing &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(audio->GetState(channel), ChannelState::Stopped);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // trailing silence
  audio->Shutdown();
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  std::vector<float> out = ReadFloats(path);
  std::filesystem::remove(path);
  return out;
}

bool Silent(const std::vector<float>& out, size_t frame) {
  return out[2 * frame] == 0.0f && out[2 * frame + 1] == 0.0f;
}

TEST(AudioDevice, ToneComesOutWithItsLengthAndPitch) {
  const std::vector<float> out = PlayTone(false);
  const size_t frames = out.size() / 2;
  size_t first = frames, last = 0;
  for (size_t i = 0; i < frames; ++i) {
    if (Silent(out, i)) continue;
    first = std::min(first, i);
    last = i;
  }
  ASSERT_LT(first, frames) << "the device wrote only silence";
  const size_t length = last - first + 1;
  EXPECT_NEAR(static_cast<double>(length), kAudioRate / 4.0, 4.0);
  // Both sides carry the tone at equal level (mono, centred).
  EXPECT_NEAR(ZeroCrossings(out.data() + 2 * first, length, 2, 0), 220, 3);
  EXPECT_NEAR(ZeroCrossings(out.data() + 2 * first, length, 2, 1), 220, 3);
  float peak = 0;
  for (size_t i = 2 * first; i < 2 * (last + 1); ++i) peak = std::max(peak, std::fabs(out[i]));
  EXPECT_NEAR(peak, 0.5f, 0.01f);
}

TEST(AudioDevice, PausedOutputResumesWhereItStopped) {
  const std::vector<float> out = PlayTone(true);
  const size_t frames = out.size() / 2;
  size_t first = frames, last = 0, sounding = 0;
  for (size_t i = 0; i < frames; ++i) {
    if (Silent(out, i)) continue;
    first = std::min(first, i);
    last = i;
    ++sounding;
  }
  ASSERT_GT(sounding, 0u);
  // The whole tone, no more and no less, around a gap of silence of the pause.
  EXPECT_NEAR(static_cast<double>(sounding), kAudioRate / 4.0, 8.0);
  EXPECT_GT(last - first + 1, sounding + kAudioRate / 5);
}

}  // namespace
