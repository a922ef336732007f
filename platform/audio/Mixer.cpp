#include "platform/audio/Mixer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// A handle: kind in the top two bits (never 0, so no handle is 0), the slot index in the
// next 14, the slot's generation in the low 16.
enum Kind : uint32_t { kSampleKind = 1, kChannelKind = 2, kMusicKind = 3 };
constexpr size_t kMaxSlots = size_t{1} << 14;

AudioHandle MakeHandle(Kind kind, size_t index, uint16_t generation) {
  return kind << 30 | static_cast<uint32_t>(index) << 16 | generation;
}
uint32_t KindOf(AudioHandle handle) {
  return handle >> 30;
}
size_t IndexOf(AudioHandle handle) {
  return (handle >> 16) & (kMaxSlots - 1);
}
uint16_t GenerationOf(AudioHandle handle) {
  return static_cast<uint16_t>(handle);
}

uint16_t NextGeneration(uint16_t generation) {
  ++generation;
  return generation == 0 ? 1 : generation;
}

float ToVolume(int volume) {
  return static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f;
}

uint32_t MsToFrames(int ms) {
  const int64_t frames = int64_t{ms} * kAudioRate / 1000;
  return static_cast<uint32_t>(
      std::clamp<int64_t>(frames, 1, std::numeric_limits<uint32_t>::max()));
}

constexpr float kSampleScale = 1.0f / 32768.0f;

}  // namespace

Mixer::Mixer() : scratch_(kBlockFrames * 2) {}

Mixer::~Mixer() = default;

// --- Tables.

Mixer::SampleSlot* Mixer::FindSample(AudioHandle handle) {
  return const_cast<SampleSlot*>(std::as_const(*this).FindSample(handle));
}

const Mixer::SampleSlot* Mixer::FindSample(AudioHandle handle) const {
  if (KindOf(handle) != kSampleKind || IndexOf(handle) >= samples_.size()) return nullptr;
  const SampleSlot& slot = samples_[IndexOf(handle)];
  return slot.live && slot.generation == GenerationOf(handle) ? &slot : nullptr;
}

Mixer::Voice* Mixer::FindVoice(AudioHandle handle) {
  return const_cast<Voice*>(std::as_const(*this).FindVoice(handle));
}

const Mixer::Voice* Mixer::FindVoice(AudioHandle handle) const {
  const size_t index = IndexOf(handle);
  if (KindOf(handle) == kChannelKind && index < channels_.size()) {
    const ChannelSlot& slot = channels_[index];
    return slot.used && slot.generation == GenerationOf(handle) ? &slot.voice : nullptr;
  }
  if (KindOf(handle) == kMusicKind && index < music_.size()) {
    const MusicSlot& slot = music_[index];
    return slot.live && slot.generation == GenerationOf(handle) ? &slot.voice : nullptr;
  }
  return nullptr;
}

AudioHandle Mixer::AddSample(Pcm&& pcm, int maxPlaybacks, bool loop) {
  Reclaim();
  if (pcm.Frames() == 0) return kNoAudio;
  auto free = std::find_if(samples_.begin(), samples_.end(),
                           [](const SampleSlot& s) { return !s.live && !s.dying; });
  if (free == samples_.end()) {
    if (samples_.size() >= kMaxSlots) return kNoAudio;
    free = samples_.emplace(samples_.end());
  }
  free->live = true;
  free->pcm = std::move(pcm);
  free->maxPlaybacks = std::clamp(maxPlaybacks, 1, 65535);
  free->loop = loop;
  free->channels.clear();
  return MakeHandle(kSampleKind, free - samples_.begin(), free->generation);
}

AudioHandle Mixer::AddMusicSlot(MusicSlot&& music) {
  Reclaim();
  auto free = std::find_if(music_.begin(), music_.end(),
                           [](const MusicSlot& m) { return !m.live && !m.dying; });
  if (free == music_.end()) {
    if (music_.size() >= kMaxSlots) return kNoAudio;
    free = music_.emplace(music_.end());
  }
  const uint16_t generation = free->generation;
  *free = std::move(music);
  free->generation = generation;
  free->live = true;
  free->voice = Voice{};
  free->voice.loop = true;
  return MakeHandle(kMusicKind, free - music_.begin(), generation);
}

AudioHandle Mixer::AddMusic(std::unique_ptr<ModuleStream> module) {
  if (module == nullptr) return kNoAudio;
  MusicSlot music;
  music.module = std::move(module);
  return AddMusicSlot(std::move(music));
}

AudioHandle Mixer::AddMusic(Pcm&& pcm) {
  if (pcm.Frames() == 0) return kNoAudio;
  MusicSlot music;
  music.pcm = std::move(pcm);
  return AddMusicSlot(std::move(music));
}

// A freed voice that is fading out to a stop keeps playing until its fade ends, so that a
// piece unloaded right after its fade-out was asked for is not cut off.
bool Mixer::KeepsFading(const Voice& voice) {
  return voice.state == ChannelState::Playing && voice.slide.stopAtEnd && voice.slide.remaining > 0;
}

void Mixer::FreeSample(AudioHandle handle) {
  SampleSlot* sample = FindSample(handle);
  if (sample == nullptr) return;
  sample->live = false;
  sample->generation = NextGeneration(sample->generation);
  for (uint32_t index : sample->channels) {
    ChannelSlot& channel = channels_[index];
    channel.generation = NextGeneration(channel.generation);
    if (KeepsFading(channel.voice))
      sample->dying = true;
    else
      StopVoice(channel.voice);
  }
  Reclaim();
}

void Mixer::FreeMusic(AudioHandle handle) {
  if (KindOf(handle) != kMusicKind || FindVoice(handle) == nullptr) return;
  MusicSlot& music = music_[IndexOf(handle)];
  music.live = false;
  music.generation = NextGeneration(music.generation);
  if (KeepsFading(music.voice))
    music.dying = true;
  else
    StopVoice(music.voice);
  Reclaim();
}

void Mixer::Reclaim() {
  for (SampleSlot& sample : samples_) {
    if (!sample.dying) continue;
    const bool playing = std::any_of(
        sample.channels.begin(), sample.channels.end(),
        [this](uint32_t i) { return channels_[i].voice.state == ChannelState::Playing; });
    if (playing) continue;
    sample.dying = false;
  }
  for (SampleSlot& sample : samples_) {
    if (sample.live || sample.dying || (sample.channels.empty() && sample.pcm.samples.empty()))
      continue;
    for (uint32_t index : sample.channels) {
      channels_[index].used = false;
      channels_[index].voice = Voice{};
    }
    sample.channels = {};
    sample.pcm = Pcm{};
  }
  for (MusicSlot& music : music_) {
    if (music.dying && music.voice.state != ChannelState::Playing) music.dying = false;
    if (music.live || music.dying) continue;
    music.module.reset();
    music.pcm = Pcm{};
  }
}

void Mixer::Clear() {
  for (SampleSlot& sample : samples_) {
    if (sample.live) sample.generation = NextGeneration(sample.generation);
    sample.live = sample.dying = false;
  }
  for (ChannelSlot& channel : channels_) {
    if (channel.used) channel.generation = NextGeneration(channel.generation);
    channel.voice = Voice{};
  }
  for (MusicSlot& music : music_) {
    if (music.live) music.generation = NextGeneration(music.generation);
    music.live = music.dying = false;
  }
  Reclaim();
}

// --- Sample channels.

Mixer::ChannelSlot* Mixer::NewChannelFor(uint32_t sampleIndex, SampleSlot& sample) {
  auto free = std::find_if(channels_.begin(), channels_.end(),
                           [](const ChannelSlot& c) { return !c.used; });
  if (free == channels_.end()) {
    if (channels_.size() >= kMaxSlots) return nullptr;
    free = channels_.emplace(channels_.end());
  }
  free->used = true;
  free->sample = sampleIndex;
  sample.channels.push_back(static_cast<uint32_t>(free - channels_.begin()));
  return &*free;
}

AudioHandle Mixer::GetSampleChannel(AudioHandle handle) {
  Reclaim();
  SampleSlot* sample = FindSample(handle);
  if (sample == nullptr) return kNoAudio;
  ChannelSlot* channel = nullptr;
  // A fresh channel while the sample has room, so that a channel waiting to be played again
  // (a sound repeating after a pause) keeps its handle as long as possible.
  if (sample->channels.size() < static_cast<size_t>(sample->maxPlaybacks))
    channel = NewChannelFor(static_cast<uint32_t>(IndexOf(handle)), *sample);
  if (channel == nullptr) {
    for (uint32_t index : sample->channels) {
      if (channels_[index].voice.held) continue;
      channel = &channels_[index];
      channel->generation = NextGeneration(channel->generation);
      break;
    }
  }
  if (channel == nullptr) return kNoAudio;
  channel->voice = Voice{};
  channel->voice.held = true;
  channel->voice.loop = sample->loop;
  return MakeHandle(kChannelKind, channel - channels_.data(), channel->generation);
}

bool Mixer::GetSampleInfo(AudioHandle handle, SampleInfo& info) const {
  const SampleSlot* sample = FindSample(handle);
  if (sample == nullptr) return false;
  info.maxPlaybacks = sample->maxPlaybacks;
  info.loop = sample->loop;
  info.lengthFrames = static_cast<uint32_t>(sample->pcm.Frames());
  info.channels = sample->pcm.channels;
  return true;
}

int Mixer::GetSampleChannels(AudioHandle handle, std::span<AudioHandle> out) const {
  const SampleSlot* sample = FindSample(handle);
  if (sample == nullptr) return 0;
  size_t count = 0;
  for (uint32_t index : sample->channels) {
    const ChannelSlot& channel = channels_[index];
    if (!channel.voice.held) continue;
    if (count < out.size()) out[count] = MakeHandle(kChannelKind, index, channel.generation);
    ++count;
  }
  return static_cast<int>(count);
}

// --- Channel operations.

void Mixer::StopVoice(Voice& voice) {
  voice.state = ChannelState::Stopped;
  voice.held = false;
  voice.atEnd = true;
  voice.position = 0;
  voice.slide = Slide{};
}

bool Mixer::Play(AudioHandle handle, bool restart) {
  Voice* voice = FindVoice(handle);
  if (voice == nullptr) return false;
  if (restart || voice->atEnd || voice->state == ChannelState::Stopped) {
    voice->position = 0;
    if (KindOf(handle) == kMusicKind && music_[IndexOf(handle)].module != nullptr &&
        (restart || voice->atEnd))
      music_[IndexOf(handle)].module->Rewind();
    voice->atEnd = false;
  }
  voice->state = ChannelState::Playing;
  voice->held = true;
  return true;
}

void Mixer::PauseChannel(AudioHandle handle) {
  Voice* voice = FindVoice(handle);
  if (voice != nullptr && voice->state == ChannelState::Playing)
    voice->state = ChannelState::Paused;
}

void Mixer::Stop(AudioHandle handle) {
  if (const SampleSlot* sample = FindSample(handle)) {
    for (uint32_t index : sample->channels) StopVoice(channels_[index].voice);
    return;
  }
  if (Voice* voice = FindVoice(handle)) StopVoice(*voice);
}

ChannelState Mixer::GetState(AudioHandle handle) const {
  const Voice* voice = FindVoice(handle);
  return voice != nullptr ? voice->state : ChannelState::Stopped;
}

void Mixer::SetLoop(AudioHandle handle, bool loop) {
  Voice* voice = FindVoice(handle);
  if (voice == nullptr) return;
  voice->loop = loop;
  if (KindOf(handle) == kMusicKind && music_[IndexOf(handle)].module != nullptr)
    music_[IndexOf(handle)].module->SetLoop(loop);
}

void Mixer::SetVolume(AudioHandle handle, int volume) {
  Voice* voice = FindVoice(handle);
  if (voice == nullptr) return;
  voice->volume = ToVolume(volume);
  voice->slide = Slide{};
}

void Mixer::SetPan(AudioHandle handle, int pan) {
  if (Voice* voice = FindVoice(handle))
    voice->pan = static_cast<float>(std::clamp(pan, -100, 100)) / 100.0f;
}

void Mixer::SlideVolume(AudioHandle handle, int volume, int ms) {
  Voice* voice = FindVoice(handle);
  if (voice == nullptr) return;
  if (ms <= 0) return SetVolume(handle, volume);
  voice->slide = Slide{MsToFrames(ms), ToVolume(volume), false};
}

void Mixer::SlideVolumeAndStop(AudioHandle handle, int ms) {
  Voice* voice = FindVoice(handle);
  if (voice == nullptr) return;
  if (ms <= 0) return StopVoice(*voice);
  voice->slide = Slide{MsToFrames(ms), 0.0f, true};
}

int Mixer::GetVolume(AudioHandle handle) const {
  const Voice* voice = FindVoice(handle);
  return voice != nullptr ? static_cast<int>(std::lround(voice->volume * 100.0f)) : -1;
}

void Mixer::EndChannel(AudioHandle handle) {
  if (Voice* voice = FindVoice(handle)) StopVoice(*voice);
}

// --- Mixing.

bool Mixer::AdvanceGains(Voice& voice, size_t frames, float gains[4]) {
  const auto balance = [&voice](float* lr) {
    lr[0] = voice.volume * std::min(1.0f, 1.0f - voice.pan);
    lr[1] = voice.volume * std::min(1.0f, 1.0f + voice.pan);
  };
  balance(gains);
  bool stop = false;
  Slide& slide = voice.slide;
  if (slide.remaining > 0) {
    if (frames >= slide.remaining) {
      voice.volume = slide.target;
      stop = slide.stopAtEnd;
      slide = Slide{};
    } else {
      voice.volume += (slide.target - voice.volume) * static_cast<float>(frames) /
                      static_cast<float>(slide.remaining);
      slide.remaining -= static_cast<uint32_t>(frames);
    }
  }
  balance(gains + 2);
  return stop;
}

// A block ends where a slide does, so that a slide reaches its volume (or stops its channel)
// on the exact frame.
size_t Mixer::BlockLength(const Voice& voice, size_t left) {
  const size_t block = std::min(kBlockFrames, left);
  return voice.slide.remaining > 0 ? std::min<size_t>(block, voice.slide.remaining) : block;
}

void Mixer::MixPcm(Voice& voice, const Pcm& pcm, float* stereo, size_t frames) {
  const size_t length = pcm.Frames();
  if (length == 0) return StopVoice(voice);
  const int16_t* data = pcm.samples.data();
  const bool twoChannels = pcm.channels == 2;
  for (size_t done = 0; done < frames && voice.state == ChannelState::Playing;) {
    const size_t block = BlockLength(voice, frames - done);
    float gains[4];
    const bool stop = AdvanceGains(voice, block, gains);
    const float stepLeft = (gains[2] - gains[0]) / static_cast<float>(block);
    const float stepRight = (gains[3] - gains[1]) / static_cast<float>(block);
    float left = gains[0] * kSampleScale;
    float right = gains[1] * kSampleScale;
    const float dl = stepLeft * kSampleScale, dr = stepRight * kSampleScale;
    float* out = stereo + 2 * done;
    for (size_t i = 0; i < block;) {
      const size_t run = std::min(block - i, length - voice.position);
      const int16_t* in = data + voice.position * pcm.channels;
      if (twoChannels) {
        for (size_t k = 0; k < run; ++k, left += dl, right += dr) {
          out[2 * (i + k)] += static_cast<float>(in[2 * k]) * left;
          out[2 * (i + k) + 1] += static_cast<float>(in[2 * k + 1]) * right;
        }
      } else {
        for (size_t k = 0; k < run; ++k, left += dl, right += dr) {
          const float s = static_cast<float>(in[k]);
          out[2 * (i + k)] += s * left;
          out[2 * (i + k) + 1] += s * right;
        }
      }
      i += run;
      voice.position += run;
      if (voice.position < length) continue;
      if (!voice.loop) return StopVoice(voice);
      voice.position = 0;
    }
    done += block;
    if (stop) StopVoice(voice);
  }
}

void Mixer::MixModule(MusicSlot& music, float* stereo, size_t frames) {
  Voice& voice = music.voice;
  for (size_t done = 0; done < frames && voice.state == ChannelState::Playing;) {
    const size_t block = BlockLength(voice, frames - done);
    const size_t got = music.module->Render(scratch_.data(), block);
    float gains[4];
    const bool stop = AdvanceGains(voice, block, gains);
    const float dl = (gains[2] - gains[0]) / static_cast<float>(block);
    const float dr = (gains[3] - gains[1]) / static_cast<float>(block);
    float left = gains[0], right = gains[1];
    float* out = stereo + 2 * done;
    for (size_t k = 0; k < got; ++k, left += dl, right += dr) {
      out[2 * k] += scratch_[2 * k] * left;
      out[2 * k + 1] += scratch_[2 * k + 1] * right;
    }
    done += block;
    if (stop || got < block) StopVoice(voice);
  }
}

void Mixer::Mix(float* stereo, size_t frames) {
  std::fill(stereo, stereo + 2 * frames, 0.0f);
  for (ChannelSlot& channel : channels_) {
    if (channel.used && channel.voice.state == ChannelState::Playing)
      MixPcm(channel.voice, samples_[channel.sample].pcm, stereo, frames);
  }
  for (MusicSlot& music : music_) {
    if (!(music.live || music.dying) || music.voice.state != ChannelState::Playing) continue;
    if (music.module != nullptr)
      MixModule(music, stereo, frames);
    else
      MixPcm(music.voice, music.pcm, stereo, frames);
  }
  for (size_t i = 0; i < 2 * frames; ++i) stereo[i] = std::clamp(stereo[i], -1.0f, 1.0f);
}
