// The whole stack on a real SDL device: SDL's disk driver writes what the device would play
// to a file, so a generated tone can be measured where it comes out.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/Audio.h"
#include "tests/platform/AudioTestData.h"

namespace {

std::vector<float> ReadFloats(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  std::vector<float> floats(bytes.size() / sizeof(float));
  std::memcpy(floats.data(), bytes.data(), floats.size() * sizeof(float));
  return floats;
}

TEST(AudioDevice, ToneComesOutWithItsLengthAndPitch) {
  const std::string path = testing::TempDir() + "audio_device_test.raw";
  std::filesystem::remove(path);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  std::unique_ptr<IAudio> audio = CreateAudio("sdl");
  ASSERT_TRUE(audio->Init());
  // 250 ms of 440 Hz at 22050 Hz: converted to the device rate on loading.
  const Bytes wav = MakeSineWav(22050, 1, 16, 440, 250);
  const AudioHandle sample = audio->LoadSample(wav.data(), wav.size(), 1, false);
  const AudioHandle channel = audio->GetSampleChannel(sample);
  ASSERT_TRUE(audio->Play(channel, true));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (audio->GetState(channel) == ChannelState::Playing &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(audio->GetState(channel), ChannelState::Stopped);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // trailing silence
  audio->Shutdown();
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");

  const std::vector<float> out = ReadFloats(path);
  std::filesystem::remove(path);
  const size_t frames = out.size() / 2;
  size_t first = frames, last = 0;
  for (size_t i = 0; i < frames; ++i) {
    if (out[2 * i] == 0.0f && out[2 * i + 1] == 0.0f) continue;
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

}  // namespace
