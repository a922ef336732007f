#pragma once
// The gameplay's creatable classes, registered by name once at start-up, after the widget
// library's. Later calls do nothing.
void RegisterGameplayClasses();
