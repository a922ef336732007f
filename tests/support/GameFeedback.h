#pragma once
// What a game's feedback left behind: its children by name prefix, the sounds it played.

#include <algorithm>
#include <string>

#include "shell/GameInterfaces.h"
#include "tests/support/FakeEngine.h"

// Children of Group whose names start with Prefix.
inline int CountChildren(IWidget* group, const std::string& prefix) {
  Ref<IWidgetCollection> children = group->GetChildren();
  int n = 0;
  for (int i = 0; children && i < children->Count(); ++i)
    n += children->GetByIndex(i)->GetName().rfind(prefix, 0) == 0;
  return n;
}

// How often the engine played the sound of that resource name.
inline int CountPlayed(const FakeEngine& engine, const std::string& sound) {
  return int(std::count(engine.playedSounds.begin(), engine.playedSounds.end(), sound));
}
