#include "screens/ScreensRegistration.h"

#include "foundation/GeneralClasses.h"
#include "screens/Tv2DiaryPageVoodoo.h"
#include "screens/Tv2GameScreenDiary.h"
#include "screens/Tv2GameScreenDiaryParticipant.h"
#include "screens/Tv2GameScreenDificult.h"
#include "screens/Tv2GameScreenGame.h"
#include "screens/Tv2GameScreenLevelStat.h"
#include "screens/Tv2GameScreenMain.h"
#include "screens/Tv2GameScreenMenu.h"
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
  RegisterClassName<TTavelor2GameScreenLevelStat>("Tavelor2GameScreenLevelStat");
  RegisterClassName<TTavelor2GameScreenMenu>("Tavelor2GameScreenMenu");
  RegisterClassName<TTv2GameScreenDificult>("Tv2GameScreenDificult");
}
