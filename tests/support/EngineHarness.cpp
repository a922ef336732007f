#include "tests/support/EngineHarness.h"

#include "engine/EngineRegistration.h"
#include "foundation/Cipher.h"
#include "foundation/EngineDeclarations.h"
#include "gameplay/Tv2Declarations.h"

EngineHarness::EngineHarness(const std::string& rootAttributes) {
  Tv2DeclarationsInit();
  RegisterFoundationClasses();
  RegisterEngineClasses();
  RegisterFakeGame();
  EngineFileKey = kTestEngineKey;
  gameFile =
      WriteEnciphered("game.ini", "<game type=\"FakeGame\" name=\"fake\" " + rootAttributes + "/>");
  engine = TAbstractObject::Create<TEngine>();
  auto owned = std::make_unique<TestPlatform>();
  platform = owned.get();
  engine->UsePlatform(std::move(owned));
}

EngineHarness::~EngineHarness() {
  if (engine) engine->Finalize();
}

std::string EngineHarness::WriteEnciphered(const std::string& name, const std::string& text) const {
  folder.Write(name, TCipher_Xtea(kTestEngineKey).CodeString(text, kCipherEncipher, kFormatHex));
  return folder / name;
}

bool EngineHarness::Start() {
  if (!engine->Initialize(gameFile)) return false;
  game = FakeGameOf(*engine);
  return game != nullptr;
}

bool EngineHarness::StepFrame(int limit) {
  uint32_t before = platform->headless.PresentCount();
  for (int i = 0; i < limit && platform->headless.PresentCount() == before; ++i) {
    engine->ProcessStep();
  }
  return platform->headless.PresentCount() != before;
}
