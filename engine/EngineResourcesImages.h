#pragma once
// Decoding image files into surfaces. Every decoder refuses, without taking pixel
// memory, an image larger than maxSide on a side or than a surface may hold, and fails
// cleanly (false, the surface left empty) on any damaged or unexpected data.

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/EngineSurface.h"

// Any PNG into 0xAARRGGBB pixels. The surface has alpha only when some pixel is not
// opaque; otherwise every alpha is 255.
bool DecodePngImage(std::string_view bytes, TSurface& surface, int32_t maxSide);

// A JPEG of three colour channels into opaque pixels; greyscale or CMYK JPEGs fail.
bool DecodeJpegImage(std::string_view bytes, TSurface& surface, int32_t maxSide);

// A greyscale PNG (grey, or grey with alpha, which is ignored) into one byte a pixel.
bool DecodeGreyPng(std::string_view bytes, std::vector<uint8_t>& grey, int32_t& width,
                   int32_t& height, int32_t maxSide);

// The two PNG decoders above through libpng alone, even for the asset generator's own
// pictures, which the decoders above take a quicker way (OwnPngDecode.h) when they can.
bool DecodePngImageByLibpng(std::string_view bytes, TSurface& surface, int32_t maxSide);
bool DecodeGreyPngByLibpng(std::string_view bytes, std::vector<uint8_t>& grey, int32_t& width,
                           int32_t& height, int32_t maxSide);

// Whether a surface can hold an image of that size within maxSide.
bool AcceptableImageSize(uint64_t width, uint64_t height, int32_t maxSide);
