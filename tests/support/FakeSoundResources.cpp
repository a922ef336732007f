#include "tests/support/FakeSoundResources.h"

#include "foundation/Routines.h"

// ---------------------------------------------------------------------------------------
// Resources

void FakeResource::Load() {
  if (!pending_) return;
  pending_ = false;
  ++loads;
  LoadData();
}

void FakeResource::Unload() {
  FreeData();
  pending_ = true;
  ++unloads;
}

FakeSoundResource::FakeSoundResource(IAudio& audio, std::string name, Bytes data, int maxPlaybacks,
                                     int masterVolume)
    : FakeResource(std::move(name)),
      audio_(audio),
      data_(std::move(data)),
      maxPlaybacks_(maxPlaybacks),
      masterVolume_(masterVolume) {}

AudioHandle FakeSoundResource::GetSampleHandle() {
  if (IsLoadPending()) Load();
  return sample_;
}

void FakeSoundResource::LoadData() {
  sample_ = audio_.LoadSample(data_.data(), data_.size(), maxPlaybacks_, false);
}

void FakeSoundResource::FreeData() {
  if (sample_ != kNoAudio) audio_.FreeSample(sample_);
  sample_ = kNoAudio;
}

FakeMusicResource::FakeMusicResource(IAudio& audio, std::string name, Bytes data, uint8_t format)
    : FakeResource(std::move(name)), audio_(audio), data_(std::move(data)), format_(format) {}

AudioHandle FakeMusicResource::GetMusicHandle() {
  if (IsLoadPending()) Load();
  return music_;
}

void FakeMusicResource::LoadData() {
  if (format_ == 0) {
    music_ = audio_.LoadMusic(data_.data(), data_.size());
    return;
  }
  sample_ = audio_.LoadSample(data_.data(), data_.size(), 1, true);
  music_ = sample_ != kNoAudio ? audio_.GetSampleChannel(sample_) : kNoAudio;
}

void FakeMusicResource::FreeData() {
  if (format_ == 0 && music_ != kNoAudio) audio_.FreeMusic(music_);
  if (format_ != 0 && sample_ != kNoAudio) audio_.FreeSample(sample_);
  music_ = sample_ = kNoAudio;
}

FakeSoundGroupResource::FakeSoundGroupResource(std::string name,
                                               std::vector<Ref<FakeSoundResource>> members)
    : FakeResource(std::move(name)), members_(std::move(members)) {}

AudioHandle FakeSoundGroupResource::GetSampleHandle() {
  if (IsLoadPending()) Load();
  return current_ >= 0 ? members_[current_]->GetSampleHandle() : kNoAudio;
}

int32_t FakeSoundGroupResource::GetMasterVolume() {
  return current_ >= 0 ? members_[current_]->GetMasterVolume() : 100;
}

void FakeSoundGroupResource::SetMasterVolume(int32_t volume) {
  if (current_ >= 0) members_[current_]->SetMasterVolume(volume);
}

void FakeSoundGroupResource::Select() {
  ++selects;
  if (!members_.empty()) current_ = (current_ + 1) % static_cast<int>(members_.size());
}

void FakeSoundGroupResource::LoadData() {
  for (auto& member : members_) member->Load();
}

void FakeSoundGroupResource::FreeData() {
  for (auto& member : members_) member->Unload();
}

FakeMusicGroupResource::FakeMusicGroupResource(std::string name,
                                               std::vector<Ref<FakeMusicResource>> members)
    : FakeResource(std::move(name)), members_(std::move(members)) {}

AudioHandle FakeMusicGroupResource::GetMusicHandle() {
  if (IsLoadPending()) Load();
  return current_ >= 0 ? members_[current_]->GetMusicHandle() : kNoAudio;
}

void FakeMusicGroupResource::Select() {
  ++selects;
  if (!members_.empty()) current_ = (current_ + 1) % static_cast<int>(members_.size());
}

void FakeMusicGroupResource::LoadData() {
  for (auto& member : members_) member->Load();
}

void FakeMusicGroupResource::FreeData() {
  for (auto& member : members_) member->Unload();
}
