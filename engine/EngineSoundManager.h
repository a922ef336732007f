#pragma once
// The sound manager: sounds and a stack of music pieces with fades, groups and volumes,
// played through the platform's audio output.
//
// The engine wires it up in this order: SetEngine (the resources come from the engine),
// SetAudio (the output the engine owns), Init; then the two volumes. It calls Update with
// the elapsed milliseconds at every loop step and SetPaused with its focus state, and at
// the end Done, then Clear. Until Init has succeeded every operation does nothing and the
// game runs silent.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"

// What a playing sound needs of the manager.
class ISoundObjectOwner : public virtual IInterface {
 public:
  virtual bool IsInitialised() = 0;
  virtual int32_t GetMusicVolume() = 0;
  virtual int32_t GetSoundVolume() = 0;
  virtual Ref<IResourceCollection> GetResources() = 0;
  // A sound that silences the music has started on Channel.
  virtual void AddMusicMuter(AudioHandle channel) = 0;
  // Nothing until the manager is initialised.
  virtual IAudio* GetAudio() = 0;
};

// One sound being played: its start delay, the play, the pause before each repeat, fades.
class ISoundObject : public virtual IInterface {
 public:
  virtual void SetOwner(ISoundObjectOwner* owner) = 0;
  virtual void ReleaseOwner() = 0;
  virtual void Update(int32_t elapsedMs) = 0;
  // Objects that are not active (paused) are not advanced.
  virtual bool IsActive() = 0;
  // The channel obtained for the sound, 0 when it cannot play.
  virtual AudioHandle Start(const Ref<ISound>& sound) = 0;
  virtual void Stop() = 0;
  virtual bool IsFinished() = 0;
  // Finishing also makes the object active, so the next update removes it.
  virtual void SetFinished(bool finished) = 0;
  virtual std::string GetResourceName() = 0;
  virtual AudioHandle GetChannel() = 0;
  virtual std::string GetGroupName() = 0;
  virtual void SetGroupName(const std::string& group) = 0;
  virtual bool IsStoppableByGroup() = 0;
  // The manager's sound volume (0..100) changed.
  virtual void SetVolume(int32_t soundVolume) = 0;
  virtual void Pause() = 0;
  virtual void Resume(bool restart) = 0;
};

// The playing sounds in order of creation.
class ISoundObjectCollection : public virtual ICollection {
 public:
  virtual Ref<ISoundObject> GetItem(int index) = 0;
  virtual void Add(const Ref<ISoundObject>& object) = 0;
  // Advances the active objects and removes the finished ones.
  virtual void Update(int32_t elapsedMs) = 0;
  // The group operations act on objects stoppable by group whose group is Group exactly.
  virtual void StopGroup(const std::string& group) = 0;
  virtual void PauseGroup(const std::string& group) = 0;
  virtual void ResumeGroup(const std::string& group) = 0;
  virtual void SetVolume(int32_t volume) = 0;
};

class TSoundObject : public TAbstractObject, public virtual ISoundObject {
 public:
  enum State : uint8_t {
    kWaiting = 0,  // for the start delay
    kPlaying = 1,
    kRepeatPause = 2,
    kStopped = 3,  // stopped or paused
  };

  void SetOwner(ISoundObjectOwner* owner) override { owner_ = owner; }
  void ReleaseOwner() override { owner_ = nullptr; }
  void Update(int32_t elapsedMs) override;
  bool IsActive() override { return active_; }
  AudioHandle Start(const Ref<ISound>& sound) override;
  void Stop() override;
  bool IsFinished() override { return finished_; }
  void SetFinished(bool finished) override;
  std::string GetResourceName() override { return resourceName_; }
  AudioHandle GetChannel() override { return channel_; }
  std::string GetGroupName() override { return groupName_; }
  void SetGroupName(const std::string& group) override { groupName_ = group; }
  bool IsStoppableByGroup() override { return stoppableByGroup_; }
  void SetVolume(int32_t soundVolume) override;
  void Pause() override;
  void Resume(bool restart) override;

 private:
  IAudio* Audio() const { return owner_ ? owner_->GetAudio() : nullptr; }
  void Play();
  int32_t ChannelVolume() const;

  ISoundObjectOwner* owner_ = nullptr;  // the manager, which outlives its objects
  AudioHandle channel_ = kNoAudio;
  std::string resourceName_;
  State state_ = kWaiting;
  State pausedFrom_ = kWaiting;  // the state a pause interrupted
  int32_t elapsed_ = 0;          // ms in the current state
  bool finished_ = false;
  bool loop_ = false;
  // A looping sound without a repeat pause loops inside the audio output.
  bool outputLoops_ = false;
  bool mutesMusic_ = false;
  int32_t startDelay_ = 0;
  int32_t startDelayMin_ = 0;
  int32_t startDelayMax_ = 0;
  int32_t currentPause_ = 0;
  int32_t pauseMin_ = 0;
  int32_t pauseMax_ = 0;
  int32_t fadeInTime_ = 0;   // -1: SoundFadeInTime
  int32_t fadeOutTime_ = 0;  // -1: SoundStopFadeTime
  std::string groupName_;
  bool stoppableByGroup_ = false;
  bool active_ = false;
  uint8_t volume_ = 100;  // percent of the sound volume
  int32_t pan_ = -101;    // -101: leave the channel's pan
};

class TSoundObjectCollection : public TCollection, public virtual ISoundObjectCollection {
 public:
  Ref<ISoundObject> GetItem(int index) override;
  void Add(const Ref<ISoundObject>& object) override;
  void Update(int32_t elapsedMs) override;
  void StopGroup(const std::string& group) override;
  void PauseGroup(const std::string& group) override;
  void ResumeGroup(const std::string& group) override;
  void SetVolume(int32_t volume) override;

 private:
  ISoundObject* At(int index);
  // Keys of the items: a counter, so that keys never grow however many sounds play.
  uint32_t nextKey_ = 0;
};

// A plain reference-counted object rather than a TAbstractObject: ISoundManager's Init
// answers whether the output started, which a construction hook of the same name cannot.
class TSoundManager : public TInterfacedObject,
                      public virtual ISoundObjectOwner,
                      public virtual ISoundManager {
 public:
  TSoundManager();

  // ISoundManager
  void SetEngine(IEngine* engine) override;
  // Ignored while initialised.
  void SetAudio(IAudio* audio) override;
  IAudio* GetAudio() override { return initialised_ ? audio_ : nullptr; }
  void Clear() override;
  void Update(int32_t elapsedMs) override;
  bool Init() override;
  void Done() override;
  bool IsInitialised() override { return initialised_; }
  bool IsPaused() override { return playing_; }
  void SetPaused(bool play) override;
  void SetMusicVolume(const Variant& volume) override;
  void SetSoundVolume(const Variant& volume) override;
  AudioHandle PlayMusic(const Ref<IMusic>& music) override;
  void StopMusic(const Ref<IMusic>& music) override;
  void PauseMusic(int32_t ms) override;
  void ResumeMusic(int32_t ms) override;
  AudioHandle PlaySound(const Ref<ISound>& sound) override;
  void StopSound(const Ref<ISound>& sound) override;
  void StopAllSounds() override;
  void StopSoundGroup(const std::string& group) override;
  void PauseSoundGroup(const std::string& group) override;
  void ResumeSoundGroup(const std::string& group) override;
  bool IsSoundPlaying(AudioHandle channel) override;

  // ISoundObjectOwner
  int32_t GetMusicVolume() override { return musicVolume_; }
  int32_t GetSoundVolume() override { return soundVolume_; }
  Ref<IResourceCollection> GetResources() override { return resources_; }
  void AddMusicMuter(AudioHandle channel) override;

  // For tests: the music channels from the bottom of the stack to its top, the channels
  // silencing the music, and the sounds playing.
  std::vector<AudioHandle> MusicStackChannels() const;
  const std::vector<AudioHandle>& MuteList() const { return muteList_; }
  Ref<ISoundObjectCollection> Sounds() const { return sounds_; }

 private:
  // A music piece on the stack: the resource's handle, the channel it plays on, and the
  // resource's name (what StopMusic matches).
  struct MusicEntry {
    AudioHandle music = kNoAudio;
    AudioHandle channel = kNoAudio;
    std::string resourceName;
  };

  IAudio* Audio() const { return initialised_ ? audio_ : nullptr; }
  template <class I>
  Ref<I> FindResource(const std::string& name) const;
  AudioHandle TopMusicChannel() const;
  // Removes the channels that no longer play; the music comes back once none is left.
  void CheckMuteList();
  // Stops (or fades out over FadeMs, when not 0) every channel of the sample.
  void StopSampleChannels(AudioHandle sample, int32_t fadeMs);
  void DropSounds();

  IEngine* engine_ = nullptr;  // the engine owns the manager
  IAudio* audio_ = nullptr;    // owned by the engine
  Ref<IResourceCollection> resources_;
  std::vector<MusicEntry> musicStack_;  // top = last
  std::vector<AudioHandle> muteList_;
  Ref<ISoundObjectCollection> sounds_;
  std::vector<AudioHandle> channelBuffer_;  // a sample's channels, for fading them out
  bool initialised_ = false;
  bool playing_ = true;
  int32_t musicVolume_ = 100;
  int32_t soundVolume_ = 100;
};

// The engine's sound manager.
Ref<ISoundManager> CreateSoundManager();
