#include "engine/EngineResourcesImages.h"

// libpng and libjpeg report fatal errors by a jump back to where decoding started. Each
// decoding function below therefore keeps every C++ object it needs in its caller's
// frame (reached through pointers set up before the jump target), so a jump skips no
// destructor, and touches after the jump only what was set before it.
// clang-format off
#include <png.h>
// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "engine/OwnPictureMark.h"
#include "engine/OwnPngDecode.h"

bool AcceptableImageSize(uint64_t width, uint64_t height, int32_t maxSide) {
  if (width == 0 || height == 0) return false;
  if (width > uint64_t(maxSide) || height > uint64_t(maxSide)) return false;
  return width * height <= uint64_t(TSurface::kMaxPixels);
}

// ---------------------------------------------------------------------------------------
// PNG

namespace {

struct PngSource {
  const unsigned char* data;
  size_t size;
  size_t position;
};

void PngRead(png_structp png, png_bytep out, size_t count) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > source->size - source->position) png_error(png, "truncated");
  std::memcpy(out, source->data + source->position, count);
  source->position += count;
}

void PngError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// What a read needs, all living in the caller's frame.
struct PngJob {
  PngSource source;
  int32_t maxSide;
  bool grey;                      // read one grey byte a pixel instead of BGRA
  TSurface* surface;              // colour: the target
  std::vector<uint8_t>* greyOut;  // grey: the target
  int32_t width = 0;
  int32_t height = 0;
};

// Returns true when the image was read whole.
bool RunPngRead(PngJob* job) {
  if (job->source.size < 8 || png_sig_cmp(job->source.data, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &job->source, PngRead);
  if (own_picture::IsMarked(job->source.data, job->source.size)) {
    // Made by our own generator: the checksums are not worth their time.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  }
  // Our own cap is checked below; libpng's must not be the smaller one.
  png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
  png_read_info(png, info);
  png_uint_32 width = png_get_image_width(png, info);
  png_uint_32 height = png_get_image_height(png, info);
  int colorType = png_get_color_type(png, info);
  if (!AcceptableImageSize(width, height, job->maxSide)) png_longjmp(png, 1);
  if (job->grey && (colorType & PNG_COLOR_MASK_COLOR)) png_longjmp(png, 1);

  png_set_expand(png);
  png_set_strip_16(png);
  if (job->grey) {
    png_set_strip_alpha(png);
  } else {
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  }
  int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  size_t pixelBytes = job->grey ? 1 : 4;
  if (png_get_rowbytes(png, info) != size_t(width) * pixelBytes) png_longjmp(png, 1);

  job->width = int32_t(width);
  job->height = int32_t(height);
  unsigned char* first = nullptr;
  if (job->grey) {
    job->greyOut->assign(size_t(width) * size_t(height), 0);
    first = job->greyOut->data();
  } else {
    // Every pixel is written below (each pass of an interlaced picture fills its own).
    job->surface->SetSizeForOverwrite(int32_t(width), int32_t(height));
    if (job->surface->GetWidth() != int32_t(width)) png_longjmp(png, 1);
    first = reinterpret_cast<unsigned char*>(job->surface->GetScanLine(0));
  }
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, first + size_t(y) * size_t(width) * pixelBytes, nullptr);
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool Marked(std::string_view bytes) {
  return own_picture::IsMarked(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

bool DecodePngImage(std::string_view bytes, TSurface& surface, int32_t maxSide) {
  if (Marked(bytes) && own_png::DecodeColour(bytes, surface, maxSide)) return true;
  return DecodePngImageByLibpng(bytes, surface, maxSide);
}

bool DecodeGreyPng(std::string_view bytes, std::vector<uint8_t>& grey, int32_t& width,
                   int32_t& height, int32_t maxSide) {
  if (Marked(bytes) && own_png::DecodeGrey(bytes, grey, width, height, maxSide)) return true;
  return DecodeGreyPngByLibpng(bytes, grey, width, height, maxSide);
}

bool DecodePngImageByLibpng(std::string_view bytes, TSurface& surface, int32_t maxSide) {
  PngJob job{{reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0},
             maxSide,
             false,
             &surface,
             nullptr};
  if (!RunPngRead(&job)) {
    surface.SetSize(0, 0);
    return false;
  }
  bool translucent = false;
  const uint32_t* pixels = surface.GetScanLine(0);
  size_t count = size_t(surface.GetWidth()) * size_t(surface.GetHeight());
  for (size_t i = 0; i < count && !translucent; ++i) translucent = (pixels[i] >> 24) != 0xFF;
  surface.SetHasAlpha(translucent);
  return true;
}

bool DecodeGreyPngByLibpng(std::string_view bytes, std::vector<uint8_t>& grey, int32_t& width,
                           int32_t& height, int32_t maxSide) {
  PngJob job{{reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0},
             maxSide,
             true,
             nullptr,
             &grey};
  if (!RunPngRead(&job)) {
    grey.clear();
    width = height = 0;
    return false;
  }
  width = job.width;
  height = job.height;
  return true;
}

// ---------------------------------------------------------------------------------------
// JPEG

namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Warnings of damaged data would go to the terminal; the picture is used as far as it
// decodes.
void JpegQuiet(j_common_ptr) {}

struct JpegJob {
  const unsigned char* data;
  size_t size;
  int32_t maxSide;
  TSurface* surface;
  std::vector<uint8_t>* row;
};

bool RunJpegRead(JpegJob* job) {
  if (job->size < 2 || job->size > 0xFFFFFFFFu) return false;
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JpegFail;
  errors.manager.output_message = JpegQuiet;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, job->data, static_cast<unsigned long>(job->size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) JpegFail(j_common_ptr(&info));
  if (!AcceptableImageSize(info.image_width, info.image_height, job->maxSide)) {
    JpegFail(j_common_ptr(&info));
  }
  jpeg_start_decompress(&info);
  // Only three colour channels make the 24-bit picture images are.
  if (info.output_components != 3 || info.out_color_space != JCS_RGB) {
    JpegFail(j_common_ptr(&info));
  }
  int32_t width = int32_t(info.output_width);
  int32_t height = int32_t(info.output_height);
  job->surface->SetSizeForOverwrite(width, height);
  if (job->surface->GetWidth() != width) JpegFail(j_common_ptr(&info));
  job->row->resize(size_t(width) * 3);
  while (info.output_scanline < info.output_height) {
    int32_t y = int32_t(info.output_scanline);
    JSAMPROW rows[1] = {job->row->data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) JpegFail(j_common_ptr(&info));
    uint32_t* out = job->surface->GetScanLine(y);
    const uint8_t* in = job->row->data();
    for (int32_t x = 0; x < width; ++x, in += 3) {
      out[x] = 0xFF000000u | (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

bool DecodeJpegImage(std::string_view bytes, TSurface& surface, int32_t maxSide) {
  std::vector<uint8_t> row;
  JpegJob job{reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), maxSide, &surface,
              &row};
  if (!RunJpegRead(&job)) {
    surface.SetSize(0, 0);
    return false;
  }
  surface.SetHasAlpha(false);
  return true;
}
