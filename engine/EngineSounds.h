#pragma once
// How a sound or a music piece is to be played: its resource, volume, pan, delays, repeats
// and fades. Screens, widgets and the game keep them in collections loaded from XML and
// hand them to the engine's sound operations, which pass them to the sound manager.

#include <cstdint>
#include <string>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"

// Element "music": the name of a music resource.
class TMusic : public TPropertyObject, public virtual IMusic {
 public:
  void Init() override;
  std::string GetResourceName() override { return resourceName_; }
  void SetResourceName(const std::string& name) override { resourceName_ = name; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string resourceName_;
};

// Element "sound". Times are milliseconds; a fade time of -1 means the manager's default.
class TSound : public TPropertyObject, public virtual ISound {
 public:
  void Init() override;

  std::string GetResourceName() override { return resourceName_; }
  void SetResourceName(const std::string& name) override { resourceName_ = name; }
  int32_t GetVolume() override { return volume_; }
  void SetVolume(int32_t volume) override { volume_ = volume; }
  int32_t GetPan() override { return pan_; }
  void SetPan(int32_t pan) override { pan_ = pan; }
  bool GetMuteMusic() override { return muteMusic_; }
  void SetMuteMusic(bool value) override { muteMusic_ = value; }
  bool GetLoop() override { return loop_; }
  void SetLoop(bool value) override { loop_ = value; }
  int32_t GetStartDelayMin() override { return startDelayMin_; }
  void SetStartDelayMin(int32_t ms) override { startDelayMin_ = ms; }
  int32_t GetStartDelayMax() override { return startDelayMax_; }
  void SetStartDelayMax(int32_t ms) override { startDelayMax_ = ms; }
  int32_t GetCycleDelayMin() override { return cycleDelayMin_; }
  void SetCycleDelayMin(int32_t ms) override { cycleDelayMin_ = ms; }
  int32_t GetCycleDelayMax() override { return cycleDelayMax_; }
  void SetCycleDelayMax(int32_t ms) override { cycleDelayMax_ = ms; }
  bool GetStoppableByGroup() override { return stoppableByGroup_; }
  void SetStoppableByGroup(bool value) override { stoppableByGroup_ = value; }
  int32_t GetPlayFadingTime() override { return playFadingTime_; }
  void SetPlayFadingTime(int32_t ms) override { playFadingTime_ = ms; }
  int32_t GetStopFadingTime() override { return stopFadingTime_; }
  void SetStopFadingTime(int32_t ms) override { stopFadingTime_ = ms; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  void LoadStartDelay(const Ref<IHierStorage>& node);
  void SaveStartDelay(const Ref<IHierStorage>& node);
  void LoadCycleDelay(const Ref<IHierStorage>& node);
  void SaveCycleDelay(const Ref<IHierStorage>& node);

  std::string resourceName_;
  int32_t volume_ = -1;  // -1: the resource's own volume
  int32_t pan_ = -101;   // -101: leave the channel's pan
  bool muteMusic_ = false;
  bool loop_ = false;
  int32_t startDelayMin_ = 0;
  int32_t startDelayMax_ = 0;
  int32_t cycleDelayMin_ = 0;
  int32_t cycleDelayMax_ = 0;
  int32_t playFadingTime_ = 0;
  int32_t stopFadingTime_ = 0;
  bool stoppableByGroup_ = false;
};

// Plays the sound once at this volume and pan; the sound keeps its own values afterwards,
// also when the engine throws.
AudioHandle PlaySoundWithValues(IEngine& engine, const Ref<ISound>& sound, int32_t volume,
                                int32_t pan);

// Element "sounds" of "sound" elements, each stored under its own name.
class TSoundCollection : public TStaticCreationPersistItemCollection,
                         public virtual ISoundCollection {
 public:
  void Init() override;
  Ref<ISound> FindSound(const Variant& address) override;

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};

// Element "musics" of "music" elements, each stored under its own name.
class TMusicCollection : public TStaticCreationPersistItemCollection,
                         public virtual IMusicCollection {
 public:
  void Init() override;
  Ref<IMusic> FindMusic(const Variant& address) override;

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};

// Registers "Sound" and "Music". Called by the engine's registration.
void RegisterEngineSoundClasses();
