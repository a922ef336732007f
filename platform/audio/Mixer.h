#pragma once
// Our software mixer: the tables of samples, channels and music behind the handles of
// IAudio, and the mixing of every playing channel into a stereo float block at kAudioRate.
//
// The mixer does no locking. A backend that mixes on another thread (the SDL device callback)
// calls everything under its device lock. Mix allocates nothing: buffers are made when
// sounds are loaded and channels first handed out.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/Audio.h"
#include "platform/audio/Decoders.h"

class Mixer {
 public:
  // Volumes and slides advance once per block of this many frames (about 3 ms), with the gain
  // ramped linearly across the block so that steps do not click.
  static constexpr size_t kBlockFrames = 128;

  Mixer();
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // Takes decoded data; 0 when the data is empty or the tables are full.
  AudioHandle AddSample(Pcm&& pcm, int maxPlaybacks, bool loop);
  AudioHandle AddMusic(std::unique_ptr<ModuleStream> module);
  AudioHandle AddMusic(Pcm&& pcm);
  void FreeSample(AudioHandle sample);
  void FreeMusic(AudioHandle music);
  // Frees everything; every handle given out so far turns stale.
  void Clear();

  // The operations of IAudio, with the same meaning.
  AudioHandle GetSampleChannel(AudioHandle sample);
  bool GetSampleInfo(AudioHandle sample, SampleInfo& info) const;
  int GetSampleChannels(AudioHandle sample, std::span<AudioHandle> out) const;
  bool Play(AudioHandle channel, bool restart);
  void PauseChannel(AudioHandle channel);
  void Stop(AudioHandle handle);
  ChannelState GetState(AudioHandle channel) const;
  void SetLoop(AudioHandle channel, bool loop);
  void SetVolume(AudioHandle channel, int volume);
  void SetPan(AudioHandle channel, int pan);
  void SlideVolume(AudioHandle channel, int volume, int ms);
  void SlideVolumeAndStop(AudioHandle channel, int ms);

  // For tests and the recording fake: the channel's current volume (0..100, -1 for a stale
  // handle), and ending a channel as if its data had run out.
  int GetVolume(AudioHandle channel) const;
  void EndChannel(AudioHandle channel);

  // Adds every playing channel into stereo (frames interleaved left/right), which it first
  // clears, and advances positions, volumes and slides.
  void Mix(float* stereo, size_t frames);

 private:
  struct Slide {
    uint32_t remaining = 0;  // frames to go; 0 = no slide
    float target = 0;
    bool stopAtEnd = false;
  };
  struct Voice {
    ChannelState state = ChannelState::Stopped;
    bool held = false;  // a channel obtained, playing or paused: not handed out again
    bool loop = false;
    bool atEnd = false;  // a module that ran out plays again from its start
    float volume = 1;    // 0..1
    float pan = 0;       // -1..1
    Slide slide;
    size_t position = 0;  // frames into decoded data
  };
  struct SampleSlot {
    uint16_t generation = 1;
    bool live = false;
    bool dying = false;  // freed, kept until its fading channels end
    Pcm pcm;
    int maxPlaybacks = 1;
    bool loop = false;
    std::vector<uint32_t> channels;  // indexes into channels_
  };
  struct ChannelSlot {
    uint16_t generation = 1;
    bool used = false;  // belongs to a sample
    uint32_t sample = 0;
    Voice voice;
  };
  struct MusicSlot {
    uint16_t generation = 1;
    bool live = false;
    bool dying = false;
    std::unique_ptr<ModuleStream> module;
    Pcm pcm;  // music that is not a module
    Voice voice;
  };

  // Looks a handle up; null when it is stale or of another kind.
  SampleSlot* FindSample(AudioHandle handle);
  const SampleSlot* FindSample(AudioHandle handle) const;
  Voice* FindVoice(AudioHandle handle);
  const Voice* FindVoice(AudioHandle handle) const;
  AudioHandle AddMusicSlot(MusicSlot&& music);
  static void StopVoice(Voice& voice);
  static bool KeepsFading(const Voice& voice);
  ChannelSlot* NewChannelFor(uint32_t sampleIndex, SampleSlot& sample);
  // Releases freed samples and music whose last fading channel has ended.
  void Reclaim();

  void MixPcm(Voice& voice, const Pcm& pcm, float* stereo, size_t frames);
  void MixModule(MusicSlot& music, float* stereo, size_t frames);
  // Advances voice's slide by frames and gives the left and right gains at the block's start
  // and end; true when the voice is to stop after the block.
  static size_t BlockLength(const Voice& voice, size_t left);
  static bool AdvanceGains(Voice& voice, size_t frames, float gains[4]);

  std::vector<SampleSlot> samples_;
  std::vector<ChannelSlot> channels_;
  std::vector<MusicSlot> music_;
  std::vector<float> scratch_;  // one block of rendered module frames
};
