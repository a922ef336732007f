#include "engine/EngineSoundManager.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/Random.h"
#include "foundation/Routines.h"

namespace {

int32_t ClampPercent(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, 0, 100));
}

// Min plus a draw below Max - Min; an empty or reversed range gives Min.
int32_t RandomInRange(int32_t min, int32_t max) {
  const int64_t span = std::min<int64_t>(int64_t{max} - min, INT32_MAX);
  return SaturateInt32(int64_t{min} + Random(static_cast<int32_t>(span)));
}

// The whole number a volume value stands for, as its text reads; nothing when it does not
// read as one.
std::optional<int32_t> VolumeFrom(const Variant& value) {
  int32_t number = 0;
  if (!TryTextToInt(value.ToString(), number)) return std::nullopt;
  return number;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// One playing sound

AudioHandle TSoundObject::Start(const Ref<ISound>& sound) {
  IAudio* audio = Audio();
  if (!audio || !sound) return kNoAudio;
  resourceName_ = sound->GetResourceName();
  Ref<IResourceCollection> resources = owner_->GetResources();
  Ref<ISoundResource> resource =
      resources ? Supports<ISoundResource>(resources->Find(Variant(resourceName_))) : nullptr;
  if (!resource) return kNoAudio;
  if (resource->IsLoadPending()) resource->Load();
  // A group stands for one of its members, drawn anew for every play.
  resource->Select();
  const AudioHandle sample = resource->GetSampleHandle();
  if (sample == kNoAudio) return kNoAudio;
  channel_ = audio->GetSampleChannel(sample);
  if (channel_ == kNoAudio) return kNoAudio;

  elapsed_ = 0;
  state_ = kWaiting;
  mutesMusic_ = sound->GetMuteMusic();
  startDelayMin_ = sound->GetStartDelayMin();
  startDelayMax_ = sound->GetStartDelayMax();
  startDelay_ = RandomInRange(startDelayMin_, startDelayMax_);
  loop_ = sound->GetLoop();
  pauseMin_ = sound->GetCycleDelayMin();
  pauseMax_ = sound->GetCycleDelayMax();
  fadeInTime_ = sound->GetPlayFadingTime();
  fadeOutTime_ = sound->GetStopFadingTime();
  groupName_.clear();
  stoppableByGroup_ = sound->GetStoppableByGroup();
  pan_ = sound->GetPan();

  // Still advanced when the output does the looping: the start delay has to run out, and a
  // channel stopped from outside has to end the object.
  active_ = true;
  outputLoops_ = loop_ && pauseMax_ <= 0;
  if (outputLoops_) audio->SetLoop(channel_, true);

  const int32_t master = ClampPercent(resource->GetMasterVolume());
  const int32_t own = sound->GetVolume();
  volume_ = static_cast<uint8_t>(own < 1 ? master : ClampPercent(int64_t{own}) * master / 100);

  SetVolume(owner_->GetSoundVolume());
  return channel_;
}

int32_t TSoundObject::ChannelVolume() const {
  return owner_ ? ClampPercent(owner_->GetSoundVolume()) * volume_ / 100 : 0;
}

void TSoundObject::SetVolume(int32_t soundVolume) {
  IAudio* audio = Audio();
  if (channel_ == kNoAudio) {
    finished_ = true;
    return;
  }
  if (!audio) return;
  audio->SetVolume(channel_, ClampPercent(soundVolume) * volume_ / 100);
  if (pan_ != -101) audio->SetPan(channel_, std::clamp(pan_, -100, 100));
}

void TSoundObject::Update(int32_t elapsedMs) {
  IAudio* audio = Audio();
  if (!audio || finished_) return;
  elapsed_ = SaturatingAdd(elapsed_, elapsedMs);
  if (state_ == kPlaying) {
    if (audio->GetState(channel_) == ChannelState::Playing) return;
    // The channel has ended, or was stopped from outside while the output looped it.
    if (!loop_ || outputLoops_) {
      finished_ = true;
      return;
    }
    state_ = kRepeatPause;
    currentPause_ = RandomInRange(pauseMin_, pauseMax_);
    elapsed_ = 0;
  }
  if ((state_ == kWaiting && elapsed_ >= startDelay_) ||
      (state_ == kRepeatPause && elapsed_ >= currentPause_))
    Play();
}

void TSoundObject::Play() {
  IAudio* audio = Audio();
  if (channel_ == kNoAudio || !audio) {
    finished_ = true;
    return;
  }
  const int32_t fadeIn = fadeInTime_ == -1 ? SoundFadeInTime : fadeInTime_;
  if (fadeIn != 0) {
    audio->SetVolume(channel_, 0);
    audio->SlideVolume(channel_, ChannelVolume(), fadeIn);
  }
  // A channel handed to another play in the meantime (its handle is stale) cannot play.
  if (!audio->Play(channel_, true)) {
    finished_ = true;
    return;
  }
  state_ = kPlaying;
  if (mutesMusic_) owner_->AddMusicMuter(channel_);
  elapsed_ = 0;
}

void TSoundObject::Stop() {
  if (IAudio* audio = Audio(); audio && channel_ != kNoAudio) audio->Stop(channel_);
  state_ = kStopped;
  channel_ = kNoAudio;
  resourceName_.clear();
  finished_ = true;
}

void TSoundObject::SetFinished(bool finished) {
  finished_ = finished;
  if (finished) active_ = true;
}

void TSoundObject::Pause() {
  if (channel_ == kNoAudio) {
    finished_ = true;
    return;
  }
  if (state_ == kStopped) return;
  // A channel that ran out since the last update ends (or repeats) first, so that resuming
  // does not play it once more.
  Update(0);
  if (finished_) return;
  if (IAudio* audio = Audio(); audio && state_ == kPlaying) audio->PauseChannel(channel_);
  // A sound still waiting for its delay or its repeat goes on waiting after the pause.
  pausedFrom_ = state_;
  state_ = kStopped;
  active_ = false;
}

void TSoundObject::Resume(bool restart) {
  if (channel_ == kNoAudio) {
    finished_ = true;
    return;
  }
  if (state_ != kStopped || finished_) return;
  state_ = pausedFrom_;
  active_ = true;
  if (state_ != kPlaying) return;
  IAudio* audio = Audio();
  if (!audio) return;
  if (!audio->Play(channel_, restart)) {
    finished_ = true;
    return;
  }
  // The music goes quiet again under a muting sound that comes back.
  if (mutesMusic_) owner_->AddMusicMuter(channel_);
}

// ---------------------------------------------------------------------------------------
// The playing sounds

ISoundObject* TSoundObjectCollection::At(int index) {
  return InterfaceCast<ISoundObject>(static_cast<IInterface*>(items_->GetItemByIndex(index)));
}

Ref<ISoundObject> TSoundObjectCollection::GetItem(int index) {
  return Ref<ISoundObject>(At(index));
}

void TSoundObjectCollection::Add(const Ref<ISoundObject>& object) {
  if (!object) return;
  // Decimal keys fit the string's own buffer: adding allocates no key text.
  items_->Add(object, std::to_string(nextKey_++));
}

void TSoundObjectCollection::Update(int32_t elapsedMs) {
  for (int i = Count() - 1; i >= 0; --i) {
    Ref<ISoundObject> object(At(i));
    if (!object || !object->IsActive()) continue;
    object->Update(elapsedMs);
    if (!object->IsFinished()) continue;
    object->ReleaseOwner();
    items_->Delete(Variant(i));
  }
}

void TSoundObjectCollection::StopGroup(const std::string& group) {
  for (int i = Count() - 1; i >= 0; --i) {
    Ref<ISoundObject> object(At(i));
    if (!object || !object->IsStoppableByGroup() || object->GetGroupName() != group) continue;
    object->Stop();
    object->ReleaseOwner();
    items_->Delete(Variant(i));
  }
}

void TSoundObjectCollection::PauseGroup(const std::string& group) {
  for (int i = Count() - 1; i >= 0; --i) {
    ISoundObject* object = At(i);
    if (object && object->IsStoppableByGroup() && object->GetGroupName() == group) object->Pause();
  }
}

void TSoundObjectCollection::ResumeGroup(const std::string& group) {
  for (int i = Count() - 1; i >= 0; --i) {
    ISoundObject* object = At(i);
    if (object && object->IsStoppableByGroup() && object->GetGroupName() == group)
      object->Resume(false);
  }
}

void TSoundObjectCollection::SetVolume(int32_t volume) {
  for (int i = Count() - 1; i >= 0; --i)
    if (ISoundObject* object = At(i)) object->SetVolume(volume);
}

// ---------------------------------------------------------------------------------------
// The manager: set-up

TSoundManager::TSoundManager() {
  sounds_ = Ref<ISoundObjectCollection>(TAbstractObject::Create<TSoundObjectCollection>().get());
  muteList_.reserve(16);
  musicStack_.reserve(8);
}

void TSoundManager::SetEngine(IEngine* engine) {
  engine_ = engine;
  resources_ = engine ? engine->GetResources() : nullptr;
}

void TSoundManager::SetAudio(IAudio* audio) {
  if (!initialised_) audio_ = audio;
}

bool TSoundManager::Init() {
  if (initialised_) return true;
  if (!audio_) return false;
  initialised_ = audio_->Init();
  // The window may have lost the focus before the output existed.
  if (initialised_ && !playing_) audio_->Pause();
  return initialised_;
}

void TSoundManager::Done() {
  if (!initialised_) return;
  // Every handle dies with the output.
  DropSounds();
  musicStack_.clear();
  muteList_.clear();
  audio_->Shutdown();
  initialised_ = false;
}

void TSoundManager::Clear() {
  resources_ = nullptr;
  engine_ = nullptr;
  musicStack_.clear();
  muteList_.clear();
  DropSounds();
}

void TSoundManager::DropSounds() {
  for (int i = sounds_->Count() - 1; i >= 0; --i)
    if (Ref<ISoundObject> object = sounds_->GetItem(i)) object->ReleaseOwner();
  sounds_->Clear();
}

void TSoundManager::SetPaused(bool play) {
  playing_ = play;
  IAudio* audio = Audio();
  if (!audio) return;
  if (play)
    audio->Start();
  else
    audio->Pause();
}

void TSoundManager::Update(int32_t elapsedMs) {
  if (!Audio()) return;
  sounds_->Update(elapsedMs);
  CheckMuteList();
}

template <class I>
Ref<I> TSoundManager::FindResource(const std::string& name) const {
  if (!resources_) return nullptr;
  return Supports<I>(resources_->Find(Variant(name)));
}

// ---------------------------------------------------------------------------------------
// Volumes

void TSoundManager::SetMusicVolume(const Variant& volume) {
  IAudio* audio = Audio();
  std::optional<int32_t> value = VolumeFrom(volume);
  if (!audio || !value) return;
  musicVolume_ = ClampPercent(*value);
  if (AudioHandle top = TopMusicChannel()) audio->SetVolume(top, musicVolume_);
}

void TSoundManager::SetSoundVolume(const Variant& volume) {
  std::optional<int32_t> value = VolumeFrom(volume);
  if (!Audio() || !value) return;
  soundVolume_ = ClampPercent(*value);
  sounds_->SetVolume(soundVolume_);
}

// ---------------------------------------------------------------------------------------
// Music

AudioHandle TSoundManager::TopMusicChannel() const {
  return musicStack_.empty() ? kNoAudio : musicStack_.back().channel;
}

std::vector<AudioHandle> TSoundManager::MusicStackChannels() const {
  std::vector<AudioHandle> channels;
  for (const MusicEntry& entry : musicStack_) channels.push_back(entry.channel);
  return channels;
}

AudioHandle TSoundManager::PlayMusic(const Ref<IMusic>& music) {
  IAudio* audio = Audio();
  if (!audio || !music) return kNoAudio;
  const std::string name = music->GetResourceName();
  Ref<IMusicResource> resource = FindResource<IMusicResource>(name);
  if (!resource) return kNoAudio;
  if (resource->IsLoadPending()) resource->Load();
  resource->Select();
  const AudioHandle handle = resource->GetMusicHandle();
  if (handle == kNoAudio) return kNoAudio;

  if (AudioHandle top = TopMusicChannel()) audio->SlideVolumeAndStop(top, MusicFadeTime);
  if (audio->GetState(handle) == ChannelState::Playing) audio->Stop(handle);
  // A module and a compressed piece's channel play as they are; a bare sample needs a
  // channel of its own.
  AudioHandle channel = audio->GetSampleChannel(handle);
  if (channel == kNoAudio) channel = handle;
  musicStack_.push_back(MusicEntry{handle, channel, name});
  audio->SetVolume(channel, 0);
  audio->SlideVolume(channel, musicVolume_, MusicFadeTime);
  audio->Play(channel, true);
  return channel;
}

void TSoundManager::StopMusic(const Ref<IMusic>& music) {
  IAudio* audio = Audio();
  if (!audio || !music || musicStack_.empty()) return;
  const std::string name = music->GetResourceName();
  if (!SameText(musicStack_.back().resourceName, name)) return;
  const AudioHandle stopped = musicStack_.back().channel;
  musicStack_.pop_back();
  // The same piece started again above itself simply plays on.
  const bool continues = !musicStack_.empty() && musicStack_.back().channel == stopped;
  if (!continues) {
    audio->SlideVolumeAndStop(stopped, MusicFadeTime);
    if (AudioHandle below = TopMusicChannel()) {
      audio->SetVolume(below, 0);
      if (musicVolume_ > 0) audio->SlideVolume(below, musicVolume_, MusicFadeTime);
      audio->Play(below, false);
    }
  }
  // Freed while it fades out, the piece finishes its fade first. A piece still further
  // down the stack keeps its data.
  const bool stillUsed =
      std::any_of(musicStack_.begin(), musicStack_.end(),
                  [&](const MusicEntry& e) { return SameText(e.resourceName, name); });
  if (stillUsed) return;
  if (Ref<IMusicResource> resource = FindResource<IMusicResource>(name)) resource->Unload();
}

void TSoundManager::PauseMusic(int32_t ms) {
  IAudio* audio = Audio();
  const AudioHandle top = TopMusicChannel();
  if (!audio || top == kNoAudio) return;
  if (ms == 0)
    audio->PauseChannel(top);
  else
    audio->SlideVolume(top, 0, ms == -1 ? MusicPauseFadeTime : ms);
}

void TSoundManager::ResumeMusic(int32_t ms) {
  IAudio* audio = Audio();
  const AudioHandle top = TopMusicChannel();
  if (!audio || top == kNoAudio) return;
  if (ms == -1)
    audio->SlideVolume(top, musicVolume_, MusicResumeFadeTime);
  else if (ms < 1)
    audio->Play(top, false);
  else
    audio->SlideVolume(top, musicVolume_, ms);
}

void TSoundManager::AddMusicMuter(AudioHandle channel) {
  if (channel == kNoAudio) return;
  if (std::find(muteList_.begin(), muteList_.end(), channel) == muteList_.end())
    muteList_.push_back(channel);
  PauseMusic(-1);
}

void TSoundManager::CheckMuteList() {
  IAudio* audio = Audio();
  if (!audio || muteList_.empty()) return;
  std::erase_if(muteList_, [audio](AudioHandle channel) {
    return audio->GetState(channel) != ChannelState::Playing;
  });
  if (muteList_.empty()) ResumeMusic(-1);
}

// ---------------------------------------------------------------------------------------
// Sounds

AudioHandle TSoundManager::PlaySound(const Ref<ISound>& sound) {
  if (!Audio() || !sound) return kNoAudio;
  Ref<TSoundObject> object = TAbstractObject::Create<TSoundObject>();
  object->SetOwner(this);
  const AudioHandle channel = object->Start(sound);
  if (channel == kNoAudio) {
    object->ReleaseOwner();
    return kNoAudio;
  }
  if (engine_)
    if (Ref<IGame> game = engine_->GetGame()) object->SetGroupName(game->GetTopScreenName());
  object->Update(0);
  if (object->IsFinished()) {
    object->ReleaseOwner();
    return kNoAudio;
  }
  sounds_->Add(Ref<ISoundObject>(object.get()));
  return channel;
}

void TSoundManager::StopSampleChannels(AudioHandle sample, int32_t fadeMs) {
  IAudio* audio = Audio();
  if (fadeMs == 0) {
    audio->Stop(sample);
    return;
  }
  SampleInfo info;
  if (!audio->GetSampleInfo(sample, info)) return;
  channelBuffer_.resize(static_cast<size_t>(std::max(info.maxPlaybacks, 1)));
  const int count = audio->GetSampleChannels(sample, channelBuffer_);
  const int listed = std::min(count, static_cast<int>(channelBuffer_.size()));
  for (int i = 0; i < listed; ++i) audio->SlideVolumeAndStop(channelBuffer_[i], fadeMs);
}

void TSoundManager::StopSound(const Ref<ISound>& sound) {
  IAudio* audio = Audio();
  if (!audio || !sound) return;
  const std::string name = sound->GetResourceName();
  const int32_t stopFade = sound->GetStopFadingTime();
  const int32_t fadeMs = stopFade == -1 ? SoundStopFadeTime : stopFade;
  // A resource not loaded has nothing playing; asking for its sample would load it.
  Ref<ISoundResource> resource = FindResource<ISoundResource>(name);
  if (resource && !resource->IsLoadPending())
    if (AudioHandle sample = resource->GetSampleHandle()) StopSampleChannels(sample, fadeMs);
  // Every object of the sound ends too: one still waiting for its delay or its repeat
  // would start again later, and a group's other members have other samples.
  for (int i = sounds_->Count() - 1; i >= 0; --i) {
    Ref<ISoundObject> object = sounds_->GetItem(i);
    if (!object || object->IsFinished() || !SameText(object->GetResourceName(), name)) continue;
    const AudioHandle channel = object->GetChannel();
    if (fadeMs != 0 && audio->GetState(channel) == ChannelState::Playing)
      audio->SlideVolumeAndStop(channel, fadeMs);
    else
      audio->Stop(channel);
    object->SetFinished(true);
  }
  CheckMuteList();
}

void TSoundManager::StopAllSounds() {
  IAudio* audio = Audio();
  if (!audio) return;
  if (resources_) {
    for (int i = 0; i < resources_->Count(); ++i) {
      Ref<ISoundResource> resource = Supports<ISoundResource>(resources_->Find(Variant(i)));
      if (!resource || resource->IsLoadPending()) continue;
      if (AudioHandle sample = resource->GetSampleHandle()) audio->Stop(sample);
    }
  }
  for (int i = sounds_->Count() - 1; i >= 0; --i)
    if (Ref<ISoundObject> object = sounds_->GetItem(i)) object->Stop();
  DropSounds();
  CheckMuteList();
}

void TSoundManager::StopSoundGroup(const std::string& group) {
  if (!Audio() || group.empty()) return;
  sounds_->StopGroup(group);
}

void TSoundManager::PauseSoundGroup(const std::string& group) {
  if (!Audio() || group.empty()) return;
  sounds_->PauseGroup(group);
  CheckMuteList();
}

void TSoundManager::ResumeSoundGroup(const std::string& group) {
  if (!Audio() || group.empty()) return;
  sounds_->ResumeGroup(group);
  CheckMuteList();
}

bool TSoundManager::IsSoundPlaying(AudioHandle channel) {
  if (!Audio() || channel == kNoAudio) return false;
  for (int i = sounds_->Count() - 1; i >= 0; --i) {
    Ref<ISoundObject> object = sounds_->GetItem(i);
    if (object && !object->IsFinished() && object->GetChannel() == channel) return true;
  }
  return false;
}

Ref<ISoundManager> CreateSoundManager() {
  return Ref<ISoundManager>(new TSoundManager());
}
