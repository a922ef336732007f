#pragma once
// The machine-wide options ("FullScreenMode", "MusicVolume", ...): one small document
//   <options><MusicVolume>30</MusicVolume>...</options>
// kept enciphered (GlobalOptionsKey) in "options.dat" in the preference folder, loaded
// on first use and saved safely at every change. A missing file reads as an empty store;
// so does a damaged one (anything that is not a regular file of a sane size holding an
// options document), with a warning naming it; the next change replaces it.

#include <functional>
#include <string>

#include "foundation/PersistenceService.h"

// The preference folder (a native path) belongs to the engine, which installs its
// provider at start-up; tests point it at a temporary folder. Without a provider the
// store lives in memory only and every save fails.
using TPreferenceFolderProvider = std::function<std::string()>;
void SetPreferenceFolderProvider(TPreferenceFolderProvider provider);
// '' when there is no provider.
std::string PreferenceFolder();

class TGlobalOptions {
 public:
  // Reads the stored document once; what cannot be read gives an empty "options".
  void Load();
  // False when the document could not be stored; it stays as it is in memory.
  bool Save();
  // The text of the option's element; Found is false only without a document.
  bool Get(const std::string& name, std::string& value);
  // Sets the option and saves; the result is the save's.
  bool Set(const std::string& name, const std::string& value);
  // Forgets the loaded document: the next use reads the stored one again.
  void Unload() { document_.reset(); }

 private:
  // The stored text; Problem says why when what is stored is no options store.
  std::string StoredText(std::string& problem);
  bool Store(const std::string& text);

  Ref<IHierStorageRoot> document_;
};

// The one store of the program.
TGlobalOptions& GlobalOptions();

bool GetGlobalOption(const std::string& name, std::string& value);
bool SetGlobalOption(const std::string& name, const std::string& value);
