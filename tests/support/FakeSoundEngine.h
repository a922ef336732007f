#pragma once
// What the sound manager needs around it in tests: sound and music resources (and groups
// of them) whose handles come from any IAudio (the recording FakeAudio or a real backend),
// a resource collection, and an engine and a game that answer the resources and the top
// screen's name. Everything else of the engine does nothing.

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

class FakeResourceCollection : public TInterfacedObject, public virtual IResourceCollection {
 public:
  int Count() override { return static_cast<int>(items_.size()); }
  void Delete(const Variant& address) override;
  int IndexOf(std::string_view key) override;
  bool Contains(std::string_view key) override { return IndexOf(key) >= 0; }
  void Clear() override { items_.clear(); }
  void RemoveGroup(const std::string& group) override;
  void UnloadGroup(const std::string& group) override;
  Ref<IResource> Find(const Variant& address) override;
  void Add(const Ref<IResource>& resource) override;

 private:
  std::vector<Ref<IResource>> items_;
};

class FakeGame : public TInterfacedObject, public virtual IGame {
 public:
  std::string topScreen;

  void Initialize(const Ref<IEngine>&) override {}
  void Done() override {}
  void Update(int32_t) override {}
  void Draw(ISurface*, int32_t, int32_t) override {}
  bool HandleMouse(uint32_t, const TPoint&, uint32_t) override { return false; }
  bool HandleKey(uint32_t, uintptr_t, intptr_t) override { return false; }
  void Activate(bool) override {}
  bool CanClose() override { return true; }
  void SetOption(const std::string&, const std::string&) override {}
  void InvalidateAll() override {}
  std::string GetTopScreenName() override { return topScreen; }
};

class FakeSoundEngine : public TInterfacedObject, public virtual IEngine {
 public:
  Ref<FakeResourceCollection> resources{new FakeResourceCollection()};
  Ref<IGame> game;  // none until a test sets one

  Ref<IResourceCollection> GetResources() override { return resources; }
  Ref<IGame> GetGame() override { return game; }
  Ref<IResource> GetResource(const std::string& name) override {
    return resources->Find(Variant(name));
  }

  std::string GetProgramFolder() override { return {}; }
  std::string GetPreferenceFolder() override { return {}; }
  bool WritePreferenceFile(const std::string&, const std::string&) override { return false; }
  bool WriteProgramFolderFile(const std::string&, const std::string&) override { return false; }
  void SetOption(const std::string&, const Variant&) override {}
  Variant GetOption(const std::string&) override { return Variant::Null(); }
  void ApplyOptions() override {}
  std::string ReadTextFile(const std::string&, const std::string&) override { return {}; }
  void LoadResources(const Ref<IHierStorage>&, const std::string&, bool) override {}
  void LoadResourcesFromFile(const std::string&, const std::string&, bool) override {}
  void UnloadResources(const std::string&) override {}
  void RemoveResources(const std::string&) override {}
  void DeleteResource(const std::string&) override {}
  void GetCursorPos(TPoint&) override {}
  void SetCursorPos(const TPoint&) override {}
  void HideSystemCursor() override {}
  void ShowSystemCursor() override {}
  AudioHandle PlayMusic(const Ref<IMusic>&) override { return kNoAudio; }
  void StopMusic(const Ref<IMusic>&) override {}
  void PauseMusic(int32_t) override {}
  void ResumeMusic(int32_t) override {}
  AudioHandle PlaySound(const Ref<ISound>&) override { return kNoAudio; }
  void StopSound(const Ref<ISound>&) override {}
  void PauseSoundGroup(const std::string&, bool) override {}
  void StopAllSounds() override {}
  void StopSoundGroup(const std::string&) override {}
  bool IsSoundPlaying(AudioHandle) override { return false; }
  void SetMusicVolume(const Variant&) override {}
  bool IsSoundPaused() override { return true; }
  void SetSoundPaused(bool) override {}
  void Terminate() override {}
  void OpenFile(const std::string&) override {}
  void RunProgram(const std::string&) override {}
  Ref<ISurface> CreateSurface() override { return nullptr; }
  void RedrawRect(const TRect&) override {}
  void EndFrame() override {}
  void* GetWindowHandle() override { return nullptr; }
  void SetMessageHandler(TMessageHandler) override {}
  void ClearMessageHandler() override {}
  void Update(int32_t) override {}
};
