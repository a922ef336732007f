#pragma once
// The scene generator: before a scene of the player's progress is played for the first
// time it decides which objects of the scene definition appear, at which of their
// locations, and which of them the player must find. It makes the object widgets in the
// play screen as it goes and writes one list of "object/location;" entries per object type
// into the scene's parameters ("ho_names", "vd_names", "io_names", "co_names", "hp_names",
// "do_names", "ip_names", "aa_names", and "ng_names" for objects shown but not wanted).
//
// A task's participant narrows the hidden objects to their categories; with five
// categories, each category is one group that gets its share of "ho_count" (at most 11
// each for the first four).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "gameplay/Tv2Interfaces.h"

class TTavelor2SceneGenerator : public TNamedObject, public virtual ISceneGenerator {
 public:
  // ISceneGenerator's Init(owner) beside the construction hook.
  using TNamedObject::Init;

  void Init(IGameManagersOwner* owner) override;
  void Done() override;
  bool GenerateLevel(const Ref<IUGDScene>& scene, int32_t kind) override;

  // The quotas of the five groups for a target of N objects.
  static std::array<int32_t, 5> Quotas(int32_t n);

  // One list: its object type, parameter names and rules.
  struct ListKind {
    uint8_t type;
    const char* namesKey;
    const char* countKey;  // nullptr: no target
    bool quota;            // groups by category with quotas
    bool random;           // random picks (else from the end)
  };

 private:
  // The text of an entry, "object/location", split at its first "/", and what the two
  // names find in the scene: looked up once, when the text is first made. Equal texts are
  // kept once, so entries compare by number; so do their objects' names.
  struct EntryText {
    std::string text;
    size_t split = 0;     // where the object's name ends
    uint32_t object = 0;  // the number of the object's name
    ISceneObjectDef* def = nullptr;
    ISceneObjectLocation* location = nullptr;
    int32_t places = 0;  // of that object
    std::string_view Object() const { return std::string_view(text).substr(0, split); }
    std::string_view Location() const;
  };
  // An entry: its text, and the groups whose category is its object's.
  struct Entry {
    uint32_t text = 0;
    uint8_t groups = 0;
  };
  // An object of the scene as the lists need it, read once per generation.
  struct SceneObject {
    Ref<ISceneObjectDef> def;
    std::string name;
    uint8_t type = 0;
    std::string category;
    bool captioned = false;  // its caption translates to something
    bool firstGeneration = false;
    std::vector<uint32_t> texts;  // an entry text per location, in order
  };
  using EntryList = std::vector<Entry>;
  struct Placement {
    Ref<IWidget> widget;
    Entry entry;
  };

  // Categories: the participant's category text when the list is filtered by category.
  bool GenerateList(const ListKind& kind, const std::optional<std::string>& categories);
  // The candidate entries of the list's objects, appended; first-generation ones also to
  // FirstGeneration.
  void ExpandCandidates(const ListKind& kind, const std::optional<std::string>& categories);
  // The picking loop; GroupFilter: the first pass's picks by group.
  void PickEntries(const ListKind& kind, bool groupFilter);
  void ReadTarget(const ListKind& kind);
  // Places the entry at Index of List (which loses it, and the object's other entries
  // unless they stay); the object's widget, or nothing. Consumed gets every entry taken.
  Placement Place(EntryList& list, size_t index, EntryList* consumed);
  // A random entry of List placed, trying until one is placed or List is empty.
  Placement PlaceRandom(EntryList& list, EntryList* consumed);
  // A placed widget: the object's other entries, the group counts, the result list.
  void AfterPlacement(const ListKind& kind, const Placement& placement, EntryList& list,
                      EntryList* consumed);
  void PickByGroup(const ListKind& kind);
  // Objects left over are shown as scenery ("ng_names") or taken out of the scene.
  void PlaceLeftovers();
  void RemoveEntriesOf(EntryList& list, uint32_t object, EntryList* consumed);
  void AddUsedCaption(ISceneObjectDef* object);
  // The objects of the scene and their entry texts.
  void ReadSceneObjects();
  // The number of an entry's text, kept once; Def and Location are what it names.
  uint32_t TextNumber(std::string text, uint32_t object, ISceneObjectDef* def,
                      ISceneObjectLocation* location, int32_t places);
  const EntryText& TextOf(const Entry& entry) const { return texts_[entry.text]; }

  IGameManagersOwner* owner_ = nullptr;
  Ref<IUGDScene> scene_;
  Ref<IUGDCase> case_;
  Ref<IUGDStage> stage_;
  Ref<IUGDTask> task_;
  Ref<IParticipant> participant_;
  Ref<ISceneDef> sceneDef_;

  // The scene, read once per generation.
  std::vector<SceneObject> objects_;
  std::vector<EntryText> texts_;
  std::unordered_map<std::string, uint32_t> textNumbers_;  // of texts with two "/" or more

  // The state of one list.
  EntryList candidates_;
  EntryList firstGeneration_;
  // PickByGroup's working lists, kept to be reused.
  EntryList groupList_;
  EntryList consumed_;
  std::vector<uint32_t> taken_;
  std::string result_;
  std::string usedCaptions_;
  std::unordered_set<ISceneObjectDef*> captionsAdded_;
  std::vector<std::string> groupNames_;
  std::array<int32_t, 5> quotas_{};
  std::array<int32_t, 5> findCounts_{};
  int32_t group_ = 0;
  int32_t target_ = 0;
  bool noTarget_ = true;
  int32_t placed_ = 0;
  int32_t allEnabledPlacements_ = 0;
};
