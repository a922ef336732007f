#include "tests/support/FakeEngine.h"

#include "engine/EngineSurface.h"
#include "foundation/Routines.h"
#include "foundation/SafeFile.h"

// ---------------------------------------------------------------------------------------
// FakeResourceCollection

void FakeResourceCollection::Delete(const Variant& address) {
  if (address.IsOrdinal()) {
    const int64_t index = address.RawInt();
    if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
  } else if (address.IsString()) {
    const int index = IndexOf(address.RawText());
    if (index >= 0) items_.erase(items_.begin() + index);
  }
}

int FakeResourceCollection::IndexOf(std::string_view key) {
  for (int i = 0; i < Count(); ++i)
    if (SameText(items_[i]->GetName(), key)) return i;
  return -1;
}

void FakeResourceCollection::RemoveGroup(const std::string& group) {
  for (int i = Count() - 1; i >= 0; --i) {
    if (!group.empty() && items_[i]->GetGroupName() != group) continue;
    items_[i]->Detach();
    items_.erase(items_.begin() + i);
  }
}

void FakeResourceCollection::UnloadGroup(const std::string& group) {
  for (auto& item : items_)
    if (group.empty() || item->GetGroupName() == group) item->Unload();
}

Ref<IResource> FakeResourceCollection::Find(const Variant& address) {
  if (address.IsOrdinal()) {
    const int64_t index = address.RawInt();
    return index >= 0 && index < Count() ? items_[index] : nullptr;
  }
  if (!address.IsString()) return nullptr;
  const int index = IndexOf(address.RawText());
  return index >= 0 ? items_[index] : nullptr;
}

void FakeResourceCollection::Add(const Ref<IResource>& resource) {
  if (resource && IndexOf(resource->GetName()) < 0) items_.push_back(resource);
}

void FakeResourceCollection::Put(const std::string& name, const Ref<IResource>& resource) {
  if (!resource) return;
  resource->SetName(name);
  Delete(Variant(name));
  items_.push_back(resource);
}

// ---------------------------------------------------------------------------------------
// FakeEngine

bool FakeEngine::WritePreferenceFile(const std::string& text, const std::string& fileName) {
  if (preferenceFolder.empty()) return false;
  ++preferenceSaves;
  return WriteFileSafely(preferenceFolder + "/" + fileName, text);
}

Variant FakeEngine::GetOption(const std::string& name) {
  auto it = options.find(name);
  return it == options.end() ? Variant() : it->second;
}

AudioHandle FakeEngine::PlaySound(const Ref<ISound>& sound) {
  if (!sound) return 0;
  playedSounds.push_back(sound->GetResourceName());
  playedVolumePan.emplace_back(sound->GetVolume(), sound->GetPan());
  if (soundsLast) soundsPlaying.insert(AudioHandle(playedSounds.size()));
  return AudioHandle(playedSounds.size());
}

void FakeEngine::StopSound(const Ref<ISound>& sound) {
  if (sound) stoppedSounds.push_back(sound->GetResourceName());
}

Ref<ISurface> FakeEngine::CreateSurface() {
  ++surfacesCreated;
  return Ref<ISurface>(new TSurface());
}
