// Image decoding through the image resource, as the engine loads pictures: PNG, JPEG
// and the jpng pair. The first byte picks the format (its value modulo 3) and whether the
// PNG gets the asset generator's mark after its header (odd value divided by 3), so that
// the quick way for our own pictures sees hostile files too; such a PNG is also decoded
// both ways, which must agree. For jpng the next two bytes (little-endian) give the
// length of the alpha PNG, and the JPEG follows it.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine/EngineRegistration.h"
#include "engine/EngineResources.h"
#include "engine/EngineResourcesImages.h"
#include "engine/EngineSurface.h"
#include "engine/OwnPictureMark.h"
#include "engine/OwnPngDecode.h"
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

// The mark where the generator puts it, unless the file is too short to have a header.
void Mark(std::string& png) {
  if (png.size() < own_picture::kMarkOffset) return;
  constexpr auto kMark = own_picture::Chunk();
  png.insert(own_picture::kMarkOffset, reinterpret_cast<const char*>(kMark.data()), kMark.size());
}

// Whatever the quick way decodes, libpng decodes to the same.
void CompareWithLibpng(const std::string& png) {
  constexpr int32_t kSide = TImageResource::kMaxImageSide;
  Ref<TSurface> quick = TAbstractObject::Create<TSurface>();
  if (own_png::DecodeColour(png, *quick, kSide)) {
    Ref<TSurface> reference = TAbstractObject::Create<TSurface>();
    if (!DecodePngImageByLibpng(png, *reference, kSide)) std::abort();
    int32_t w = quick->GetWidth(), h = quick->GetHeight();
    if (reference->GetWidth() != w || reference->GetHeight() != h ||
        reference->GetHasAlpha() != quick->GetHasAlpha())
      std::abort();
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        if (quick->GetScanLine(y)[x] != reference->GetScanLine(y)[x]) std::abort();
  }
  std::vector<uint8_t> grey, greyReference;
  int32_t w = 0, h = 0, rw = 0, rh = 0;
  if (own_png::DecodeGrey(png, grey, w, h, kSide)) {
    if (!DecodeGreyPngByLibpng(png, greyReference, rw, rh, kSide) || rw != w || rh != h ||
        grey != greyReference)
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool registered = (RegisterFoundationClasses(), RegisterEngineClasses(), true);
  (void)registered;
  if (size < 1) return 0;
  static const char* const kFormats[] = {"png", "jpeg", "jpng"};
  int format = data[0] % 3;
  bool marked = (data[0] / 3) % 2 == 1;
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
  if (marked && format != 1) {
    Mark(owner->files["f.png"]);
    CompareWithLibpng(owner->files["f.png"]);
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
