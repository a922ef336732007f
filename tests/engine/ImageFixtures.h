#pragma once
// PNG and JPEG files made in memory at test time, so the image tests need no binary
// fixtures: pixels given row by row, encoded with libpng and libjpeg.

// clang-format off
#include <png.h>
// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fixtures {

inline void AppendPng(png_structp png, png_bytep data, size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

// A PNG of the colour type (PNG_COLOR_TYPE_RGBA, _RGB, _GRAY, _GRAY_ALPHA or _PALETTE)
// from 8-bit samples, rows top to bottom. A palette image takes palette (RGB triples)
// and, when not empty, the alpha of each palette entry.
inline std::string Png(int width, int height, int colorType, const std::vector<uint8_t>& samples,
                       const std::vector<uint8_t>& palette = {},
                       const std::vector<uint8_t>& paletteAlpha = {}, bool interlaced = false) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendPng, nullptr);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colorType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> entries;
    for (size_t i = 0; i + 2 < palette.size(); i += 3)
      entries.push_back({palette[i], palette[i + 1], palette[i + 2]});
    png_set_PLTE(png, info, entries.data(), int(entries.size()));
    if (!paletteAlpha.empty()) {
      png_set_tRNS(png, info, paletteAlpha.data(), int(paletteAlpha.size()), nullptr);
    }
  }
  png_write_info(png, info);
  int passes = png_set_interlace_handling(png);
  int channels = colorType == PNG_COLOR_TYPE_RGBA         ? 4
                 : colorType == PNG_COLOR_TYPE_RGB        ? 3
                 : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                          : 1;
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < height; ++y)
      png_write_row(png, samples.data() + size_t(y) * size_t(width) * size_t(channels));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// A JPEG of 3 (RGB) or 1 (grey) components at quality 100.
inline std::string Jpeg(int width, int height, int components,
                        const std::vector<uint8_t>& samples) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = components;
  info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(samples.data()) +
                   size_t(info.next_scanline) * size_t(width) * size_t(components);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string out(reinterpret_cast<char*>(buffer), size);
  free(buffer);
  return out;
}

// Samples of one value repeated.
inline std::vector<uint8_t> Filled(int width, int height, std::vector<uint8_t> pixel) {
  std::vector<uint8_t> out;
  for (int i = 0; i < width * height; ++i) out.insert(out.end(), pixel.begin(), pixel.end());
  return out;
}

}  // namespace fixtures
