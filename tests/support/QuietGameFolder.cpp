#include "tests/support/QuietGameFolder.h"

#include <unistd.h>

#include <fstream>

#include "foundation/ResourceReader.h"
#include "foundation/XMLStorage.h"
#include "gameplay/Tv2Declarations.h"
#include "shell/Game.h"
#include "tests/support/GameFixture.h"

QuietGameFolder::QuietGameFolder(const std::string& prefix) : engine(new FakeGameEngine()) {
  Tv2DeclarationsInit();
  previousWarningHook_ = SetWarningHook([](const std::string&) {});
  std::error_code ignored;
  previousFolder_ = std::filesystem::current_path(ignored);
  folder = std::filesystem::temp_directory_path() / (prefix + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  ClearResourceCache();
}

QuietGameFolder::~QuietGameFolder() {
  if (game) game->Done();
  game = nullptr;
  engine = nullptr;
  std::error_code ignored;
  std::filesystem::current_path(
      previousFolder_.empty() ? std::filesystem::temp_directory_path() : previousFolder_, ignored);
  std::filesystem::remove_all(folder, ignored);
  SetWarningHook(std::move(previousWarningHook_));
}

void QuietGameFolder::Start(const std::string& gameText) {
  game = Ref<TGame>(dynamic_cast<TGame*>(
      CreateObjectFromXml(Ref<IHierStorage>(LoadXmlStorageFromText(gameText).get())).get()));
  game->Initialize(Ref<IEngine>(engine.get()));
}

void QuietGameFolder::Write(const std::string& name, std::string_view text) {
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(text.data(), std::streamsize(text.size()));
  out.close();
  ClearResourceCache();
}

void QuietGameFolder::Publish(const std::string& name, const Ref<IInterface>& value) {
  game->SetParamValue(name, Variant(value));
}
