#include "tools/layoutcheck/ScreenFiles.h"

#include "foundation/Cipher.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/ResourceReader.h"
#include "foundation/XMLStorage.h"
#include "foundation/XmlAttributes.h"

namespace {

// "file={data\screens\diary.xml}" names the file; anything else names none.
std::string OutStorageFile(const std::string& value) {
  const size_t start = value.find("file={");
  if (start == std::string::npos) return {};
  const size_t end = value.find('}', start);
  if (end == std::string::npos) return {};
  return value.substr(start + 6, end - start - 6);
}

}  // namespace

std::map<std::string, std::string> ReadScreenFiles() {
  std::map<std::string, std::string> files;
  const std::string hex = LoadResourceToString(GameFileName);
  Ref<IHierStorageRoot> game;
  try {
    game = LoadXmlStorageFromText(
        TCipher_Xtea(EngineFileKey).CodeString(hex, kCipherDecipher, kFormatHex));
  } catch (const std::exception&) {
    return files;  // the engine refused it already, and said why
  }
  Ref<IHierStorage> screens = game ? game->GetChild("gamescreens", 0) : nullptr;
  if (!screens) return files;
  for (int i = 0; i < screens->GetChildCount("gamescreen"); ++i) {
    Ref<IHierStorage> screen = screens->GetChild("gamescreen", i);
    Ref<IHierStorage> window = screen->GetChild("window", 0);
    std::string file = window ? OutStorageFile(ReadXmlStr(window, "_outstorage")) : "";
    files[ReadXmlStr(screen, "name")] = file.empty() ? GameFileName : file;
  }
  return files;
}
