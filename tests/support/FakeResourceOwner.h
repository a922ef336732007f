#pragma once
// The engine as resources see it, without an engine: files come from memory, audio
// loads hand out numbered handles, and every open, load and free is recorded.

#include <map>
#include <string>
#include <vector>

#include "foundation/EngineInterfaces.h"

class FakeResourceOwner : public TInterfacedObject, public IResourceOwner {
 public:
  Ref<IStream> OpenStream(const std::string& path) override;
  void GetPixelFormat(TPixelFormat& format) override;
  uint32_t ColorToPixel(uint32_t rgb) override { return rgb; }
  AudioHandle LoadMusic(const std::string& path) override;
  void FreeMusic(AudioHandle music) override;
  AudioHandle LoadSample(const std::string& path, uint16_t maxPlaybacks, bool loop) override;
  AudioHandle LoadSampleChannel(const std::string& path, AudioHandle& sample) override;
  void FreeSample(AudioHandle sample) override;
  Ref<IResource> GetResource(const std::string& name) override;

  // How many times the file was opened.
  int Opened(const std::string& path) const;
  // Handles loaded and not yet freed.
  int LiveHandles() const { return int(live.size()); }

  std::map<std::string, std::string> files;
  std::map<std::string, Ref<IResource>> resources;
  std::vector<std::string> opened;
  std::vector<std::string> calls;  // "LoadSample path 1 0", "FreeSample 3", ...
  std::vector<AudioHandle> live;

 private:
  AudioHandle NewHandle();
  void Free(AudioHandle handle);
  AudioHandle next_ = 1;
};
