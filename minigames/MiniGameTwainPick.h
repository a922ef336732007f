#pragma once
// "TwainPickWidget": the element widgets form groups (pairs, triples); two clicks on
// elements of one group take them out of it, and the game is won when no group holds two
// elements any more. Wrong pairs answer with "wrong" feedback.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TTwainPickWidget : public TMiniGameWidget {
 public:
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  void ClickElement(const std::string& name);
  // The groups left: names joined by "-", groups by ";".
  std::string GetListText() const;
  bool IsStarted() const { return started_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  using TTwain = std::vector<std::string>;

  bool IsListed(const std::string& name) const;
  bool SameGroup(const std::string& a, const std::string& b) const;
  void RemoveGroup(const std::string& name);
  // Element's pick, unpick or remove animation, added to the children, still paused.
  Ref<IWidget> ElementAnimation(const std::string& element, const std::string& animation);
  void AppendToNext(IWidget* widget, const std::string& names);
  void CheckWin();
  void Shuffle();

  std::vector<TTwain> groups_;
  std::string picked_;
  bool shuffle_ = false;
  bool introMade_ = false;
  bool started_ = false;
};
