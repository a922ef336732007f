// Image decoding through the image resource, as the engine loads pictures: PNG, JPEG
// and the jpng pair. The first byte picks the format; for jpng the next two bytes
// (little-endian) give the length of the alpha PNG, and the JPEG follows it.
#include <cstdint>
#include <map>
#include <string>

#include "engine/EngineRegistration.h"
#include "engine/EngineResources.h"
#include "foundation/XMLStorage.h"

namespace {

class FuzzOwner : public TInterfacedObject, public IResourceOwner {
 public:
  Ref<IStream> OpenStream(const std::string& path) override {
    auto found = files.find(path);
    if (found == files.end()) return nullptr;
    return Ref<IStream>(new TFastMemoryStream(found->second));
  }
  void GetPixelFormat(TPixelFormat& format) override { format = {}; }
  uint32_t ColorToPixel(uint32_t rgb) override { return rgb; }
  AudioHandle LoadMusic(const std::string&) override { return kNoAudio; }
  void FreeMusic(AudioHandle) override {}
  AudioHandle LoadSample(const std::string&, uint16_t, bool) override { return kNoAudio; }
  AudioHandle LoadSampleChannel(const std::string&, AudioHandle& sample) override {
    sample = kNoAudio;
    return kNoAudio;
  }
  void FreeSample(AudioHandle) override {}
  Ref<IResource> GetResource(const std::string&) override { return nullptr; }

  std::map<std::string, std::string> files;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool registered = (RegisterFoundationClasses(), RegisterEngineClasses(), true);
  (void)registered;
  if (size < 1) return 0;
  static const char* const kFormats[] = {"png", "jpeg", "jpng"};
  int format = data[0] % 3;
  std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);

  Ref<FuzzOwner> owner(new FuzzOwner());
  if (format == 2) {
    if (rest.size() < 2) return 0;
    size_t alphaLength = uint8_t(rest[0]) | (size_t(uint8_t(rest[1])) << 8);
    rest.erase(0, 2);
    alphaLength = std::min(alphaLength, rest.size());
    owner->files["f.png"] = rest.substr(0, alphaLength);
    owner->files["f.jpg"] = rest.substr(alphaLength);
  } else {
    owner->files["f.png"] = rest;
  }

  Ref<IHierStorageRoot> node = LoadXmlStorageFromText(
      std::string("<resource type=\"ImageResource\" name=\"f\" file=\"f.png\" format=\"") +
      kFormats[format] + "\"/>");
  Ref<IResourceSlave> resource = CreateResourceByType("ImageResource", "f");
  Supports<IPersistObject>(resource)->LoadFromStorage(Ref<IHierStorage>(node.get()));
  resource->SetOwner(owner.get());
  Ref<IImageResource> image = Supports<IImageResource>(resource);
  // Every pixel is read, so a surface smaller than it claims shows up.
  if (Ref<ISurface> surface = image->GetSurface()) {
    uint32_t sum = 0;
    for (int32_t y = 0; y < image->GetHeight(); ++y) {
      const uint32_t* row = surface->GetScanLine(y);
      for (int32_t x = 0; x < image->GetWidth(); ++x) sum += row[x];
    }
    volatile uint32_t sink = sum;
    (void)sink;
  }
  resource->Detach();
  return 0;
}
