// Checks a picture of the whole display, as "xwd -root" dumps it, against the game's own
// frame (a script's screenshot) shown on it.
//
//   display_check DISPLAY.xwd CHECK...
//     picture FRAME.png L T R B    the display shows FRAME scaled onto [L,R) x [T,B):
//                                  each pixel there matches FRAME sampled at the same place
//                                  of the picture (linear filtering allowed for)
//     part L T R B                 the same, held closer, for the frame's [L,R) x [T,B) (a
//                                  part that does not move)
//     drawn PICTURE.png L T R B MIN
//                                  in the part of the last "picture" that shows the frame's
//                                  [L,R) x [T,B), at least MIN display pixels differ clearly
//                                  from PICTURE (a frame-sized background) scaled the same way
//     black L T R B                every display pixel of [L,R) x [T,B) is black
//     png OUT.png                  writes the display as a PNG, to look at
//
// Prints one line per failed check and exits 1 when any failed.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Png.h"

namespace {

using platform::PngImage;

constexpr int kClose = 48;    // per channel: a scaled pixel against its sampled place
constexpr int kClearly = 24;  // per channel, for "drawn"
constexpr int kDark = 8;      // per channel, for "black"

int ChannelDistance(uint32_t a, uint32_t b) {
  int most = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  }
  return most;
}

uint32_t Field(const std::vector<unsigned char>& data, size_t index, bool bigEndian) {
  const unsigned char* p = data.data() + index * 4;
  return bigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                   : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

uint32_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  uint32_t value = (pixel & mask) >> __builtin_ctz(mask);
  uint32_t top = mask >> __builtin_ctz(mask);
  return value * 255 / top;
}

// A true-colour X window dump (format 7, Z pixmap) of 3 or 4 bytes a pixel; a 24-bit
// display may be dumped either way.
bool ReadXwd(const std::string& path, PngImage& image, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), {});
  if (data.size() < 100) {
    error = path + ": not a window dump";
    return false;
  }
  // The header's words are in the byte order of the machine that wrote it.
  bool big = Field(data, 1, true) == 7;
  enum { kHeaderSize, kVersion, kFormat, kDepth, kWidth, kHeight, kXOffset, kByteOrder };
  enum { kBitsPerPixel = 11, kBytesPerLine, kVisualClass, kRedMask, kGreenMask, kBlueMask };
  enum { kColours = 19 };
  uint32_t bits = Field(data, kBitsPerPixel, big);
  if (Field(data, kVersion, big) != 7 || Field(data, kFormat, big) != 2 ||
      (bits != 24 && bits != 32)) {
    error = path + ": not a true-colour Z-pixmap window dump";
    return false;
  }
  uint32_t width = Field(data, kWidth, big), height = Field(data, kHeight, big);
  uint32_t stride = Field(data, kBytesPerLine, big);
  uint32_t bytes = bits / 8;
  size_t start = size_t(Field(data, kHeaderSize, big)) + size_t(Field(data, kColours, big)) * 12;
  if (width == 0 || height == 0 || width > 16384 || height > 16384 || stride < width * bytes ||
      start + size_t(stride) * height > data.size()) {
    error = path + ": damaged window dump";
    return false;
  }
  bool pixelsBig = Field(data, kByteOrder, big) == 1;
  uint32_t red = Field(data, kRedMask, big), green = Field(data, kGreenMask, big),
           blue = Field(data, kBlueMask, big);
  image.width = int32_t(width);
  image.height = int32_t(height);
  image.pixels.resize(size_t(width) * height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const unsigned char* p = data.data() + start + size_t(y) * stride + size_t(x) * bytes;
      uint32_t raw = 0;
      for (uint32_t k = 0; k < bytes; ++k) {
        raw |= uint32_t(p[k]) << (8 * (pixelsBig ? bytes - 1 - k : k));
      }
      image.pixels[size_t(y) * width + x] =
          0xFF000000u | Channel(raw, red) << 16 | Channel(raw, green) << 8 | Channel(raw, blue);
    }
  }
  return true;
}

// The frame's colour at a real-valued place, blending its four nearest pixels.
uint32_t Sample(const PngImage& frame, double u, double v) {
  u = std::clamp(u, 0.0, double(frame.width - 1));
  v = std::clamp(v, 0.0, double(frame.height - 1));
  int x0 = int(u), y0 = int(v);
  int x1 = std::min(x0 + 1, frame.width - 1), y1 = std::min(y0 + 1, frame.height - 1);
  double fx = u - x0, fy = v - y0;
  uint32_t result = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    auto c = [&](int x, int y) { return double((frame.At(x, y) >> shift) & 0xFF); };
    double top = c(x0, y0) * (1 - fx) + c(x1, y0) * fx;
    double bottom = c(x0, y1) * (1 - fx) + c(x1, y1) * fx;
    result |= uint32_t(std::lround(top * (1 - fy) + bottom * fy)) << shift;
  }
  return result;
}

struct Area {
  int l = 0, t = 0, r = 0, b = 0;
};

struct Shown {
  int l = 0, t = 0, r = 0, b = 0;  // on the display
  int frameWidth = 0, frameHeight = 0;
  bool set = false;
  // The frame's real-valued place under the centre of display pixel (x, y).
  double U(int x) const { return (x - l + 0.5) * frameWidth / (r - l) - 0.5; }
  double V(int y) const { return (y - t + 0.5) * frameHeight / (b - t) - 0.5; }
};

bool Load(const std::string& path, PngImage& image) {
  std::string error;
  if (platform::ReadPng(path, image, error)) return true;
  std::fprintf(stderr, "display_check: %s\n", error.c_str());
  return false;
}

int ToInt(const char* text) {
  return int(std::strtol(text, nullptr, 10));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: display_check DISPLAY.xwd [picture|drawn|black|png ...]...\n");
    return 2;
  }
  PngImage display;
  std::string error;
  if (!ReadXwd(argv[1], display, error)) {
    std::fprintf(stderr, "display_check: %s\n", error.c_str());
    return 1;
  }
  Shown shown;
  PngImage frame;
  int failures = 0;
  int i = 2;
  auto need = [&](int n) {
    if (i + n < argc) return true;
    std::fprintf(stderr, "display_check: '%s' needs %d arguments\n", argv[i], n);
    std::exit(2);
  };
  auto rect = [&](int from, int& l, int& t, int& r, int& b) {
    l = ToInt(argv[from]), t = ToInt(argv[from + 1]), r = ToInt(argv[from + 2]),
    b = ToInt(argv[from + 3]);
    bool ok = l >= 0 && t >= 0 && l < r && t < b && r <= display.width && b <= display.height;
    if (!ok) std::fprintf(stderr, "display_check: %d %d %d %d is not on the display\n", l, t, r, b);
    return ok;
  };
  auto fail = [&](const std::string& message) {
    std::fprintf(stderr, "FAILED %s\n", message.c_str());
    ++failures;
  };
  // Display pixels of the picture whose place in the frame lies in the area, against the
  // frame sampled there. Filters differ in where they sample, so edges may stray a little.
  auto compare = [&](const std::string& what, const Area& area, double farPercent,
                     double meanLimit) {
    long far = 0, total = 0;
    double sum = 0;
    for (int y = shown.t; y < shown.b; ++y) {
      double v = shown.V(y);
      if (v < area.t || v >= area.b) continue;
      for (int x = shown.l; x < shown.r; ++x) {
        double u = shown.U(x);
        if (u < area.l || u >= area.r) continue;
        int d = ChannelDistance(display.At(x, y), Sample(frame, u, v));
        far += d > kClose;
        sum += d;
        ++total;
      }
    }
    double mean = total ? sum / double(total) : 0;
    std::printf("%s: mean distance %.2f, %ld of %ld pixels far\n", what.c_str(), mean, far, total);
    if (total == 0 || double(far) * 100 > farPercent * double(total) || mean > meanLimit) {
      fail(what + ": " + std::to_string(far) + " of " + std::to_string(total) +
           " pixels far from the frame, mean distance " + std::to_string(mean));
    }
  };
  while (i < argc) {
    std::string kind = argv[i];
    if (kind == "picture" && need(5)) {
      int l, t, r, b;
      if (!Load(argv[i + 1], frame) || !rect(i + 2, l, t, r, b)) return 2;
      shown = {l, t, r, b, frame.width, frame.height, true};
      // Animations move between the frame's screenshot and the display's: a little of
      // the whole may differ.
      compare("picture " + std::string(argv[i + 1]), {0, 0, frame.width, frame.height}, 2.0, 4.0);
      i += 6;
    } else if (kind == "part" && need(4)) {
      if (!shown.set) {
        std::fprintf(stderr, "display_check: 'part' needs a 'picture' first\n");
        return 2;
      }
      Area part{ToInt(argv[i + 1]), ToInt(argv[i + 2]), ToInt(argv[i + 3]), ToInt(argv[i + 4])};
      compare("part " + std::string(argv[i + 1]) + " " + argv[i + 2] + " " + argv[i + 3] + " " +
                  argv[i + 4],
              part, 0.5, 3.0);
      i += 5;
    } else if (kind == "drawn" && need(6)) {
      PngImage background;
      if (!shown.set) {
        std::fprintf(stderr, "display_check: 'drawn' needs a 'picture' first\n");
        return 2;
      }
      if (!Load(argv[i + 1], background)) return 2;
      int fl = ToInt(argv[i + 2]), ft = ToInt(argv[i + 3]), fr = ToInt(argv[i + 4]),
          fb = ToInt(argv[i + 5]), least = ToInt(argv[i + 6]);
      // The frame's rectangle on the display: pixels whose centres fall inside it.
      int count = 0;
      for (int y = shown.t; y < shown.b; ++y) {
        double v = shown.V(y);
        if (v < ft || v >= fb) continue;
        for (int x = shown.l; x < shown.r; ++x) {
          double u = shown.U(x);
          if (u < fl || u >= fr) continue;
          count += ChannelDistance(display.At(x, y), Sample(background, u, v)) > kClearly;
        }
      }
      if (count < least) {
        fail("drawn " + std::string(argv[i + 1]) + " " + std::to_string(fl) + " " +
             std::to_string(ft) + " " + std::to_string(fr) + " " + std::to_string(fb) + ": " +
             std::to_string(count) + " pixels differ, at least " + std::to_string(least) +
             " expected");
      }
      i += 7;
    } else if (kind == "black" && need(4)) {
      int l, t, r, b;
      if (!rect(i + 1, l, t, r, b)) return 2;
      int lit = 0;
      for (int y = t; y < b; ++y) {
        for (int x = l; x < r; ++x) lit += ChannelDistance(display.At(x, y), 0) > kDark;
      }
      if (lit)
        fail("black " + std::to_string(l) + " " + std::to_string(t) + " " + std::to_string(r) +
             " " + std::to_string(b) + ": " + std::to_string(lit) + " pixels are not black");
      i += 5;
    } else if (kind == "png" && need(1)) {
      if (!platform::WritePng(argv[i + 1], display.pixels.data(), display.width, display.height,
                              display.width, error)) {
        std::fprintf(stderr, "display_check: %s\n", error.c_str());
        return 2;
      }
      i += 2;
    } else {
      std::fprintf(stderr, "display_check: unknown check '%s'\n", kind.c_str());
      return 2;
    }
  }
  return failures == 0 ? 0 : 1;
}
