#include "gameplay/GameplayRegistration.h"

#include "foundation/GeneralClasses.h"
#include "gameplay/Tv2LevelManagers.h"
#include "gameplay/Tv2ManagerFallObj.h"
#include "gameplay/Tv2ObjectsPanelGroup.h"
#include "gameplay/Tv2PanelManagers.h"
#include "gameplay/Tv2StateScenariosBonuses.h"
#include "gameplay/Tv2StateScenariosEndLevel.h"
#include "gameplay/Tv2StateScenariosFindObj.h"
#include "gameplay/Tv2StateScenariosHint.h"
#include "gameplay/Tv2StateScenariosPanelAnim.h"
#include "gameplay/Tv2StateScenariosStartLevel.h"

// The scene records, the progress and the generator are made from their classes, never
// by name: the names listed here are those the game's data and screens create.
void RegisterGameplayClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterLevelManagerClasses();
  // The play screen's animations.
  RegisterClassName<TStateScenarioSimpleMoveWidget>("state_scenario_move_widget");
  RegisterClassName<TStateScenarioFindObj>("state_scenario_find_obj");
  RegisterClassName<TStateScenarioHint>("state_scenario_hint");
  RegisterClassName<TStateScenarioMovePanelItem>("state_scenario_panel_item_move");
  RegisterClassName<TStateScenarioMovePanelItemPicture>("state_scenario_panel_item_picture_move");
  RegisterClassName<TStateScenarioFlyBonus>("state_scenario_fly_bonus");
  RegisterClassName<TStateScenarioPenalty>("state_scenario_penalty");
  RegisterClassName<TStateScenarioGameStartLevel>("state_scenario_game_start_level");
  RegisterClassName<TStateScenarioEndLevel>("state_scenario_end_level");
  RegisterClassName<TStateScenarioCloseGameScreen>("state_scenario_close_screen");
  RegisterClassName<TItemListPanelWidget>("obj_list_panel");
  RegisterClassName<TFlyWidget>("fly_widget");
  RegisterPanelManagerClasses();
  RegisterClassName<TAbstractFallObjManager>("AbstractFallObjManager");
}
