#include "platform/audio/MixerAudio.h"

#include "platform/audio/Decoders.h"

template <typename F, typename R>
R MixerAudio::Locked(R fallback, F&& f) {
  if (!ready_) return fallback;
  LockMixer();
  R result = f(mixer_);
  UnlockMixer();
  return result;
}

template <typename F>
void MixerAudio::Locked(F&& f) {
  if (!ready_) return;
  LockMixer();
  f(mixer_);
  UnlockMixer();
}

AudioHandle MixerAudio::LoadSample(const void* data, size_t size, int maxPlaybacks, bool loop) {
  if (!ready_) return kNoAudio;
  Pcm pcm;
  if (!DecodeSound(data, size, pcm)) return kNoAudio;
  return Locked(kNoAudio,
                [&](Mixer& m) { return m.AddSample(std::move(pcm), maxPlaybacks, loop); });
}

AudioHandle MixerAudio::LoadMusic(const void* data, size_t size) {
  if (!ready_) return kNoAudio;
  switch (DetectAudioFormat(data, size)) {
    case AudioFormat::Wav:
    case AudioFormat::OggVorbis:
    case AudioFormat::Mp3: {
      Pcm pcm;
      if (!DecodeSound(data, size, pcm)) return kNoAudio;
      return Locked(kNoAudio, [&](Mixer& m) { return m.AddMusic(std::move(pcm)); });
    }
    default: {
      // libopenmpt has the last word on what is a module.
      std::unique_ptr<ModuleStream> module = ModuleStream::Open(data, size);
      if (module == nullptr) return kNoAudio;
      return Locked(kNoAudio, [&](Mixer& m) { return m.AddMusic(std::move(module)); });
    }
  }
}

void MixerAudio::FreeSample(AudioHandle sample) {
  Locked([&](Mixer& m) { m.FreeSample(sample); });
}

AudioHandle MixerAudio::GetSampleChannel(AudioHandle sample) {
  return Locked(kNoAudio, [&](Mixer& m) { return m.GetSampleChannel(sample); });
}

bool MixerAudio::GetSampleInfo(AudioHandle sample, SampleInfo& info) {
  return Locked(false, [&](Mixer& m) { return m.GetSampleInfo(sample, info); });
}

int MixerAudio::GetSampleChannels(AudioHandle sample, std::span<AudioHandle> out) {
  return Locked(0, [&](Mixer& m) { return m.GetSampleChannels(sample, out); });
}

void MixerAudio::FreeMusic(AudioHandle music) {
  Locked([&](Mixer& m) { m.FreeMusic(music); });
}

bool MixerAudio::Play(AudioHandle channel, bool restart) {
  return Locked(false, [&](Mixer& m) { return m.Play(channel, restart); });
}

void MixerAudio::PauseChannel(AudioHandle channel) {
  Locked([&](Mixer& m) { m.PauseChannel(channel); });
}

void MixerAudio::Stop(AudioHandle handle) {
  Locked([&](Mixer& m) { m.Stop(handle); });
}

ChannelState MixerAudio::GetState(AudioHandle channel) {
  return Locked(ChannelState::Stopped, [&](Mixer& m) { return m.GetState(channel); });
}

void MixerAudio::SetLoop(AudioHandle channel, bool loop) {
  Locked([&](Mixer& m) { m.SetLoop(channel, loop); });
}

void MixerAudio::SetVolume(AudioHandle channel, int volume) {
  Locked([&](Mixer& m) { m.SetVolume(channel, volume); });
}

void MixerAudio::SetPan(AudioHandle channel, int pan) {
  Locked([&](Mixer& m) { m.SetPan(channel, pan); });
}

void MixerAudio::SlideVolume(AudioHandle channel, int volume, int ms) {
  Locked([&](Mixer& m) { m.SlideVolume(channel, volume, ms); });
}

void MixerAudio::SlideVolumeAndStop(AudioHandle channel, int ms) {
  Locked([&](Mixer& m) { m.SlideVolumeAndStop(channel, ms); });
}
