#pragma once
// The sound manager over the recording audio fake, with a fake engine holding its resources.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "engine/EngineSoundManager.h"
#include "engine/EngineSounds.h"
#include "foundation/Random.h"
#include "foundation/XMLStorage.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/FakeEngine.h"
#include "tests/support/FakeGame.h"
#include "tests/support/FakeSoundResources.h"

// A sound description from the attributes of a "sound" element.
inline Ref<ISound> MakeSound(std::string_view attributes) {
  Ref<TSound> sound = TAbstractObject::Create<TSound>();
  sound->LoadFromStorage(LoadXmlStorageFromText("<sound " + std::string(attributes) + "/>"));
  return Ref<ISound>(sound.get());
}

inline Ref<IMusic> MakeMusic(const std::string& resourceName) {
  Ref<TMusic> music = TAbstractObject::Create<TMusic>();
  music->SetResourceName(resourceName);
  return Ref<IMusic>(music.get());
}

class SoundManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    SetRandomSeed(7);
    manager->SetEngine(engine.get());
    manager->SetAudio(&audio);
    ASSERT_TRUE(manager->Init());
    manager->SetMusicVolume(Variant(30));
    manager->SetSoundVolume(Variant(70));
  }

  // Sounds are 1000 ms of silence unless given data.
  Ref<FakeSoundResource> AddSound(const std::string& name, int maxPlaybacks = 4,
                                  int masterVolume = 100) {
    Ref<FakeSoundResource> resource(
        new FakeSoundResource(audio, name, Bytes{1, 2, 3}, maxPlaybacks, masterVolume));
    engine->resources->Add(Ref<IResource>(resource.get()));
    return resource;
  }
  Ref<FakeMusicResource> AddMusic(const std::string& name, Bytes data = Bytes{1, 2, 3},
                                  uint8_t format = 0) {
    Ref<FakeMusicResource> resource(new FakeMusicResource(audio, name, std::move(data), format));
    engine->resources->Add(Ref<IResource>(resource.get()));
    return resource;
  }
  Ref<TFakeGame> SetGame() {
    Ref<TFakeGame> game = TAbstractObject::Create<TFakeGame>();
    engine->game = Ref<IGame>(game.get());
    return game;
  }

  // The output and the manager run for ms, a 10 ms frame at a time.
  void Run(int ms) {
    for (int t = 0; t < ms; t += 10) {
      audio.Advance(10);
      manager->Update(10);
    }
  }
  bool Playing(AudioHandle channel) { return audio.GetState(channel) == ChannelState::Playing; }
  bool Called(const std::string& op, AudioHandle handle) {
    for (const AudioCall& call : audio.calls)
      if (call.op == op && call.handle == handle) return true;
    return false;
  }

  FakeAudio audio;  // outlives the manager and the resources
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<TSoundManager> manager{new TSoundManager()};
};
