#include "engine/EngineRegistration.h"

#include "engine/EngineResources.h"

void RegisterEngineClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterResourceClasses();
}
