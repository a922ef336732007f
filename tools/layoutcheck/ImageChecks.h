#pragma once
// An image widget's rectangle of its picture: inside the picture, and not all transparent.

#include "tools/layoutcheck/WidgetChecks.h"

class TImageWidget;

void CheckImageSource(TImageWidget& image, const CheckContext& context);
