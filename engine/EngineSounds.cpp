#include "engine/EngineSounds.h"

#include <cstdint>

namespace {

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

// The plain attribute sets both ends of the range; _min and _max then refine it.
void ReadDelayPair(const Ref<IHierStorage>& node, const std::string& base, int32_t& min,
                   int32_t& max) {
  min = max = ReadXmlInt(node, base, 0);
  min = ReadXmlInt(node, base + "_min", min);
  max = ReadXmlInt(node, base + "_max", max);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Music

void TMusic::Init() {
  TPropertyObject::Init();
  elementName_ = "music";
}

const TPropertyTable& TMusic::Properties() {
  static const TPropertyTable table(TPropertyObject::Properties(),
                                    {
                                        Prop("resourcename", &TMusic::resourceName_).Str().Always(),
                                    });
  return table;
}

// ---------------------------------------------------------------------------------------
// Sound

void TSound::Init() {
  TPropertyObject::Init();
  elementName_ = "sound";
}

// "startdelaytime" and "cycledelaytime" read the least delay and set both ends.
const TPropertyTable& TSound::Properties() {
  using S = TSound;
  static const TPropertyTable table(
      TPropertyObject::Properties(),
      {
          Prop("resourcename", &S::resourceName_).Str().Always(),
          Prop("volume", &S::volume_).Int(-1),
          Prop("pan", &S::pan_).Int(-101),
          Prop("mutemusic", &S::muteMusic_).Bool(),
          Prop("loop", &S::loop_).Bool(),
          Prop("playfadingtime", &S::playFadingTime_).Int(),
          Prop("stopfadingtime", &S::stopFadingTime_).Int(),
          Prop<S>("startdelaytime", &S::startDelayMin_,
                  [](S& s, int32_t ms) { s.startDelayMin_ = s.startDelayMax_ = ms; })
              .Xml(&S::LoadStartDelay, &S::SaveStartDelay),
          Prop("startdelaytime_min", &S::startDelayMin_),
          Prop("startdelaytime_max", &S::startDelayMax_),
          Prop<S>("cycledelaytime", &S::cycleDelayMin_,
                  [](S& s, int32_t ms) { s.cycleDelayMin_ = s.cycleDelayMax_ = ms; })
              .Xml(&S::LoadCycleDelay, &S::SaveCycleDelay),
          Prop("cycledelaytime_min", &S::cycleDelayMin_),
          Prop("cycledelaytime_max", &S::cycleDelayMax_),
          // Read back it defaults to the loop flag; only a different value needs writing.
          Attr("stoppable_by_group", &S::stoppableByGroup_).Bool(&S::loop_),
      });
  return table;
}

void TSound::LoadStartDelay(const Ref<IHierStorage>& node) {
  ReadDelayPair(node, "startdelaytime", startDelayMin_, startDelayMax_);
}

// Every sound waits for its start delay, so it is kept whether or not the sound loops.
void TSound::SaveStartDelay(const Ref<IHierStorage>& node) {
  if (startDelayMin_ != 0 || startDelayMax_ != 0)
    WriteDelayPair(node, "startdelaytime", startDelayMin_, startDelayMax_);
}

void TSound::LoadCycleDelay(const Ref<IHierStorage>& node) {
  ReadDelayPair(node, "cycledelaytime", cycleDelayMin_, cycleDelayMax_);
}

// The repeat pause means something only to a looping sound.
void TSound::SaveCycleDelay(const Ref<IHierStorage>& node) {
  if (loop_ && (cycleDelayMin_ != 0 || cycleDelayMax_ != 0))
    WriteDelayPair(node, "cycledelaytime", cycleDelayMin_, cycleDelayMax_);
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

AudioHandle PlaySoundWithValues(IEngine& engine, const Ref<ISound>& sound, int32_t volume,
                                int32_t pan) {
  struct KeepValues {
    ISound& sound;
    const int32_t volume = sound.GetVolume();
    const int32_t pan = sound.GetPan();
    ~KeepValues() {
      sound.SetVolume(volume);
      sound.SetPan(pan);
    }
  } keep{*sound};
  sound->SetVolume(volume);
  sound->SetPan(pan);
  return engine.PlaySound(sound);
}
