#pragma once
// The sound manager: sounds and a stack of music pieces with fades, groups and volumes,
// played through the platform's audio output.

#include "foundation/EngineInterfaces.h"

// The engine's sound manager. Nothing while the manager is not built into the program;
// the engine then runs silent.
Ref<ISoundManager> CreateSoundManager();
