#include "screens/ScreensRegistration.h"

#include "foundation/GeneralClasses.h"
#include "screens/Tv2GameScreenDiary.h"
#include "screens/Tv2GameScreenMain.h"

// The game file names these classes in its screens' "type" attributes.
void RegisterScreensClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TTavelor2GameScreenMain>("Tavelor2GameScreenMain");
  RegisterClassName<TTavelor2GameScreenDiary>("Tavelor2GameScreenDiary");
}
