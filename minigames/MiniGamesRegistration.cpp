#include "minigames/MiniGamesRegistration.h"

#include "foundation/GeneralClasses.h"
#include "minigames/MiniGame3Match.h"
#include "minigames/MiniGameCompare.h"
#include "minigames/MiniGameMagnifyingGlass.h"
#include "minigames/MiniGamePackage.h"
#include "minigames/MiniGamePipe.h"
#include "minigames/MiniGamePuzzle.h"
#include "minigames/MiniGamePyramid.h"
#include "minigames/MiniGameShooter.h"
#include "minigames/MiniGameSimon.h"
#include "minigames/MiniGameTwainPick.h"
#include "minigames/MiniGameXMatch.h"

// The base game registers no name: only concrete games are made from data.
void RegisterMiniGamesClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TMiniGameMagnifyingGlass>("MiniGameScreenMagnifyingGlass");
  RegisterClassName<TTwainPickWidget>("TwainPickWidget");
  RegisterClassName<TPuzzleWidget>("puzzle_widget");
  RegisterClassName<T3MatchWidget>("MiniGame3MatchWidget");
  RegisterClassName<TXMatchWidget>("mg_xmatch_widget");
  RegisterClassName<TPyramidWidget>("pyramid_widget");
  RegisterClassName<TSimonWidget>("simon_widget");
  RegisterClassName<TPackageWidget>("package_widget");
  RegisterClassName<TShooterWidget>("shooter_widget");
  RegisterClassName<TPipeWidget>("mg_pipe_widget");
  RegisterClassName<TCompareWidget>("mg_compare_widget");
}
