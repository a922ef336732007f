#include "screens/ScreensRegistration.h"

#include "foundation/GeneralClasses.h"
#include "screens/Tv2DiaryPageVoodoo.h"
#include "screens/Tv2GameScreenDiary.h"
#include "screens/Tv2GameScreenDiaryParticipant.h"
#include "screens/Tv2GameScreenDificult.h"
#include "screens/Tv2GameScreenGame.h"
#include "screens/Tv2GameScreenHighScores.h"
#include "screens/Tv2GameScreenLevelStat.h"
#include "screens/Tv2GameScreenMain.h"
#include "screens/Tv2GameScreenMenu.h"
#include "screens/Tv2GameScreenOptions.h"
#include "screens/Tv2GameScreenSelectCase.h"
#include "screens/Tv2GameScreenSelectScene.h"
#include "screens/Tv2GameScreenSelectTask.h"
#include "screens/Tv2GameScreenUsers.h"
#include "screens/Tv2Journal.h"

// The game file names these classes in its screens' "type" attributes.
void RegisterScreensClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TTavelor2GameScreenGame>("Tavelor2GameScreenGame");
  RegisterClassName<TTavelor2GameScreenDiary>("Tavelor2GameScreenDiary");
  // The diary's pages.
  RegisterClassName<TDiaryPageParticipant>("diary_participant_page");
  RegisterClassName<TDiaryJournal>("diary_journal");
  RegisterClassName<TDiaryDiaryPageVoodoo>("diary_page_voodoo");
  RegisterClassName<TTavelor2GameScreenMain>("Tavelor2GameScreenMain");
  RegisterClassName<TTavelor2GameScreenSelectCase>("Tavelor2GameScreenSelectCase");
  RegisterClassName<TTavelor2GameScreenSelectScene>("Tavelor2GameScreenSelectScene");
  RegisterClassName<TTavelor2GameScreenSelectTask>("Tavelor2GameScreenSelectTask");
  RegisterClassName<TTavelor2GameScreenLevelStat>("Tavelor2GameScreenLevelStat");
  RegisterClassName<TTavelor2GameScreenMenu>("Tavelor2GameScreenMenu");
  RegisterClassName<TTV2GameScreenOptions>("TV2GameScreenOptions");
  RegisterClassName<TTV2GameScreenUsers>("TV2GameScreenUsers");
  RegisterClassName<TTv2GameScreenDificult>("Tv2GameScreenDificult");
  RegisterClassName<TTavelor2GameScreenHighScores>("Tavelor2GameScreenHighScores");
}
