#pragma once
// The game screens' creatable classes, registered by name once at start-up, after the
// gameplay's and before the mini-games'. Later calls do nothing.
void RegisterScreensClasses();
