// One frame of a screen's widget tree: the update (clocks, function widgets, children) and
// the dirty-rectangle pass, over 500, 5,000 and 50,000 widgets of which a fifth are moved
// by a function. Reports the time, the time per widget, the heap allocations and the
// property look-ups by name per frame (steady state: none of either expected: bound
// properties are read and written through rows). The table at the end shows how the cost
// per widget holds as the tree grows.
//
// The tree: a root group holding one group per 50 widgets; each holds 49 boxes (4 x 4
// pixels, spread over the screen), 10 of them with a function that moves them with the
// clock. The repetition count comes from --benchmark_repetitions (five by default).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "bench/BenchReport.h"
#include "foundation/XMLStorage.h"
#include "functions/FunctionInterfaces.h"
#include "shell/ShellRegistration.h"
#include "shell/WidgetClasses.h"
#include "tests/support/NullWidgetOwner.h"
#include "tests/support/CountingAllocator.h"

namespace {

// A leaf with a size that draws nothing.
class BenchBox : public TSingleWidget {};

// anchor_left := currenttime / 16 mod 500 + "offset": a cheap function bound by name.
class BenchFunction : public TPersistObject, public virtual IFunction {
 public:
  float in = 0, out = 0;
  void SetOwner(IFunctionOwner*) override {}
  void Clear() override {}
  void Execute() override {}
  Ref<IParamSpace> GetParamSpace() override { return nullptr; }
  int32_t GetInputCount() override { return 1; }
  int32_t GetOutputCount() override { return 1; }
  void SetInput(int32_t, float value) override { in = value; }
  void SetOutput(int32_t, float value) override { out = value; }
  float GetOutput(int32_t) override { return out; }
  float GetParamValue(const std::string&) override { return 0; }
  void SetParamValue(const std::string&, float) override {}
  std::string GetParamDefName(int32_t c, int32_t r) override { return GetParamName(c, r); }
  std::string GetParamName(int32_t col, int32_t) override {
    return col == 0 ? "anchor_left" : "currenttime";
  }
  void Calculate() override { out = float(int(in / 16) % 500); }
  Ref<IFunctionCollection> GetFunctions() override { return nullptr; }
};

std::string TreeXml(int64_t widgets) {
  std::string xml = R"(<widget type="group_widget" name="root" visible="yes"><widgets>)";
  for (int64_t g = 0; g < widgets / 50; ++g) {
    xml += "<widget type=\"group_widget\" name=\"g" + std::to_string(g) +
           "\" visible=\"yes\" anchor_top=\"" + std::to_string(g * 70) + "\"><widgets>";
    for (int b = 0; b < 49; ++b) {
      xml += "<widget type=\"bench_box\" name=\"b" + std::to_string(b) +
             "\" width=\"4\" height=\"4\"" + " visible=\"yes\" z=\"" + std::to_string(b % 7) +
             "\" anchor_left=\"" + std::to_string(b * 20) + "\" anchor_top=\"" +
             std::to_string(b % 7 * 9) + "\">";
      if (b % 5 == 0) xml += R"(<function_widget type="bench_function" name="f"/>)";
      xml += "</widget>";
    }
    xml += "</widgets></widget>";
  }
  return xml + "</widgets></widget>";
}

void BM_WidgetFrame(benchmark::State& state) {
  RegisterShellClasses();
  static bool registered = false;
  if (!registered) {
    RegisterClassName<BenchBox>("bench_box");
    RegisterClassName<BenchFunction>("bench_function");
    registered = true;
  }
  Ref<IWidget> root = Supports<IWidget>(CreateObjectFromXml(
      Ref<IHierStorage>(LoadXmlStorageFromText(TreeXml(state.range(0))).get())));
  Ref<NullWidgetOwner> screen(new NullWidgetOwner());
  screen->SetName("screen");
  root->SetOwner(screen.get());
  auto frame = [&] {
    root->Process(16);
    root->UpdateDirtyRects(false, false);
  };
  for (int i = 0; i < 10; ++i) frame();  // settle: first passes, vector growth

  // Allocations are counted over frames of their own, outside the timing loop, so the
  // harness's bookkeeping does not count: about half a million widget passes.
  const int64_t widgets = state.range(0);
  const int64_t countedFrames = std::clamp<int64_t>(500'000 / widgets, 10, 1000);
  uint64_t lookupsBefore = TPropertyTable::LookupCount();
  double allocsPerFrame = allocation_count::PerCall(int(countedFrames), frame);
  double lookupsPerFrame =
      double(TPropertyTable::LookupCount() - lookupsBefore) / double(countedFrames);

  screen->dirtyRects = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    frame();
    ++frames;
  }
  state.counters["widgets"] = double(widgets);
  state.counters["per widget"] = benchmark::Counter(
      double(widgets), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["allocs/frame"] = allocsPerFrame;
  state.counters["lookups/frame"] = lookupsPerFrame;
  state.counters["rects/frame"] = double(screen->dirtyRects) / double(frames);
  root->ReleaseOwner();
}

constexpr int64_t kCounts[] = {500, 5'000, 50'000};

}  // namespace

int main(int argc, char** argv) {
  benchmark::internal::Benchmark* b =
      benchmark::RegisterBenchmark("widget frame", BM_WidgetFrame)->Unit(benchmark::kMicrosecond);
  for (int64_t count : kCounts) b->Arg(count);
  bench::AddBestStatistics(b);
  bench::TSummaryReporter reporter;
  if (!bench::RunBenchmarks(argc, argv, reporter)) return 1;

  std::printf("\nprocessor time per frame: median (best) of the repetitions\n");
  std::printf("%8s %22s %22s\n", "widgets", "frame (us)", "per widget (ns)");
  double least = 0, most = 0;
  for (int64_t count : kCounts) {
    const std::string name = "widget frame/" + std::to_string(count);
    if (!reporter.Has(name)) continue;
    const bench::TSummary& s = reporter.At(name);
    const double perWidget = s.MedianSeconds * 1e9 / double(count);
    least = least == 0 ? perWidget : std::min(least, perWidget);
    most = std::max(most, perWidget);
    char frame[40], widget[40];
    std::snprintf(frame, sizeof frame, "%.1f (%.1f)", s.MedianSeconds * 1e6, s.BestSeconds * 1e6);
    std::snprintf(widget, sizeof widget, "%.1f (%.1f)", perWidget,
                  s.BestSeconds * 1e9 / double(count));
    std::printf("%8lld %22s %22s\n", (long long)count, frame, widget);
  }
  if (least > 0) std::printf("largest / smallest cost per widget: %.2f\n", most / least);
  return 0;
}
