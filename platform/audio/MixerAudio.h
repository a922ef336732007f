#pragma once
// IAudio over our mixer: decoding happens outside the lock, every table change and query
// inside it. A backend that mixes on another thread supplies the lock and the device.

#include "platform/Audio.h"
#include "platform/audio/Mixer.h"

class MixerAudio : public IAudio {
 public:
  AudioHandle LoadSample(const void* data, size_t size, int maxPlaybacks, bool loop) override;
  void FreeSample(AudioHandle sample) override;
  AudioHandle GetSampleChannel(AudioHandle sample) override;
  bool GetSampleInfo(AudioHandle sample, SampleInfo& info) override;
  int GetSampleChannels(AudioHandle sample, std::span<AudioHandle> out) override;
  AudioHandle LoadMusic(const void* data, size_t size) override;
  void FreeMusic(AudioHandle music) override;
  bool Play(AudioHandle channel, bool restart) override;
  void PauseChannel(AudioHandle channel) override;
  void Stop(AudioHandle handle) override;
  ChannelState GetState(AudioHandle channel) override;
  void SetLoop(AudioHandle channel, bool loop) override;
  void SetVolume(AudioHandle channel, int volume) override;
  void SetPan(AudioHandle channel, int pan) override;
  void SlideVolume(AudioHandle channel, int volume, int ms) override;
  void SlideVolumeAndStop(AudioHandle channel, int ms) override;

 protected:
  virtual void LockMixer() {}
  virtual void UnlockMixer() {}

  // Set by Init, cleared by Shutdown; every operation does nothing without it.
  bool ready_ = false;
  Mixer mixer_;

 private:
  // Runs f on the mixer under the lock, or answers fallback when not ready.
  template <typename F, typename R>
  R Locked(R fallback, F&& f);
  template <typename F>
  void Locked(F&& f);
};
