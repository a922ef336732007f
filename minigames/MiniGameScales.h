#pragma once
// "mg_scales_widget": units of one cargo on one bowl, plummets on the other, until the
// scales balance at a pattern's weight; every pattern balanced once wins the game.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TScalesWidget : public TMiniGameWidget {
 public:
  struct TCargo {
    int32_t id = 0;
    int32_t weight = 0;  // of one unit
    int32_t amount = 0;  // units not on the bowl
    std::string widget;
    Ref<IWidget> chain;  // the cargo's last feedback widget
  };
  struct TPlummet {
    int32_t id = 0;
    int32_t weight = 0;
    std::string widget;
    bool onBowl = false;
  };
  struct TBowl {
    int32_t id = 0;
    int64_t weight = 0;
    int32_t count = 0;
    std::string widget;
    int32_t cargo = -1;  // the cargo bowl's cargo, an index into the cargos
  };
  struct TPattern {
    int32_t id = 0;  // the cargo's id
    int32_t weight = 0;
    int32_t tolerance = 0;
    bool done = false;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  // One click on the named child, as the left button gives it.
  void ClickName(const std::string& name);

  const std::vector<TCargo>& Cargos() const { return cargos_; }
  const std::vector<TPlummet>& Plummets() const { return plummets_; }
  const TBowl& PlummetBowl() const { return bowls_[0]; }
  const TBowl& CargoBowl() const { return bowls_[1]; }
  int32_t BalanceCount() const { return balances_; }

 private:
  void ClickCargo(size_t index);
  void TogglePlummet(TPlummet& plummet);
  void EmptyCargoBowl();
  void EmptyPlummetBowl();
  void TestBalance();
  Ref<IParamCollection> IdParams();
  Ref<IParamCollection> CargoParams(const TCargo& cargo);
  void MakeUpdate();
  void StartNow(const std::string& factory, const Ref<IParamCollection>& params);

  std::vector<TCargo> cargos_;
  std::vector<TPlummet> plummets_;
  TBowl bowls_[2];  // the plummet bowl, the cargo bowl
  std::vector<TPattern> patterns_;
  int32_t balances_ = 0;
};
