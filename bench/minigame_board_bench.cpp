// The board logic of the match games, with factories that make nothing (so only the rules
// are measured): match three on 8 x 8 cells of six kinds (one cascade step, the search
// for a move on a board that has none, a reshuffle until a move exists) and the cell-graph
// game on an 8 x 8 grid of 64 cells (the search for a move, the queue test). Each reports
// the allocations per iteration, which must be 0, and its time against its budget
// ("budget_ratio" below 1 is within it).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/Random.h"
#include "foundation/XMLStorage.h"
#include "minigames/MiniGame3MatchBoard.h"
#include "minigames/MiniGameXMatch.h"
#include "minigames/MiniGamesRegistration.h"
#include "shell/ShellRegistration.h"
#include "tests/support/CountingAllocator.h"

namespace {

constexpr int32_t kSide = 8;
constexpr int32_t kKinds = 6;
constexpr int32_t kMinSize = 3;

// Counts the allocations of the timed loop and its time against the budget of one
// iteration, and sets the counters.
struct TWatch {
  benchmark::State& state;
  double budget;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  TWatch(benchmark::State& s, double seconds) : state(s), budget(seconds) {
    allocation_count::allocations = 0;
    allocation_count::counting = true;
  }
  ~TWatch() {
    allocation_count::counting = false;
    double iterations = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.counters["allocs_per_iteration"] = double(allocation_count::allocations) / iterations;
    state.counters["budget_ratio"] = elapsed.count() / iterations / budget;
  }
};

void RandomBoard(T3MatchBoard& board) {
  board.Resize(kSide, kSide);
  board.Fill(kKinds, nullptr);
}

// A board without a run and without a move: the search for one looks at every pair.
bool NoMoveBoard(T3MatchBoard& board) {
  board.Resize(kSide, kSide);
  for (int32_t a = 1; a < kKinds; ++a)
    for (int32_t b = 1; b < kKinds; ++b) {
      for (int32_t c = 0; c < kSide; ++c)
        for (int32_t r = 0; r < 2 * kSide; ++r) board.At(c, r).kind = (a * c + b * r) % kKinds;
      if (!board.FindMatches(kMinSize) && !board.FindPossibleMove(kMinSize)) return true;
    }
  return false;
}

void BM_Match3CascadeStep(benchmark::State& state) {
  SetRandomSeed(1);
  T3MatchBoard board;
  RandomBoard(board);
  uint32_t lcg = 12345;
  {
    TWatch watch(state, 5e-6);
    for (auto _ : state) {
      // A fresh run of three somewhere, then explode, fall and fill as states 4 to 6 do.
      lcg = lcg * 1664525u + 1013904223u;
      int32_t c = int32_t(lcg >> 8) % (kSide - 2), r = kSide + int32_t(lcg >> 16) % kSide;
      for (int32_t k = 0; k < 3; ++k) board.At(c + k, r).kind = int32_t(lcg >> 24) % kKinds;
      board.FindMatches(kMinSize);
      for (int32_t x = 0; x < kSide; ++x)
        for (int32_t y = 0; y < 2 * kSide; ++y)
          if (board.IsMarked(x, y)) board.At(x, y).kind = -1;
      board.Fall(nullptr);
      board.Fill(kKinds, nullptr);
      benchmark::DoNotOptimize(board.At(0, kSide).kind);
    }
  }
}
BENCHMARK(BM_Match3CascadeStep);

void BM_Match3FindPossibleMoveNone(benchmark::State& state) {
  T3MatchBoard board;
  if (!NoMoveBoard(board)) {
    state.SkipWithError("no board without a move");
    return;
  }
  {
    TWatch watch(state, 20e-6);
    for (auto _ : state) benchmark::DoNotOptimize(board.FindPossibleMove(kMinSize));
  }
}
BENCHMARK(BM_Match3FindPossibleMoveNone);

// State 7: from a board without a move, shuffles until a move exists and no run stands.
void BM_Match3Reshuffle(benchmark::State& state) {
  SetRandomSeed(2);
  T3MatchBoard board, stuck;
  if (!NoMoveBoard(stuck)) {
    state.SkipWithError("no board without a move");
    return;
  }
  board.Resize(kSide, kSide);
  int64_t shuffles = 0;
  {
    TWatch watch(state, 0.2e-3);
    for (auto _ : state) {
      for (int32_t c = 0; c < kSide; ++c)
        for (int32_t r = 0; r < 2 * kSide; ++r) board.At(c, r).kind = stuck.At(c, r).kind;
      do {
        board.Shuffle(nullptr);
        ++shuffles;
      } while (!board.FindPossibleMove(kMinSize) || board.FindMatches(kMinSize));
    }
  }
  state.counters["shuffles_per_iteration"] = double(shuffles) / double(state.iterations());
}
BENCHMARK(BM_Match3Reshuffle);

// An 8 x 8 grid: links to the four neighbours, direction 0 along rows and 1 along
// columns, each cell pulling from the one above; four kinds.
Ref<TXMatchWidget> Grid() {
  RegisterShellClasses();
  RegisterMiniGamesClasses();
  std::string xml = R"(<widget type="mg_xmatch_widget" name="grid"><cells>)";
  auto link = [](int cell, int weight, int direction) {
    return "<link cell=\"" + std::to_string(cell) + "\" weight=\"" + std::to_string(weight) +
           "\" direction=\"" + std::to_string(direction) + "\"/>";
  };
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      int i = r * kSide + c;
      xml += "<cell id=\"" + std::to_string(i) + "\"><links>";
      if (c > 0) xml += link(i - 1, 0, 0);
      if (c + 1 < kSide) xml += link(i + 1, 0, 0);
      if (r > 0) xml += link(i - kSide, 1, 1);
      if (r + 1 < kSide) xml += link(i + kSide, 0, 1);
      xml += "</links></cell>";
    }
  xml += R"(</cells><elements><element group="0"/><element group="1"/><element group="2"/>)"
         R"(<element group="3"/></elements></widget>)";
  Ref<IHierStorageRoot> root = LoadXmlStorageFromText(xml);
  Ref<INamedObject> object = CreateObjectFromXml(Ref<IHierStorage>(root.get()));
  return Ref<TXMatchWidget>(dynamic_cast<TXMatchWidget*>(object.get()));
}

void BM_XMatchFindPossibleMove(benchmark::State& state) {
  SetRandomSeed(3);
  Ref<TXMatchWidget> grid = Grid();
  // Worst case: no move, every link tried.
  bool none = state.range(0) == 0;
  if (none)
    for (size_t i = 0; i < grid->Cells().size(); ++i) {
      int32_t c = int32_t(i) % kSide, r = int32_t(i) / kSide;
      grid->Cells()[i].group = (c + 2 * r) % 4;
    }
  if (none && grid->FindPossibleMove() >= 0) {
    state.SkipWithError("the grid has a move");
    return;
  }
  {
    TWatch watch(state, 0.5e-3);
    for (auto _ : state) benchmark::DoNotOptimize(grid->FindPossibleMove());
  }
  state.SetLabel(none ? "no move" : "settled board");
}
BENCHMARK(BM_XMatchFindPossibleMove)->Arg(0)->Arg(1);

void BM_XMatchIsQueueBusy(benchmark::State& state) {
  SetRandomSeed(4);
  Ref<TXMatchWidget> grid = Grid();
  {
    TWatch watch(state, 3e-6);
    for (auto _ : state) benchmark::DoNotOptimize(grid->IsQueueBusy());
  }
}
BENCHMARK(BM_XMatchIsQueueBusy);

}  // namespace
