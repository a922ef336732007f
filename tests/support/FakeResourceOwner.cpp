#include "tests/support/FakeResourceOwner.h"

#include <algorithm>

Ref<IStream> FakeResourceOwner::OpenStream(const std::string& path) {
  opened.push_back(path);
  auto found = files.find(path);
  if (found == files.end()) return nullptr;
  return Ref<IStream>(new TFastMemoryStream(found->second));
}

void FakeResourceOwner::GetPixelFormat(TPixelFormat& format) {
  format = TPixelFormat{0xFF0000, 0xFF00, 0xFF, 16, 8, 0, 8, 8, 8};
}

AudioHandle FakeResourceOwner::NewHandle() {
  live.push_back(next_);
  return next_++;
}

void FakeResourceOwner::Free(AudioHandle handle) {
  live.erase(std::remove(live.begin(), live.end(), handle), live.end());
}

AudioHandle FakeResourceOwner::LoadMusic(const std::string& path) {
  if (!files.count(path)) return kNoAudio;
  AudioHandle handle = NewHandle();
  calls.push_back("LoadMusic " + path);
  return handle;
}

void FakeResourceOwner::FreeMusic(AudioHandle music) {
  calls.push_back("FreeMusic " + std::to_string(music));
  Free(music);
}

AudioHandle FakeResourceOwner::LoadSample(const std::string& path, uint16_t maxPlaybacks,
                                          bool loop) {
  if (!files.count(path)) return kNoAudio;
  AudioHandle handle = NewHandle();
  calls.push_back("LoadSample " + path + " " + std::to_string(maxPlaybacks) + " " +
                  (loop ? "1" : "0"));
  return handle;
}

AudioHandle FakeResourceOwner::LoadSampleChannel(const std::string& path, AudioHandle& sample) {
  sample = LoadSample(path, 1, true);
  return sample ? sample + 1000 : kNoAudio;
}

void FakeResourceOwner::FreeSample(AudioHandle sample) {
  calls.push_back("FreeSample " + std::to_string(sample));
  Free(sample);
}

Ref<IResource> FakeResourceOwner::GetResource(const std::string& name) {
  auto found = resources.find(name);
  return found == resources.end() ? nullptr : found->second;
}

int FakeResourceOwner::Opened(const std::string& path) const {
  return int(std::count(opened.begin(), opened.end(), path));
}
