#include "engine/EngineSounds.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// Integer properties: a value that does not convert leaves the field alone.
bool SetIntFrom(const Variant& value, int32_t& field) {
  std::optional<int64_t> number = value.TryInt();
  if (!number) return false;
  field = static_cast<int32_t>(std::clamp<int64_t>(*number, INT32_MIN, INT32_MAX));
  return true;
}

bool SetBoolFrom(const Variant& value, bool& field) {
  std::optional<bool> flag = value.TryBool();
  if (!flag) return false;
  field = *flag;
  return true;
}

// A pair of delays under Base ("startdelaytime"): one attribute when both are equal, else
// Base_min and Base_max.
void WriteDelayPair(const Ref<IHierStorage>& node, const std::string& base, int32_t min,
                    int32_t max) {
  if (min == max) {
    WriteXmlInt(node, base, min, true);
    return;
  }
  WriteXmlInt(node, base + "_min", min, true);
  WriteXmlInt(node, base + "_max", max, true);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Music

void TMusic::Init() {
  TPropertyObject::Init();
  elementName_ = "music";
}

Variant TMusic::DoGetProperty(const std::string& name) {
  if (name == "resourcename") return Variant(resourceName_);
  return TPropertyObject::DoGetProperty(name);
}

void TMusic::SetProperty(const std::string& name, const Variant& value) {
  if (name == "resourcename")
    resourceName_ = value.ToString();
  else
    TPropertyObject::SetProperty(name, value);
}

void TMusic::LoadFromXml(const Ref<IHierStorage>& node) {
  TPropertyObject::LoadFromXml(node);
  resourceName_ = ReadXmlStr(node, "resourcename");
}

void TMusic::SaveToXml(const Ref<IHierStorage>& node) {
  TPropertyObject::SaveToXml(node);
  WriteXmlStr(node, "resourcename", resourceName_, true);
}

// ---------------------------------------------------------------------------------------
// Sound

void TSound::Init() {
  TPropertyObject::Init();
  elementName_ = "sound";
  SetDefaults();
}

void TSound::SetDefaults() {
  resourceName_.clear();
  volume_ = -1;
  pan_ = -101;
  muteMusic_ = false;
  loop_ = false;
  startDelayMin_ = startDelayMax_ = 0;
  cycleDelayMin_ = cycleDelayMax_ = 0;
  playFadingTime_ = stopFadingTime_ = 0;
  stoppableByGroup_ = false;
}

Variant TSound::DoGetProperty(const std::string& name) {
  if (name == "resourcename") return Variant(resourceName_);
  if (name == "volume") return Variant(int(volume_));
  if (name == "pan") return Variant(int(pan_));
  if (name == "mutemusic") return Variant(muteMusic_);
  if (name == "loop") return Variant(loop_);
  if (name == "startdelaytime_min" || name == "startdelaytime") return Variant(int(startDelayMin_));
  if (name == "startdelaytime_max") return Variant(int(startDelayMax_));
  if (name == "cycledelaytime_min" || name == "cycledelaytime") return Variant(int(cycleDelayMin_));
  if (name == "cycledelaytime_max") return Variant(int(cycleDelayMax_));
  if (name == "playfadingtime") return Variant(int(playFadingTime_));
  if (name == "stopfadingtime") return Variant(int(stopFadingTime_));
  return TPropertyObject::DoGetProperty(name);
}

void TSound::SetProperty(const std::string& name, const Variant& value) {
  if (name == "resourcename") {
    resourceName_ = value.ToString();
  } else if (name == "volume") {
    SetIntFrom(value, volume_);
  } else if (name == "pan") {
    SetIntFrom(value, pan_);
  } else if (name == "mutemusic") {
    SetBoolFrom(value, muteMusic_);
  } else if (name == "loop") {
    SetBoolFrom(value, loop_);
  } else if (name == "startdelaytime_min") {
    SetIntFrom(value, startDelayMin_);
  } else if (name == "startdelaytime_max") {
    SetIntFrom(value, startDelayMax_);
  } else if (name == "startdelaytime") {
    if (SetIntFrom(value, startDelayMin_)) startDelayMax_ = startDelayMin_;
  } else if (name == "cycledelaytime_min") {
    SetIntFrom(value, cycleDelayMin_);
  } else if (name == "cycledelaytime_max") {
    SetIntFrom(value, cycleDelayMax_);
  } else if (name == "cycledelaytime") {
    if (SetIntFrom(value, cycleDelayMin_)) cycleDelayMax_ = cycleDelayMin_;
  } else if (name == "playfadingtime") {
    SetIntFrom(value, playFadingTime_);
  } else if (name == "stopfadingtime") {
    SetIntFrom(value, stopFadingTime_);
  } else {
    TPropertyObject::SetProperty(name, value);
  }
}

void TSound::LoadFromXml(const Ref<IHierStorage>& node) {
  TPropertyObject::LoadFromXml(node);
  SetDefaults();
  resourceName_ = ReadXmlStr(node, "resourcename");
  volume_ = ReadXmlInt(node, "volume", -1);
  pan_ = ReadXmlInt(node, "pan", -101);
  muteMusic_ = ReadXmlBool(node, "mutemusic", false);
  loop_ = ReadXmlBool(node, "loop", false);
  // The plain attribute sets both ends of the range; _min and _max then refine it.
  startDelayMin_ = startDelayMax_ = ReadXmlInt(node, "startdelaytime", 0);
  startDelayMin_ = ReadXmlInt(node, "startdelaytime_min", startDelayMin_);
  startDelayMax_ = ReadXmlInt(node, "startdelaytime_max", startDelayMax_);
  cycleDelayMin_ = cycleDelayMax_ = ReadXmlInt(node, "cycledelaytime", 0);
  cycleDelayMin_ = ReadXmlInt(node, "cycledelaytime_min", cycleDelayMin_);
  cycleDelayMax_ = ReadXmlInt(node, "cycledelaytime_max", cycleDelayMax_);
  playFadingTime_ = ReadXmlInt(node, "playfadingtime", 0);
  stopFadingTime_ = ReadXmlInt(node, "stopfadingtime", 0);
  stoppableByGroup_ = ReadXmlBool(node, "stoppable_by_group", loop_);
}

void TSound::SaveToXml(const Ref<IHierStorage>& node) {
  TPropertyObject::SaveToXml(node);
  WriteXmlStr(node, "resourcename", resourceName_, true);
  WriteXmlInt(node, "volume", volume_, volume_ != -1);
  WriteXmlInt(node, "pan", pan_, pan_ != -101);
  WriteXmlBool(node, "mutemusic", muteMusic_, muteMusic_);
  WriteXmlBool(node, "loop", loop_, loop_);
  WriteXmlInt(node, "playfadingtime", playFadingTime_, playFadingTime_ != 0);
  WriteXmlInt(node, "stopfadingtime", stopFadingTime_, stopFadingTime_ != 0);
  // Every sound waits for its start delay, so it is kept whether or not the sound loops;
  // the repeat pause means something only to a looping sound.
  if (startDelayMin_ != 0 || startDelayMax_ != 0)
    WriteDelayPair(node, "startdelaytime", startDelayMin_, startDelayMax_);
  if (loop_ && (cycleDelayMin_ != 0 || cycleDelayMax_ != 0))
    WriteDelayPair(node, "cycledelaytime", cycleDelayMin_, cycleDelayMax_);
  // Read back it defaults to the loop flag; only a different value needs writing.
  WriteXmlBool(node, "stoppable_by_group", stoppableByGroup_, stoppableByGroup_ != loop_);
}

// ---------------------------------------------------------------------------------------
// Collections

void TSoundCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  itemClass_ = ClassOf<TSound>();
  elementName_ = "sounds";
  itemElementName_ = "sound";
}

Ref<ISound> TSoundCollection::FindSound(const Variant& address) {
  return items_->GetAs<ISound>(address);
}

void TSoundCollection::ItemLoaded(const Ref<IInterface>& item) {
  if (Ref<ISound> sound = Supports<ISound>(item)) items_->Add(item, sound->GetName());
}

void TMusicCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  itemClass_ = ClassOf<TMusic>();
  elementName_ = "musics";
  itemElementName_ = "music";
}

Ref<IMusic> TMusicCollection::FindMusic(const Variant& address) {
  return items_->GetAs<IMusic>(address);
}

void TMusicCollection::ItemLoaded(const Ref<IInterface>& item) {
  if (Ref<IMusic> music = Supports<IMusic>(item)) items_->Add(item, music->GetName());
}

void RegisterEngineSoundClasses() {
  if (ClassesRegistry().FindClass("Sound")) return;
  RegisterClassName<TSound>("Sound");
  RegisterClassName<TMusic>("Music");
}
