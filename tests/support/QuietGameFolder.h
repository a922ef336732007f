#pragma once
// For programs without a test fixture (benchmarks, fuzz targets): a game over the fake
// engine, made from its XML text by Start, in a working folder of its own (removed when it
// goes), with warnings kept quiet while it lives (the warning hook and the working folder
// it found are put back when it goes). FakePlayScreenGame and PlayScreenGame build on it.

#include <filesystem>
#include <string>
#include <string_view>

#include "foundation/Interface.h"
#include "foundation/Warnings.h"

class FakeGameEngine;
class TGame;

class QuietGameFolder {
 public:
  // The folder is "<prefix><process id>" in the temporary folder.
  explicit QuietGameFolder(const std::string& prefix);
  ~QuietGameFolder();
  QuietGameFolder(const QuietGameFolder&) = delete;
  QuietGameFolder& operator=(const QuietGameFolder&) = delete;

  // Writes a file at Path in the working folder (its folders must exist).
  void Write(const std::string& name, std::string_view text);
  // The game parameter Name.
  void Publish(const std::string& name, const Ref<IInterface>& value);

  Ref<FakeGameEngine> engine;
  Ref<TGame> game;
  std::filesystem::path folder;

 protected:
  // Makes the game from its XML text and initialises it on the engine (the game before
  // is let go; the caller ends it).
  void Start(const std::string& gameText);

 private:
  TWarningHook previousWarningHook_;
  std::filesystem::path previousFolder_;
};
