#pragma once

// Registers the mini-games' type names; after the gameplay's. Safe to call repeatedly.
void RegisterMiniGamesClasses();
