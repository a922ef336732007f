// The rectangle widget.

#include "widgets/RectWidget.h"

#include "foundation/CheckedMath.h"

const TPropertyTable& TRectWidget::Properties() {
  static const TPropertyTable table(
      TSingleWidget::Properties(), {
                                       Prop("color", &TRectWidget::color_).Hex().Always().Redraws(),
                                   });
  return table;
}

bool TRectWidget::StencilFits() const {
  return stencil_ && stencilWidth_ == width_ && stencilHeight_ == height_;
}

void TRectWidget::Invalidate() {
  TSingleWidget::Invalidate();
  IEngine* engine = owner_ ? owner_->GetEngine() : nullptr;
  if (!engine) return;
  // The stencil is kept and resized rather than made anew.
  if (!stencil_) stencil_ = engine->CreateSurface();
  if (!stencil_ || StencilFits()) return;
  stencil_->SetHasAlpha(false);
  stencil_->SetSize(width_, height_);
  stencilWidth_ = width_;
  stencilHeight_ = height_;
}

void TRectWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!StencilFits()) Invalidate();
  if (!surface || !StencilFits()) return;
  TRect target{x, y, SaturateInt32(int64_t(x) + width_), SaturateInt32(int64_t(y) + height_)};
  surface->DrawColored(color_, stencil_.get(), bmNormal, uint8_t(GetTransparentLevel()), target,
                       TRect{0, 0, width_, height_});
}
