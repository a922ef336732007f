#include "tests/tools/AssetGenTestSupport.h"

#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE first.
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

#include <csetjmp>
#include <fstream>
#include <iterator>

ScratchDir::ScratchDir() {
  static int counter = 0;
  path_ = std::filesystem::temp_directory_path() /
          ("assetgen_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::vector<std::string> Generate(const std::string& kind, const std::string& outDir,
                                  const std::vector<std::string>& words) {
  assetgen::AssetRequest request;
  request.kind = kind;
  request.outDir = outDir;
  request.words = words;
  request.fontDir = "/usr/share/fonts/truetype/dejavu";
  return assetgen::GenerateAsset(request);
}

DecodedImage DecodePng(const std::vector<uint8_t>& bytes) {
  DecodedImage out;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return out;
  out.channels = PNG_IMAGE_SAMPLE_CHANNELS(image.format);
  image.format = PNG_FORMAT_RGBA;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgba.resize(PNG_IMAGE_SIZE(image));
  out.ok = png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr) != 0;
  png_image_free(&image);
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

bool ReadJpeg(jpeg_decompress_struct& c, JpegError& err, const std::vector<uint8_t>& bytes,
              DecodedImage& out) {
  if (setjmp(err.jump)) return false;
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&c, TRUE);
  jpeg_start_decompress(&c);
  out.width = static_cast<int>(c.output_width);
  out.height = static_cast<int>(c.output_height);
  out.channels = c.output_components;
  std::vector<uint8_t> row(static_cast<size_t>(out.width) * out.channels);
  out.rgba.clear();
  while (c.output_scanline < c.output_height) {
    JSAMPROW r = row.data();
    jpeg_read_scanlines(&c, &r, 1);
    for (int x = 0; x < out.width; ++x) {
      const uint8_t* p = &row[static_cast<size_t>(x) * out.channels];
      const bool colour = out.channels == 3;
      out.rgba.insert(out.rgba.end(), {p[0], colour ? p[1] : p[0], colour ? p[2] : p[0], 255});
    }
  }
  jpeg_finish_decompress(&c);
  return true;
}

}  // namespace

DecodedImage DecodeJpeg(const std::vector<uint8_t>& bytes) {
  DecodedImage out;
  jpeg_decompress_struct c{};
  JpegError err{};
  c.err = jpeg_std_error(&err.base);
  err.base.error_exit = JpegFail;
  out.ok = ReadJpeg(c, err, bytes, out);
  jpeg_destroy_decompress(&c);
  return out;
}

AlphaCounts CountAlpha(const DecodedImage& image) {
  AlphaCounts counts;
  for (size_t i = 3; i < image.rgba.size(); i += 4) {
    if (image.rgba[i] == 0)
      ++counts.clear;
    else if (image.rgba[i] == 255)
      ++counts.opaque;
    else
      ++counts.partial;
  }
  return counts;
}
