// Checks pixels of a screenshot of the sample game against the pictures it was drawn from.
//
//   e2e_check SHOT.png CHECK...
//     same PICTURE L T R B          every pixel of SHOT in [L,R) x [T,B) is PICTURE's pixel
//                                   at the same place (nothing drawn over the background)
//     like PICTURE L T R B MAX      at most MAX pixels there differ from PICTURE beyond the
//                                   tolerance (the same drawing made another way, where
//                                   blending may round a few edge pixels otherwise)
//     drawn PICTURE L T R B MIN     at least MIN pixels there differ clearly from PICTURE
//     changed PICTURE L T R B MIN   at least MIN pixels there differ from PICTURE beyond the
//                                   tolerance (an earlier screenshot: something animates)
//     sprite PICTURE X Y R          PICTURE's opaque pixels are found in SHOT with its corner
//                                   within R pixels of (X, Y), each axis
//     part PICTURE X Y L T R B      the opaque pixels of PICTURE's [L,R) x [T,B) are found in
//                                   SHOT with PICTURE's corner at (X, Y): the part of a
//                                   picture that nothing is drawn over
//     over PICTURE BG X Y L T R B   as "part", for a translucent picture: each of its pixels
//                                   that is not transparent, blended over BG (a picture of
//                                   the whole screen) at its place
//     bright PICTURE L T R B LOW HIGH  the summed brightness of SHOT in [L,R) x [T,B) is
//                                   LOW to HIGH percent of PICTURE's there (a layer dims
//                                   the scene but lets it show, or darkens it all but)
//
// PICTURE may be FILE@X,Y: the picture with its corner at (X, Y) of the shot (a piece of the
// screen, such as a panel), for the checks that compare places; outside it nothing matches.
//
// Colours match within a small tolerance: the screenshot went through blending. Prints one
// line per failed check and exits 1 when any failed.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/Png.h"

namespace {

constexpr int kTolerance = 4;  // per channel, for "same" and "sprite"
constexpr int kClearly = 24;   // per channel, for "drawn"

int ChannelDistance(uint32_t a, uint32_t b) {
  int most = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int d = std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
    if (d > most) most = d;
  }
  return most;
}

// Src blended over the opaque Dst, channel by channel.
uint32_t Over(uint32_t src, uint32_t dst) {
  const uint32_t a = src >> 24;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= ((s * a + d * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

bool Inside(const platform::PngImage& image, int x, int y) {
  return x >= 0 && y >= 0 && x < image.width && y < image.height;
}

// A picture as the checks see it: placed with its corner at (x, y) of the shot.
struct Placed {
  platform::PngImage image;
  int x = 0, y = 0;
  bool Covers(int sx, int sy) const { return Inside(image, sx - x, sy - y); }
  uint32_t At(int sx, int sy) const { return image.At(sx - x, sy - y); }
};

class Checker {
 public:
  explicit Checker(platform::PngImage shot) : shot_(std::move(shot)) {}

  const Placed* Picture(const std::string& argument) {
    auto found = pictures_.find(argument);
    if (found != pictures_.end()) return &found->second;
    Placed placed;
    std::string path = argument;
    const size_t at = argument.rfind('@');
    if (at != std::string::npos) {
      path = argument.substr(0, at);
      if (std::sscanf(argument.c_str() + at + 1, "%d,%d", &placed.x, &placed.y) != 2) {
        std::fprintf(stderr, "e2e_check: %s: no place X,Y after '@'\n", argument.c_str());
        return nullptr;
      }
    }
    std::string error;
    if (!platform::ReadPng(path, placed.image, error)) {
      std::fprintf(stderr, "e2e_check: %s\n", error.c_str());
      return nullptr;
    }
    return &pictures_.emplace(argument, std::move(placed)).first->second;
  }

  // Pixels of the rectangle that differ from the picture by more than limit.
  int Differing(const Placed& picture, int l, int t, int r, int b, int limit) {
    int count = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) {
        if (!Inside(shot_, x, y) || !picture.Covers(x, y)) {
          ++count;
          continue;
        }
        if (ChannelDistance(shot_.At(x, y), picture.At(x, y)) > limit) ++count;
      }
    return count;
  }

  // The brightness of the rectangle in the shot, in percent of the picture's (-1 when the
  // rectangle leaves either or the picture is black there).
  int BrightnessPercent(const Placed& picture, int l, int t, int r, int b) {
    auto sum = [](uint32_t p) { return int64_t((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF); };
    int64_t shot = 0, base = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) {
        if (!Inside(shot_, x, y) || !picture.Covers(x, y)) return -1;
        shot += sum(shot_.At(x, y));
        base += sum(picture.At(x, y));
      }
    return base > 0 ? int(shot * 100 / base) : -1;
  }

  // Opaque pixels of the sprite placed with its corner at (x, y) that do not match, within
  // the sprite's part [l,r) x [t,b). Over a background, every pixel that is not
  // transparent counts, blended over the background's pixel.
  int SpriteMisses(const platform::PngImage& sprite, int x, int y, int& opaque, int l = 0,
                   int t = 0, int r = 1 << 30, int b = 1 << 30,
                   const platform::PngImage* background = nullptr) {
    int misses = 0;
    opaque = 0;
    for (int j = std::max(t, 0); j < std::min(b, sprite.height); ++j)
      for (int i = std::max(l, 0); i < std::min(r, sprite.width); ++i) {
        uint32_t p = sprite.At(i, j);
        const uint32_t alpha = p >> 24;
        if (background ? alpha == 0 : alpha != 0xFF) continue;
        ++opaque;
        if (!Inside(shot_, x + i, y + j)) {
          ++misses;
          continue;
        }
        if (background)
          p = Inside(*background, x + i, y + j) ? Over(p, background->At(x + i, y + j)) : 0;
        if (ChannelDistance(shot_.At(x + i, y + j), p) > kTolerance) ++misses;
      }
    return misses;
  }

  bool Sprite(const platform::PngImage& sprite, int x, int y, int radius, std::string& found) {
    int best = -1, bestX = 0, bestY = 0, opaque = 0;
    for (int dy = -radius; dy <= radius; ++dy)
      for (int dx = -radius; dx <= radius; ++dx) {
        int misses = SpriteMisses(sprite, x + dx, y + dy, opaque);
        if (best < 0 || misses < best) best = misses, bestX = x + dx, bestY = y + dy;
      }
    found = "best place (" + std::to_string(bestX) + ", " + std::to_string(bestY) + ") misses " +
            std::to_string(best) + " of " + std::to_string(opaque) + " opaque pixels";
    // A few edge pixels may blend differently; the sprite must be there, not half of it.
    return opaque > 0 && best * 20 <= opaque;
  }

  bool Part(const platform::PngImage& sprite, int x, int y, int l, int t, int r, int b,
            std::string& found, const platform::PngImage* background = nullptr) {
    int opaque = 0;
    int misses = SpriteMisses(sprite, x, y, opaque, l, t, r, b, background);
    found = "misses " + std::to_string(misses) + " of " + std::to_string(opaque) + " opaque pixels";
    return opaque > 0 && misses * 20 <= opaque;
  }

 private:
  platform::PngImage shot_;
  std::map<std::string, Placed> pictures_;
};

int ToInt(const char* text) {
  return int(std::strtol(text, nullptr, 10));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: e2e_check SHOT.png [same|like|drawn|changed|bright|sprite|part|over ...]...\n");
    return 2;
  }
  platform::PngImage shot;
  std::string error;
  if (!platform::ReadPng(argv[1], shot, error)) {
    std::fprintf(stderr, "e2e_check: %s\n", error.c_str());
    return 1;
  }
  Checker checker(std::move(shot));
  int failures = 0;
  int i = 2;
  auto need = [&](int n) {
    if (i + n < argc) return true;
    std::fprintf(stderr, "e2e_check: '%s' needs %d arguments\n", argv[i], n);
    std::exit(2);
  };
  while (i < argc) {
    std::string kind = argv[i];
    std::string what = kind + " " + (i + 1 < argc ? argv[i + 1] : "");
    if (kind == "same" && need(5)) {
      const Placed* picture = checker.Picture(argv[i + 1]);
      int l = ToInt(argv[i + 2]), t = ToInt(argv[i + 3]), r = ToInt(argv[i + 4]),
          b = ToInt(argv[i + 5]);
      int differing = picture ? checker.Differing(*picture, l, t, r, b, kTolerance) : -1;
      if (differing != 0) {
        std::fprintf(stderr, "FAILED %s %d %d %d %d: %d pixels differ\n", what.c_str(), l, t, r, b,
                     differing);
        ++failures;
      }
      i += 6;
    } else if (kind == "like" && need(6)) {
      const Placed* picture = checker.Picture(argv[i + 1]);
      int l = ToInt(argv[i + 2]), t = ToInt(argv[i + 3]), r = ToInt(argv[i + 4]),
          b = ToInt(argv[i + 5]);
      int most = ToInt(argv[i + 6]);
      int differing = picture ? checker.Differing(*picture, l, t, r, b, kTolerance) : -1;
      if (differing < 0 || differing > most) {
        std::fprintf(stderr, "FAILED %s %d %d %d %d: %d pixels differ, at most %d expected\n",
                     what.c_str(), l, t, r, b, differing, most);
        ++failures;
      }
      i += 7;
    } else if ((kind == "drawn" || kind == "changed") && need(6)) {
      const Placed* picture = checker.Picture(argv[i + 1]);
      int l = ToInt(argv[i + 2]), t = ToInt(argv[i + 3]), r = ToInt(argv[i + 4]),
          b = ToInt(argv[i + 5]);
      int least = ToInt(argv[i + 6]);
      int limit = kind == "drawn" ? kClearly : 2 * kTolerance;
      int differing = picture ? checker.Differing(*picture, l, t, r, b, limit) : -1;
      if (differing < least) {
        std::fprintf(stderr, "FAILED %s %d %d %d %d: %d pixels differ, at least %d expected\n",
                     what.c_str(), l, t, r, b, differing, least);
        ++failures;
      }
      i += 7;
    } else if (kind == "bright" && need(7)) {
      const Placed* picture = checker.Picture(argv[i + 1]);
      int l = ToInt(argv[i + 2]), t = ToInt(argv[i + 3]), r = ToInt(argv[i + 4]),
          b = ToInt(argv[i + 5]);
      int low = ToInt(argv[i + 6]), high = ToInt(argv[i + 7]);
      int percent = picture ? checker.BrightnessPercent(*picture, l, t, r, b) : -1;
      if (percent < 0 || percent < low || percent > high) {
        std::fprintf(stderr, "FAILED %s %d %d %d %d: %d%% as bright, %d%% to %d%% expected\n",
                     what.c_str(), l, t, r, b, percent, low, high);
        ++failures;
      }
      i += 8;
    } else if (kind == "sprite" && need(4)) {
      const Placed* picture = checker.Picture(argv[i + 1]);
      int x = ToInt(argv[i + 2]), y = ToInt(argv[i + 3]), radius = ToInt(argv[i + 4]);
      std::string found;
      if (!picture || !checker.Sprite(picture->image, x, y, radius, found)) {
        std::fprintf(stderr, "FAILED %s near (%d, %d): %s\n", what.c_str(), x, y, found.c_str());
        ++failures;
      }
      i += 5;
    } else if ((kind == "part" && need(7)) || (kind == "over" && need(8))) {
      const Placed* picture = checker.Picture(argv[i + 1]);
      const platform::PngImage* background = nullptr;
      if (kind == "over") {
        const Placed* under = checker.Picture(argv[i + 2]);
        if (under) background = &under->image;
        if (!background) picture = nullptr;
        ++i;
      }
      int x = ToInt(argv[i + 2]), y = ToInt(argv[i + 3]);
      int l = ToInt(argv[i + 4]), t = ToInt(argv[i + 5]), r = ToInt(argv[i + 6]),
          b = ToInt(argv[i + 7]);
      std::string found;
      if (!picture || !checker.Part(picture->image, x, y, l, t, r, b, found, background)) {
        std::fprintf(stderr, "FAILED %s at (%d, %d), part %d %d %d %d: %s\n", what.c_str(), x, y, l,
                     t, r, b, found.c_str());
        ++failures;
      }
      i += 8;
    } else {
      std::fprintf(stderr, "e2e_check: unknown check '%s'\n", kind.c_str());
      return 2;
    }
  }
  return failures == 0 ? 0 : 1;
}
