#pragma once
// Flights of found objects to their panel items ("AbstractFallObjManager").
//
// A found object leaves a copy where it stood and an invisible copy at its screen place;
// two widgets from the play screen's factories animate them: "gamefield_find_obj_show",
// then "gamefield_find_obj_fall". When the fall ends the level learns that the object has
// arrived and the panel item comes back into view. A factory that makes nothing lets a
// flight run through both phases in two updates.

#include <cstdint>
#include <string>
#include <vector>

#include "gameplay/Tv2Interfaces.h"

class TAbstractFallObjManager : public TNamedObject, public virtual IFallObjManager {
 public:
  using TNamedObject::Init;

  void Bind(IGameManagersOwner* owner) override;
  void Clear() override;
  void Update() override;
  void AddObject(const Ref<IWidget>& widget, const Ref<IWidget>& source) override;
  void AddPair(const Ref<IWidget>& first, const Ref<IWidget>& second,
               const Ref<IWidget>& secondSource, const Ref<IWidget>& firstSource) override;

  int32_t GetFlightCount() const { return int32_t(flights_.size()); }

 private:
  struct Clone {
    Ref<IWidget> widget;
    Ref<ISceneObjectDef> object;
    Ref<ISceneObjectLocation> location;
    double x = 0, y = 0;
    double zoomX = 1, zoomY = 1;
  };
  struct Flight {
    std::string key;
    Clone clones[2];
    int32_t cloneCount = 0;
    bool showRunning = false;
    bool fallRunning = false;
    Ref<IWidget> showWidget;
    Ref<IWidget> fallWidget;
  };

  void SetUpClone(Clone& clone, const Ref<IWidget>& widget, const Ref<IWidget>& source);
  void MakeClones(Flight& flight);
  void StartShow(Flight& flight);
  void StartFall(Flight& flight);
  void EndFlight(Flight& flight);
  // "endzoomx"/"endzoomy" sign of the flying copy; "_clone" + K of the flight.
  Ref<IWidget> AnimationClone(const Flight& flight, int32_t k);
  std::string CloneName(const Flight& flight, int32_t k) const;
  Ref<IWidget> CreateScreenWidget(const std::string& factory, const Ref<IParamCollection>& params);
  void ShowPanelItem(const Ref<ISceneObjectDef>& object, bool flying);
  uint8_t LevelMode();

  IGameManagersOwner* owner_ = nullptr;
  Ref<IPanelManager> panelManager_;
  Ref<ILevelManager> levelManager_;
  std::vector<Flight> flights_;
};
