#include "screens/ScreensRegistration.h"

#include "foundation/GeneralClasses.h"

// The game file names these classes in its screens' "type" attributes.
void RegisterScreensClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
}
