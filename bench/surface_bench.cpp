// The surfaces' hot operations on 1024 x 768 frames against pixman doing the same visual
// job, in one run. Each operation runs with our best kernel table, with the SSE2 table and
// with pixman; the table at the end gives the times and the ratio ours / pixman.
//
//   alpha blend    a sprite layer of mixed alpha over the frame   pixman OVER
//   copy           a whole picture onto the frame                 pixman SRC
//   colour         a colour through a mixed-alpha shape           pixman OVER, solid through
//                                                                  an a8r8g8b8 mask
//   scale 0.75     a 1366 x 1024 picture smoothly to the frame    pixman SRC, bilinear
//   rotate 30      the frame's picture turned about its centre    pixman SRC, bilinear

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/EngineSurface.h"
#include "engine/EngineSurfaceKernels.h"

#if HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;

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
  TFixture() {
    FillSpriteLayer(*sprites, 1);
    FillPicture(*picture, 2);
    FillPicture(*large, 3);
    FillPicture(*frame, 4);
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

const TRect kFull{0, 0, kWidth, kHeight};

enum TOperation { opBlend, opCopy, opColour, opScale, opRotate };
const char* const kOperationNames[] = {"alpha blend", "copy", "colour", "scale 0.75", "rotate 30"};

void RunOurs(TOperation op) {
  TFixture& f = Fixture();
  switch (op) {
    case opBlend:
      f.frame->Draw(f.sprites.get(), kFull, bmNormal, 255, kFull);
      break;
    case opCopy:
      f.frame->Draw(f.picture.get(), kFull, bmBltFast, 255, kFull);
      break;
    case opColour:
      f.frame->DrawColored(0xFF3060A0, f.sprites.get(), bmNormal, 255, kFull, kFull);
      break;
    case opScale:
      f.target->DrawScaled(f.large.get(), true, 0.75, 0.75, 0, 0);
      break;
    case opRotate:
      f.target->DrawTransformed(f.picture.get(), {kWidth / 2, kHeight / 2}, 30, true, 1, 1, 0, 0);
      break;
  }
}

void BM_Ours(benchmark::State& state, TOperation op, const TSurfaceKernels* kernels) {
  const TSurfaceKernels& best = SurfaceKernels();
  UseSurfaceKernels(*kernels);
  for (auto _ : state) {
    RunOurs(op);
    benchmark::ClobberMemory();
  }
  UseSurfaceKernels(best);
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

struct TPixmanFixture {
  pixman_image_t* frame;
  pixman_image_t* target;
  pixman_image_t* sprites;
  pixman_image_t* picture;
  pixman_image_t* scaledSource;
  pixman_image_t* rotatedSource;
  pixman_image_t* colour;
  TPixmanFixture() {
    TFixture& f = Fixture();
    frame = PixmanImage(*f.frame, PIXMAN_x8r8g8b8, false);
    target = PixmanImage(*f.target, PIXMAN_a8r8g8b8, false);
    sprites = PixmanImage(*f.sprites, PIXMAN_a8r8g8b8, true);
    picture = PixmanImage(*f.picture, PIXMAN_a8r8g8b8, true);
    scaledSource = PixmanImage(*f.large, PIXMAN_a8r8g8b8, true);
    rotatedSource = PixmanImage(*f.picture, PIXMAN_a8r8g8b8, true);
    pixman_color_t c{0x3030, 0x6060, 0xA0A0, 0xFFFF};
    colour = pixman_image_create_solid_fill(&c);

    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(1 / 0.75),
                                pixman_double_to_fixed(1 / 0.75));
    pixman_image_set_transform(scaledSource, &scale);
    pixman_image_set_filter(scaledSource, PIXMAN_FILTER_BILINEAR, nullptr, 0);

    // Destination to source: about the centre by 30 degrees.
    pixman_f_transform_t turn;
    pixman_f_transform_init_translate(&turn, -kWidth / 2.0, -kHeight / 2.0);
    pixman_f_transform_rotate(nullptr, &turn, std::cos(M_PI / 6), std::sin(M_PI / 6));
    pixman_f_transform_translate(nullptr, &turn, kWidth / 2.0, kHeight / 2.0);
    pixman_transform_t rotation;
    pixman_transform_from_pixman_f_transform(&rotation, &turn);
    pixman_image_set_transform(rotatedSource, &rotation);
    pixman_image_set_filter(rotatedSource, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  }
};

TPixmanFixture& Pixman() {
  static TPixmanFixture fixture;
  return fixture;
}

void BM_Pixman(benchmark::State& state, TOperation op) {
  TPixmanFixture& p = Pixman();
  for (auto _ : state) {
    switch (op) {
      case opBlend:
        pixman_image_composite32(PIXMAN_OP_OVER, p.sprites, nullptr, p.frame, 0, 0, 0, 0, 0, 0,
                                 kWidth, kHeight);
        break;
      case opCopy:
        pixman_image_composite32(PIXMAN_OP_SRC, p.picture, nullptr, p.frame, 0, 0, 0, 0, 0, 0,
                                 kWidth, kHeight);
        break;
      case opColour:
        pixman_image_composite32(PIXMAN_OP_OVER, p.colour, p.sprites, p.frame, 0, 0, 0, 0, 0, 0,
                                 kWidth, kHeight);
        break;
      case opScale:
        pixman_image_composite32(PIXMAN_OP_SRC, p.scaledSource, nullptr, p.target, 0, 0, 0, 0, 0, 0,
                                 kWidth, kHeight);
        break;
      case opRotate:
        pixman_image_composite32(PIXMAN_OP_SRC, p.rotatedSource, nullptr, p.target, 0, 0, 0, 0, 0,
                                 0, kWidth, kHeight);
        break;
    }
    benchmark::ClobberMemory();
  }
}

#endif

// Keeps each benchmark's best time per iteration over its repetitions, so that the ratios
// printed at the end suffer least from other load on the machine.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      // "operation/who" without the suffixes of repetitions and timing.
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find('/', name.find('/') + 1));
      double time = run.GetAdjustedRealTime();
      auto it = times.find(name);
      if (it == times.end() || time < it->second) times[name] = time;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

std::string Name(TOperation op, const char* who) {
  return std::string(kOperationNames[op]) + "/" + who;
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
  for (int op = opBlend; op <= opRotate; ++op) {
    TOperation o = TOperation(op);
    std::vector<benchmark::internal::Benchmark*> runs;
    runs.push_back(benchmark::RegisterBenchmark(Name(o, "ours").c_str(), BM_Ours, o, best));
    if (sse2 && sse2 != best)
      runs.push_back(benchmark::RegisterBenchmark(Name(o, "ours-sse2").c_str(), BM_Ours, o, sse2));
#if HAVE_PIXMAN
    runs.push_back(benchmark::RegisterBenchmark(Name(o, "pixman").c_str(), BM_Pixman, o));
#endif
    for (benchmark::internal::Benchmark* run : runs)
      run->Unit(benchmark::kMicrosecond)->Repetitions(5)->MinTime(0.2);
  }
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nkernels: %s; best of 5, microseconds per 1024 x 768 frame\n", best->Name);
  std::printf("%-12s %10s %10s %10s %8s\n", "operation", "ours", "ours-sse2", "pixman", "ratio");
  for (int op = opBlend; op <= opRotate; ++op) {
    TOperation o = TOperation(op);
    auto time = [&](const char* who) {
      auto it = reporter.times.find(Name(o, who));
      return it == reporter.times.end() ? 0.0 : it->second;
    };
    double ours = time("ours"), oursSse2 = time("ours-sse2"), pixman = time("pixman");
    std::printf("%-12s %10.1f %10.1f %10.1f %8.2f\n", kOperationNames[op], ours, oursSse2, pixman,
                pixman > 0 ? ours / pixman : 0.0);
  }
  return 0;
}
