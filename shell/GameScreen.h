#pragma once
// One screen of the game: a root widget tree loaded from the screen's "window" element,
// shown and hidden through the root's appearance effects. Towards its widgets the screen
// is the top of the owner chain, the window that keeps mouse capture and keyboard focus,
// and the receiver of control events.
//
//   <gamescreen type="GameScreen" name="GS_Main" cursor_name="hand">
//     <window left="0" top="0">
//       <musics><music name="music_background" resourcename="theme"/></musics>
//       <effects>...show_effect, hide_effect...</effects>
//       <widgets>...</widgets>
//     </window>
//   </gamescreen>
//
// How a screen class is written:
//
//   class TGameScreenPause : public TGameScreen {
//    public:
//     void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override {
//       TGameScreen::OnWidgetEvent(sender, code, param);
//       if (code == 1 && sender->GetName() == "button_resume") Close(nullptr);
//     }
//    protected:
//     void OnShown(const Ref<IParamCollection>& params) override {
//       TGameScreen::OnShown(params);           // resets the input guard
//       ...                                     // the show effect has ended
//     }
//   };
//
// registered in its library's Register...Classes() under the "type" the game file gives:
// RegisterClassName<TGameScreenPause>("GameScreenPause"). Hooks may show and close screens
// through GetOwner(); the game keeps its stack right when they do.

#include <cstdint>
#include <string>

#include "shell/GameInterfaces.h"

class TGameScreen : public TPropertyObject,
                    public virtual IWidgetOwner,
                    public virtual IWindow,
                    public virtual IEventHandler,
                    public virtual IGameScreenSlave {
 public:
  // Mouse events are swallowed for this long after the screen has been shown and after a
  // screen above it has closed.
  static constexpr int32_t kInputGuardMs = 200;

  void Init() override;
  ~TGameScreen() override;

  // Hooks and steps that screen classes override.
  virtual void OnShowSounds();
  virtual void OnHideSounds();
  // At the start of showing.
  virtual void OnShow(const Ref<IParamCollection>& params);
  // Once the show effect has ended (at once without one).
  virtual void OnShown(const Ref<IParamCollection>& params);
  // Keeps the owner; the root widget gets the screen as its owner.
  virtual void SetOwner(IGameScreenOwner* owner);

  // IGameScreenSlave
  void AttachOwner(IGameScreenOwner* owner) override;
  void ReleaseOwner() override;
  void Show(const Ref<IParamCollection>& params) override;
  void Hide() override;
  void Activate() override { active_ = true; }
  void Deactivate() override { active_ = false; }
  void Update(int32_t dt) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  TRect GetRect() override;
  void OnActivateApp(bool active) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;
  void OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) override;
  IWindow* GetWindow() override { return this; }
  Ref<IWidget> GetRootWidget() override { return root_; }
  bool UpdateDirtyRects() override;
  bool IsShown() override { return !root_ || root_->IsVisible(); }
  void LoadWindow() override;
  Ref<IMusicCollection> GetMusics() override { return musics_; }

  // IWindow
  void SetCapture(const Ref<IWidget>& widget) override;
  void ReleaseCapture() override;
  Ref<IWidget> GetCapture() override { return capture_; }
  void SetFocus(const Ref<IWidget>& widget) override;
  void ClearFocus() override;
  Ref<IWidget> GetFocus() override { return focus_; }
  Ref<IWidgetCollection> GetChildren() override;
  void ResetInput() override;
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;
  Ref<IWidget> FindWidget(std::string_view path) override;
  void PlaySound(const std::string& name) override;
  void StopSound(const std::string& name) override;

  // IEventHandler: the screen classes react to control events here.
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  IEngine* GetEngine() override;
  IGameScreenOwner* GetGameScreenOwner() override;

  // IWidgetOwner (the root widget's owner)
  IEventHandler* GetEventHandler() override { return this; }
  TPoint ScreenToLocal(const TPoint& point) override { return point; }
  TPoint GetMousePos() override;
  void SetMousePos(const TPoint& point) override;
  Ref<IWidget> CreateWidgetFromFactory(const std::string&, const Ref<IParamCollection>&) override {
    return nullptr;
  }
  Ref<ISound> FindSound(const std::string& name) override;
  std::string GetPath() override { return name_; }
  void AddDirtyRect(const TRect& rect) override;

  // A widget from the named factory of the root widget's chain; nothing without one.
  Ref<IWidget> CreateWidget(const std::string& factoryName, const Ref<IParamCollection>& params);
  // The widget at Path shown or hidden, restarted, or given Text (its "text" property);
  // nothing when the window has no such widget.
  void ShowWidget(std::string_view path, bool visible);
  void RestartWidget(std::string_view path);
  void SetWidgetText(std::string_view path, const std::string& text);

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;
  void Reset() override;

  IGameScreenOwner* GetOwner() const { return owner_; }
  bool IsActive() const { return active_; }
  int32_t GetInputTimer() const { return inputTimer_; }
  const std::string& GetCursorName() const { return cursorName_; }
  const Ref<IParamCollection>& GetShowParams() const { return showParams_; }
  // Closes this screen through the game; false when it is not the top screen.
  bool Close(const Ref<IParamCollection>& result);

 protected:
  const TPropertyTable& Properties() override;
  // OnShown once the show effect has ended.
  void CheckShowCompletion();
  // The first visible tab stop among the root's children after Index, wrapping round.
  Ref<IWidget> NextFocus(int index);

  Ref<IWidget> capture_;
  Ref<IWidget> focus_;
  bool showPending_ = false;
  IGameScreenOwner* owner_ = nullptr;
  bool active_ = false;
  bool wasActive_ = false;
  std::string previousCursorName_;
  std::string cursorName_;
  Ref<IMusicCollection> musics_;
  Ref<IWidget> root_;
  int32_t windowLeft_ = 0;
  int32_t windowTop_ = 0;
  Ref<IParamCollection> showParams_;
  int32_t inputTimer_ = 0;
  Ref<IHierStorage> pendingWindow_;
};

// "gamescreens" of "gamescreen" elements, each made from its "type" and keyed by its name.
class TGSCollection : public TTypedCreationPersistItemCollection, public virtual IGSCollection {
 public:
  void Init() override;
  Ref<IGameScreenSlave> GetScreen(const Variant& address) override;
  bool AddItem(const Ref<IGameScreenSlave>& screen) override;

  // Without a reference taken: for loops that call nothing that could change the list.
  IGameScreenSlave* ScreenAt(int index) const;
  // The last screen (the top of a stack), or nothing.
  Ref<IGameScreenSlave> Last() const;
  // False when absent.
  bool Remove(const std::string& id);

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};
