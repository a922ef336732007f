// The engine's set-up, loop step, window events and shut-down.
#include <unistd.h>

#include <algorithm>
#include <exception>

#include "engine/Engine.h"
#include "engine/EngineRoutines.h"
#include "engine/EngineSoundManager.h"
#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/Random.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "platform/Png.h"
#include "platform/ProgramResources.h"

void TEngine::Init() {
  TAbstractObject::Init();
  resetPending_ = true;
  modeOk_ = false;
  resources_ = TAbstractObject::Create<TResourceCollection>();
  options_ = Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
  soundManager_ = CreateSoundManager();
  surface_ = TAbstractObject::Create<TSurface>();
  cursorOutsideClient_ = false;
  cursorWanted_ = true;
  cursorShowCount_ = 1;
  repaintPending_ = false;
  // Until the first mode is set, the frame is the design size: nothing divides by an
  // empty rectangle.
  screenWidth_ = uint32_t(std::max(DesignWidth, 1));
  screenHeight_ = uint32_t(std::max(DesignHeight, 1));
  frameRect_ = destRect_ = TRect{0, 0, int32_t(screenWidth_), int32_t(screenHeight_)};
  destWidth_ = int32_t(screenWidth_);
  destHeight_ = int32_t(screenHeight_);
  dirty_.reserve(64);
}

TEngine::~TEngine() {
  if (platform_ && GetCurrentShell() == &platform_->GetShell()) SetCurrentShell(nullptr);
  game_.reset();
  surface_.reset();
  soundManager_.reset();
  resources_.reset();
  options_.reset();
  audio_.reset();
}

void TEngine::UsePlatform(std::unique_ptr<platform::Platform> platform) {
  platform_ = std::move(platform);
}

void TEngine::UseSoundManager(Ref<ISoundManager> manager) {
  soundManager_ = std::move(manager);
}

void TEngine::UseAudio(std::unique_ptr<IAudio> audio) {
  audio_ = std::move(audio);
}

std::string TEngine::ScriptFailure() const {
  platform::ScriptRunner* script = platform_ ? platform_->Script() : nullptr;
  return script && script->Failed() ? script->Failure() : std::string();
}

// ---------------------------------------------------------------------------------------
// Set-up

bool TEngine::Initialize(const std::string& gameFileName) {
  destWidth_ = DesignWidth;
  destHeight_ = DesignHeight;
  failure_.clear();
  std::string folder = ::GetProgramFolder();
  if (!folder.empty() && chdir(folder.c_str()) != 0) {
    // The data paths are relative to the program folder; going on would find nothing.
    failure_ = "cannot enter the program folder " + folder;
  }
  Randomize();
  LoadDefaultOptions();
  bool ok = failure_.empty() && CreateMainWindow();
  if (ok) {
    ReadDisplayFormat();
    SetCaption();
    SetWindowIcon();
    InitSound();
    ok = LoadGame(gameFileName);
  }
  terminated_ = false;
  if (!ok) Finalize();
  return ok;
}

void TEngine::LoadDefaultOptions() {
  options_->SetValue("ScreenWidth", Variant(DesignWidth));
  options_->SetValue("ScreenHeight", Variant(DesignHeight));
  options_->SetValue("ScreenBPP", Variant("0"));
  options_->SetValue("FullScreenMode", Variant("no"));
  options_->SetValue("WideScreenMode", Variant("system"));
  options_->SetValue("IsAvailableWideScreenMode", Variant("yes"));
  options_->SetValue("ForceWideScreenMode", Variant("no"));
  options_->SetValue("CustomAspectRatio", Variant("0"));
  options_->SetValue("ApplicationCaption", Variant(DefaultApplicationCaption));
  options_->SetValue("SoundVolume", Variant(70));
  options_->SetValue("MusicVolume", Variant(30));
  SetOption("ShowFPS", Variant("no"));
  SetOption("ShowRects", Variant("yes"));
  SetFocused(true);
}

bool TEngine::CreateMainWindow() {
  if (!platform_) {
    std::string error;
    platform_ = platform::CreatePlatform(error);
    if (!platform_) {
      failure_ = error;
      return false;
    }
  }
  window_ = &platform_->GetWindow();
  video_ = &platform_->GetVideo();
  clock_ = &platform_->GetClock();
  SetCurrentShell(&platform_->GetShell());
  if (!window_->Create(WindowDoubleClicks)) {
    failure_ = "cannot create the game's window";
    return false;
  }
  return true;
}

void TEngine::DestroyMainWindow() {
  if (window_) window_->Destroy();
}

bool TEngine::SetCaption() {
  if (!window_) return false;
  window_->SetCaption(GetOption("ApplicationCaption").ToString());
  return true;
}

void TEngine::SetWindowIcon() {
  std::optional<ProgramResource> icon = FindProgramResource("MAINICON");
  if (!window_ || !icon) return;
  platform::PngImage image;
  std::string error;
  if (!platform::DecodePng(icon->data, icon->size, "res:MAINICON", image, error)) {
    Warn("res:MAINICON", "not the window's icon (" + error + ")");
    return;
  }
  window_->SetIcon(image.pixels.data(), image.width, image.height);
}

bool TEngine::InitSound() {
  if (!soundManager_) return false;
  if (!audio_) {
    bool headless = platform_ && platform_->Kind() == platform::BackendKind::Headless;
    audio_ = CreateAudio(headless ? "null" : "sdl");
  }
  soundManager_->SetEngine(this);
  soundManager_->SetAudio(audio_.get());
  if (!soundManager_->Init()) return false;
  soundManager_->SetMusicVolume(options_->GetValue("MusicVolume", Variant(30)));
  soundManager_->SetSoundVolume(options_->GetValue("SoundVolume", Variant(70)));
  return true;
}

bool TEngine::LoadGame(const std::string& gameFileName) {
  bool ok = false;
  try {
    std::string problem;
    std::string text = ReadTextFile(gameFileName, EngineFileKey, problem);
    if (!problem.empty()) {
      failure_ = "the game file " + gameFileName + " is not hexadecimal text: " + problem;
    } else if (text.empty()) {
      failure_ = "the game file " + gameFileName + " is missing or empty";
    } else if (Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(text, gameFileName);
               storage && storage->GetName().empty() && !XmlTextProblem(text).empty()) {
      failure_ = "the game file " + gameFileName + " cannot be read: " + XmlTextProblem(text);
    } else if (storage) {
      std::string type = ReadXmlStr(storage, "type");
      Ref<INamedObject> object = CreateNamedObject(type, ReadXmlStr(storage, "name"));
      if (Ref<IGame> game = Supports<IGame>(object)) {
        game_ = game;
        if (Ref<IPersistObject> persist = Supports<IPersistObject>(game)) {
          persist->LoadFromStorage(storage);
        }
        game_->Initialize(Ref<IEngine>(this));
        ok = true;
      } else {
        failure_ = "the game file " + gameFileName + " names no known game type (\"" + type + "\")";
      }
    } else {
      failure_ = "the game file " + gameFileName + " holds no document";
    }
  } catch (const std::exception& error) {
    failure_ = "the game file " + gameFileName + " cannot be read: " + error.what();
    ok = false;
  }
  ClearXmlStorageRegistry();
  return ok;
}

// ---------------------------------------------------------------------------------------
// The loop

void TEngine::Run() {
  try {
    StartRunning();
    while (!terminated_) ProcessStep();
  } catch (const std::exception& error) {
    failure_ = std::string("stopped by an error: ") + error.what();
  } catch (...) {
    failure_ = "stopped by an unknown error";
  }
}

void TEngine::StartRunning() {
  running_ = true;
  SetActive(true);
  ApplyOptions();
}

void TEngine::ProcessStep() {
  if (!window_) {
    terminated_ = true;
    return;
  }
  platform::Event event;
  if (window_->PollEvent(event)) {
    Dispatch(event);
    return;
  }
  if (!active_) {
    if (window_->WaitEvent(event)) Dispatch(event);
    return;
  }
  if (focused_) {
    // Unsigned: once the interval has passed the difference wraps far above it.
    uint32_t wait = uint32_t(FrameInterval) - (Now() - lastTime_);
    if (wait > 0 && wait <= FrameInterval) clock_->Sleep(wait);
  } else {
    clock_->Sleep(FrameInterval);
    if (fullScreen_) return;
  }
  uint32_t now = Now();
  uint32_t elapsed = std::min<uint32_t>(now - lastTime_, MaxFrameStep);
  lastTime_ = now;
  if (soundManager_) soundManager_->Update(int32_t(elapsed));
  Frame(elapsed);
}

void TEngine::Frame(uint32_t elapsed) {
  // Held for the frame: the game may be let go (Finalize) from inside its own calls.
  Ref<IGame> game = game_;
  if (!game || !PrepareFrame()) return;
  Update(int32_t(elapsed));
  if (repaintPending_) game->Draw(surface_.get(), shiftX_, shiftY_);
  Present();
  EndFrame();
  if (platform::ScriptRunner* script = platform_->Script()) script->Step(*this);
}

void TEngine::Update(int32_t elapsedMs) {
  Ref<IGame> game = game_;
  if (!game) return;
  game->Update(elapsedMs);
  game->InvalidateAll();
}

void TEngine::RedrawRect(const TRect& rect) {
  TRect r = rect;
  if (wide_) {
    r = TRect{SaturateInt32(int64_t(r.Left) + shiftX_), SaturateInt32(int64_t(r.Top) + shiftY_),
              SaturateInt32(int64_t(r.Right) + shiftX_),
              SaturateInt32(int64_t(r.Bottom) + shiftY_)};
  }
  if (r.Left > frameRect_.Right || r.Top > frameRect_.Bottom || r.Right <= 0 || r.Bottom <= 0) {
    return;
  }
  r.Left = std::max(r.Left, 0);
  r.Top = std::max(r.Top, 0);
  r.Right = std::min(r.Right, frameRect_.Right);
  r.Bottom = std::min(r.Bottom, frameRect_.Bottom);
  if (r.Left >= r.Right || r.Top >= r.Bottom) return;
  surface_->AddRegionRect(r);
  repaintPending_ = true;
}

void TEngine::EndFrame() {
  surface_->ClearRegion();
  repaintPending_ = false;
}

// ---------------------------------------------------------------------------------------
// Events

void TEngine::Dispatch(const platform::Event& event) {
  using platform::EventType;
  switch (event.type) {
    case EventType::Quit:
      terminated_ = true;
      break;
    case EventType::CloseRequest:
      HandleCloseRequest();
      break;
    case EventType::FocusGained:
      SetFocused(true);
      break;
    case EventType::FocusLost:
      SetFocused(false);
      break;
    case EventType::Minimised:
      SetActive(false);
      break;
    case EventType::Restored:
      SetActive(focused_ || !fullScreen_);
      break;
    case EventType::VideoReset:
      resetPending_ = true;
      lastTime_ = Now();
      break;
    case EventType::Key:
      if (event.message == input::kChar && event.keyData == input::kAltBit) {
        HandleAltMenuKey(event);
      } else {
        HandleKey(event);
      }
      break;
    case EventType::Mouse:
      HandleMouse(event);
      break;
  }
}

// The player's request to close the window is the game's to grant.
void TEngine::HandleCloseRequest() {
  Ref<IGame> game = game_;
  if (game && !game->CanClose()) return;
  window_->PostQuit();
  active_ = false;
}

void TEngine::HandleKey(const platform::Event& event) {
  Ref<IGame> game = game_;
  if (active_ && game && game->HandleKey(event.message, event.key, event.keyData)) return;
  DefaultHandling(event);
}

// A character typed with Alt held: the game sees it as a character message whose key
// data is exactly the Alt bit.
void TEngine::HandleAltMenuKey(const platform::Event& event) {
  Ref<IGame> game = game_;
  if (active_ && game && game->HandleKey(input::kChar, event.key, input::kAltBit)) return;
  DefaultHandling(event);
}

void TEngine::HandleMouse(const platform::Event& event) {
  Ref<IGame> game = game_;
  if (!active_ || !game) return DefaultHandling(event);
  TPoint point = DisplayToGame({event.x, event.y});
  if (!game->HandleMouse(event.message, point, event.mouseFlags)) DefaultHandling(event);
}

void TEngine::DefaultHandling(const platform::Event& event) {
  if (!messageHandler_) return;
  TMessage message;
  message.Msg = event.message;
  if (event.type == platform::EventType::Key) {
    message.WParam = event.key;
    message.LParam = intptr_t(event.keyData);
  } else if (event.type == platform::EventType::Mouse) {
    message.WParam = event.mouseFlags;
    message.LParam = intptr_t((uint32_t(uint16_t(event.y)) << 16) | uint16_t(event.x));
  } else {
    return;
  }
  messageHandler_(message);
}

void TEngine::SetMessageHandler(TMessageHandler handler) {
  messageHandler_ = std::move(handler);
}

void TEngine::ClearMessageHandler() {
  messageHandler_ = nullptr;
}

void TEngine::SetFocused(bool focused) {
  if (focused == focused_) return;
  focused_ = focused;
  if (focused) SetActive(true);
  if (soundManager_) soundManager_->SetPaused(focused);
  if (Ref<IGame> game = game_) game->Activate(focused);
  if (modeOk_ && fullScreen_) InvalidateWholeFrame();
}

void TEngine::SetActive(bool active) {
  active_ = active;
  lastTime_ = Now();
}

void TEngine::Terminate() {
  if (window_) window_->PostQuit();
  active_ = false;
}

// ---------------------------------------------------------------------------------------
// Options

void TEngine::SetOption(const std::string& name, const Variant& value) {
  options_->SetValue(name, value);
  if (!soundManager_) return;
  // The two volumes reach the sound manager at once; every other option waits for
  // ApplyOptions.
  if (name == "MusicVolume") soundManager_->SetMusicVolume(value);
  if (name == "SoundVolume") soundManager_->SetSoundVolume(value);
}

Variant TEngine::GetOption(const std::string& name) {
  // The picture's horizontal shift is the video output's, never stored.
  if (name == "ShiftLeft") return Variant(shiftX_);
  return options_->GetValue(name, Variant::Null());
}

void TEngine::ApplyOptions() {
  ReadVideoOptions();
  SetCaption();
}

// ---------------------------------------------------------------------------------------
// Shut-down

void TEngine::Finalize() {
  // Each step tolerates what an earlier call already let go.
  cursorShowCount_ = 0;
  ShowSystemCursor();
  if (Ref<IGame> game = std::move(game_)) game->Done();
  RemoveResources("");
  if (soundManager_) {
    soundManager_->Done();
    soundManager_->Clear();
  }
  DestroyMainWindow();
  modeOk_ = false;
}
