#include "engine/EngineSoundManager.h"

Ref<ISoundManager> CreateSoundManager() { return nullptr; }
