// The surfaces' hot operations against pixman doing the same visual job, in one run. Each
// operation runs with our best kernel table, with the SSE2 table, with pixman and as a
// memcpy of the same rows from the same source (the floor under any kernel: it reads and
// writes the bytes and works nothing out); the table at the end gives the median and best
// times and the ratios ours / pixman and ours / memcpy.
//
//   alpha blend      a sprite layer of mixed alpha over a 1024 x 768 frame   pixman OVER
//   copy             a whole picture onto the frame                          pixman SRC
//   colour           a colour through a mixed-alpha shape                    pixman OVER, solid
//                                                                             through a mask
//   sprite ... N     2,000 sprites of N x N at scattered positions (any      as above, one
//                    alignment) onto the frame: copied, blended, coloured     call per sprite
//   scale 0.75       a 1366 x 1024 picture smoothly to the frame             pixman SRC, bilinear
//   rotate 30        the frame's picture turned about its centre, at         pixman SRC, bilinear
//                    1024 x 768 and at 1920 x 1080
//
// The repetition count comes from --benchmark_repetitions (five by default).

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "engine/EngineSurface.h"
#include "engine/EngineSurfaceKernels.h"

#if HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;
constexpr int32_t kWideWidth = 1920;
constexpr int32_t kWideHeight = 1080;
constexpr int32_t kSprites = 2000;
constexpr int32_t kSpriteSizes[] = {16, 64, 128};
constexpr int kSpriteSizeCount = 3;

// Blocks of 16 x 16: a third transparent, a third opaque, a third of varying alpha, as a
// layer of sprites, glyphs and particles has them.
void FillSpriteLayer(TSurface& s, uint32_t seed) {
  std::mt19937 random(seed);
  for (int32_t by = 0; by < s.GetHeight(); by += 16) {
    for (int32_t bx = 0; bx < s.GetWidth(); bx += 16) {
      uint32_t kind = random() % 3;
      uint32_t colour = random() & kColourMask;
      for (int32_t y = by; y < std::min(by + 16, s.GetHeight()); ++y) {
        for (int32_t x = bx; x < std::min(bx + 16, s.GetWidth()); ++x) {
          uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : uint32_t((x * 7 + y * 13) % 256);
          *s.PixelAddress(x, y) = colour | alpha << 24;
        }
      }
    }
  }
}

void FillPicture(TSurface& s, uint32_t seed) {
  std::mt19937 random(seed);
  for (int32_t y = 0; y < s.GetHeight(); ++y)
    for (int32_t x = 0; x < s.GetWidth(); ++x)
      *s.PixelAddress(x, y) = 0xFF000000u | uint32_t(x * 3 + y) << 16 | uint32_t(random() & 0xFFFF);
}

// A round item: opaque inside, a soft rim a few pixels wide, transparent corners.
void FillSprite(TSurface& s) {
  const double r = s.GetWidth() / 2.0, rim = std::max(2.0, r / 8);
  for (int32_t y = 0; y < s.GetHeight(); ++y) {
    for (int32_t x = 0; x < s.GetWidth(); ++x) {
      double d = std::hypot(x + 0.5 - r, y + 0.5 - r);
      double cover = std::clamp((r - d) / rim, 0.0, 1.0);
      uint32_t alpha = uint32_t(std::lround(cover * 255));
      *s.PixelAddress(x, y) = alpha << 24 | uint32_t(x * 255 / s.GetWidth()) << 16 |
                              uint32_t(y * 255 / s.GetHeight()) << 8 | 0x40;
    }
  }
}

Ref<TSurface> NewSurface(int32_t w, int32_t h, bool hasAlpha) {
  Ref<TSurface> s = TAbstractObject::Create<TSurface>();
  s->SetSize(w, h);
  s->SetHasAlpha(hasAlpha);
  return s;
}

struct TFixture {
  Ref<TSurface> frame = NewSurface(kWidth, kHeight, false);
  Ref<TSurface> target = NewSurface(kWidth, kHeight, true);  // scratch surfaces have alpha
  Ref<TSurface> sprites = NewSurface(kWidth, kHeight, true);
  Ref<TSurface> picture = NewSurface(kWidth, kHeight, true);
  Ref<TSurface> large = NewSurface(1366, 1024, true);
  Ref<TSurface> wideTarget = NewSurface(kWideWidth, kWideHeight, true);
  Ref<TSurface> widePicture = NewSurface(kWideWidth, kWideHeight, true);
  Ref<TSurface> sprite[kSpriteSizeCount];
  std::vector<TPoint> places[kSpriteSizeCount];
  TFixture() {
    FillSpriteLayer(*sprites, 1);
    FillPicture(*picture, 2);
    FillPicture(*large, 3);
    FillPicture(*frame, 4);
    FillPicture(*widePicture, 5);
    std::mt19937 random(6);
    for (int i = 0; i < kSpriteSizeCount; ++i) {
      int32_t n = kSpriteSizes[i];
      sprite[i] = NewSurface(n, n, true);
      FillSprite(*sprite[i]);
      for (int32_t k = 0; k < kSprites; ++k)
        places[i].push_back(TPoint{int32_t(random() % uint32_t(kWidth - n + 1)),
                                   int32_t(random() % uint32_t(kHeight - n + 1))});
    }
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

const TRect kFull{0, 0, kWidth, kHeight};

// The rows of W x H pixels at Source's top left copied to At on Target, one memcpy a row.
void MemcpyRows(TSurface& target, TPoint at, TSurface& source, int32_t w, int32_t h) {
  uint32_t* to = target.PixelAddress(at.X, at.Y);
  const uint32_t* from = source.PixelAddress(0, 0);
  const ptrdiff_t toStride = h > 1 ? target.PixelAddress(0, 1) - target.PixelAddress(0, 0) : 0;
  const ptrdiff_t fromStride = h > 1 ? source.PixelAddress(0, 1) - source.PixelAddress(0, 0) : 0;
  for (int32_t y = 0; y < h; ++y, to += toStride, from += fromStride)
    std::memcpy(to, from, size_t(w) * 4);
}

void MemcpyWhole(TSurface& target, TSurface& source) {
  MemcpyRows(target, {0, 0}, source, target.GetWidth(), target.GetHeight());
}

void MemcpySprites(int size) {
  TFixture& f = Fixture();
  const int32_t n = kSpriteSizes[size];
  for (const TPoint& p : f.places[size]) MemcpyRows(*f.frame, p, *f.sprite[size], n, n);
}

enum TSpriteDraw { sdCopy, sdBlend, sdColour };

void OursSprites(TSpriteDraw how, int size) {
  TFixture& f = Fixture();
  const int32_t n = kSpriteSizes[size];
  const TRect whole{0, 0, n, n};
  TSurface& frame = *f.frame;
  ISurface* sprite = f.sprite[size].get();
  for (const TPoint& p : f.places[size]) {
    const TRect at{p.X, p.Y, p.X + n, p.Y + n};
    if (how == sdCopy)
      frame.Draw(sprite, whole, bmBltFast, 255, at);
    else if (how == sdBlend)
      frame.Draw(sprite, whole, bmNormal, 255, at);
    else
      frame.DrawColored(0xFF3060A0, sprite, bmNormal, 255, at, whole);
  }
}

#if HAVE_PIXMAN

pixman_image_t* PixmanImage(TSurface& s, pixman_format_code_t format, bool premultiply) {
  int32_t w = s.GetWidth(), h = s.GetHeight();
  auto* bits = static_cast<uint32_t*>(std::calloc(size_t(w) * size_t(h), 4));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t p = s.PixelValue(x, y);
      if (premultiply) {
        uint32_t a = p >> 24, out = a << 24;
        for (int shift = 0; shift < 24; shift += 8)
          out |= ((((p >> shift) & 0xFF) * a + 127) / 255) << shift;
        p = out;
      }
      bits[size_t(y) * size_t(w) + size_t(x)] = p;
    }
  }
  // The bits are kept for the whole run.
  return pixman_image_create_bits(format, w, h, bits, w * 4);
}

// Destination to source: about the centre by 30 degrees.
void TurnAboutCentre(pixman_image_t* image, int32_t w, int32_t h) {
  pixman_f_transform_t turn;
  pixman_f_transform_init_translate(&turn, -w / 2.0, -h / 2.0);
  pixman_f_transform_rotate(nullptr, &turn, std::cos(M_PI / 6), std::sin(M_PI / 6));
  pixman_f_transform_translate(nullptr, &turn, w / 2.0, h / 2.0);
  pixman_transform_t rotation;
  pixman_transform_from_pixman_f_transform(&rotation, &turn);
  pixman_image_set_transform(image, &rotation);
  pixman_image_set_filter(image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
}

struct TPixmanFixture {
  pixman_image_t* frame;
  pixman_image_t* target;
  pixman_image_t* sprites;
  pixman_image_t* picture;
  pixman_image_t* scaledSource;
  pixman_image_t* rotatedSource;
  pixman_image_t* wideTarget;
  pixman_image_t* wideRotatedSource;
  pixman_image_t* colour;
  pixman_image_t* sprite[kSpriteSizeCount];
  TPixmanFixture() {
    TFixture& f = Fixture();
    frame = PixmanImage(*f.frame, PIXMAN_x8r8g8b8, false);
    target = PixmanImage(*f.target, PIXMAN_a8r8g8b8, false);
    sprites = PixmanImage(*f.sprites, PIXMAN_a8r8g8b8, true);
    picture = PixmanImage(*f.picture, PIXMAN_a8r8g8b8, true);
    scaledSource = PixmanImage(*f.large, PIXMAN_a8r8g8b8, true);
    rotatedSource = PixmanImage(*f.picture, PIXMAN_a8r8g8b8, true);
    wideTarget = PixmanImage(*f.wideTarget, PIXMAN_a8r8g8b8, false);
    wideRotatedSource = PixmanImage(*f.widePicture, PIXMAN_a8r8g8b8, true);
    for (int i = 0; i < kSpriteSizeCount; ++i)
      sprite[i] = PixmanImage(*f.sprite[i], PIXMAN_a8r8g8b8, true);
    pixman_color_t c{0x3030, 0x6060, 0xA0A0, 0xFFFF};
    colour = pixman_image_create_solid_fill(&c);

    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(1 / 0.75),
                                pixman_double_to_fixed(1 / 0.75));
    pixman_image_set_transform(scaledSource, &scale);
    pixman_image_set_filter(scaledSource, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    TurnAboutCentre(rotatedSource, kWidth, kHeight);
    TurnAboutCentre(wideRotatedSource, kWideWidth, kWideHeight);
  }
};

TPixmanFixture& Pixman() {
  static TPixmanFixture fixture;
  return fixture;
}

void PixmanSprites(TSpriteDraw how, int size) {
  TPixmanFixture& p = Pixman();
  const int32_t n = kSpriteSizes[size];
  for (const TPoint& at : Fixture().places[size]) {
    if (how == sdCopy)
      pixman_image_composite32(PIXMAN_OP_SRC, p.sprite[size], nullptr, p.frame, 0, 0, 0, 0, at.X,
                               at.Y, n, n);
    else if (how == sdBlend)
      pixman_image_composite32(PIXMAN_OP_OVER, p.sprite[size], nullptr, p.frame, 0, 0, 0, 0, at.X,
                               at.Y, n, n);
    else
      pixman_image_composite32(PIXMAN_OP_OVER, p.colour, p.sprite[size], p.frame, 0, 0, 0, 0, at.X,
                               at.Y, n, n);
  }
}

#endif

struct TOperation {
  std::string Name;
  void (*Ours)();
  void (*Pixman)();
  void (*Memcpy)();
};

template <TSpriteDraw kHow, int kSize>
TOperation SpriteOperation(const char* what) {
  std::string name = std::string("sprite ") + what + " " + std::to_string(kSpriteSizes[kSize]);
#if HAVE_PIXMAN
  return {name, [] { OursSprites(kHow, kSize); }, [] { PixmanSprites(kHow, kSize); },
          [] { MemcpySprites(kSize); }};
#else
  return {name, [] { OursSprites(kHow, kSize); }, nullptr, [] { MemcpySprites(kSize); }};
#endif
}

#if HAVE_PIXMAN
#define PIXMAN_OP(...) [] { __VA_ARGS__; }
#else
#define PIXMAN_OP(...) nullptr
#endif

std::vector<TOperation> Operations() {
  std::vector<TOperation> ops = {
      {"alpha blend",
       [] { Fixture().frame->Draw(Fixture().sprites.get(), kFull, bmNormal, 255, kFull); },
       PIXMAN_OP(pixman_image_composite32(PIXMAN_OP_OVER, Pixman().sprites, nullptr, Pixman().frame,
                                          0, 0, 0, 0, 0, 0, kWidth, kHeight)),
       [] { MemcpyWhole(*Fixture().frame, *Fixture().sprites); }},
      {"copy", [] { Fixture().frame->Draw(Fixture().picture.get(), kFull, bmBltFast, 255, kFull); },
       PIXMAN_OP(pixman_image_composite32(PIXMAN_OP_SRC, Pixman().picture, nullptr, Pixman().frame,
                                          0, 0, 0, 0, 0, 0, kWidth, kHeight)),
       [] { MemcpyWhole(*Fixture().frame, *Fixture().picture); }},
      {"colour",
       [] {
         Fixture().frame->DrawColored(0xFF3060A0, Fixture().sprites.get(), bmNormal, 255, kFull,
                                      kFull);
       },
       PIXMAN_OP(pixman_image_composite32(PIXMAN_OP_OVER, Pixman().colour, Pixman().sprites,
                                          Pixman().frame, 0, 0, 0, 0, 0, 0, kWidth, kHeight)),
       [] { MemcpyWhole(*Fixture().frame, *Fixture().sprites); }},
      SpriteOperation<sdCopy, 0>("copy"),
      SpriteOperation<sdCopy, 1>("copy"),
      SpriteOperation<sdCopy, 2>("copy"),
      SpriteOperation<sdBlend, 0>("blend"),
      SpriteOperation<sdBlend, 1>("blend"),
      SpriteOperation<sdBlend, 2>("blend"),
      SpriteOperation<sdColour, 0>("colour"),
      SpriteOperation<sdColour, 1>("colour"),
      SpriteOperation<sdColour, 2>("colour"),
      {"scale 0.75",
       [] { Fixture().target->DrawScaled(Fixture().large.get(), true, 0.75, 0.75, 0, 0); },
       PIXMAN_OP(pixman_image_composite32(PIXMAN_OP_SRC, Pixman().scaledSource, nullptr,
                                          Pixman().target, 0, 0, 0, 0, 0, 0, kWidth, kHeight)),
       [] { MemcpyWhole(*Fixture().target, *Fixture().large); }},
      {"rotate 30",
       [] {
         Fixture().target->DrawTransformed(Fixture().picture.get(), {kWidth / 2, kHeight / 2}, 30,
                                           true, 1, 1, 0, 0);
       },
       PIXMAN_OP(pixman_image_composite32(PIXMAN_OP_SRC, Pixman().rotatedSource, nullptr,
                                          Pixman().target, 0, 0, 0, 0, 0, 0, kWidth, kHeight)),
       [] { MemcpyWhole(*Fixture().target, *Fixture().picture); }},
      {"rotate 30 1080",
       [] {
         Fixture().wideTarget->DrawTransformed(
             Fixture().widePicture.get(), {kWideWidth / 2, kWideHeight / 2}, 30, true, 1, 1, 0, 0);
       },
       PIXMAN_OP(pixman_image_composite32(PIXMAN_OP_SRC, Pixman().wideRotatedSource, nullptr,
                                          Pixman().wideTarget, 0, 0, 0, 0, 0, 0, kWideWidth,
                                          kWideHeight)),
       [] { MemcpyWhole(*Fixture().wideTarget, *Fixture().widePicture); }},
  };
  return ops;
}

void BM_Ours(benchmark::State& state, void (*op)(), const TSurfaceKernels* kernels) {
  const TSurfaceKernels& best = SurfaceKernels();
  UseSurfaceKernels(*kernels);
  for (auto _ : state) {
    op();
    benchmark::ClobberMemory();
  }
  UseSurfaceKernels(best);
}

void BM_Other(benchmark::State& state, void (*op)()) {
  for (auto _ : state) {
    op();
    benchmark::ClobberMemory();
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Build the pictures first: the first repetition fixes the iteration count of the others.
  Fixture();
#if HAVE_PIXMAN
  Pixman();
#endif
  const TSurfaceKernels* best = &SurfaceKernels();
  const TSurfaceKernels* sse2 = Sse2SurfaceKernels();
  const std::vector<TOperation> ops = Operations();
  for (const TOperation& op : ops) {
    std::vector<benchmark::internal::Benchmark*> runs;
    runs.push_back(
        benchmark::RegisterBenchmark((op.Name + "/ours").c_str(), BM_Ours, op.Ours, best));
    if (sse2 && sse2 != best)
      runs.push_back(
          benchmark::RegisterBenchmark((op.Name + "/ours-sse2").c_str(), BM_Ours, op.Ours, sse2));
    if (op.Pixman)
      runs.push_back(
          benchmark::RegisterBenchmark((op.Name + "/pixman").c_str(), BM_Other, op.Pixman));
    runs.push_back(
        benchmark::RegisterBenchmark((op.Name + "/memcpy").c_str(), BM_Other, op.Memcpy));
    for (benchmark::internal::Benchmark* run : runs) {
      run->Unit(benchmark::kMicrosecond)->MinTime(0.2);
      bench::AddBestStatistics(run);
    }
  }
  bench::TSummaryReporter reporter;
  if (!bench::RunBenchmarks(argc, argv, reporter)) return 1;

  std::printf(
      "\nkernels: %s; processor time per operation in microseconds: median (best) of the "
      "repetitions\n",
      best->Name);
  std::printf("%-16s %17s %17s %17s %17s %7s %7s %7s\n", "operation", "ours", "ours-sse2", "pixman",
              "memcpy", "/pixman", "best", "/memcpy");
  for (const TOperation& op : ops) {
    auto cell = [&](const char* who) {
      std::string name = op.Name + "/" + who;
      if (!reporter.Has(name)) return std::string("-");
      char text[40];
      std::snprintf(text, sizeof text, "%.1f (%.1f)", reporter.At(name).MedianSeconds * 1e6,
                    reporter.At(name).BestSeconds * 1e6);
      return std::string(text);
    };
    const bench::TSummary& ours = reporter.At(op.Name + "/ours");
    const bench::TSummary& pixman = reporter.At(op.Name + "/pixman");
    double ratio = pixman.MedianSeconds > 0 ? ours.MedianSeconds / pixman.MedianSeconds : 0;
    double bestRatio = pixman.BestSeconds > 0 ? ours.BestSeconds / pixman.BestSeconds : 0;
    const bench::TSummary& floor = reporter.At(op.Name + "/memcpy");
    double floorRatio = floor.MedianSeconds > 0 ? ours.MedianSeconds / floor.MedianSeconds : 0;
    std::printf("%-16s %17s %17s %17s %17s %7.2f %7.2f %7.2f\n", op.Name.c_str(),
                cell("ours").c_str(), cell("ours-sse2").c_str(), cell("pixman").c_str(),
                cell("memcpy").c_str(), ratio, bestRatio, floorRatio);
  }
  return 0;
}
