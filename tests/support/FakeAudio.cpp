#include "tests/support/FakeAudio.h"

#include <algorithm>
#include <cmath>

void FakeAudio::Record(std::string op, AudioHandle handle, int a, int b, uint32_t result) {
  calls.push_back(AudioCall{std::move(op), handle, a, b, result});
}

int FakeAudio::Count(std::string_view op) const {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [op](const AudioCall& c) { return c.op == op; }));
}

Pcm FakeAudio::Silence() const {
  Pcm pcm;
  pcm.channels = 1;
  pcm.samples.assign(static_cast<size_t>(std::max(silentLengthMs, 1)) * kAudioRate / 1000 + 1, 0);
  return pcm;
}

bool FakeAudio::Init() {
  ready_ = !failInit;
  paused_ = false;
  Record("Init", 0, 0, 0, ready_);
  return ready_;
}

void FakeAudio::Shutdown() {
  Record("Shutdown");
  if (ready_) mixer_.Clear();
  ready_ = false;
}

void FakeAudio::Start() {
  Record("Start");
  paused_ = false;
}

void FakeAudio::Pause() {
  Record("Pause");
  paused_ = true;
}

AudioHandle FakeAudio::LoadSample(const void* data, size_t size, int maxPlaybacks, bool loop) {
  AudioHandle sample = MixerAudio::LoadSample(data, size, maxPlaybacks, loop);
  if (sample == kNoAudio && ready_ && acceptAnyData && size > 0)
    sample = mixer_.AddSample(Silence(), maxPlaybacks, loop);
  Record("LoadSample", 0, maxPlaybacks, loop, sample);
  return sample;
}

void FakeAudio::FreeSample(AudioHandle sample) {
  Record("FreeSample", sample);
  MixerAudio::FreeSample(sample);
}

AudioHandle FakeAudio::GetSampleChannel(AudioHandle sample) {
  const AudioHandle channel = MixerAudio::GetSampleChannel(sample);
  Record("GetSampleChannel", sample, 0, 0, channel);
  return channel;
}

bool FakeAudio::GetSampleInfo(AudioHandle sample, SampleInfo& info) {
  const bool found = MixerAudio::GetSampleInfo(sample, info);
  Record("GetSampleInfo", sample, 0, 0, found);
  return found;
}

int FakeAudio::GetSampleChannels(AudioHandle sample, std::span<AudioHandle> out) {
  const int count = MixerAudio::GetSampleChannels(sample, out);
  Record("GetSampleChannels", sample, static_cast<int>(out.size()), 0,
         static_cast<uint32_t>(count));
  return count;
}

AudioHandle FakeAudio::LoadMusic(const void* data, size_t size) {
  AudioHandle music = MixerAudio::LoadMusic(data, size);
  if (music == kNoAudio && ready_ && acceptAnyData && size > 0) music = mixer_.AddMusic(Silence());
  Record("LoadMusic", 0, 0, 0, music);
  return music;
}

void FakeAudio::FreeMusic(AudioHandle music) {
  Record("FreeMusic", music);
  MixerAudio::FreeMusic(music);
}

bool FakeAudio::Play(AudioHandle channel, bool restart) {
  const bool played = MixerAudio::Play(channel, restart);
  Record("Play", channel, restart, 0, played);
  return played;
}

void FakeAudio::PauseChannel(AudioHandle channel) {
  Record("PauseChannel", channel);
  MixerAudio::PauseChannel(channel);
}

void FakeAudio::Stop(AudioHandle handle) {
  Record("Stop", handle);
  MixerAudio::Stop(handle);
}

ChannelState FakeAudio::GetState(AudioHandle channel) {
  const ChannelState state = MixerAudio::GetState(channel);
  Record("GetState", channel, 0, 0, static_cast<uint32_t>(state));
  return state;
}

void FakeAudio::SetLoop(AudioHandle channel, bool loop) {
  Record("SetLoop", channel, loop);
  MixerAudio::SetLoop(channel, loop);
}

void FakeAudio::SetVolume(AudioHandle channel, int volume) {
  Record("SetVolume", channel, volume);
  MixerAudio::SetVolume(channel, volume);
}

void FakeAudio::SetPan(AudioHandle channel, int pan) {
  Record("SetPan", channel, pan);
  MixerAudio::SetPan(channel, pan);
}

void FakeAudio::SlideVolume(AudioHandle channel, int volume, int ms) {
  Record("SlideVolume", channel, volume, ms);
  MixerAudio::SlideVolume(channel, volume, ms);
}

void FakeAudio::SlideVolumeAndStop(AudioHandle channel, int ms) {
  Record("SlideVolumeAndStop", channel, ms);
  MixerAudio::SlideVolumeAndStop(channel, ms);
}

float FakeAudio::Advance(int ms) {
  if (!ready_ || paused_ || ms <= 0) return 0.0f;
  const size_t frames = static_cast<size_t>(ms) * kAudioRate / 1000;
  mixed_.resize(2 * frames);
  mixer_.Mix(mixed_.data(), frames);
  float peak = 0.0f;
  for (float v : mixed_) peak = std::max(peak, std::fabs(v));
  return peak;
}

void FakeAudio::EndChannel(AudioHandle channel) {
  if (ready_) mixer_.EndChannel(channel);
}

int FakeAudio::Volume(AudioHandle channel) const {
  return ready_ ? mixer_.GetVolume(channel) : -1;
}
