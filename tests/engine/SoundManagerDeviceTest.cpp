// A sound played through the manager on a real SDL device: SDL's disk driver writes what the
// device would play to a file, where the tone is measured.

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

#include "engine/EngineSoundManager.h"
#include "engine/EngineSounds.h"
#include "foundation/XMLStorage.h"
#include "tests/support/FakeEngine.h"
#include "tests/support/FakeGame.h"
#include "tests/support/FakeSoundResources.h"
#include "tests/support/SineWav.h"

namespace {

// Plays 250 ms of 440 Hz (a 22050 Hz file, converted on loading) with the manager's frame
// steps until it reports the sound over; returns the stereo float frames the device wrote.
std::vector<float> PlayThroughManager() {
  const std::string path =
      testing::TempDir() + "sound_manager_device_test_" + std::to_string(getpid()) + ".raw";
  std::filesystem::remove(path);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  {
    std::unique_ptr<IAudio> audio = CreateAudio("sdl");
    Ref<FakeEngine> engine(new FakeEngine());
    engine->resources->Add(
        Ref<IResource>(new FakeSoundResource(*audio, "tone", MakeSineWav(22050, 1, 16, 440, 250))));
    Ref<TSoundManager> manager(new TSoundManager());
    manager->SetEngine(engine.get());
    manager->SetAudio(audio.get());
    EXPECT_TRUE(manager->Init());
    manager->SetSoundVolume(Variant(100));

    Ref<TSound> sound = TAbstractObject::Create<TSound>();
    sound->SetResourceName("tone");
    const AudioHandle channel = manager->PlaySound(Ref<ISound>(sound.get()));
    EXPECT_NE(channel, kNoAudio);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (manager->IsSoundPlaying(channel) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      manager->Update(10);
    }
    EXPECT_FALSE(manager->IsSoundPlaying(channel));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // trailing silence
    manager->Done();
    manager->Clear();
  }
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  std::vector<float> out = ReadFloats(path);
  std::filesystem::remove(path);
  return out;
}

TEST(SoundManagerDevice, ASoundComesOutWithItsLength) {
  const std::vector<float> out = PlayThroughManager();
  const size_t frames = out.size() / 2;
  size_t first = frames, last = 0;
  float peak = 0;
  for (size_t i = 0; i < frames; ++i) {
    const float level = std::max(std::fabs(out[2 * i]), std::fabs(out[2 * i + 1]));
    if (level == 0.0f) continue;
    first = std::min(first, i);
    last = i;
    peak = std::max(peak, level);
  }
  ASSERT_LT(first, frames) << "the device wrote only silence";
  EXPECT_NEAR(static_cast<double>(last - first + 1), kAudioRate / 4.0, 4.0);
  EXPECT_NEAR(peak, 0.5f, 0.01f);  // full sound volume, the resource's own volume
}

}  // namespace
