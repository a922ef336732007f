#pragma once
// The audio backend of the tests: the real mixer without a device. It records every call,
// lets a test end a channel as if its sound had run out, and advances the output by a number
// of milliseconds (positions, slides, stops at the end of a slide) on demand.

#include <string>
#include <string_view>
#include <vector>

#include "platform/audio/MixerAudio.h"

struct AudioCall {
  std::string op;          // the IAudio operation's name: "Play", "SlideVolume", ...
  AudioHandle handle = 0;  // the handle it was given (0 for Init, Load*, ...)
  int a = 0;               // first number: volume, pan, ms, max playbacks, restart or loop flag
  int b = 0;               // second number: ms of a slide, loop flag of a sample
  uint32_t result = 0;     // the handle or number answered (Booleans as 0/1)

  bool operator==(const AudioCall&) const = default;
};

class FakeAudio final : public MixerAudio {
 public:
  // Init answers false, as on a machine without sound.
  bool failInit = false;
  // Data the decoders cannot read still loads, as silence of silentLengthMs, so tests may
  // pass any bytes; false makes it give 0 as the real device does.
  bool acceptAnyData = true;
  int silentLengthMs = 1000;

  std::vector<AudioCall> calls;

  bool Init() override;
  void Shutdown() override;
  void Start() override;
  void Pause() override;
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

  // --- Test controls (not recorded).
  // Mixes ms of output while the output runs (nothing while paused or not initialised);
  // returns the loudest sample value produced, 0..1.
  float Advance(int ms);
  // Ends a channel or music as if its data had run out.
  void EndChannel(AudioHandle channel);
  // The channel's volume 0..100 now, -1 for a stale handle.
  int Volume(AudioHandle channel) const;
  bool Initialised() const { return ready_; }
  bool OutputPaused() const { return paused_; }
  // How many recorded calls have this operation name.
  int Count(std::string_view op) const;

 private:
  void Record(std::string op, AudioHandle handle = 0, int a = 0, int b = 0, uint32_t result = 0);
  Pcm Silence() const;

  bool paused_ = false;
  std::vector<float> mixed_;
};
