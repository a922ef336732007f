#pragma once
// Sound and music resources (and groups of them) whose handles come from any IAudio (the
// recording FakeAudio or a real backend), for the sound manager's tests; the fake engine
// (FakeEngine.h) serves them by name.

#include <string>
#include <vector>

#include "foundation/EngineInterfaces.h"
#include "tests/support/SineWav.h"

// Loading and unloading as the engine's resources do: data on first use, handles freed on
// Unload, loaded again on the next use.
class FakeResource : public TInterfacedObject, public virtual IResource {
 public:
  std::string GetName() override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
  std::string GetFileName() override { return {}; }
  bool IsLoadPending() override { return pending_; }
  std::string GetGroupName() override { return group_; }
  void SetGroupName(const std::string& group) override { group_ = group; }
  void Load() override;
  void Unload() override;
  void SetOwner(IResourceOwner*) override {}
  void Detach() override { Unload(); }

  int loads = 0;
  int unloads = 0;
  int selects = 0;

 protected:
  explicit FakeResource(std::string name) : name_(std::move(name)) {}
  virtual void LoadData() = 0;
  virtual void FreeData() = 0;

 private:
  std::string name_;
  std::string group_;
  bool pending_ = true;
};

class FakeSoundResource : public FakeResource, public virtual ISoundResource {
 public:
  FakeSoundResource(IAudio& audio, std::string name, Bytes data, int maxPlaybacks = 4,
                    int masterVolume = 100);
  AudioHandle GetSampleHandle() override;
  int32_t GetMasterVolume() override { return masterVolume_; }
  void SetMasterVolume(int32_t volume) override { masterVolume_ = volume; }
  void Select() override { ++selects; }

 protected:
  void LoadData() override;
  void FreeData() override;

 private:
  IAudio& audio_;
  Bytes data_;
  int maxPlaybacks_;
  int32_t masterVolume_;
  AudioHandle sample_ = kNoAudio;
};

// Format 0: a module (LoadMusic); 1: a compressed piece played on the channel of a looping
// sample of one playback.
class FakeMusicResource : public FakeResource, public virtual IMusicResource {
 public:
  FakeMusicResource(IAudio& audio, std::string name, Bytes data, uint8_t format = 0);
  AudioHandle GetMusicHandle() override;
  uint8_t GetFormat() override { return format_; }
  void Select() override { ++selects; }

 protected:
  void LoadData() override;
  void FreeData() override;

 private:
  IAudio& audio_;
  Bytes data_;
  uint8_t format_;
  AudioHandle music_ = kNoAudio;
  AudioHandle sample_ = kNoAudio;
};

// Groups stand for one member, chosen by Select: here each Select takes the next member in
// turn, so tests know which one plays.
class FakeSoundGroupResource : public FakeResource, public virtual ISoundResource {
 public:
  FakeSoundGroupResource(std::string name, std::vector<Ref<FakeSoundResource>> members);
  AudioHandle GetSampleHandle() override;
  int32_t GetMasterVolume() override;
  void SetMasterVolume(int32_t volume) override;
  void Select() override;

 protected:
  void LoadData() override;
  void FreeData() override;

 private:
  std::vector<Ref<FakeSoundResource>> members_;
  int current_ = -1;
};

class FakeMusicGroupResource : public FakeResource, public virtual IMusicResource {
 public:
  FakeMusicGroupResource(std::string name, std::vector<Ref<FakeMusicResource>> members);
  AudioHandle GetMusicHandle() override;
  uint8_t GetFormat() override { return 1; }
  void Select() override;

 protected:
  void LoadData() override;
  void FreeData() override;

 private:
  std::vector<Ref<FakeMusicResource>> members_;
  int current_ = -1;
};
