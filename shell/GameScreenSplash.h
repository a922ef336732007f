#pragma once
// The screens of the game's start and the screens that rebuild themselves:
//
//   "GameScreenSplashLogos"  closes itself when a picture sequence on it has shown its last
//                            picture (control event 10).
//   "GameScreenSplash"       waits for the game's "LoadComplete", then closes at once, or
//                            when the player clicks the control named "wait_button_name";
//                            hiding then asks the game for the main screen, once.
//   "GameScreenSplashProgress"  a splash screen whose "image_loading/progress" widget gets
//                            "position" (frames shown / "total_updates") every frame while
//                            loading; at "LoadComplete" "image_loading" makes way for
//                            "image_loaded" and the wait button, and when it hides the
//                            resource groups "splash" and "splash2" are removed.
//   "GameScreenSplashSelfRefresh"  rebuilt from its own XML at every show but the first
//                            (the first too with refresh_on_first_show="yes").
//   "GameScreenSplashSelfRefreshFactory"  as self-refresh, plus a widget from the root's
//                            factory "refresh_content" (made with the show parameters).
//
//   <gamescreen type="GameScreenSplashProgress" name="GS_Splash"
//               wait_button_name="button_continue" total_updates="120">
//
// The wait button is a control without an action type: the splash screen closes on any
// event it sends.

#include <cstdint>
#include <string>

#include "shell/GameScreen.h"

class TGameScreenSplash : public TGameScreen {
 public:
  // A "LoadComplete" among Params makes the screen wait for its button, or close.
  void Show(const Ref<IParamCollection>& params) override;
  void Hide() override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;

  // Loading is complete and the wait button is there.
  virtual void ShowLoadComplete() {}
  // The splash screen has gone: the main screen, the first time only.
  virtual void FinishLoading();

  bool IsWaitingForLoad() const { return waitingForLoad_; }
  bool IsMainScreenRequested() const { return mainScreenRequested_; }
  const std::string& GetWaitButtonName() const { return waitButtonName_; }

 protected:
  const TPropertyTable& Properties() override;
  // The wait button; nothing when the screen names none (an empty path would be the
  // screen's root) or has no widget of that name.
  Ref<IWidget> WaitButton();

  bool waitingForLoad_ = false;
  bool mainScreenRequested_ = false;
  std::string waitButtonName_;
};

class TGameScreenSplashProgress : public TGameScreenSplash {
 public:
  void ShowLoadComplete() override;
  void FinishLoading() override;
  void Update(int32_t dt) override;

  bool IsLoadShown() const { return loadShown_; }
  int32_t GetProgressCount() const { return progressCount_; }

 protected:
  const TPropertyTable& Properties() override;
  void LoadTotalUpdates(const Ref<IHierStorage>& node);
  void SaveTotalUpdates(const Ref<IHierStorage>& node);

  bool loadShown_ = false;
  int32_t progressCount_ = 0;
  double totalUpdates_ = 200.0;
};

class TGameScreenSplashLogos : public TGameScreen {
 public:
  void Show(const Ref<IParamCollection>& params) override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;

 protected:
  // A sequence repeats its end event at every update; the screen closes once per show.
  bool closing_ = false;
};

class TGameScreenSplashSelfRefresh : public TGameScreen {
 public:
  // Keeps the element's XML for the rebuilds; with refresh_on_first_show only the name
  // is read now.
  void LoadFromXml(const Ref<IHierStorage>& node) override;

  bool IsRefreshPending() const { return refresh_; }

 protected:
  const TPropertyTable& Properties() override;
  // Rebuilds the screen when due, then the screen's own show.
  void OnShow(const Ref<IParamCollection>& params) override;
  // The screen again from its XML; the old widgets stay when that cannot be read.
  void Rebuild();

  bool refreshOnFirstShow_ = false;
  bool refresh_ = false;
  std::string ownXml_;
};

class TGameScreenSplashSelfRefreshFactory : public TGameScreenSplashSelfRefresh {
 protected:
  void OnShow(const Ref<IParamCollection>& params) override;
};
