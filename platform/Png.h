#pragma once
// Frames to and from PNG files, for screenshots and the checks made on them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Writes 0xAARRGGBB pixels (stride pixels per row) as an RGB PNG; alpha is dropped,
// as the display drops it.
bool WritePng(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
              int32_t stride, std::string& error);

struct PngImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // 0xFFRRGGBB when the file has no alpha
  uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// Reads any PNG into 0xAARRGGBB pixels; false with a message for a file that is
// missing, not a PNG, damaged or larger than maxPixels.
bool ReadPng(const std::string& path, PngImage& image, std::string& error,
             uint64_t maxPixels = 64u << 20);
// The same from bytes in memory (a program resource); name stands for them in messages.
bool DecodePng(const uint8_t* data, size_t size, const std::string& name, PngImage& image,
               std::string& error, uint64_t maxPixels = 64u << 20);

}  // namespace platform
