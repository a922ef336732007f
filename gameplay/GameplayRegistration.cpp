#include "gameplay/GameplayRegistration.h"

#include "foundation/GeneralClasses.h"
#include "gameplay/Tv2ManagerFallObj.h"
#include "gameplay/Tv2ObjectsPanelGroup.h"
#include "gameplay/Tv2PanelManagers.h"

// The scene records, the progress and the generator are made from their classes, never
// by name: the names listed here are those the game's data and screens create.
void RegisterGameplayClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TItemListPanelWidget>("obj_list_panel");
  RegisterClassName<TFlyWidget>("fly_widget");
  RegisterPanelManagerClasses();
  RegisterClassName<TAbstractFallObjManager>("AbstractFallObjManager");
}
