#include "foundation/Warnings.h"

#include <cstdio>
#include <unordered_set>
#include <utility>

namespace {

struct TWarningState {
  std::unordered_set<std::string> said;
  TWarningHook hook;
  std::string scopeFile;
};

TWarningState& State() {
  static TWarningState state;
  return state;
}

}  // namespace

std::string FormatWarning(std::string_view file, std::string_view what) {
  std::string line = "warning: ";
  if (!file.empty()) {
    line.append(file);
    line.append(": ");
  }
  line.append(what);
  return line;
}

void Warn(std::string_view file, std::string_view what) {
  TWarningState& state = State();
  // Past this many distinct lines a run says little more that helps, and remembering
  // every line of a badly broken file (or of a fuzzer's inputs) would grow without end.
  constexpr size_t kMaxLines = 1000;
  if (state.said.size() > kMaxLines) return;
  std::string line = state.said.size() == kMaxLines
                         ? FormatWarning({}, "too many warnings; the rest are not shown")
                         : FormatWarning(file.empty() ? state.scopeFile : file, what);
  if (!state.said.insert(line).second) return;
  if (state.hook) {
    state.hook(line);
    return;
  }
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

TWarningHook SetWarningHook(TWarningHook hook) {
  TWarningHook previous = std::move(State().hook);
  State().hook = std::move(hook);
  return previous;
}

TWarningFileScope::TWarningFileScope(std::string file)
    : previous_(std::exchange(State().scopeFile, std::move(file))) {}

TWarningFileScope::~TWarningFileScope() {
  State().scopeFile = std::move(previous_);
}

void ResetWarnings() {
  State().said.clear();
}
