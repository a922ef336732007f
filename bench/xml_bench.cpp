// Parse time of the XML reader against pugixml on the same documents, and of the
// binary-xml form against the text form. Prints the ratios after the runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <map>
#include <string>

#include "foundation/SimpleXML.h"

#ifdef HAVE_PUGIXML
#include <pugixml.hpp>
#endif

namespace {

// A screen-like document: nested groups of widgets, each element with 5 to 10
// attributes, indented as content authors write them.
std::string MakeScreen(size_t targetBytes) {
  static const char* const kTypes[] = {"image", "button", "text", "group", "move", "particles"};
  static const char* const kModes[] = {"normal", "screen", "overlay", "addition"};
  uint32_t seed = 12345;
  auto next = [&](uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  std::string text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<screen name=\"main\" "
      "width=\"1024\" height=\"768\" music=\"data\\music\\theme.ogg\">\n";
  int id = 0;
  int depth = 1;
  while (text.size() < targetBytes) {
    if (depth > 1 && next(4) == 0) {
      --depth;
      text.append(size_t(depth) * 2, ' ');
      text += "</group>\n";
      continue;
    }
    bool group = depth < 6 && next(5) == 0;
    text.append(size_t(depth) * 2, ' ');
    const char* type = group ? "group" : kTypes[next(6)];
    text += std::string("<") + (group ? "group" : "widget") + " type=\"" + type + "\" name=\"w" +
            std::to_string(id++) + "\" x=\"" + std::to_string(next(1024)) + "\" y=\"" +
            std::to_string(next(768)) + "\" z=\"" + std::to_string(next(100)) + "\"";
    int extra = int(next(6));
    if (extra > 0) text += " file=\"data\\images\\sprite" + std::to_string(next(500)) + ".png\"";
    if (extra > 1) text += " blendingmode=\"" + std::string(kModes[next(4)]) + "\"";
    if (extra > 2) text += " alpha=\"0." + std::to_string(next(100)) + "\"";
    if (extra > 3) text += " visible=\"" + std::string(next(2) ? "yes" : "no") + "\"";
    if (extra > 4) text += " caption=\"%Caption" + std::to_string(next(200)) + "% &amp; more\"";
    if (group) {
      text += ">\n";
      ++depth;
    } else {
      text += "/>\n";
    }
  }
  while (depth > 1) {
    --depth;
    text.append(size_t(depth) * 2, ' ');
    text += "</group>\n";
  }
  text += "</screen>\n";
  return text;
}

const std::string& Document(bool large) {
  static const std::string big = MakeScreen(2'500'000);
  static const std::string small = MakeScreen(2'000);
  return large ? big : small;
}

const std::string& BinaryImage(bool large) {
  static const std::string big =
      LoadXmlFromBuffer(Document(true).data(), Document(true).size())->SaveBinaryXml();
  static const std::string small =
      LoadXmlFromBuffer(Document(false).data(), Document(false).size())->SaveBinaryXml();
  return large ? big : small;
}

// Other programs share the machine: the fastest of several repetitions is the figure
// least disturbed by them.
void Configure(benchmark::internal::Benchmark* b) {
  b->ArgName("large")->Arg(1)->Arg(0)->Repetitions(5)->ReportAggregatesOnly(true);
  b->ComputeStatistics(
      "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

void Text(benchmark::State& state) {
  const std::string& text = Document(state.range(0));
  for (auto _ : state) {
    Ref<IXmlDocument> document = LoadXmlFromBuffer(text.data(), text.size());
    benchmark::DoNotOptimize(document.get());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void Binary(benchmark::State& state) {
  const std::string& image = BinaryImage(state.range(0));
  for (auto _ : state) {
    Ref<IXmlDocument> document = LoadXmlFromBuffer(image.data(), image.size());
    benchmark::DoNotOptimize(document.get());
  }
  // Counted in bytes of the text form, so the throughputs compare directly.
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Document(state.range(0)).size()));
}

#ifdef HAVE_PUGIXML
void Pugixml(benchmark::State& state) {
  const std::string& text = Document(state.range(0));
  for (auto _ : state) {
    pugi::xml_document document;
    pugi::xml_parse_result result = document.load_buffer(text.data(), text.size());
    if (!result) state.SkipWithError("pugixml failed");
    benchmark::DoNotOptimize(document.first_child());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(Pugixml)->Apply(Configure);

// pugixml at its fastest: parsing in place in a buffer that is already allocated.
void PugixmlInPlace(benchmark::State& state) {
  const std::string& text = Document(state.range(0));
  std::string buffer = text;
  for (auto _ : state) {
    std::copy(text.begin(), text.end(), buffer.begin());
    pugi::xml_document document;
    pugi::xml_parse_result result = document.load_buffer_inplace(buffer.data(), buffer.size());
    if (!result) state.SkipWithError("pugixml failed");
    benchmark::DoNotOptimize(document.first_child());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(PugixmlInPlace)->Apply(Configure);
#endif
BENCHMARK(Text)->Apply(Configure);
BENCHMARK(Binary)->Apply(Configure);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      std::string name = run.benchmark_name();
      size_t repeats = name.find("/repeats:");
      if (repeats != std::string::npos && name.compare(name.size() - 4, 4, "_min") == 0)
        times_[name.substr(0, repeats)] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    for (const char* size : {"large:1", "large:0"}) {
      std::string text = std::string("Text/") + size;
      std::printf("\n%s document (%zu bytes):\n", size[6] == '1' ? "Large" : "Small",
                  Document(size[6] == '1').size());
      for (const char* pugi : {"Pugixml/", "PugixmlInPlace/"})
        if (Has(pugi + std::string(size)) && Has(text))
          std::printf("  throughput against %s: %.2fx\n",
                      pugi[7] == '/' ? "pugixml load_buffer" : "pugixml load_buffer_inplace",
                      At(pugi + std::string(size)) / At(text));
      if (Has("Binary/" + std::string(size)) && Has(text))
        std::printf("  binary form against text form: %.2fx faster\n",
                    At(text) / At("Binary/" + std::string(size)));
    }
  }

 private:
  bool Has(const std::string& name) const { return times_.count(name) != 0; }
  double At(const std::string& name) const { return times_.at(name); }
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Keep freed memory in the process: otherwise every iteration of the large document
  // pays for page faults of memory handed back to the system, which on a virtual
  // machine costs more than the parsing being measured.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
