#include "screens/Tv2DiaryPageVoodoo.h"

#include <algorithm>
#include <vector>

#include "screens/Tv2DiaryPages.h"

const TPropertyTable& TDiaryDiaryPageVoodoo::Properties() {
  using V = TDiaryDiaryPageVoodoo;
  static const TPropertyTable table(
      TVisualGroupWidget::Properties(),
      {
          // Given as an attribute or as an extra parameter; the extra parameter answers first.
          Prop("voodoo_count_need", &V::countNeed_).Int(0).SkipDefault().AfterAliases(),
          Prop("minigame_result", &V::miniGameResult_).Str().SkipDefault(),
      });
  return table;
}

void TDiaryDiaryPageVoodoo::SetOwner(IWidgetOwner* owner) {
  TVisualGroupWidget::SetOwner(owner);
  miniGame_ = FindWidget("minigame");
}

void TDiaryDiaryPageVoodoo::ReleaseOwner() {
  TVisualGroupWidget::ReleaseOwner();
  if (Ref<IWidget> miniGame = std::move(miniGame_)) miniGame->SetDead(true);
}

void TDiaryDiaryPageVoodoo::UpdateCounter(const std::string& foundDolls) {
  Ref<IWidgetCollection> dolls = miniGame_ ? miniGame_->GetChildren() : nullptr;
  if (!dolls) return;
  std::vector<IWidget*> found;
  for (const std::string& name : SplitListNames(foundDolls)) {
    Ref<IWidget> doll = dolls->GetByName(name);
    if (!doll || std::find(found.begin(), found.end(), doll.get()) != found.end()) continue;
    doll->SetVisible(true);
    found.push_back(doll.get());
  }
  foundCount_ = int32_t(found.size());
  if (Ref<IWidget> counter = FindWidget("voodoo_counter1"))
    counter->SetProperty("text", Variant(std::to_string(foundCount_)));
  if (foundCount_ != kDollsToStartMiniGame) return;
  const std::string shown = miniGameResult_.empty() ? "start_minigame" : "show_" + miniGameResult_;
  if (Ref<IWidget> start = FindWidget(shown)) start->Restart();
}
