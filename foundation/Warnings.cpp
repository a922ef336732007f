#include "foundation/Warnings.h"

#include <cstdio>
#include <unordered_set>

namespace {

struct TWarningState {
  std::unordered_set<std::string> said;
  TWarningHook hook;
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
  std::string line = FormatWarning(file, what);
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

void ResetWarnings() {
  State().said.clear();
}
