#pragma once
// The one fake engine of the tests: it records what widgets, screens and the sound manager
// ask of it (redraw rectangles, sounds played and stopped, options), serves the resources a
// test puts into its collection and the game a test gives it, and makes real surfaces.
// Everything else does nothing.
//
//   engine->resources->Put("font", MakeFixedFont(U"ab", 4, 6));
//   engine->game = TAbstractObject::Create<TFakeGame>();

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "foundation/EngineInterfaces.h"

// Resources by name (any case) in the order they came, as the engine keeps them.
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
  // Adds Resource named Name, in place of one of that name.
  void Put(const std::string& name, const Ref<IResource>& resource);

 private:
  std::vector<Ref<IResource>> items_;
};

// The fake engine's resources: engine->resources["name"] = resource (or
// engine->resources->Put(name, resource)) puts one in, in place of one of that name;
// engine->resources->... reaches the collection itself.
class FakeEngineResources {
 public:
  class Slot {
   public:
    Slot(FakeResourceCollection& items, std::string name) : items_(items), name_(std::move(name)) {}
    Slot& operator=(const Ref<IResource>& resource) {
      items_.Put(name_, resource);
      return *this;
    }
    Slot& operator=(const Slot& other) { return *this = Ref<IResource>(other); }
    operator Ref<IResource>() const { return items_.Find(Variant(name_)); }

   private:
    FakeResourceCollection& items_;
    std::string name_;
  };

  FakeResourceCollection* operator->() const { return items_.get(); }
  Slot operator[](const std::string& name) const { return Slot(*items_, name); }
  operator Ref<IResourceCollection>() const { return items_; }

 private:
  Ref<FakeResourceCollection> items_{new FakeResourceCollection()};
};

class FakeEngine : public TInterfacedObject, public virtual IEngine {
 public:
  std::vector<TRect> redrawRects;
  std::vector<std::string> playedSounds;  // resource names
  std::vector<std::pair<int32_t, int32_t>> playedVolumePan;
  std::vector<std::string> stoppedSounds;
  std::map<std::string, Variant> options;
  FakeEngineResources resources;  // what GetResource serves
  Ref<IGame> game;                // none until a test sets one
  TPoint cursor;
  int surfacesCreated = 0;
  // What was handed to the system's opener: "OpenFile PATH", "RunProgram PATH-OR-URL".
  std::vector<std::string> opened;
  // Real folders for the tests of player files; none by default, so nothing is read or
  // saved. Saves go into the preference folder, safely, as the engine's do.
  std::string programFolder, preferenceFolder;
  int preferenceSaves = 0;

  std::string GetProgramFolder() override { return programFolder; }
  std::string GetPreferenceFolder() override { return preferenceFolder; }
  bool WritePreferenceFile(const std::string& text, const std::string& fileName) override;
  bool WriteProgramFolderFile(const std::string&, const std::string&) override { return false; }
  void SetOption(const std::string& name, const Variant& value) override { options[name] = value; }
  Variant GetOption(const std::string& name) override;
  void ApplyOptions() override {}
  std::string ReadTextFile(const std::string&, const std::string&) override { return {}; }
  void LoadResources(const Ref<IHierStorage>&, const std::string&, bool) override {}
  void LoadResourcesFromFile(const std::string&, const std::string&, bool) override {}
  void UnloadResources(const std::string&) override {}
  void RemoveResources(const std::string&) override {}
  Ref<IResource> GetResource(const std::string& name) override {
    return resources->Find(Variant(name));
  }
  void DeleteResource(const std::string&) override {}
  Ref<IResourceCollection> GetResources() override { return resources; }
  void GetCursorPos(TPoint& point) override { point = cursor; }
  void SetCursorPos(const TPoint& point) override { cursor = point; }
  void HideSystemCursor() override {}
  void ShowSystemCursor() override {}
  AudioHandle PlayMusic(const Ref<IMusic>&) override { return 0; }
  void StopMusic(const Ref<IMusic>&) override {}
  void PauseMusic(int32_t) override {}
  void ResumeMusic(int32_t) override {}
  AudioHandle PlaySound(const Ref<ISound>& sound) override;
  void StopSound(const Ref<ISound>& sound) override;
  void PauseSoundGroup(const std::string&, bool) override {}
  void StopAllSounds() override {}
  void StopSoundGroup(const std::string&) override {}
  // Sounds end at once unless SoundsLast: then each plays until removed from SoundsPlaying.
  bool IsSoundPlaying(AudioHandle channel) override { return soundsPlaying.count(channel) > 0; }
  bool soundsLast = false;
  std::set<AudioHandle> soundsPlaying;
  void SetMusicVolume(const Variant&) override {}
  bool IsSoundPaused() override { return false; }
  void SetSoundPaused(bool) override {}
  void Terminate() override { ++terminateCalls; }
  int terminateCalls = 0;
  void OpenFile(const std::string& path) override { opened.push_back("OpenFile " + path); }
  void RunProgram(const std::string& path) override { opened.push_back("RunProgram " + path); }
  Ref<ISurface> CreateSurface() override;
  Ref<IGame> GetGame() override { return game; }
  void RedrawRect(const TRect& rect) override { redrawRects.push_back(rect); }
  void EndFrame() override {}
  void* GetWindowHandle() override { return nullptr; }
  void SetMessageHandler(TMessageHandler) override {}
  void ClearMessageHandler() override {}
  void Update(int32_t) override {}
};
