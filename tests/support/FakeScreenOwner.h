#pragma once
// The game as a screen sees it (IGameScreenOwner), for widget tests: records the screens
// that widgets show and close, keeps game parameters, and answers the rest with nothing.
//
//   screens->shown   == {"GS_Options", "GS_Rules(page=2;)"}
//   screens->closed  == {"screen", "screen(result=1;)"}       // the closed screen's name

#include <map>
#include <string>
#include <vector>

#include "shell/GameInterfaces.h"

// What a hook or a call was given: "" without parameters, else "name=value;..." in order.
std::string DescribeParams(const Ref<IParamCollection>& params);

class FakeScreenOwner : public TNamedObject, public virtual IGameScreenOwner {
 public:
  IEngine* engine = nullptr;
  // "ID" or "ID(PARAMS)", in call order.
  std::vector<std::string> shown;
  // The closed screen's name, with "(RESULT)" when there is a result.
  std::vector<std::string> closed;

  // The game parameters, by exact name; setting Null drops one.
  std::map<std::string, Variant> params;

  Variant GetParamValue(const std::string& name) override;
  Variant GetParamValueDef(const std::string& name, const Variant& def) override;
  void SetParamValue(const std::string& name, const Variant& value) override;
  Ref<IParamCollection> GetParams() override { return nullptr; }
  void SetOption(const std::string&, const std::string&) override {}
  IEngine* GetEngine() override { return engine; }
  IGameScreenOwner* GetGameScreenOwner() override { return this; }
  bool ShowScreen(const std::string& id, const Ref<IParamCollection>& params) override;
  bool CloseScreen(IGameScreenSlave* screen, const Ref<IParamCollection>& result) override;
  Ref<IGSCollection> GetScreens() override { return nullptr; }
  Ref<IHighScores> GetHighScores() override { return nullptr; }
  Ref<IUserProfileCollection> GetUserProfiles() override { return nullptr; }
  Ref<ILevelRecords> GetLevelRecords() override { return nullptr; }
  Ref<ICursorCollection> GetCursors() override { return nullptr; }
  void ShowMainScreen() override {}
  Ref<ISoundCollection> GetSounds() override { return nullptr; }
  Ref<ISound> FindSound(const std::string&) override { return nullptr; }
  TPoint GetMousePos() override { return {}; }
  void SetMousePos(const TPoint&) override {}
};
