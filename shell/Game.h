#pragma once
// The root object of the game side. The engine creates it from the game file by its
// registered "type", lets it load itself from the file's root element and drives it once
// per frame and once per input message. It owns every screen (by identifier), the stack
// of screens on view, the "GS_Border" screen drawn above them, the cursors, the resource
// lists, the game sounds, the custom settings and the player data, and keeps the game's
// options as its parameters, mirrored into the engine and the options store.
//
//   <game type="Game" name="tavelor" splashlogosgs="GS_SplashLogos" splashgs="GS_Splash"
//         closequerygs="GS_Quit" maings="GS_Main">
//     <params><param name="FullScreenMode" value="no"/></params>
//     <global_replaceable_object_params/> <custom_settings/> <cursors/> <resourcefiles/>
//     <sounds/>
//     <gamescreens>
//       <gamescreen type="GameScreenSplash" name="GS_Splash">...</gamescreen>
//     </gamescreens>
//   </game>
//
// The start: the logo screen; when it has gone, the splash screen, the "asynch" resource
// lists (frames keep running between resources), every window, then the splash screen is
// told "LoadComplete" and hands over to the main screen.
//
// Screens show and close screens from inside their hooks, and loading pumps frames from
// inside an update: every walk over the stack re-reads it after each call that could
// change it.

#include <cstdint>
#include <string>

#include "shell/GameCursors.h"
#include "shell/GameScreen.h"
#include "shell/ResourceFiles.h"

class TGame : public TPersistParamsObject,
              public virtual IWidgetOwner,
              public virtual IGameScreenOwner,
              public virtual IGame {
 public:
  void Init() override;
  ~TGame() override;

  // Steps of the start and of the options that game classes may override.
  virtual void OnLoadComplete();
  // A stored value wins over the game file's; a missing one is stored.
  virtual void LoadStoredOptions();
  virtual void PassAllOptionsToEngine();

  // IGame
  void Initialize(const Ref<IEngine>& engine) override;
  void Done() override;
  void Update(int32_t dt) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;
  void Activate(bool active) override;
  bool CanClose() override;
  void SetOption(const std::string& name, const std::string& value) override;
  void InvalidateAll() override;
  std::string GetTopScreenName() override;

  // IGameScreenOwner
  Variant GetParamValue(const std::string& name) override {
    return TPersistParamsObject::GetParamValue(name);
  }
  Variant GetParamValueDef(const std::string& name, const Variant& def) override {
    return TPersistParamsObject::GetParamValueDef(name, def);
  }
  // The parameter, then the engine's option of that name (applied with the next change).
  void SetParamValue(const std::string& name, const Variant& value) override;
  Ref<IParamCollection> GetParams() override { return params_; }
  IEngine* GetEngine() override { return engine_.get(); }
  IGameScreenOwner* GetGameScreenOwner() override { return this; }
  bool ShowScreen(const std::string& id, const Ref<IParamCollection>& params) override;
  bool CloseScreen(IGameScreenSlave* screen, const Ref<IParamCollection>& result) override;
  Ref<IGSCollection> GetScreens() override;
  Ref<IHighScores> GetHighScores() override { return highScores_; }
  Ref<IUserProfileCollection> GetUserProfiles() override { return userProfiles_; }
  Ref<ILevelRecords> GetLevelRecords() override { return levelRecords_; }
  Ref<ICursorCollection> GetCursors() override;
  void ShowMainScreen() override;
  Ref<ISoundCollection> GetSounds() override { return sounds_; }
  Ref<ISound> FindSound(const std::string& name) override;
  TPoint GetMousePos() override;
  void SetMousePos(const TPoint& point) override;

  // IWidgetOwner (each cursor's widget)
  IWindow* GetWindow() override { return nullptr; }
  IEventHandler* GetEventHandler() override { return nullptr; }
  TPoint ScreenToLocal(const TPoint& point) override { return point; }
  Ref<IWidget> CreateWidgetFromFactory(const std::string&, const Ref<IParamCollection>&) override {
    return nullptr;
  }
  Ref<IWidget> FindWidget(std::string_view) override { return nullptr; }
  std::string GetPath() override { return {}; }
  void AddDirtyRect(const TRect& rect) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  // The stack, bottom first.
  Ref<IGSCollection> GetStack();
  bool IsLoading() const { return loading_; }
  const std::string& GetSplashLogosId() const { return splashLogosId_; }
  const std::string& GetSplashId() const { return splashId_; }
  const std::string& GetCloseQueryId() const { return closeQueryId_; }
  const std::string& GetMainId() const { return mainId_; }

 protected:
  const TPropertyTable& Properties() override;
  // Pops every screen that is no longer shown, top down; each screen it uncovers is
  // activated and told which screen closed with the pending result.
  void PopClosedScreens();
  // Sets the engine's option when it has one of that name and the value differs; true
  // when it did.
  bool PassOptionToEngine(const std::string& name, const Variant& value);
  bool LoadStoredOption(const std::string& name);
  bool SaveStoredOption(const std::string& name);
  static bool IsStoredOption(const std::string& name);
  // Loads every resource list of that mode into the group of its name.
  void LoadResourceFiles(uint8_t mode, bool pump);
  // The splash screen, on the stack, learns that loading is complete.
  void DeliverLoadComplete();
  // Covers the top screen: its sounds pause and it stops being active.
  void CoverTop();
  // Releases every screen's owner and empties the stack.
  void ReleaseScreens();
  // The cursor's widget follows the mouse and animates on buttons.
  void AnimateCursor(uint32_t message, bool handled);

  std::string splashLogosId_;
  std::string splashId_;
  std::string closeQueryId_;
  std::string mainId_;
  bool loading_ = true;
  Ref<IHighScores> highScores_;
  Ref<TGSCollection> stack_;
  Ref<TGSCollection> screens_;
  Ref<TResourceFileCollection> resourceFiles_;
  Ref<IEngine> engine_;
  bool loadCompletePending_ = true;
  bool logo_ = false;
  Ref<IUserProfileCollection> userProfiles_;
  Ref<ILevelRecords> levelRecords_;
  Ref<TCursorCollection> cursors_;
  Ref<ICustomSettingsCollection> customSettings_;
  Ref<IParamCollection> closeResult_;
  Ref<ISoundCollection> sounds_;
  Ref<IGameScreenSlave> border_;
  // "LoadComplete" for a splash screen that was still hiding when loading ended: it is
  // shown with them as soon as it has left the stack.
  Ref<IParamCollection> pendingSplashParams_;
};
