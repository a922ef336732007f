#include "tools/assetgen/ImageFiles.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/OwnPictureMark.h"
#include "tools/assetgen/AssetArgs.h"

namespace assetgen {

namespace {

void AppendPngData(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// Kept free of C++ objects with destructors: libpng leaves it by longjmp on error.
bool WritePng(png_structp png, png_infop info, int width, int height, int colourType,
              const uint8_t* pixels, size_t rowBytes) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 6);
  // Rows filtered by their left or upper neighbour only: the game's start-up decodes every
  // picture, and those filters undo far faster than the averaging ones.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE | PNG_FILTER_SUB | PNG_FILTER_UP);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, const_cast<png_bytep>(pixels + static_cast<size_t>(y) * rowBytes));
  png_write_end(png, info);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, int channels,
                               const std::vector<uint8_t>& pixels) {
  const int colourType = channels == 1   ? PNG_COLOR_TYPE_GRAY
                         : channels == 3 ? PNG_COLOR_TYPE_RGB
                                         : PNG_COLOR_TYPE_RGB_ALPHA;
  const size_t rowBytes = static_cast<size_t>(width) * channels;
  if (width <= 0 || height <= 0 || pixels.size() != rowBytes * height)
    throw AssetError("internal: PNG pixel buffer does not match its size");
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info) {
    png_set_write_fn(png, &out, AppendPngData, FlushNothing);
    ok = WritePng(png, info, width, height, colourType, pixels.data(), rowBytes);
  }
  png_destroy_write_struct(&png, &info);
  if (!ok || out.size() < own_picture::kMarkOffset) throw AssetError("PNG encoding failed");
  // The game's own pictures skip their checksums when read.
  constexpr auto kMark = own_picture::Chunk();
  out.insert(out.begin() + own_picture::kMarkOffset, kMark.begin(), kMark.end());
  return out;
}

namespace {

struct JpegError {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

bool WriteJpeg(jpeg_compress_struct& cinfo, JpegError& err, int width, int height,
               const uint8_t* rgb, int quality, unsigned char** buffer, unsigned long* size) {
  if (setjmp(err.jump)) return false;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, buffer, size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<size_t>(cinfo.next_scanline) * width * 3);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgb,
                                int quality) {
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3)
    throw AssetError("internal: JPEG pixel buffer does not match its size");
  jpeg_compress_struct cinfo{};
  JpegError err{};
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = JpegFail;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = WriteJpeg(cinfo, err, width, height, rgb.data(), quality, &buffer, &size);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out;
  if (ok && buffer) out.assign(buffer, buffer + size);
  std::free(buffer);
  if (!ok) throw AssetError("JPEG encoding failed");
  return out;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path p(path);
  std::error_code ec;
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  f.close();
  if (!f) throw AssetError("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) {
  WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace assetgen
