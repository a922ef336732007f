// Evaluation speed of compiled expressions, against muparser on the same expressions in
// the same run. Prints a table of evaluations per second (the median of the repetitions)
// and the ratio at the end.
#include <cmath>
#include <cstdio>
#include <string>

#include "bench/BenchReport.h"
#include "functions/ParseExpr.h"

#ifdef HAVE_MUPARSER
#include <muParser.h>
#endif

namespace {

struct Workload {
  const char* name;
  const char* ours;
  const char* muparser;
};

const Workload workloads[] = {
    {"sum_product", "a + b * c", "a + b * c"},
    {"trigonometry", "sin(a) * cos(b) + sqrt(c)", "sin(a) * cos(b) + sqrt(c)"},
    {"rational", "((a + b) * (a - b) + c * c) / (1 + a * a + b * b)",
     "((a + b) * (a - b) + c * c) / (1 + a * a + b * b)"},
    {"powers", "a ^ 2 + b ^ 3 - c ^ 0.5", "a ^ 2 + b ^ 3 - c ^ 0.5"},
    {"min_max", "min(a, b) + max(b, c) * 2 - abs(a - c)", "min(a, b) + max(b, c) * 2 - abs(a - c)"},
    {"constants", "a * (2 * 3 + 4) / (10 - 8) + pi", "a * (2 * 3 + 4) / (10 - 8) + _pi"},
    {"comparisons", "(a > b) + (b < c) * 2 + (a = a)", "(a > b) + (b < c) * 2 + (a == a)"},
    {"polynomial", "((((a * 2 + 3) * a - 4) * a + 5) * a - 6) * a + 7",
     "((((a * 2 + 3) * a - 4) * a + 5) * a - 6) * a + 7"},
};

void Ours(benchmark::State& state, const Workload& w) {
  float a = 1.25f, b = 0.5f, c = 3.0f;
  TExpressionParser parser;
  parser.SetDecimalSeparator('.');
  parser.SetArgSeparator(',');
  parser.DefineVariable("a", &a);
  parser.DefineVariable("b", &b);
  parser.DefineVariable("c", &c);
  parser.AddExpressions(w.ours);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(parser.EvaluateAll());
  }
  state.SetItemsProcessed(state.iterations());
}

#ifdef HAVE_MUPARSER
void MuParser(benchmark::State& state, const Workload& w) {
  double a = 1.25, b = 0.5, c = 3.0;
  mu::Parser parser;
  parser.DefineVar("a", &a);
  parser.DefineVar("b", &b);
  parser.DefineVar("c", &c);
  parser.SetExpr(w.muparser);
  parser.Eval();  // the first call parses; later calls run the byte code
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(parser.Eval());
  }
  state.SetItemsProcessed(state.iterations());
}
#endif

}  // namespace

int main(int argc, char** argv) {
  for (const Workload& w : workloads) {
    bench::AddBestStatistics(
        benchmark::RegisterBenchmark((std::string("ours/") + w.name).c_str(), Ours, w));
#ifdef HAVE_MUPARSER
    bench::AddBestStatistics(
        benchmark::RegisterBenchmark((std::string("muparser/") + w.name).c_str(), MuParser, w));
#endif
  }
  bench::TSummaryReporter reporter;
  if (!bench::RunBenchmarks(argc, argv, reporter)) return 1;
  auto rate = [&](const std::string& name) {
    auto& counters = reporter.At(name).MedianCounters;
    auto it = counters.find("items_per_second");
    return it == counters.end() ? 0.0 : it->second;
  };

  std::printf("\n%-14s %16s %16s %8s\n", "expression", "ours eval/s", "muparser eval/s", "ratio");
  double logSum = 0;
  int compared = 0;
  for (const Workload& w : workloads) {
    double ours = rate(std::string("ours/") + w.name);
    double mu = rate(std::string("muparser/") + w.name);
    if (mu > 0 && ours > 0) {
      std::printf("%-14s %16.0f %16.0f %8.2f\n", w.name, ours, mu, ours / mu);
      logSum += std::log(ours / mu);
      ++compared;
    } else {
      std::printf("%-14s %16.0f %16s %8s\n", w.name, ours, "-", "-");
    }
  }
  if (compared > 0) std::printf("%-14s %42.2f\n", "geometric mean", std::exp(logSum / compared));
  return 0;
}
