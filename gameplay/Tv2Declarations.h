#pragma once
// The game's own values for the shared declarations, and the names of its data files.

#include <string>

// Gives the shared constants this game's values. Runs once, first thing at start-up,
// before the engine is created; later calls do nothing.
void Tv2DeclarationsInit();

extern const std::string DefaultScenarioFileName;
extern const std::string ScenesFileName;
extern const std::string CategoriesFileName;
extern const std::string ParticipantsFileName;
