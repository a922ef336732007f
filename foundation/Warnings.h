#pragma once
// The warning channel for data authors. Whatever the program drops from a file it was
// given (a type name nobody registered, a picture that does not decode, a list that does
// not parse, a value that does not read) is said here, on one line of stderr:
//
//   warning: data\ini\resources_main.ini: resource "ghost": no such file data\images\ghost.png
//
// Each distinct line is written once per run, so a broken widget drawn every frame, or a
// template used a hundred times, does not flood the terminal. Behaviour is otherwise
// unchanged: the caller still goes on with its default.

#include <functional>
#include <string>
#include <string_view>

// Says what was dropped from File and why. File is the data path as the author wrote it
// (or the best name the caller has); an empty File names the file being read (see
// TWarningFileScope), or leaves the file part out when none is.
void Warn(std::string_view file, std::string_view what);

// While it lives, warnings that name no file name File: what a reader finds wrong while
// it reads a document is wrong in that document. Scopes nest; the innermost holds.
class TWarningFileScope {
 public:
  explicit TWarningFileScope(std::string file);
  ~TWarningFileScope();
  TWarningFileScope(const TWarningFileScope&) = delete;
  TWarningFileScope& operator=(const TWarningFileScope&) = delete;

 private:
  std::string previous_;
};

// The line Warn writes for File and What, without the line break.
std::string FormatWarning(std::string_view file, std::string_view what);

// Receives each line (without the line break) instead of stderr; tests capture warnings
// through it. An empty hook restores stderr. Returns the hook that was set before.
using TWarningHook = std::function<void(const std::string& line)>;
TWarningHook SetWarningHook(TWarningHook hook);

// Forgets which lines were said, so the next run of a test sees every warning again.
void ResetWarnings();
