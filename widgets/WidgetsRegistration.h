#pragma once
// The type names of the widget library's creatable classes.

// Registers them with the class registry; later calls do nothing.
void RegisterWidgetsClasses();
