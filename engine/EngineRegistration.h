#pragma once
// The engine's creatable classes under their type names.

// Registers the resource types; called once at start-up after
// RegisterFoundationClasses. Later calls do nothing.
void RegisterEngineClasses();
