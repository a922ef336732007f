#pragma once
// A text widget's text as the language file made it: does it fit the widget's box at its
// font, and is it a caption rather than an internal name?

#include "tools/layoutcheck/WidgetChecks.h"

class TTextWidget;

void CheckTextFits(TTextWidget& text, const CheckContext& context);
void CheckInternalName(TTextWidget& text, const CheckContext& context);
