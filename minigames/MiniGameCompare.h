#pragma once
// "mg_compare_widget": find-the-difference scenes. The data lists groups of element
// widgets; a click on any element resolves every group holding it, each element of a
// resolved group plays "pick", and the game is won when no group is left. The play
// screen's hint asks "hint_target" for an element of a group left.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TCompareWidget : public TMiniGameWidget {
 public:
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  void PickElement(const std::string& name);
  int GroupCount() const { return int(groups_.size()); }

 protected:
  const TPropertyTable& Properties() override;
  // A random element of a random group: what a hint points at.
  std::string HintTarget();

 private:
  std::string elements_;
  std::vector<std::vector<std::string>> groups_;
};
