#include "shell/GameScreen.h"

#include "engine/EngineSounds.h"
#include "foundation/CheckedMath.h"
#include "foundation/GameDeclarations.h"
#include "platform/InputConstants.h"
#include "shell/AppearanceEffects.h"

namespace {

const char* const kMusicBackground = "music_background";

}  // namespace

// ---------------------------------------------------------------------------------------
// Life

void TGameScreen::Init() {
  TPropertyObject::Init();
  elementName_ = "gamescreen";
  root_ = Ref<IWidget>(TAbstractObject::Create<TAppearanceEffectWidget>().get());
}

TGameScreen::~TGameScreen() {
  // The widgets must not keep a pointer to a screen that is gone.
  if (root_) root_->ReleaseOwner();
}

void TGameScreen::SetOwner(IGameScreenOwner* owner) {
  owner_ = owner;
  if (root_) root_->SetOwner(this);
}

void TGameScreen::AttachOwner(IGameScreenOwner* owner) {
  owner_ = owner;
  if (!pendingWindow_) SetOwner(owner);
}

void TGameScreen::ReleaseOwner() {
  showParams_ = nullptr;
  capture_ = nullptr;
  focus_ = nullptr;
  if (root_) root_->ReleaseOwner();
  owner_ = nullptr;
}

void TGameScreen::Reset() {
  if (Ref<IPersistObjectEx> root = Supports<IPersistObjectEx>(root_)) root->Reset();
  musics_ = nullptr;
}

// ---------------------------------------------------------------------------------------
// Loading and saving

const TPropertyTable& TGameScreen::Properties() {
  static const TPropertyTable table(TPropertyObject::Properties(),
                                    {
                                        Attr("cursor_name", &TGameScreen::cursorName_).Str(),
                                    });
  return table;
}

void TGameScreen::LoadFromXml(const Ref<IHierStorage>& node) {
  TPropertyObject::LoadFromXml(node);
  if (!node || node->GetChildCount("window") == 0) return;
  pendingWindow_ = node->GetChild("window", 0);
  if (LoadWidgetsWithGameScreen || ReadXmlBool(pendingWindow_, "FlagLoadWidgetsWithGameScreen"))
    LoadWindow();
}

void TGameScreen::LoadWindow() {
  if (!pendingWindow_) return;
  Ref<IHierStorage> node = pendingWindow_;
  windowLeft_ = ClampCoordinate(ReadXmlInt(node, "left", ReadXmlInt(node, "anchor_left", 0)));
  windowTop_ = ClampCoordinate(ReadXmlInt(node, "top", ReadXmlInt(node, "anchor_top", 0)));
  if (root_) {
    LoadObject(root_, node);
    root_->SetAnchorLeft(windowLeft_);
    root_->SetAnchorTop(windowTop_);
    root_->SetMouseStop(true);
  }
  Ref<TMusicCollection> musics = TAbstractObject::Create<TMusicCollection>();
  LoadObjectFromChild(musics, node, "musics");
  musics_ = Ref<IMusicCollection>(musics.get());
  pendingWindow_ = nullptr;
  if (owner_) SetOwner(owner_);
}

void TGameScreen::SaveToXml(const Ref<IHierStorage>& node) {
  LoadWindow();
  // The screen's element carries the root's name, visibility and mouse stop itself.
  if (root_) {
    root_->SetMouseStop(false);
    root_->SetVisible(false);
    root_->SetName("");
  }
  TPropertyObject::SaveToXml(node);
  if (!node) return;
  Ref<IHierStorage> window = node->AddChild("window");
  if (!window) return;
  int32_t rootLeft = root_ ? RoundHalfEven(root_->GetAnchorLeft()) : 0;
  int32_t rootTop = root_ ? RoundHalfEven(root_->GetAnchorTop()) : 0;
  WriteXmlInt(window, "left", windowLeft_, windowLeft_ != rootLeft);
  WriteXmlInt(window, "top", windowTop_, windowTop_ != rootTop);
  if (musics_) SaveObjectToChild(musics_, window, "musics");
  if (root_) SaveObject(root_, window);
}

// ---------------------------------------------------------------------------------------
// Showing and hiding

void TGameScreen::OnShowSounds() {
  if (root_) root_->PlaySound("sound_show_window");
  IEngine* engine = GetEngine();
  if (!musics_ || !engine) return;
  if (Ref<IMusic> music = musics_->FindMusic(Variant(kMusicBackground))) engine->PlayMusic(music);
}

void TGameScreen::OnHideSounds() {
  if (root_) root_->PlaySound("sound_hide_window");
  IEngine* engine = GetEngine();
  if (!musics_ || !engine) return;
  if (Ref<IMusic> music = musics_->FindMusic(Variant(kMusicBackground))) engine->StopMusic(music);
}

void TGameScreen::OnShow(const Ref<IParamCollection>&) {}

void TGameScreen::OnShown(const Ref<IParamCollection>&) {
  inputTimer_ = 0;
}

void TGameScreen::OnActivateApp(bool) {}

void TGameScreen::OnChildClosed(const std::string&, const Ref<IParamCollection>&) {
  inputTimer_ = 0;
}

void TGameScreen::OnWidgetEvent(IWidget*, int32_t, int32_t) {}

void TGameScreen::Show(const Ref<IParamCollection>& params) {
  LoadWindow();
  showPending_ = true;
  OnShow(params);
  // Closed from its own show hook: the hide has run, and nothing of the show may follow
  // it (no sound, no cursor, no root put back on view).
  if (!showPending_) return;
  active_ = true;
  OnShowSounds();
  ResetInput();
  if (Ref<IWidget> first = NextFocus(-1)) {
    focus_ = first;
    first->OnSetFocus();
  }
  previousCursorName_.clear();
  if (Ref<ICursorCollection> cursors = owner_ ? owner_->GetCursors() : nullptr) {
    if (Ref<ICursor> current = cursors->GetCurrentCursor())
      previousCursorName_ = current->GetName();
    cursors->SetCursor(cursorName_.empty() ? cursors->GetDefaultCursorName() : cursorName_);
  }
  if (root_) root_->SetVisible(true);
  showParams_ = params;
  CheckShowCompletion();
}

void TGameScreen::CheckShowCompletion() {
  if (!showPending_) return;
  if (root_ && root_->GetProperty("applyingeffect").ToBool(false)) return;
  // Cleared first: the hook may show this screen again.
  showPending_ = false;
  Ref<IParamCollection> params = showParams_;
  OnShown(params);
}

void TGameScreen::Hide() {
  showParams_ = nullptr;
  // A screen hidden before its show effect ended was never shown to the player.
  showPending_ = false;
  OnHideSounds();
  if (Ref<IWidget> focus = std::move(focus_)) {
    focus_ = nullptr;
    focus->OnKillFocus();
  }
  if (root_) root_->SetVisible(false);
  if (previousCursorName_.empty()) return;
  if (Ref<ICursorCollection> cursors = owner_ ? owner_->GetCursors() : nullptr)
    cursors->SetCursor(previousCursorName_);
}

bool TGameScreen::Close(const Ref<IParamCollection>& result) {
  return owner_ && owner_->CloseScreen(this, result);
}

// ---------------------------------------------------------------------------------------
// Frames

void TGameScreen::Update(int32_t dt) {
  // Saturates: a screen on view for weeks must not start swallowing clicks again.
  inputTimer_ = std::max(0, SaturateInt32(int64_t(inputTimer_) + dt));
  if (!active_) return;
  if (root_) root_->Process(dt);
  CheckShowCompletion();
}

void TGameScreen::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (root_ && surface && root_->IsVisible()) DrawChildAt(root_.get(), surface, x, y);
}

TRect TGameScreen::GetRect() {
  return root_ ? root_->GetRect() : TRect{};
}

bool TGameScreen::UpdateDirtyRects() {
  if ((active_ || wasActive_) && root_) root_->UpdateDirtyRects(false, false);
  wasActive_ = active_;
  return active_;
}

// ---------------------------------------------------------------------------------------
// Input

bool TGameScreen::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  if (inputTimer_ < kInputGuardMs) return true;
  if (Ref<IWidget> capture = capture_) return capture->HandleMouse(message, point, keys);
  if (!root_) return false;
  Ref<IWidget> widget = root_->WidgetAtPos(point);
  if (!widget || !widget->IsMouseStop()) return false;
  return widget->HandleMouse(message, point, keys);
}

bool TGameScreen::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) {
  if (!focus_) {
    Ref<IWidget> first = NextFocus(-1);
    if (!first) return false;
    SetFocus(first);
  }
  Ref<IWidget> focus = focus_;
  if (!focus) return false;
  if (focus->HandleKey(message, keyCode, keyData)) return true;
  if (message != input::kKeyUp || keyCode != input::kVkTab) return false;
  Ref<IWidgetCollection> children = root_ ? root_->GetChildren() : nullptr;
  int index = children ? children->IndexOf(focus->GetName()) : -1;
  if (Ref<IWidget> next = NextFocus(index)) SetFocus(next);
  return bool(focus_);
}

Ref<IWidget> TGameScreen::NextFocus(int index) {
  Ref<IWidgetCollection> children = root_ ? root_->GetChildren() : nullptr;
  if (!children) return nullptr;
  auto qualifies = [](const Ref<IWidget>& w) { return w && w->IsTabStop() && w->IsVisible(); };
  int count = children->Count();
  for (int i = std::max(index + 1, 0); i < count; ++i)
    if (Ref<IWidget> w = children->GetByIndex(i); qualifies(w)) return w;
  for (int i = 0; i <= index && i < count; ++i)
    if (Ref<IWidget> w = children->GetByIndex(i); qualifies(w)) return w;
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// IWindow

void TGameScreen::SetCapture(const Ref<IWidget>& widget) {
  if (Ref<IWidget> old = capture_) old->OnLoseCapture();
  capture_ = widget;
}

void TGameScreen::ReleaseCapture() {
  Ref<IWidget> old = std::move(capture_);
  capture_ = nullptr;
  if (old) old->OnLoseCapture();
}

void TGameScreen::SetFocus(const Ref<IWidget>& widget) {
  if (Ref<IWidget> old = focus_) old->OnKillFocus();
  focus_ = widget;
  if (Ref<IWidget> focus = focus_) focus->OnSetFocus();
}

void TGameScreen::ClearFocus() {
  Ref<IWidget> old = std::move(focus_);
  focus_ = nullptr;
  if (old) old->OnKillFocus();
}

Ref<IWidgetCollection> TGameScreen::GetChildren() {
  LoadWindow();
  return root_ ? root_->GetChildren() : nullptr;
}

void TGameScreen::ResetInput() {
  LoadWindow();
  capture_ = nullptr;
  focus_ = nullptr;
  if (root_) root_->Invalidate();
}

Ref<IWidget> TGameScreen::WidgetAtPos(const TPoint& point) {
  return root_ ? root_->WidgetAtPos(point) : nullptr;
}

Ref<IWidget> TGameScreen::FindWidget(std::string_view path) {
  LoadWindow();
  return root_ ? root_->FindWidget(path) : nullptr;
}

void TGameScreen::ShowWidget(std::string_view path, bool visible) {
  if (Ref<IWidget> widget = FindWidget(path)) widget->SetVisible(visible);
}

void TGameScreen::RestartWidget(std::string_view path) {
  if (Ref<IWidget> widget = FindWidget(path)) widget->Restart();
}

void TGameScreen::SetWidgetText(std::string_view path, const std::string& text) {
  if (Ref<IWidget> widget = FindWidget(path)) widget->SetProperty("text", Variant(text));
}

void TGameScreen::PlaySound(const std::string& name) {
  if (root_) root_->PlaySound(name);
}

void TGameScreen::StopSound(const std::string& name) {
  IEngine* engine = GetEngine();
  Ref<ISoundCollection> sounds = root_ ? root_->GetSounds() : nullptr;
  if (!engine || !sounds) return;
  if (Ref<ISound> sound = sounds->FindSound(Variant(name))) engine->StopSound(sound);
}

// ---------------------------------------------------------------------------------------
// Owner chain

IEngine* TGameScreen::GetEngine() {
  return owner_ ? owner_->GetEngine() : nullptr;
}

IGameScreenOwner* TGameScreen::GetGameScreenOwner() {
  return owner_ ? owner_->GetGameScreenOwner() : nullptr;
}

TPoint TGameScreen::GetMousePos() {
  return owner_ ? owner_->GetMousePos() : TPoint{};
}

void TGameScreen::SetMousePos(const TPoint& point) {
  if (owner_) owner_->SetMousePos(point);
}

Ref<ISound> TGameScreen::FindSound(const std::string& name) {
  return owner_ ? owner_->FindSound(name) : nullptr;
}

void TGameScreen::AddDirtyRect(const TRect& rect) {
  if (IEngine* engine = GetEngine()) engine->RedrawRect(rect);
}

Ref<IWidget> TGameScreen::CreateWidget(const std::string& factoryName,
                                       const Ref<IParamCollection>& params) {
  Ref<IWidgetOwner> root = Supports<IWidgetOwner>(root_);
  return root ? root->CreateWidgetFromFactory(factoryName, params) : nullptr;
}

// ---------------------------------------------------------------------------------------
// TGSCollection

void TGSCollection::Init() {
  TTypedCreationPersistItemCollection::Init();
  elementName_ = "gamescreens";
  itemElementName_ = "gamescreen";
}

Ref<IGameScreenSlave> TGSCollection::GetScreen(const Variant& address) {
  return items_->GetAs<IGameScreenSlave>(address);
}

bool TGSCollection::AddItem(const Ref<IGameScreenSlave>& screen) {
  if (!screen) return false;
  std::string id = screen->GetName();
  if (items_->Contains(id)) return false;
  items_->Add(screen, id);
  return items_->Contains(id);
}

IGameScreenSlave* TGSCollection::ScreenAt(int index) const {
  return InterfaceCast<IGameScreenSlave>(static_cast<IInterface*>(items_->GetItemByIndex(index)));
}

Ref<IGameScreenSlave> TGSCollection::Last() const {
  int count = items_->GetCount();
  return count > 0 ? Ref<IGameScreenSlave>(ScreenAt(count - 1)) : nullptr;
}

bool TGSCollection::Remove(const std::string& id) {
  if (!items_->Contains(id)) return false;
  items_->Delete(Variant(id));
  return true;
}

void TGSCollection::ItemLoaded(const Ref<IInterface>& item) {
  AddItem(Supports<IGameScreenSlave>(item));
}
