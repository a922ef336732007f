#include "platform/Audio.h"

#include "platform/sdl/SdlAudio.h"

namespace {

// No device: Init fails, so the game knows to run silent, and every call does nothing.
class NullAudio final : public IAudio {
 public:
  bool Init() override { return false; }
  void Shutdown() override {}
  void Start() override {}
  void Pause() override {}
  AudioHandle LoadSample(const void*, size_t, int, bool) override { return kNoAudio; }
  void FreeSample(AudioHandle) override {}
  AudioHandle GetSampleChannel(AudioHandle) override { return kNoAudio; }
  bool GetSampleInfo(AudioHandle, SampleInfo&) override { return false; }
  int GetSampleChannels(AudioHandle, std::span<AudioHandle>) override { return 0; }
  AudioHandle LoadMusic(const void*, size_t) override { return kNoAudio; }
  void FreeMusic(AudioHandle) override {}
  bool Play(AudioHandle, bool) override { return false; }
  void PauseChannel(AudioHandle) override {}
  void Stop(AudioHandle) override {}
  ChannelState GetState(AudioHandle) override { return ChannelState::Stopped; }
  void SetLoop(AudioHandle, bool) override {}
  void SetVolume(AudioHandle, int) override {}
  void SetPan(AudioHandle, int) override {}
  void SlideVolume(AudioHandle, int, int) override {}
  void SlideVolumeAndStop(AudioHandle, int) override {}
};

}  // namespace

std::unique_ptr<IAudio> CreateAudio(std::string_view kind) {
  if (kind == "sdl") return std::make_unique<SdlAudio>();
  if (kind == "null") return std::make_unique<NullAudio>();
  return nullptr;
}
