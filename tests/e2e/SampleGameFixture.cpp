#include "tests/e2e/SampleGameFixture.h"

#include <fstream>
#include <sstream>

#include "foundation/Cipher.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/ResourceReader.h"
#include "foundation/XMLStorage.h"
#include "foundation/XmlAttributes.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "minigames/MiniGamesRegistration.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The game's engine key, taken before any test: the engine harness installs a key of its
// own, which other tests leave behind.
std::string& GameKey() {
  static std::string key;
  return key;
}

class GameKeyEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Tv2DeclarationsInit();
    GameKey() = EngineFileKey;
  }
};

::testing::Environment* const kGameKeyEnvironment =
    ::testing::AddGlobalTestEnvironment(new GameKeyEnvironment);

}  // namespace

const std::string& SampleGameKey() {
  return GameKey();
}

SampleGameFixture::SampleGameFixture() {
  Tv2DeclarationsInit();
  RegisterGameplayTestClasses();
  // The scenes' approaches hold mini-games.
  RegisterMiniGamesClasses();
  before_ = std::filesystem::current_path();
  std::filesystem::current_path(SAMPLE_GAME_DIR);
  SetProgramFolder(std::string(SAMPLE_GAME_DIR) + "/");
  ClearResourceCache();
  // Hidden objects are wanted by their captions, which the language file names.
  MultiLanguages()->LoadFile(std::string(SAMPLE_GAME_DIR) + "/lang/default.lng");
}

SampleGameFixture::~SampleGameFixture() {
  if (owner) owner->ReleaseOwner();
  MultiLanguages()->ClearStrings();
  std::filesystem::current_path(before_);
  SetProgramFolder("");
  ClearResourceCache();
}

Ref<IHierStorage> SampleGameFixture::GameScreenNode() {
  std::string hex = ReadFile(std::string(SAMPLE_GAME_DIR) + "/data/ini/Tavelor2.ini");
  std::string text = TCipher_Xtea(GameKey()).CodeString(hex, kCipherDecipher, kFormatHex);
  gameFile_ = LoadXmlStorageFromText(text);
  Ref<IHierStorage> screens = gameFile_ ? gameFile_->GetChild("gamescreens", 0) : nullptr;
  if (!screens) return nullptr;
  for (int i = 0; i < screens->GetChildCount("gamescreen"); ++i) {
    Ref<IHierStorage> screen = screens->GetChild("gamescreen", i);
    if (ReadXmlStr(screen, "name") == "GS_Game") return screen;
  }
  return nullptr;
}

bool SampleGameFixture::LoadPlayScreen() {
  Start(GameXml(""));
  Ref<IHierStorage> node = GameScreenNode();
  if (!node) return false;
  owner = TAbstractObject::Create<FakeGameManagersOwner>();
  owner->LoadFromStorage(node);
  owner->AttachOwner(game.get());
  owner->LoadWindow();
  return true;
}
