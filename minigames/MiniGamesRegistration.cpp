#include "minigames/MiniGamesRegistration.h"

#include "foundation/GeneralClasses.h"
#include "minigames/MiniGame15Puzzle.h"
#include "minigames/MiniGame3Match.h"
#include "minigames/MiniGameCategory.h"
#include "minigames/MiniGameCompare.h"
#include "minigames/MiniGameFindWords.h"
#include "minigames/MiniGameGathering.h"
#include "minigames/MiniGameGear.h"
#include "minigames/MiniGameGraph.h"
#include "minigames/MiniGameGuitarHero.h"
#include "minigames/MiniGameMagnifyingGlass.h"
#include "minigames/MiniGameMoveObjects.h"
#include "minigames/MiniGamePackage.h"
#include "minigames/MiniGamePipe.h"
#include "minigames/MiniGamePuzzle.h"
#include "minigames/MiniGamePyramid.h"
#include "minigames/MiniGameRingPuzzle.h"
#include "minigames/MiniGameScales.h"
#include "minigames/MiniGameShooter.h"
#include "minigames/MiniGameSimon.h"
#include "minigames/MiniGameThimble.h"
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
  RegisterClassName<TMiniGameGathering>("mg_gathering_widget");
  RegisterClassName<TThimbleWidget>("mg_thimble_widget");
  RegisterClassName<TMiniGameGuitarHero>("mg_guitarhero_widget");
  RegisterClassName<TMiniGameGear>("mg_gear_widget");
  RegisterClassName<T15PuzzleWidget>("mg_15puzzle_widget");
  RegisterClassName<TRingPuzzleWidget>("mg_ring_widget");
  RegisterClassName<TMoverWidget>("mg_move_widget");
  RegisterClassName<TGraphWidget>("mg_graph_widget");
  RegisterClassName<TScalesWidget>("mg_scales_widget");
  RegisterClassName<TMiniGameCategoryWidget>("mg_category_widget");
  RegisterClassName<TFindWordsWidget>("mg_FindWords_widget");
}
