#pragma once
// "diary_page_voodoo": the diary's voodoo-doll page. Its group "minigame" holds one child
// per doll, named like the doll; the dolls the player has found are shown and counted into
// "voodoo_counter1" ("text"), and the thirteenth starts the page's mini-game by restarting
// its "start_minigame". The diary reads "voodoo_count_need" to know when a finished task
// is to start that mini-game, and hands the page the game's kept result as
// "minigame_result": a game already played is not started again; the page restarts its
// "show_" + result widget instead, so that the player sees how it ended.
//
//   <widget type="diary_page_voodoo" name="page_voodoo" voodoo_count_need="12">
//     <widgets>
//       <widget type="group_widget" name="minigame"><widgets>
//         <widget type="image_widget" name="doll_atelier" visible="no" .../>...
//       </widgets></widget>
//       <widget type="text_widget" name="voodoo_counter1" .../>
//       <widget type="flash_scenario" name="start_minigame" paused="yes" .../>
//     </widgets>
//   </widget>

#include <cstdint>
#include <string>

#include "screens/Tv2ScreenInterfaces.h"
#include "shell/WidgetClasses.h"

class TDiaryDiaryPageVoodoo : public TVisualGroupWidget, public virtual IDiaryPageVoodoo {
 public:
  // The dolls that start the mini-game when found, all of them.
  static constexpr int32_t kDollsToStartMiniGame = 13;

  // Finds "minigame".
  void SetOwner(IWidgetOwner* owner) override;
  // The mini-game group goes with the page.
  void ReleaseOwner() override;

  // A doll counts once, however often the list names it; names the group does not hold
  // are not dolls. Without the group nothing changes.
  void UpdateCounter(const std::string& foundDolls) override;

  int32_t GetFoundCount() const { return foundCount_; }
  const std::string& GetMiniGameResult() const { return miniGameResult_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  Ref<IWidget> miniGame_;
  int32_t foundCount_ = 0;
  int32_t countNeed_ = 0;
  // The result the player's progress keeps of the page's game ("won", "skipped"); empty
  // while it is to be played.
  std::string miniGameResult_;
};
