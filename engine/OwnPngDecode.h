#pragma once
// A quick way through the pictures the asset generator makes (OwnPictureMark.h): 8-bit
// grey, RGB or RGBA, not interlaced, nothing but ancillary chunks before the data. The
// data is inflated in one call and its rows unfiltered in place. A decoder here takes a
// file only when it can give exactly what libpng gives; for anything else it returns
// false without having decoded, and the caller asks libpng. Someone may put the mark on
// any file, so every length and offset is checked as for a stranger's.

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/EngineSurface.h"

namespace own_png {

// Into 0xAARRGGBB pixels, with alpha only when some pixel is not opaque.
bool DecodeColour(std::string_view bytes, TSurface& surface, int32_t maxSide);

// A grey picture into one byte a pixel.
bool DecodeGrey(std::string_view bytes, std::vector<uint8_t>& grey, int32_t& width,
                int32_t& height, int32_t maxSide);

}  // namespace own_png
