#pragma once
// "mg_category_widget": the matching game of the diary's participant page. The page sets
// the client's categories and the candidates' through properties; the player marks the
// client's categories on the candidates' cards, and the candidate whose categories are
// then exactly the client's is the ideal match. When the win has played out, the client's
// name goes to the "match_client" of the widget at "diary_widget".

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TMiniGameCategoryWidget : public TMiniGameWidget {
 public:
  struct TCategoryList {
    std::vector<std::string> categories;
    std::string name;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void Win(const Ref<IParamCollection>& params = nullptr) override;

  const std::vector<std::string>& ControlCategories() const { return control_; }
  const std::vector<TCategoryList>& Candidates() const { return candidates_; }
  const std::string& IdealMatch() const { return idealMatch_; }
  const std::string& ClientName() const { return client_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  void SetControlCategories(const std::string& text);
  void AddCandidate(const std::string& text);
  void StartPlay();
  void SetMatchClient(const std::string& name);
  void Clear();
  void MarkCategory(const std::string& card, IWidget* category);
  void TestMatch();
  static void RestartChild(IWidget* widget, const char* name);

  std::string client_;
  std::vector<std::string> control_;
  std::vector<TCategoryList> candidates_;
  std::string idealMatch_;
  std::string diaryWidget_ = "../.";
  std::string lockWidgets_;
};
