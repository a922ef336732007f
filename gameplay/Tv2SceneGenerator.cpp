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

std::string_view TTavelor2SceneGenerator::EntryText::Location() const {
  return split < text.size() ? std::string_view(text).substr(split + 1) : std::string_view();
}

uint32_t TTavelor2SceneGenerator::TextNumber(std::string text, uint32_t object,
                                             ISceneObjectDef* def, ISceneObjectLocation* location,
                                             int32_t places) {
  // A text with one "/" is one object's at one place, which no other text can be; only
  // names holding a "/" can give texts of others.
  const size_t split = text.find('/');
  const bool plain = text.find('/', split + 1) == std::string::npos;
  if (!plain) {
    auto found = textNumbers_.find(text);
    if (found != textNumbers_.end()) return found->second;
    textNumbers_.emplace(text, uint32_t(texts_.size()));
  }
  EntryText entry;
  entry.split = split;
  entry.object = object;
  entry.def = def;
  entry.location = location;
  entry.places = places;
  entry.text = std::move(text);
  texts_.push_back(std::move(entry));
  return uint32_t(texts_.size() - 1);
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
  groupList_.clear();
  consumed_.clear();
  taken_.clear();
  objects_.clear();
  texts_.clear();
  textNumbers_.clear();
  captionsAdded_.clear();
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
  ReadSceneObjects();

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
  captionsAdded_.clear();
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

void TTavelor2SceneGenerator::ReadSceneObjects() {
  objects_.clear();
  texts_.clear();
  textNumbers_.clear();
  Ref<ISceneObjectDefCollection> objects = sceneDef_->GetObjectDefs();
  objects_.reserve(size_t(objects->Count()));
  for (int i = 0; i < objects->Count(); ++i) {
    Ref<ISceneObjectDef> def = objects->GetItem(Variant(i));
    if (!def) continue;
    SceneObject object;
    object.def = def;
    object.name = def->GetName();
    object.type = def->GetObjectType();
    object.category = def->GetCategory();
    // Only hidden objects are wanted by their captions.
    object.captioned = object.type == otHiddenObject && !def->GetCaption().empty();
    object.firstGeneration = def->GetFirstGeneration();
    objects_.push_back(std::move(object));
  }
  for (size_t i = 0; i < objects_.size(); ++i) {
    SceneObject& object = objects_[i];
    // An entry names the object again, up to its first "/": what that finds is what is
    // placed, which is another object only for a name holding a "/".
    const size_t split = object.name.find('/');
    uint32_t number = uint32_t(i);
    ISceneObjectDef* named = object.def.get();
    if (split != std::string::npos) {
      const std::string_view prefix = std::string_view(object.name).substr(0, split);
      number = uint32_t(objects_.size()) + uint32_t(i);  // its own, unless an object bears it
      for (size_t j = 0; j < objects_.size(); ++j)
        if (objects_[j].name == prefix) number = uint32_t(j);
      named = objects->GetItem(Variant(prefix)).get();
    }
    Ref<ISceneObjectLocationCollection> locations = object.def->GetLocations();
    const int32_t places = named ? named->GetLocations()->Count() : 0;
    for (int l = 0; l < locations->Count(); ++l) {
      Ref<ISceneObjectLocation> location = locations->GetItem(Variant(l));
      if (!location) continue;
      std::string text = object.name + "/" + location->GetName();
      ISceneObjectLocation* at = location.get();
      if (named != object.def.get())
        at =
            named ? named->GetLocations()->GetItem(Variant(text.substr(split + 1))).get() : nullptr;
      object.texts.push_back(TextNumber(std::move(text), number, named, at, places));
    }
  }
}

void TTavelor2SceneGenerator::ExpandCandidates(const ListKind& kind,
                                               const std::optional<std::string>& categories) {
  const bool filter = categories && *categories != ";";
  for (const SceneObject& object : objects_) {
    if (object.type != kind.type) continue;
    const std::string& category = object.category;
    if (filter && (category.empty() || categories->find(category) == std::string::npos)) continue;
    // A hidden object is looked for by its caption: without one it cannot be wanted.
    if (kind.type == otHiddenObject && !object.captioned) continue;
    // Hidden objects with more places come up more often.
    const size_t repeat = kind.type == otHiddenObject ? object.texts.size() / 2 + 1 : 1;
    uint8_t groups = 0;
    for (size_t g = 0; g < groupNames_.size() && g < size_t(kGroups); ++g)
      if (groupNames_[g] == category) groups |= uint8_t(1u << g);
    for (uint32_t text : object.texts) {
      const Entry entry{text, groups};
      for (size_t r = 0; r < repeat; ++r) {
        candidates_.push_back(entry);
        if (object.firstGeneration) firstGeneration_.push_back(entry);
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
  // A negative count stays negative: nothing placed is then no success.
  target_ = std::min(count, entries);
}

void TTavelor2SceneGenerator::PickEntries(const ListKind& kind, bool groupFilter) {
  while ((noTarget_ || placed_ < target_) && !candidates_.empty()) {
    if (!firstGeneration_.empty()) {
      Entry wanted = std::move(firstGeneration_.back());
      firstGeneration_.pop_back();
      AddUsedCaption(TextOf(wanted).def);
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
  EntryList& groupList = groupList_;
  groupList.clear();
  for (const Entry& entry : candidates_)
    if (entry.groups & bit) groupList.push_back(entry);
  if (groupList.empty()) {
    Placement placement = PlaceRandom(candidates_, nullptr);
    if (placement.widget) AfterPlacement(kind, placement, candidates_, nullptr);
  } else {
    EntryList& consumed = consumed_;
    consumed.clear();
    Placement placement = PlaceRandom(groupList, &consumed);
    if (placement.widget) AfterPlacement(kind, placement, groupList, &consumed);
    // One candidate goes for each entry taken (equal entries stand for each other).
    std::vector<uint32_t>& taken = taken_;
    taken.assign(texts_.size(), 0);
    for (const Entry& entry : consumed) {
      ++taken[entry.text];
      if (placement.widget) AddUsedCaption(TextOf(entry).def);
    }
    auto end = std::remove_if(candidates_.begin(), candidates_.end(), [&](const Entry& e) {
      if (taken[e.text] == 0) return false;
      --taken[e.text];
      return true;
    });
    candidates_.erase(end, candidates_.end());
  }
  if (findCounts_[size_t(group_)] + 1 >= quotas_[size_t(group_)])
    group_ = (group_ + 1) % groupCount;
}

TTavelor2SceneGenerator::Placement TTavelor2SceneGenerator::Place(EntryList& list, size_t index,
                                                                  EntryList* consumed) {
  Placement placement;
  placement.entry = list[index];
  list.erase(list.begin() + ptrdiff_t(index));
  if (consumed) consumed->push_back(placement.entry);
  const EntryText& text = TextOf(placement.entry);
  if (!text.def) return placement;
  // The special place serves an object that has no other.
  const bool special = text.Location() == "spec";
  if (special && text.places != 1) return placement;
  if (!text.location) return placement;
  placement.widget = owner_->CreateSceneObjectWidget(
      Ref<ISceneObjectDef>(text.def), Ref<ISceneObjectLocation>(text.location), 0, 0);
  if (placement.widget && !special && !text.def->GetLocationsAllEnabled())
    RemoveEntriesOf(list, text.object, consumed);
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
          RemoveEntriesOf(list, TextOf(placement.entry).object, consumed);
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
  result_ += TextOf(placement.entry).text;
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
    const std::string& text = TextOf(placement.entry).text;
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

void TTavelor2SceneGenerator::RemoveEntriesOf(EntryList& list, uint32_t object,
                                              EntryList* consumed) {
  auto taken = [&](const Entry& e) { return TextOf(e).object == object; };
  if (consumed)
    for (const Entry& entry : list)
      if (taken(entry)) consumed->push_back(entry);
  list.erase(std::remove_if(list.begin(), list.end(), taken), list.end());
}

void TTavelor2SceneGenerator::AddUsedCaption(ISceneObjectDef* object) {
  // An object's caption once: the list is only searched.
  if (!object || !captionsAdded_.insert(object).second) return;
  std::string caption = object->GetCaptionText();
  if (caption.empty()) return;
  usedCaptions_ += caption;
  usedCaptions_ += ';';
}
