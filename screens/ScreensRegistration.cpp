#include "screens/ScreensRegistration.h"

#include "foundation/GeneralClasses.h"
#include "screens/Tv2GameScreenGame.h"

// The game file names these classes in its screens' "type" attributes.
void RegisterScreensClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TTavelor2GameScreenGame>("Tavelor2GameScreenGame");
}
