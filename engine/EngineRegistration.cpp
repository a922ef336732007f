#include "engine/EngineRegistration.h"

#include "engine/EngineResources.h"
#include "engine/EngineSounds.h"

void RegisterEngineClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterResourceClasses();
  RegisterEngineSoundClasses();
}
