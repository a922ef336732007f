#pragma once
// Captures the warning channel for the life of a test: every line Warn writes lands in
// Lines() instead of stderr, and the lines said before the test do not hide repeats.

#include <string>
#include <vector>

#include "foundation/Warnings.h"

class WarningCapture {
 public:
  WarningCapture() {
    ResetWarnings();
    previous_ = SetWarningHook([this](const std::string& line) { lines_.push_back(line); });
  }
  ~WarningCapture() {
    SetWarningHook(std::move(previous_));
    ResetWarnings();
  }
  WarningCapture(const WarningCapture&) = delete;
  WarningCapture& operator=(const WarningCapture&) = delete;

  const std::vector<std::string>& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
  TWarningHook previous_;
};
