#include "platform/Platform.h"

#include <cstdlib>

#include "platform/Folders.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/SdlPlatform.h"

namespace platform {

Platform::~Platform() = default;

std::unique_ptr<Platform> CreatePlatform(BackendKind kind, std::string& error) {
  if (kind == BackendKind::Headless) return std::make_unique<HeadlessPlatform>();
  return CreateSdlPlatform(error);
}

std::unique_ptr<Platform> CreatePlatform(std::string& error) {
  const char* chosen = std::getenv("GAME_PLATFORM");
  std::string name = chosen ? chosen : "";
  BackendKind kind;
  if (name.empty() || name == "sdl") {
    kind = BackendKind::Sdl;
  } else if (name == "headless") {
    kind = BackendKind::Headless;
  } else {
    error = "GAME_PLATFORM=" + name + " names no backend; use sdl or headless";
    return nullptr;
  }
  std::vector<ScriptCommand> commands;
  const char* scriptFile = std::getenv("GAME_SCRIPT");
  if (scriptFile && scriptFile[0] &&
      !LoadScript(PathFromStartFolder(scriptFile), commands, error)) {
    return nullptr;
  }
  std::unique_ptr<Platform> platform = CreatePlatform(kind, error);
  if (platform && scriptFile && scriptFile[0]) {
    // Headless, nothing but the script can end the run.
    platform->SetScript(std::make_unique<ScriptRunner>(std::move(commands), platform->GetWindow(),
                                                       platform->GetVideo(), platform->GetClock(),
                                                       kind == BackendKind::Headless));
  }
  return platform;
}

}  // namespace platform
