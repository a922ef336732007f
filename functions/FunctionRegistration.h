#pragma once
// The type names of every function and path class, registered once at start-up after the
// foundation's and the engine's.

void RegisterFunctionsClasses();
