// Parse time of the XML reader against pugixml on the same documents, and of the
// binary-xml form against the text form. Prints the ratios after the runs.
#include <algorithm>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <map>
#include <string>

#include "bench/BenchReport.h"
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

// Other programs share the machine: the table after the runs gives the median of the
// repetitions and, in brackets, the best one.
void Configure(benchmark::internal::Benchmark* b) {
  b->ArgName("large")->Arg(1)->Arg(0);
  bench::AddBestStatistics(b);
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

// How many times faster A is than B: the ratio of the medians, then of the best runs.
void PrintRatio(const bench::TSummaryReporter& r, const char* what, const std::string& a,
                const std::string& b) {
  if (!r.Has(a) || !r.Has(b)) return;
  std::printf("  %s: %.2fx (best %.2fx)\n", what, r.At(b).MedianSeconds / r.At(a).MedianSeconds,
              r.At(b).BestSeconds / r.At(a).BestSeconds);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Keep freed memory in the process: otherwise every iteration of the large document
  // pays for page faults of memory handed back to the system, which on a virtual
  // machine costs more than the parsing being measured.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
#endif
  bench::TSummaryReporter reporter;
  if (!bench::RunBenchmarks(argc, argv, reporter)) return 1;
  for (const char* size : {"large:1", "large:0"}) {
    const bool large = size[6] == '1';
    const std::string text = std::string("Text/") + size;
    std::printf("\n%s document (%zu bytes), median of the repetitions:\n",
                large ? "Large" : "Small", Document(large).size());
    PrintRatio(reporter, "throughput against pugixml load_buffer", text,
               std::string("Pugixml/") + size);
    PrintRatio(reporter, "throughput against pugixml load_buffer_inplace", text,
               std::string("PugixmlInPlace/") + size);
    PrintRatio(reporter, "binary form against text form", std::string("Binary/") + size, text);
  }
  return 0;
}
