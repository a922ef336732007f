#include "platform/Png.h"

#include <png.h>

#include <bit>
#include <cstring>

namespace platform {

// Pixels are 32-bit words whose byte order is taken as B, G, R, A in memory.
static_assert(std::endian::native == std::endian::little);

bool WritePng(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
              int32_t stride, std::string& error) {
  if (!pixels || width <= 0 || height <= 0 || stride < width) {
    error = "no picture to write to " + path;
    return false;
  }
  std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
  uint8_t* out = rgb.data();
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* row = pixels + size_t(y) * size_t(stride);
    for (int32_t x = 0; x < width; ++x) {
      *out++ = uint8_t(row[x] >> 16);
      *out++ = uint8_t(row[x] >> 8);
      *out++ = uint8_t(row[x]);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr)) {
    error = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

namespace {

// The rest of a read whose header the image holds.
bool FinishRead(png_image& image, const std::string& path, PngImage& result, std::string& error,
                uint64_t maxPixels) {
  if (image.width == 0 || image.height == 0 ||
      uint64_t(image.width) * uint64_t(image.height) > maxPixels) {
    error = path + ": picture too large";
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  std::vector<uint32_t> pixels(size_t(image.width) * size_t(image.height));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    error = "cannot read " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  result.width = int32_t(image.width);
  result.height = int32_t(image.height);
  result.pixels = std::move(pixels);
  return true;
}

}  // namespace

bool ReadPng(const std::string& path, PngImage& result, std::string& error, uint64_t maxPixels) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    error = "cannot read " + path + ": " + image.message;
    return false;
  }
  return FinishRead(image, path, result, error, maxPixels);
}

bool DecodePng(const uint8_t* data, size_t size, const std::string& name, PngImage& result,
               std::string& error, uint64_t maxPixels) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!data || !png_image_begin_read_from_memory(&image, data, size)) {
    error = "cannot read " + name + ": " + (data ? image.message : "no bytes");
    return false;
  }
  return FinishRead(image, name, result, error, maxPixels);
}

}  // namespace platform
