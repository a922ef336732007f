#include "shell/Game.h"

#include <algorithm>
#include <vector>

#include "engine/EngineSounds.h"
#include "foundation/CheckedMath.h"
#include "foundation/GameDeclarations.h"
#include "foundation/GlobalOptions.h"
#include "foundation/GlobalReplaceableObjectParams.h"
#include "foundation/Routines.h"
#include "platform/InputConstants.h"
#include "shell/CustomSettings.h"
#include "shell/GameCursors.h"
#include "shell/GameScreen.h"
#include "shell/HighScores.h"
#include "shell/LevelRecords.h"
#include "shell/ResourceFiles.h"
#include "shell/UserProfile.h"

namespace {

const char* const kBorderScreenId = "GS_Border";

// Equal edges count as contained.
bool Contains(const TRect& outer, const TRect& inner) {
  return outer.Left <= inner.Left && outer.Top <= inner.Top && outer.Right >= inner.Right &&
         outer.Bottom >= inner.Bottom;
}

// The engine option that an Alt+character shortcut toggles, or nothing.
const char* ShortcutOption(uintptr_t character) {
  switch (character) {
    case input::kVkReturn:
      return "FullScreenMode";
    case 'F':
    case 'f':
      return "ShowFPS";
    case 'R':
    case 'r':
      return "ShowRects";
    default:
      return nullptr;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Life

void TGame::Init() {
  TPersistParamsObject::Init();
  elementName_ = "game";
  splashLogosId_ = "GS_SplashLogos";
  splashId_ = "GS_Splash";
  closeQueryId_ = "GS_Quit";
  mainId_ = "GS_Main";
  highScores_ = Ref<IHighScores>(TAbstractObject::Create<THighScores>(HighScoreTableParams).get());
  levelRecords_ =
      Ref<ILevelRecords>(TAbstractObject::Create<TLevelRecords>(LevelRecordTableParams).get());
  stack_ = TAbstractObject::Create<TGSCollection>();
  screens_ = TAbstractObject::Create<TGSCollection>();
  resourceFiles_ = TAbstractObject::Create<TResourceFileCollection>();
  userProfiles_ =
      Ref<IUserProfileCollection>(TAbstractObject::Create<TUserProfileCollection>().get());
  cursors_ = TAbstractObject::Create<TCursorCollection>();
  loadCompletePending_ = true;
  loading_ = true;
  logo_ = false;
}

TGame::~TGame() {
  // Cursor widgets and screens keep plain pointers to the game.
  for (int i = cursors_->Count() - 1; i >= 0; --i)
    if (Ref<ICursor> cursor = cursors_->GetItem(Variant(i)))
      if (Ref<IWidget> widget = cursor->GetWidget()) widget->ReleaseOwner();
  ReleaseScreens();
}

// The stacked screens go first, top first: a screen on view may still write into what a
// screen below it, or one later in the game file, saves when it goes (the play screen's
// level into the progress the diary stores). Then the others, last first.
void TGame::ReleaseScreens() {
  std::vector<Ref<IGameScreenSlave>> stacked;
  for (int i = stack_->Count() - 1; i >= 0; --i)
    if (Ref<IGameScreenSlave> screen = stack_->GetScreen(Variant(i))) stacked.push_back(screen);
  while (stack_->Count() > 0) stack_->Delete(Variant(stack_->Count() - 1));
  for (const Ref<IGameScreenSlave>& screen : stacked) screen->ReleaseOwner();
  for (int i = screens_->Count() - 1; i >= 0; --i) {
    Ref<IGameScreenSlave> screen = screens_->GetScreen(Variant(i));
    if (screen && std::find(stacked.begin(), stacked.end(), screen) == stacked.end())
      screen->ReleaseOwner();
  }
}

Ref<IGSCollection> TGame::GetScreens() {
  return Ref<IGSCollection>(screens_.get());
}

Ref<IGSCollection> TGame::GetStack() {
  return Ref<IGSCollection>(stack_.get());
}

Ref<ICursorCollection> TGame::GetCursors() {
  return Ref<ICursorCollection>(cursors_.get());
}

// A screen id read as empty means no such screen; every other id is written.
const TPropertyTable& TGame::Properties() {
  using G = TGame;
  auto written = [](std::string G::*id) { return [id](G& game) { return !(game.*id).empty(); }; };
  static const TPropertyTable table(
      TPersistParamsObject::Properties(),
      {
          Attr("splashlogosgs", &G::splashLogosId_)
              .Str("GS_SplashLogos")
              .SavedWhen(written(&G::splashLogosId_)),
          Attr("splashgs", &G::splashId_).Str("GS_Splash").SavedWhen(written(&G::splashId_)),
          Attr("closequerygs", &G::closeQueryId_)
              .Str("GS_Quit")
              .SavedWhen(written(&G::closeQueryId_)),
          Attr("maings", &G::mainId_).Str("GS_Main").SavedWhen(written(&G::mainId_)),
      });
  return table;
}

void TGame::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistParamsObject::LoadFromXml(node);
  if (!node) return;
  LoadObjectFromChild(GlobalReplaceableObjectParams(), node, "global_replaceable_object_params");
  if (node->GetChildCount("custom_settings") > 0) {
    Ref<TCustomSettingsCollection> settings =
        CreateAndLoadObject<TCustomSettingsCollection>(node, "custom_settings");
    customSettings_ = Ref<ICustomSettingsCollection>(settings.get());
  }
  LoadObjectFromChild(cursors_, node, "cursors");
  LoadObjectFromChild(resourceFiles_, node, "resourcefiles");
  if (node->GetChildCount("sounds") > 0) {
    Ref<TSoundCollection> sounds = CreateAndLoadObject<TSoundCollection>(node, "sounds");
    sounds_ = Ref<ISoundCollection>(sounds.get());
  }
  LoadObjectFromChild(screens_, node, "gamescreens");
}

void TGame::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistParamsObject::SaveToXml(node);
  SaveObjectToChild(GlobalReplaceableObjectParams(), node, "global_replaceable_object_params");
  if (customSettings_) SaveObjectToChild(customSettings_, node);
  SaveObjectToChild(cursors_, node);
  SaveObjectToChild(resourceFiles_, node);
  SaveObjectToChild(screens_, node);
  if (sounds_) SaveObjectToChild(sounds_, node);
}

// ---------------------------------------------------------------------------------------
// Start and end

void TGame::Initialize(const Ref<IEngine>& engine) {
  engine_ = engine;
  if (highScores_) highScores_->LoadFromFile(engine_.get(), false);
  if (levelRecords_) levelRecords_->LoadFromFile(engine_.get());
  if (userProfiles_) userProfiles_->LoadFromFile(engine_.get());

  for (int i = 0; i < cursors_->Count(); ++i)
    if (Ref<ICursor> cursor = cursors_->GetItem(Variant(i)))
      if (Ref<IWidget> widget = cursor->GetWidget()) widget->SetOwner(this);
  cursors_->SetCursor(cursors_->GetDefaultCursorName());
  if (engine_) engine_->HideSystemCursor();

  LoadStoredOptions();
  PassAllOptionsToEngine();
  LoadResourceFiles(IResourceFile::lmSynch, false);

  for (int i = 0; i < screens_->Count(); ++i)
    if (Ref<IGameScreenSlave> screen = screens_->GetScreen(Variant(i))) screen->AttachOwner(this);

  logo_ = ShowScreen(splashLogosId_, nullptr);

  border_ = screens_->GetScreen(Variant(kBorderScreenId));
  if (border_) border_->Show(nullptr);

  if (Ref<ICustomSettingsCollection> settings = customSettings_)
    settings->ApplyAll(engine_.get(), this);
}

void TGame::LoadResourceFiles(uint8_t mode, bool pump) {
  // Pumping runs frames, in which screens may do anything: the list is read afresh for
  // every entry.
  for (int i = 0; i < resourceFiles_->Count(); ++i) {
    Ref<IResourceFile> file = resourceFiles_->GetItem(Variant(i));
    if (!file || file->GetLoadMode() != mode || !engine_) continue;
    Ref<IEngine> engine = engine_;
    engine->LoadResourcesFromFile(file->GetFileName(), file->GetName(), pump);
  }
}

void TGame::OnLoadComplete() {
  if (!engine_) return;
  if (!splashId_.empty()) ShowScreen(splashId_, nullptr);
  LoadResourceFiles(IResourceFile::lmAsynch, true);
  for (int i = 0; i < screens_->Count(); ++i)
    if (Ref<IGameScreenSlave> screen = screens_->GetScreen(Variant(i))) screen->LoadWindow();
  if (stack_->Contains(splashId_)) {
    DeliverLoadComplete();
  } else {
    ShowMainScreen();
  }
  loading_ = false;
}

void TGame::DeliverLoadComplete() {
  Ref<TParamCollection> params = TAbstractObject::Create<TParamCollection>();
  params->SetValue("LoadComplete", Variant(true));
  Ref<IParamCollection> loadComplete(params.get());
  Ref<IGameScreenSlave> splash = stack_->GetScreen(Variant(splashId_));
  if (!CloseScreen(splash.get(), nullptr)) {
    // Something covers the splash screen: it cannot hand over, so the game does.
    ShowMainScreen();
    return;
  }
  // A splash screen with a hide effect is still leaving; it hears of the end of loading
  // as soon as it has gone, so that the start always reaches the main screen.
  if (stack_->Contains(splashId_)) {
    pendingSplashParams_ = loadComplete;
    return;
  }
  ShowScreen(splashId_, loadComplete);
}

void TGame::Done() {
  closeResult_ = nullptr;
  customSettings_ = nullptr;
  pendingSplashParams_ = nullptr;
  for (int i = cursors_->Count() - 1; i >= 0; --i)
    if (Ref<ICursor> cursor = cursors_->GetItem(Variant(i)))
      if (Ref<IWidget> widget = cursor->GetWidget()) widget->ReleaseOwner();
  ReleaseScreens();
  if (userProfiles_) userProfiles_->SaveToFile(engine_.get());
  userProfiles_ = nullptr;
  levelRecords_ = nullptr;
  highScores_ = nullptr;
  if (engine_)
    for (int i = resourceFiles_->Count() - 1; i >= 0; --i)
      if (Ref<IResourceFile> file = resourceFiles_->GetItem(Variant(i)))
        engine_->RemoveResources(file->GetName());
  border_ = nullptr;
  engine_ = nullptr;
}

bool TGame::CanClose() {
  if (loading_) return false;
  if (closeQueryId_.empty() || stack_->Contains(closeQueryId_) ||
      !screens_->Contains(closeQueryId_))
    return true;
  ShowScreen(closeQueryId_, nullptr);
  return false;
}

// ---------------------------------------------------------------------------------------
// The stack

bool TGame::ShowScreen(const std::string& id, const Ref<IParamCollection>& params) {
  if (stack_->Contains(id)) return false;
  Ref<IGameScreenSlave> screen = screens_->GetScreen(Variant(id));
  if (!screen) return false;
  CoverTop();
  if (!stack_->AddItem(screen)) return false;
  screen->Show(params);
  // A screen that showed another from its show hook is covered now, and only the top
  // screen may be active.
  if (stack_->Contains(id) && stack_->Last() != screen) screen->Deactivate();
  if (engine_) engine_->RedrawRect(screen->GetRect());
  return true;
}

void TGame::CoverTop() {
  Ref<IGameScreenSlave> top = stack_->Last();
  if (!top) return;
  if (engine_) engine_->PauseSoundGroup(top->GetName(), true);
  top->Deactivate();
}

bool TGame::CloseScreen(IGameScreenSlave* screen, const Ref<IParamCollection>& result) {
  if (!screen) return false;
  Ref<IGameScreenSlave> top = stack_->Last();
  if (!top) return false;
  std::string id = top->GetName();
  if (id != screen->GetName()) return false;
  if (engine_) engine_->StopSoundGroup(id);
  top->Hide();
  // A screen that already left during its own hide (its hook closed it again) has
  // handed on the result of that close; this one would reach a later, unrelated pop.
  if (stack_->Contains(id)) closeResult_ = result;
  PopClosedScreens();
  return true;
}

void TGame::PopClosedScreens() {
  // Every screen uncovered in this walk gets the result pending when it began; the hooks
  // may close further screens, which bring results of their own.
  // The walk takes screens off the top only: a screen that hid itself under a shown one
  // waits until it is on top, so that every screen uncovered is the new top and hears
  // of the screen that was really above it.
  Ref<IParamCollection> result = closeResult_;
  bool popped = false;
  while (Ref<IGameScreenSlave> screen = stack_->Last()) {
    if (screen->IsShown()) break;
    std::string id = screen->GetName();
    screen->UpdateDirtyRects();
    // The dirty pass may not change the stack, but if it did the walk starts again.
    if (stack_->Last() != screen) continue;
    stack_->Remove(id);
    popped = true;
    Ref<IGameScreenSlave> below = stack_->Last();
    if (!below) break;
    if (engine_) engine_->PauseSoundGroup(below->GetName(), false);
    below->Activate();
    below->OnChildClosed(id, result);
  }
  if (popped && closeResult_ == result) closeResult_ = nullptr;
  if (!pendingSplashParams_ || stack_->Contains(splashId_)) return;
  Ref<IParamCollection> params = std::move(pendingSplashParams_);
  pendingSplashParams_ = nullptr;
  if (!ShowScreen(splashId_, params)) ShowMainScreen();
}

void TGame::ShowMainScreen() {
  // The main screen is on its way: a splash screen still leaving need not come back.
  pendingSplashParams_ = nullptr;
  if (Ref<IGameScreenSlave> splash = stack_->GetScreen(Variant(splashId_)))
    CloseScreen(splash.get(), nullptr);
  if (!mainId_.empty()) ShowScreen(mainId_, nullptr);
}

std::string TGame::GetTopScreenName() {
  Ref<IGameScreenSlave> top = stack_->Last();
  return top ? top->GetName() : std::string();
}

// ---------------------------------------------------------------------------------------
// Frames

void TGame::Update(int32_t dt) {
  if (Ref<IGameScreenSlave> top = stack_->Last()) top->Update(dt);
  PopClosedScreens();
  if (logo_) {
    logo_ = stack_->Contains(splashLogosId_);
    return;
  }
  if (loadCompletePending_) {
    loadCompletePending_ = false;
    OnLoadComplete();
  }
  if (Ref<ICursor> cursor = cursors_->GetCurrentCursor()) {
    if (Ref<IWidget> widget = cursor->GetWidget()) {
      TPoint mouse = GetMousePos();
      TPoint hotSpot = cursor->GetHotSpot();
      widget->SetAnchorLeft(double(mouse.X) - hotSpot.X);
      widget->SetAnchorTop(double(mouse.Y) - hotSpot.Y);
      widget->Process(dt);
    }
  }
  if (Ref<IGameScreenSlave> border = border_) border->Update(dt);
}

void TGame::InvalidateAll() {
  for (int i = 0; i < stack_->Count(); ++i)
    if (Ref<IGameScreenSlave> screen{stack_->ScreenAt(i)}) screen->UpdateDirtyRects();
  // The border screen changes like any other screen, and its changes must be drawn.
  if (Ref<IGameScreenSlave> border = border_) border->UpdateDirtyRects();
  if (Ref<IWidget> cursor{cursors_->CurrentWidget()}) cursor->UpdateDirtyRects(false, false);
}

void TGame::Draw(ISurface* surface, int32_t x, int32_t y) {
  for (int i = 0; i < stack_->Count(); ++i) {
    IGameScreenSlave* screen = stack_->ScreenAt(i);
    if (!screen) continue;
    TRect rect = screen->GetRect();
    bool covered = false;
    for (int j = i + 1; j < stack_->Count() && !covered; ++j)
      if (IGameScreenSlave* higher = stack_->ScreenAt(j); higher && higher->IsShown())
        covered = Contains(higher->GetRect(), rect);
    if (!covered) screen->Draw(surface, x, y);
  }
  if (IGameScreenSlave* border = border_.get()) border->Draw(surface, x, y);
  IWidget* cursor = cursors_->CurrentWidget();
  if (!cursor || !cursor->IsVisible()) return;
  int32_t left = RoundHalfEven(cursor->GetAnchorLeft());
  int32_t top = RoundHalfEven(cursor->GetAnchorTop());
  cursor->Draw(surface, SaturateInt32(int64_t(x) + left), SaturateInt32(int64_t(y) + top));
}

// ---------------------------------------------------------------------------------------
// Input

bool TGame::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool handled = false;
  if (Ref<IGameScreenSlave> top = stack_->Last()) handled = top->HandleMouse(message, point, keys);
  AnimateCursor(message, handled);
  return handled;
}

void TGame::AnimateCursor(uint32_t message, bool handled) {
  bool down = input::IsButtonDown(message);
  if (!down && !input::IsButtonUp(message)) return;
  Ref<IWidget> cursor{cursors_->CurrentWidget()};
  if (!cursor) return;
  if (down && handled) cursor->Restart();
  Ref<IWidget> pressed = cursor->FindWidget("pressed");
  IWidgetOwner* owner = pressed ? pressed->GetOwner() : nullptr;
  Ref<IWidget> unpressed = owner ? owner->FindWidget("unpressed") : nullptr;
  if (down) {
    if (pressed) {
      pressed->Restart();
      pressed->SetVisible(true);
    }
    if (unpressed) {
      unpressed->SetVisible(false);
      unpressed->Pause();
    }
    return;
  }
  if (pressed) {
    pressed->Pause();
    pressed->SetVisible(false);
  }
  if (unpressed) {
    unpressed->SetVisible(true);
    unpressed->Restart();
  }
}

bool TGame::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) {
  bool handled = false;
  if (Ref<IGameScreenSlave> top = stack_->Last())
    handled = top->HandleKey(message, keyCode, keyData);
  if (message != input::kChar || (uint64_t(keyData) & input::kAltBit) == 0) return handled;
  const char* option = ShortcutOption(keyCode);
  if (!option || !engine_) return handled;
  bool on = SameText(engine_->GetOption(option).ToString(), "yes");
  SetOption(option, on ? "no" : "yes");
  return true;
}

void TGame::Activate(bool active) {
  for (int i = 0; i < stack_->Count(); ++i)
    if (Ref<IGameScreenSlave> screen{stack_->ScreenAt(i)}) screen->OnActivateApp(active);
}

// ---------------------------------------------------------------------------------------
// Options

bool TGame::IsStoredOption(const std::string& name) {
  return MirroredOptionNames.find(";" + name + ";") != std::string::npos;
}

void TGame::SetOption(const std::string& name, const std::string& value) {
  if (!params_ || !engine_) return;
  params_->SetValue(name, Variant(value));
  if (IsStoredOption(name)) SaveStoredOption(name);
  if (PassOptionToEngine(name, Variant(value))) engine_->ApplyOptions();
}

void TGame::SetParamValue(const std::string& name, const Variant& value) {
  TPersistParamsObject::SetParamValue(name, value);
  PassOptionToEngine(name, value);
}

bool TGame::PassOptionToEngine(const std::string& name, const Variant& value) {
  if (!engine_) return false;
  try {
    Variant current = engine_->GetOption(name);
    if (current.IsClear() || current.ToString() == value.ToString()) return false;
    engine_->SetOption(name, value);
    return true;
  } catch (const std::exception&) {
    // An engine refuses an option by raising: the normal answer, which leaves the
    // engine's option as it was and asks for nothing to be applied.
    return false;
  }
}

void TGame::LoadStoredOptions() {
  if (!params_) return;
  for (int i = 0; i < params_->Count(); ++i) {
    Ref<IParam> param = params_->FindParam(Variant(i));
    if (!param || !IsStoredOption(param->GetName())) continue;
    std::string name = param->GetName();
    if (!LoadStoredOption(name)) SaveStoredOption(name);
  }
}

bool TGame::LoadStoredOption(const std::string& name) {
  if (!params_ || !engine_) return false;
  std::string value;
  if (!GetGlobalOption(name, value) || value.empty()) return false;
  params_->SetValue(name, Variant(value));
  return true;
}

bool TGame::SaveStoredOption(const std::string& name) {
  if (!params_ || !engine_) return false;
  Ref<IParam> param = params_->FindParam(Variant(name));
  if (!param) return false;
  return SetGlobalOption(name, param->GetValue().ToString());
}

void TGame::PassAllOptionsToEngine() {
  if (!params_ || !engine_) return;
  for (int i = 0; i < params_->Count(); ++i)
    if (Ref<IParam> param = params_->FindParam(Variant(i)))
      PassOptionToEngine(param->GetName(), param->GetValue());
}

// ---------------------------------------------------------------------------------------
// Services to screens and cursor widgets

Ref<ISound> TGame::FindSound(const std::string& name) {
  return sounds_ ? sounds_->FindSound(Variant(name)) : nullptr;
}

TPoint TGame::GetMousePos() {
  TPoint point;
  if (engine_) engine_->GetCursorPos(point);
  return point;
}

void TGame::SetMousePos(const TPoint& point) {
  if (engine_) engine_->SetCursorPos(point);
}

void TGame::AddDirtyRect(const TRect& rect) {
  if (engine_) engine_->RedrawRect(rect);
}
