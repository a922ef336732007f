#pragma once
// Helpers of the generator tests: a scratch folder, and decoders that read the generated
// files back with the same libraries the engine decodes them with.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/assetgen/Generate.h"

// A fresh folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string Path() const { return path_.string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);

// "image", "font", "sound" or "music" and a source line split into words.
std::vector<std::string> Generate(const std::string& kind, const std::string& outDir,
                                  const std::vector<std::string>& words);

struct DecodedImage {
  bool ok = false;
  int width = 0, height = 0;
  int channels = 0;           // as stored in the file: 1 grey, 3 RGB, 4 RGBA
  std::vector<uint8_t> rgba;  // always expanded to RGBA
  uint8_t Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};
DecodedImage DecodePng(const std::vector<uint8_t>& bytes);
DecodedImage DecodeJpeg(const std::vector<uint8_t>& bytes);  // channels = components

// Counts of alpha values: fully transparent, partial, fully opaque.
struct AlphaCounts {
  size_t clear = 0, partial = 0, opaque = 0;
};
AlphaCounts CountAlpha(const DecodedImage& image);
