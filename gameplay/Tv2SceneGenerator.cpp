#include "gameplay/Tv2SceneGenerator.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2UserGameData.h"

namespace {

using ListKind = TTavelor2SceneGenerator::ListKind;

//                                type              names       count       quota  random
constexpr ListKind kHidden{otHiddenObject, "ho_names", "ho_count", true, true};
constexpr ListKind kVoodoo{otVoodooDoll, "vd_names", nullptr, false, true};
constexpr ListKind kIdentical{otIdentical, "io_names", "io_count", false, true};
constexpr ListKind kComplete{otComplete, "co_names", nullptr, false, false};
constexpr ListKind kParts{otHiddenPart, "hp_names", nullptr, false, true};
constexpr ListKind kDisposable{otDisposable, "do_names", "do_count", false, true};
constexpr ListKind kExtra1{otInactiveProp, "ip_names", nullptr, false, true};
constexpr ListKind kExtra2{otActiveArea, "aa_names", nullptr, false, true};

constexpr int kGroups = 5;
// The first four groups take at most this many objects each.
constexpr int32_t kGroupCap = 11;

// Whether Text occurs in List as a whole entry (";" on both sides).
bool HasWholeEntry(const std::string& list, const std::string& text) {
  std::string needle;
  needle.reserve(text.size() + 2);
  needle += ';';
  needle += text;
  needle += ';';
  return list.find(needle) != std::string::npos;
}

}  // namespace

std::string_view TTavelor2SceneGenerator::Entry::Location() const {
  return objectLength < text.size() ? std::string_view(text).substr(objectLength + 1)
                                    : std::string_view();
}

std::array<int32_t, 5> TTavelor2SceneGenerator::Quotas(int32_t n) {
  std::array<int32_t, 5> quotas{};
  int32_t assigned = 0;
  for (int i = 0; i < kGroups - 1; ++i) {
    quotas[size_t(i)] = std::min(kGroupCap, DivSafe(n - assigned, kGroups - i));
    assigned += quotas[size_t(i)];
  }
  quotas[kGroups - 1] = n - assigned;
  return quotas;
}

void TTavelor2SceneGenerator::Init(IGameManagersOwner* owner) {
  owner_ = owner;
}

void TTavelor2SceneGenerator::Done() {
  owner_ = nullptr;
  scene_ = nullptr;
  case_ = nullptr;
  stage_ = nullptr;
  task_ = nullptr;
  participant_ = nullptr;
  sceneDef_ = nullptr;
  candidates_.clear();
  firstGeneration_.clear();
}

bool TTavelor2SceneGenerator::GenerateLevel(const Ref<IUGDScene>& scene, int32_t kind) {
  if (!scene || !owner_) return false;
  Ref<ISceneDefRefCollection> sceneDefs = owner_->GetSceneDefs();
  if (!sceneDefs) return false;
  scene_ = scene;
  case_ = owner_->GetCase();
  stage_ = owner_->GetStage();
  task_ = owner_->GetTask();

  Ref<ISceneDefRef> ref = sceneDefs->GetItem(Variant(scene->GetName()));
  if (!ref) {
    Variant name = scene->GetParamValue("scenename");
    if (!name.IsClear()) ref = sceneDefs->GetItem(Variant(name.ToString()));
  }
  sceneDef_ = ref ? ref->LoadSceneDef() : nullptr;
  if (!sceneDef_) return false;

  participant_ = nullptr;
  if (IGameScreenOwner* game = owner_->GetOwner()) {
    Ref<IParticipantCollection> participants =
        Supports<IParticipantCollection>(game->GetParamValue("participants").RawInterface());
    if (participants && task_)
      participant_ = participants->GetItem(Variant(task_->GetParamValue("participant").ToString()));
  }
  std::optional<std::string> categories;
  if (participant_ && !participant_->GetCategories().empty())
    categories = participant_->GetCategories();
  const std::optional<std::string> none;

  bool result = false;
  if (kind < 0) {
    bool hidden = GenerateList(kHidden, categories);
    hidden = GenerateList(kVoodoo, none) && hidden;
    bool identical = GenerateList(kIdentical, categories);
    // Complete objects and their parts: for every scene without a participant, and for a
    // client's.
    bool withParts = !participant_ || participant_->IsClient();
    bool parts = false;
    if (withParts) parts = GenerateList(kComplete, categories) && GenerateList(kParts, categories);
    bool disposable = GenerateList(kDisposable, none);
    GenerateList(kExtra1, none);
    GenerateList(kExtra2, none);
    if (!participant_)
      result = hidden || identical || parts || disposable;
    else if (withParts)
      result = hidden && identical && parts && disposable;
    else
      result = hidden && identical && disposable;
  } else if (kind == 0 || kind == 1) {
    bool hidden = GenerateList(kHidden, categories);
    result = GenerateList(kVoodoo, none) && hidden;
  } else if (kind == 2) {
    result = GenerateList(kIdentical, categories);
  } else if (kind == 3) {
    result = GenerateList(kComplete, categories) && GenerateList(kParts, categories);
  } else if (kind == 4) {
    result = GenerateList(kDisposable, none);
  }
  scene_->SetGenerated(result);
  return result;
}

// ---------------------------------------------------------------------------------------
// One list

bool TTavelor2SceneGenerator::GenerateList(const ListKind& kind,
                                           const std::optional<std::string>& categories) {
  candidates_.clear();
  firstGeneration_.clear();
  result_ = ";";
  usedCaptions_ = ";";
  groupNames_.clear();
  quotas_ = {};
  findCounts_ = {};
  group_ = 0;
  placed_ = 0;
  allEnabledPlacements_ = 0;

  // The participant's category names are the groups, five at most; without names there
  // is nothing to group by.
  if (participant_ && categories)
    for (std::string& name : SplitString(*categories, ';'))
      if (!name.empty()) groupNames_.push_back(std::move(name));

  ExpandCandidates(kind, categories);
  ReadTarget(kind);
  if (kind.quota) quotas_ = Quotas(target_);
  PickEntries(kind, kind.random && kind.quota && participant_ && !groupNames_.empty());

  // Groups that found fewer than their share give it to those that found more, and the
  // list is made again with those quotas. When no group can take more, what the first
  // pass listed is what there is.
  if (kind.quota && !noTarget_ && placed_ < target_) {
    bool gave = true;
    while (placed_ < target_ && gave) {
      gave = false;
      for (int i = 0; i < kGroups; ++i) {
        if (findCounts_[size_t(i)] <= quotas_[size_t(i)]) {
          quotas_[size_t(i)] = findCounts_[size_t(i)];
        } else if (placed_ < target_) {
          ++quotas_[size_t(i)];
          ++placed_;
          gave = true;
        }
      }
    }
    findCounts_ = {};
    result_ = ";";
    placed_ = 0;
    ExpandCandidates(kind, categories);
    ReadTarget(kind);
    PickEntries(kind, false);
  }

  bool success = (noTarget_ && placed_ > 0) || placed_ == target_;
  scene_->SetParamValue(kind.namesKey, Variant(result_));
  if (!candidates_.empty()) PlaceLeftovers();
  return success;
}

void TTavelor2SceneGenerator::ExpandCandidates(const ListKind& kind,
                                               const std::optional<std::string>& categories) {
  const bool filter = categories && *categories != ";";
  Ref<ISceneObjectDefCollection> objects = sceneDef_->GetObjectDefs();
  for (int i = 0; i < objects->Count(); ++i) {
    Ref<ISceneObjectDef> object = objects->GetItem(Variant(i));
    if (!object || object->GetObjectType() != kind.type) continue;
    const std::string category = object->GetCategory();
    if (filter && (category.empty() || categories->find(category) == std::string::npos)) continue;
    // A hidden object is looked for by its caption: without one it cannot be wanted.
    if (kind.type == otHiddenObject && object->GetCaption().empty()) continue;
    Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
    const int count = locations->Count();
    // Hidden objects with more places come up more often.
    const int repeat = kind.type == otHiddenObject ? count / 2 + 1 : 1;
    const std::string name = object->GetName();
    uint8_t groups = 0;
    for (size_t g = 0; g < groupNames_.size() && g < size_t(kGroups); ++g)
      if (groupNames_[g] == category) groups |= uint8_t(1u << g);
    // The entry names the object again: what that name finds is what is placed.
    const size_t split = name.find('/');
    ISceneObjectDef* named = object.get();
    if (split != std::string::npos)
      named = sceneDef_->GetObjectDefs()->GetItem(Variant(name.substr(0, split))).get();
    for (int l = 0; l < count; ++l) {
      Ref<ISceneObjectLocation> location = locations->GetItem(Variant(l));
      if (!location) continue;
      Entry entry{name + "/" + location->GetName(), std::min(split, name.size()), named, groups};
      for (int r = 0; r < repeat; ++r) {
        candidates_.push_back(entry);
        if (object->GetFirstGeneration()) firstGeneration_.push_back(entry);
      }
    }
  }
}

void TTavelor2SceneGenerator::ReadTarget(const ListKind& kind) {
  const int32_t entries = int32_t(std::min(candidates_.size(), size_t(INT32_MAX)));
  if (!kind.countKey) {
    target_ = entries;
    noTarget_ = true;
    return;
  }
  const int32_t count = scene_->GetParamValue(kind.countKey).ToInt(0);
  noTarget_ = count <= 0;
  target_ = std::clamp(count, 0, entries);
}

void TTavelor2SceneGenerator::PickEntries(const ListKind& kind, bool groupFilter) {
  while ((noTarget_ || placed_ < target_) && !candidates_.empty()) {
    if (!firstGeneration_.empty()) {
      Entry wanted = std::move(firstGeneration_.back());
      firstGeneration_.pop_back();
      AddUsedCaption(wanted.object);
      auto it = std::find_if(candidates_.begin(), candidates_.end(),
                             [&](const Entry& e) { return e.text == wanted.text; });
      // Gone already: the object stands at another of its places.
      if (it == candidates_.end()) continue;
      Placement placement = Place(candidates_, size_t(it - candidates_.begin()), nullptr);
      if (placement.widget) AfterPlacement(kind, placement, candidates_, nullptr);
    } else if (groupFilter) {
      PickByGroup(kind);
    } else if (kind.random) {
      Placement placement = PlaceRandom(candidates_, nullptr);
      if (placement.widget) AfterPlacement(kind, placement, candidates_, nullptr);
    } else {
      Placement placement = Place(candidates_, candidates_.size() - 1, nullptr);
      if (placement.widget) AfterPlacement(kind, placement, candidates_, nullptr);
    }
  }
}

// A pick among the current group's objects (all candidates when the group has none left);
// what the pick took leaves the candidates whether or not it placed anything, so every
// round takes at least one entry.
void TTavelor2SceneGenerator::PickByGroup(const ListKind& kind) {
  const int groupCount = int(std::min(groupNames_.size(), size_t(kGroups)));
  const uint8_t bit = uint8_t(1u << group_);
  EntryList groupList;
  for (const Entry& entry : candidates_)
    if (entry.groups & bit) groupList.push_back(entry);
  if (groupList.empty()) {
    Placement placement = PlaceRandom(candidates_, nullptr);
    if (placement.widget) AfterPlacement(kind, placement, candidates_, nullptr);
  } else {
    EntryList consumed;
    Placement placement = PlaceRandom(groupList, &consumed);
    if (placement.widget) AfterPlacement(kind, placement, groupList, &consumed);
    for (const Entry& taken : consumed) {
      auto it = std::find_if(candidates_.begin(), candidates_.end(),
                             [&](const Entry& e) { return e.text == taken.text; });
      if (it != candidates_.end()) candidates_.erase(it);
      if (placement.widget) AddUsedCaption(taken.object);
    }
  }
  if (findCounts_[size_t(group_)] + 1 >= quotas_[size_t(group_)])
    group_ = (group_ + 1) % groupCount;
}

TTavelor2SceneGenerator::Placement TTavelor2SceneGenerator::Place(EntryList& list, size_t index,
                                                                  EntryList* consumed) {
  Placement placement;
  placement.entry = std::move(list[index]);
  list.erase(list.begin() + ptrdiff_t(index));
  const Entry& entry = placement.entry;
  if (consumed) consumed->push_back(entry);
  ISceneObjectDef* object = entry.object;
  if (!object) return placement;
  Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
  const std::string_view locationName = entry.Location();
  // The special place serves an object that has no other.
  const bool special = locationName == "spec";
  if (special && locations->Count() != 1) return placement;
  Ref<ISceneObjectLocation> location = locations->GetItem(Variant(locationName));
  if (!location) return placement;
  placement.widget = owner_->CreateSceneObjectWidget(Ref<ISceneObjectDef>(object), location, 0, 0);
  if (placement.widget && !special && !object->GetLocationsAllEnabled())
    RemoveEntriesOf(list, entry.Object(), consumed);
  return placement;
}

TTavelor2SceneGenerator::Placement TTavelor2SceneGenerator::PlaceRandom(EntryList& list,
                                                                        EntryList* consumed) {
  while (!list.empty()) {
    Placement placement = Place(list, size_t(Random(int32_t(list.size()))), consumed);
    if (placement.widget) return placement;
  }
  return {};
}

void TTavelor2SceneGenerator::AfterPlacement(const ListKind& kind, const Placement& placement,
                                             EntryList& list, EntryList* consumed) {
  Ref<ISceneObjectDef> object;
  Ref<ISceneObjectLocation> location;
  if (!owner_->GetObjectDefs(placement.widget, object, location) || !object || !location) return;

  // An object shown at all its places keeps its other entries while the places left are
  // few enough for its share of what is still to be found.
  const int32_t places = object->GetLocations()->Count();
  if (object->GetLocationsAllEnabled() && places > 1) {
    ++allEnabledPlacements_;
    if (target_ > 0) {
      const int32_t left = int32_t(list.size());
      const int32_t rest = target_ - placed_;
      // No entry left: nothing to keep (and nothing to divide by).
      const bool keep = left > 0 && left <= rest && places > allEnabledPlacements_ &&
                        allEnabledPlacements_ < RoundHalfEven(double(places) * rest / left);
      if (!keep) {
        if (places > allEnabledPlacements_)
          RemoveEntriesOf(list, placement.entry.Object(), consumed);
        allEnabledPlacements_ = 0;
      }
    }
  }

  if (kind.quota && groupNames_.size() == size_t(kGroups)) {
    const std::string category = object->GetCategory();
    for (int g = 0; g < kGroups; ++g) {
      if (groupNames_[size_t(g)] != category) continue;
      // Over its group's share: shown in the scene, not wanted.
      if (++findCounts_[size_t(g)] > quotas_[size_t(g)]) return;
      break;
    }
  }
  result_ += placement.entry.text;
  result_ += ';';
  ++placed_;
}

void TTavelor2SceneGenerator::PlaceLeftovers() {
  std::string shown = ";";
  while (!candidates_.empty()) {
    Placement placement = Place(candidates_, candidates_.size() - 1, nullptr);
    if (!placement.widget) continue;
    Ref<ISceneObjectDef> object;
    Ref<ISceneObjectLocation> location;
    if (!owner_->GetObjectDefs(placement.widget, object, location) || !object || !location)
      continue;
    const std::string& text = placement.entry.text;
    // A second entry of a place already listed (wanted or shown) finds that place's widget:
    // it stays as it is.
    if (HasWholeEntry(result_, text) || HasWholeEntry(shown, text)) continue;
    // Not shown: voodoo dolls that are not wanted, and objects of a caption the player is
    // looking for.
    if (object->GetObjectType() != otVoodooDoll &&
        !NameListContains(usedCaptions_, object->GetCaptionText())) {
      shown += text;
      shown += ';';
    } else {
      placement.widget->SetDead(true);
    }
  }
  scene_->SetParamValue("ng_names", Variant(shown));
}

void TTavelor2SceneGenerator::RemoveEntriesOf(EntryList& list, std::string_view object,
                                              EntryList* consumed) {
  const std::string name(object);  // List changes below; Object may view one of its entries.
  auto keep = [&](const Entry& e) { return e.Object() != name; };
  auto end = std::stable_partition(list.begin(), list.end(), keep);
  if (consumed)
    for (auto it = end; it != list.end(); ++it) consumed->push_back(*it);
  list.erase(end, list.end());
}

void TTavelor2SceneGenerator::AddUsedCaption(ISceneObjectDef* object) {
  if (!object) return;
  std::string caption = object->GetCaptionText();
  if (caption.empty()) return;
  usedCaptions_ += caption;
  usedCaptions_ += ';';
}
