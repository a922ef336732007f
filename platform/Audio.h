#pragma once
// Sound output: the device, decoded samples with several simultaneous channels, music
// modules, and the channel operations the sound manager drives. Every backend (the SDL
// device with our own mixer, the silent null backend, the recording fake of the tests)
// offers the same handles, so one sound manager works over any of them.
//
// Handles are plain numbers, 0 meaning none. Each carries a generation: once the object it
// named is freed (or a channel slot is given to a new playback), the old handle is stale and
// every call with it does nothing and answers "nothing" (0, false, Stopped). Calls are made
// from the main thread only.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

using AudioHandle = uint32_t;
constexpr AudioHandle kNoAudio = 0;

// The device mixes at this rate, in stereo; decoded data is converted to it on loading.
constexpr int kAudioRate = 44100;

enum class ChannelState {
  Stopped,  // never played, ended, stopped, or not a valid channel
  Playing,  // also while the whole output is paused
  Paused,
};

struct SampleInfo {
  int maxPlaybacks = 0;       // channels that may play at once
  bool loop = false;          // loop flag new channels start with
  uint32_t lengthFrames = 0;  // at kAudioRate
  int channels = 0;           // 1 mono, 2 stereo
};

class IAudio {
 public:
  virtual ~IAudio() = default;

  // --- Device.
  // Opens the output at kAudioRate and starts it. False: no sound; the game runs silent and
  // every other call does nothing.
  virtual bool Init() = 0;
  // Stops output and frees every sample and music; handles become stale.
  virtual void Shutdown() = 0;
  // Resumes or pauses all output. Pausing keeps every channel's state (a playing channel still
  // reports Playing) and freezes its position and any running volume slide.
  virtual void Start() = 0;
  virtual void Pause() = 0;

  // --- Samples: sounds decoded whole into memory (WAV, Ogg Vorbis, MP3; the format is found
  // from the bytes). maxPlaybacks is clamped to 1..65535; loop is the flag each new channel
  // starts with. Returns 0 when the data cannot be decoded. The data is not kept.
  virtual AudioHandle LoadSample(const void* data, size_t size, int maxPlaybacks, bool loop) = 0;
  // Frees the sample and makes its handle and its channels' handles stale. Channels fading out
  // to a stop (SlideVolumeAndStop) finish their fade first; the others stop at once.
  virtual void FreeSample(AudioHandle sample) = 0;
  // A channel to play the sample on, not yet playing: a channel never used before while fewer
  // than maxPlaybacks exist, else one whose playback has ended (its old handle turns stale).
  // 0 when every channel is held (playing, paused, or obtained and not yet played) or when
  // the handle is not a sample: callers use that to tell a sample from another handle.
  virtual AudioHandle GetSampleChannel(AudioHandle sample) = 0;
  // False for anything but a live sample.
  virtual bool GetSampleInfo(AudioHandle sample, SampleInfo& info) = 0;
  // Writes the sample's held channels (those GetSampleChannel would not hand out again) into
  // out, up to its size; returns how many there are (0 for anything but a sample).
  virtual int GetSampleChannels(AudioHandle sample, std::span<AudioHandle> out) = 0;

  // --- Music: a module (every format libopenmpt reads, "mo3" included), or failing that a
  // WAV, Ogg Vorbis or MP3 piece decoded whole. It loops and ramps volume changes; it is its
  // own channel. Returns 0 when the data cannot be read.
  virtual AudioHandle LoadMusic(const void* data, size_t size) = 0;
  // As FreeSample: a music fading out to a stop finishes its fade first.
  virtual void FreeMusic(AudioHandle music) = 0;

  // --- Channels: the following take a channel of a sample or a music handle.
  // Starts or resumes playing; restart plays from the beginning. A channel that has ended
  // plays again from the beginning as long as its handle is not stale. False for a stale
  // handle or anything but a channel or music.
  virtual bool Play(AudioHandle channel, bool restart) = 0;
  // Pauses playing; Play without restart continues where it paused.
  virtual void PauseChannel(AudioHandle channel) = 0;
  // Stops and rewinds. Also takes a sample handle: stops every channel of the sample.
  virtual void Stop(AudioHandle handle) = 0;
  virtual ChannelState GetState(AudioHandle channel) = 0;
  // Looping channels play on from the start at their end instead of ending.
  virtual void SetLoop(AudioHandle channel, bool loop) = 0;
  // Volume 0..100 and pan -100 (left) .. 100 (right), clamped. Setting the volume ends a
  // running slide.
  virtual void SetVolume(AudioHandle channel, int volume) = 0;
  virtual void SetPan(AudioHandle channel, int pan) = 0;
  // Moves the volume linearly to volume (0..100) over ms milliseconds of output; a new slide
  // replaces a running one, starting from the volume reached. ms <= 0 sets it at once.
  virtual void SlideVolume(AudioHandle channel, int volume, int ms) = 0;
  // Slides the volume down to 0 over ms and then stops the channel.
  virtual void SlideVolumeAndStop(AudioHandle channel, int ms) = 0;
};

// "sdl": the sound device through SDL2 with our mixer; "null": Init fails, the game runs
// silent. Any other kind gives nothing.
std::unique_ptr<IAudio> CreateAudio(std::string_view kind);
