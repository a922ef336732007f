#pragma once
// The type names of the game shell's creatable classes.

// Registers them with the class registry; later calls do nothing.
void RegisterShellClasses();
