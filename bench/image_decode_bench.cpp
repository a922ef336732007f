// Decoding the sample game's own pictures the quick way (OwnPngDecode.h) against libpng:
// a full-screen opaque picture, a large translucent one, and every picture of the program
// folder as start-up decodes them, each into a new surface; "surface" is the floor, the
// making of those surfaces alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "engine/EngineResources.h"
#include "engine/EngineResourcesImages.h"
#include "engine/EngineSurface.h"
#include "engine/OwnPictureMark.h"
#include "engine/OwnPngDecode.h"

namespace {

constexpr int32_t kSide = TImageResource::kMaxImageSide;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TPictures {
  std::string Name;
  std::vector<std::string> Files;
};

std::vector<TPictures> Fixture() {
  const std::filesystem::path images = std::filesystem::path(SAMPLE_GAME_DIR) / "images";
  // diary_bg: 1024x768 RGB; panel_stats: 960x576 RGBA; all: every picture of the folder.
  std::vector<TPictures> sets = {{"diary_bg", {ReadFile(images / "diary_bg.png")}},
                                 {"panel_stats", {ReadFile(images / "panel_stats.png")}},
                                 {"all", {}}};
  for (const auto& entry : std::filesystem::recursive_directory_iterator(SAMPLE_GAME_DIR)) {
    if (entry.path().extension() != ".png") continue;
    std::string png = ReadFile(entry.path());
    if (own_picture::IsMarked(reinterpret_cast<const uint8_t*>(png.data()), png.size()))
      sets.back().Files.push_back(std::move(png));
  }
  return sets;
}

using TDecode = bool (*)(std::string_view, TSurface&, int32_t);

uint32_t Big32(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | uint8_t(bytes[at + i]);
  return v;
}

// The floor: only the surface each decode makes, of the picture's size.
bool SurfaceOnly(std::string_view png, TSurface& surface, int32_t) {
  surface.SetSizeForOverwrite(int32_t(Big32(png, 16)), int32_t(Big32(png, 20)));
  return surface.GetWidth() > 0;
}

void BM_Decode(benchmark::State& state, const TPictures* pictures, TDecode decode) {
  Ref<TSurface> surface = TAbstractObject::Create<TSurface>();
  int64_t pixels = 0;
  for (auto _ : state) {
    for (const std::string& png : pictures->Files) {
      if (!decode(png, *surface, kSide)) {
        state.SkipWithError("a picture did not decode");
        return;
      }
      pixels += int64_t(surface->GetWidth()) * surface->GetHeight();
    }
    benchmark::ClobberMemory();
  }
  state.counters["Mpixel/s"] =
      benchmark::Counter(double(pixels) / 1e6, benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<TPictures> sets = Fixture();
  for (const TPictures& set : sets) {
    for (const auto& [who, decode] :
         {std::pair<const char*, TDecode>{"quick", own_png::DecodeColour},
          std::pair<const char*, TDecode>{"libpng", DecodePngImageByLibpng},
          std::pair<const char*, TDecode>{"surface", SurfaceOnly}}) {
      benchmark::internal::Benchmark* run = benchmark::RegisterBenchmark(
          (set.Name + "/" + who).c_str(), BM_Decode, &set, decode);
      run->Unit(benchmark::kMillisecond)->MinTime(0.3);
      bench::AddBestStatistics(run);
    }
  }
  bench::TSummaryReporter reporter;
  if (!bench::RunBenchmarks(argc, argv, reporter)) return 1;

  std::printf("\nprocessor time per decode in milliseconds: median (best) of the repetitions\n");
  std::printf("%-18s %17s %17s %17s %13s %6s\n", "pictures (files)", "quick", "libpng",
              "surface only", "libpng/quick", "best");
  for (const TPictures& set : sets) {
    const bench::TSummary& quick = reporter.At(set.Name + "/quick");
    const bench::TSummary& libpng = reporter.At(set.Name + "/libpng");
    const bench::TSummary& floor = reporter.At(set.Name + "/surface");
    auto cell = [](const bench::TSummary& s) {
      char text[40];
      std::snprintf(text, sizeof text, "%.3f (%.3f)", s.MedianSeconds * 1e3, s.BestSeconds * 1e3);
      return std::string(text);
    };
    std::string name = set.Name + " (" + std::to_string(set.Files.size()) + ")";
    std::printf("%-18s %17s %17s %17s %13.2f %6.2f\n", name.c_str(), cell(quick).c_str(),
                cell(libpng).c_str(), cell(floor).c_str(),
                quick.MedianSeconds > 0 ? libpng.MedianSeconds / quick.MedianSeconds : 0,
                quick.BestSeconds > 0 ? libpng.BestSeconds / quick.BestSeconds : 0);
  }
  return 0;
}
