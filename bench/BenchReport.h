#pragma once
// What the benchmarks that compare us with another library share: the repetition count from
// the command line (--benchmark_repetitions, five when it names none), repetitions run in
// random order across the benchmarks, a "best" statistic
// beside Google Benchmark's median, and a console reporter that keeps every benchmark's
// median and best for the ratio tables printed after the runs. The tables read the
// aggregate rows, so they are the same with --benchmark_report_aggregates_only; with one
// repetition there are no aggregates and the single run is both median and best.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace bench {

constexpr int kDefaultRepetitions = 5;

// The fastest repetition, and the highest of each counter: a rate counter's highest value
// is the fastest repetition's rate, where the lowest would be the slowest one's.
inline void AddBestStatistics(benchmark::internal::Benchmark* b) {
  b->ComputeStatistics("best", [](const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
  });
  b->ComputeStatistics("highest", [](const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
  });
}

struct TSummary {
  double MedianSeconds = 0;  // processor time per iteration
  double BestSeconds = 0;
  std::map<std::string, double> MedianCounters;
  std::map<std::string, double> BestCounters;  // rates: the best repetition's
};

class TSummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> shown;
    const Run* highest = nullptr;
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "highest") highest = &run;
    for (const Run& run : runs) {
      if (run.error_occurred) {
        shown.push_back(run);
        continue;
      }
      TSummary& summary = summaries_[Key(run)];
      if (run.run_type == Run::RT_Iteration) {
        // Overwritten by the aggregates when there are repetitions.
        summary.MedianSeconds = summary.BestSeconds = Seconds(run);
        summary.MedianCounters = summary.BestCounters = Values(run.counters);
        shown.push_back(run);
      } else if (run.aggregate_name == "median") {
        summary.MedianSeconds = Seconds(run);
        summary.MedianCounters = Values(run.counters);
        shown.push_back(run);
      } else if (run.aggregate_name == "best") {
        Run best = run;
        if (highest)
          for (auto& [name, counter] : best.counters)
            if (counter.flags & benchmark::Counter::kIsRate)
              counter.value = highest->counters.at(name).value;
        summary.BestSeconds = Seconds(best);
        summary.BestCounters = Values(best.counters);
        shown.push_back(best);
      } else if (run.aggregate_name != "highest") {
        shown.push_back(run);
      }
    }
    ConsoleReporter::ReportRuns(shown);
  }

  // "function/arguments" as registered, without the repetition and timing suffixes.
  bool Has(const std::string& name) const { return summaries_.count(name) != 0; }
  const TSummary& At(const std::string& name) const {
    static const TSummary none;
    auto it = summaries_.find(name);
    return it == summaries_.end() ? none : it->second;
  }

 private:
  static std::string Key(const Run& run) {
    const std::string& args = run.run_name.args;
    return run.run_name.function_name + (args.empty() ? "" : "/" + args);
  }
  // Processor time of the process: on a machine shared with other programs it counts less
  // of their load than the wall clock does, which also counts the time spent waiting for a
  // processor.
  static double Seconds(const Run& run) {
    return run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
  }
  static std::map<std::string, double> Values(const benchmark::UserCounters& counters) {
    std::map<std::string, double> out;
    for (const auto& [name, counter] : counters) out[name] = counter.value;
    return out;
  }

  std::map<std::string, TSummary> summaries_;
};

// Runs the benchmarks through Reporter with the repetition count defaulting to five and
// the repetitions of all benchmarks in random order, so that a change of the machine's
// load during the run falls on ours and the other library alike (flags on the command
// line come later and win). False when the command line holds arguments that neither
// Google Benchmark nor the caller took.
inline bool RunBenchmarks(int argc, char** argv, TSummaryReporter& reporter) {
  static std::string repetitions = "--benchmark_repetitions=" + std::to_string(kDefaultRepetitions);
  static std::string interleaving = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> args(argv, argv + argc);
  args.insert(args.begin() + (argc > 0 ? 1 : 0), {repetitions.data(), interleaving.data()});
  args.push_back(nullptr);
  int count = int(args.size()) - 1;
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return false;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return true;
}

}  // namespace bench
