#include "foundation/GlobalOptions.h"

#include <fstream>
#include <iterator>

#include "foundation/Cipher.h"
#include "foundation/GameDeclarations.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/SafeFile.h"
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

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

void SetPreferenceFolderProvider(TPreferenceFolderProvider provider) {
  Provider() = std::move(provider);
}

std::string PreferenceFolder() {
  return Provider() ? Provider()() : std::string();
}

// ---------------------------------------------------------------------------------------

std::string TGlobalOptions::StoredText() {
  if (GlobalOptionsInFile) {
    std::string path = OptionsFilePath();
    return path.empty() ? std::string() : ReadWholeFile(path);
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
    return !path.empty() && WriteFileSafely(path, text);
  }
  bool user =
      WriteRegistryString(TRegistryRoot::CurrentUser, RegistryKeyPath, GlobalOptionsFileName, text);
  bool machine = WriteRegistryString(TRegistryRoot::LocalMachine, RegistryKeyPath,
                                     GlobalOptionsFileName, text);
  return user || machine;
}

void TGlobalOptions::Load() {
  if (document_) return;
  try {
    std::string text = StoredText();
    if (!text.empty()) {
      if (!GlobalOptionsKey.empty())
        text = TCipher_Xtea(GlobalOptionsKey).CodeString(text, kCipherDecipher, kFormatHex);
      Ref<IHierStorageRoot> loaded = LoadXmlStorageFromText(text);
      // A wrong key or damaged bytes give a document without a root element.
      if (loaded && !loaded->GetName().empty()) document_ = loaded;
    }
  } catch (const std::exception&) {
    document_.reset();  // a damaged store reads as empty
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
