#pragma once
// "rect_widget": a rectangle of its width and height filled with one colour ("color",
// ARGB) at the widget's transparency.

#include <cstdint>

#include "shell/WidgetClasses.h"

class TRectWidget : public TSingleWidget {
 public:
  // Also makes or resizes the stencil the fill is drawn through.
  void Invalidate() override;
  // Nothing while there is no engine to make the stencil with.
  void Draw(ISurface* surface, int32_t x, int32_t y) override;

  uint32_t GetColor() const { return color_; }

 protected:
  const TPropertyTable& Properties() override;
  bool StencilFits() const;

  uint32_t color_ = 0;
  // Only its size matters: a surface without alpha is filled whole.
  Ref<ISurface> stencil_;
  // The size asked of the stencil (a surface may cut a huge size down).
  int32_t stencilWidth_ = 0;
  int32_t stencilHeight_ = 0;
};
