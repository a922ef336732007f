#pragma once
// A game screen type that game files may declare for mini-game screens; it behaves as a
// plain game screen.

#include "shell/GameScreen.h"

class TMiniGameMagnifyingGlass : public TGameScreen {};
