#include "gameplay/GameplayRegistration.h"

#include "foundation/GeneralClasses.h"

// The scene records, the progress and the generator are made from their classes, never
// by name: the names listed here are those the game's data and screens create.
void RegisterGameplayClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
}
