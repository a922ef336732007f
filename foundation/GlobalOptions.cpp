#include "foundation/GlobalOptions.h"

#include "foundation/Cipher.h"
#include "foundation/GameDeclarations.h"
#include "foundation/PlayerFiles.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/SafeFile.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

namespace {

TPreferenceFolderProvider& Provider() {
  static TPreferenceFolderProvider provider;
  return provider;
}

std::string OptionsFilePath() {
  std::string folder = PreferenceFolder();
  if (folder.empty()) return {};
  if (folder.back() != '/') folder += '/';
  return folder + GlobalOptionsFileName;
}

// The document the stored text holds; none, with Problem saying why, when it holds none.
// It is the player's: nothing in it reaches other files.
Ref<IHierStorageRoot> ParseStored(const std::string& text, std::string& problem) {
  std::string file = GlobalOptionsInFile ? OptionsFilePath() : GlobalOptionsFileName;
  try {
    return ParsePlayerDocument(text, GlobalOptionsKey, file, problem);
  } catch (const std::exception& error) {
    problem = error.what();
    if (problem.empty()) problem = "not an options document";
  }
  return nullptr;
}

}  // namespace

void SetPreferenceFolderProvider(TPreferenceFolderProvider provider) {
  Provider() = std::move(provider);
}

std::string PreferenceFolder() {
  return Provider() ? Provider()() : std::string();
}

// ---------------------------------------------------------------------------------------

std::string TGlobalOptions::StoredText(std::string& problem) {
  if (GlobalOptionsInFile) {
    std::string path = OptionsFilePath();
    if (path.empty()) return {};
    TPlayerFile file = ReadPlayerFile(path);
    if (file.state == TPlayerFileState::Damaged) problem = file.problem;
    // A save never leaves an empty file behind, so one is damaged.
    if (file.state == TPlayerFileState::Read && file.bytes.empty()) problem = "empty";
    return std::move(file.bytes);
  }
  std::string text;
  bool found =
      ReadRegistryString(TRegistryRoot::CurrentUser, RegistryKeyPath, GlobalOptionsFileName, text);
  if (!found || text.empty())
    ReadRegistryString(TRegistryRoot::LocalMachine, RegistryKeyPath, GlobalOptionsFileName, text);
  return text;
}

bool TGlobalOptions::Store(const std::string& text) {
  if (GlobalOptionsInFile) {
    std::string path = OptionsFilePath();
    // Without a preference folder (refused, and said so) nothing is saved, nor over a
    // damaged file that could not be moved aside.
    return !path.empty() && !IsPlayerFileSaveRefused(path) && SavePlayerFile(path, text);
  }
  bool user =
      WriteRegistryString(TRegistryRoot::CurrentUser, RegistryKeyPath, GlobalOptionsFileName, text);
  bool machine = WriteRegistryString(TRegistryRoot::LocalMachine, RegistryKeyPath,
                                     GlobalOptionsFileName, text);
  return user || machine;
}

void TGlobalOptions::Load() {
  if (document_) return;
  std::string problem;
  std::string text = StoredText(problem);
  if (problem.empty() && !text.empty()) document_ = ParseStored(text, problem);
  // A damaged store reads as empty; the next change replaces it, so a damaged file is
  // moved aside first.
  if (!problem.empty()) {
    if (GlobalOptionsInFile)
      SetAsideDamagedFile(OptionsFilePath(), problem, "the options start from their defaults");
    else
      Warn(GlobalOptionsFileName,
           "damaged (" + problem + "); the options start from their defaults");
  }
  if (!document_) document_ = CreateXmlStorage("options");
}

bool TGlobalOptions::Save() {
  if (!document_) return false;
  try {
    std::string text = document_->GetXmlText();
    if (!GlobalOptionsKey.empty())
      text = TCipher_Xtea(GlobalOptionsKey).CodeString(text, kCipherEncipher, kFormatHex);
    return Store(text);
  } catch (const std::exception&) {
    return false;
  }
}

bool TGlobalOptions::Get(const std::string& name, std::string& value) {
  value.clear();
  Load();
  if (!document_) return false;
  if (Ref<IHierStorage> option = document_->GetChild(name, 0)) value = option->GetText().ToString();
  return true;
}

bool TGlobalOptions::Set(const std::string& name, const std::string& value) {
  Load();
  if (!document_) return false;
  document_->SetChildText(name, Variant(value));
  return Save();
}

TGlobalOptions& GlobalOptions() {
  static TGlobalOptions options;
  return options;
}

bool GetGlobalOption(const std::string& name, std::string& value) {
  return GlobalOptions().Get(name, value);
}

bool SetGlobalOption(const std::string& name, const std::string& value) {
  return GlobalOptions().Set(name, value);
}
