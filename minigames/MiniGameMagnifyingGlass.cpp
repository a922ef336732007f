#include "minigames/MiniGameMagnifyingGlass.h"
