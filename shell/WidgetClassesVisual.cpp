// Widgets with a place on the screen: the dirty-rectangle pass, single and surface widgets.

#include "foundation/CheckedMath.h"
#include "shell/WidgetClasses.h"

// ---------------------------------------------------------------------------------------
// TVisualWidget

void TVisualWidget::Init() {
  TAbstractWidget::Init();
  transparentLevel_ = 255;
}

void TVisualWidget::SetZ(int32_t value) {
  if (value == z_) return;
  z_ = value;
  SetNeedsRedraw(true);
  // The group keeps its children in z order; it sorts them again only when told.
  if (auto* group = InterfaceCast<TGroupWidget>(owner_)) group->ChildZChanged();
}

void TVisualWidget::SetAnchorLeft(double value) {
  if (value == anchorLeft_) return;
  anchorLeft_ = value;
  changed_ = true;
}

void TVisualWidget::SetAnchorTop(double value) {
  if (value == anchorTop_) return;
  anchorTop_ = value;
  changed_ = true;
}

void TVisualWidget::SetTransparentLevel(int32_t value) {
  uint8_t level = uint8_t(std::clamp(value, 0, 255));
  if (level == transparentLevel_) return;
  transparentLevel_ = level;
  SetNeedsRedraw(true);
}

Ref<ISurface> TVisualWidget::GetImage() {
  IEngine* engine = owner_ ? owner_->GetEngine() : nullptr;
  if (!engine) return nullptr;
  Ref<ISurface> image = engine->CreateSurface();
  if (!image) return nullptr;
  image->SetHasAlpha(true);
  image->SetSize(GetWidth(), GetHeight());
  Draw(image.get(), RoundHalfEven(anchorLeft_ - GetLeft()), RoundHalfEven(anchorTop_ - GetTop()));
  return image;
}

void TVisualWidget::UpdateDirtyRects(bool forceOld, bool forceNew) {
  TAbstractWidget::UpdateDirtyRects(forceOld, forceNew);
  if (!owner_) return;
  bool visible = IsVisible();
  if (wasVisible_ && (changed_ || !visible || forceOld)) {
    owner_->AddDirtyRect(lastRect_);
    if (!visible) invalidated_ = true;
  }
  if (visible && !IsDead() &&
      (changed_ || initialPost_ || needsRedraw_ || forceNew || !wasVisible_)) {
    TPoint origin = ScreenToLocalPoint(TPoint{});
    TRect r = platform::OffsetRect(GetRect(), -int64_t(origin.X), -int64_t(origin.Y));
    newRect_ = r;
    owner_->AddDirtyRect(r);
    invalidated_ = true;
  }
  initialPost_ = false;
  changed_ = false;
  SetNeedsRedraw(false);
  lastRect_ = newRect_;
  wasVisible_ = visible;
}

// The properties themselves are the base widget's, over the virtual accessors.
const TPropertyTable& TVisualWidget::Properties() {
  using V = TVisualWidget;
  static const TPropertyTable table(
      TAbstractWidget::Properties(),
      {
          Attr("visible", &V::visible_).Bool().Always(),
          Attr("z", &V::z_).Int(),
          Attr("transparentlevel", &V::transparentLevel_).Int(255),
          Attr("anchor_left", &V::anchorLeft_).Float().Coordinate().SavedWhen(&V::IsAnchored),
          Attr("anchor_top", &V::anchorTop_).Float().Coordinate().SavedWhen(&V::IsAnchored),
          Attr("mousestop", &V::mouseStop_).Bool(),
      });
  return table;
}

void TVisualWidget::PropertyChanged(const TPropertyRow& row) {
  TAbstractWidget::PropertyChanged(row);
  if (row.Invalidates()) changed_ = true;
}

// ---------------------------------------------------------------------------------------
// TSingleWidget

void TSingleWidget::SetWidth(int32_t value) {
  if (value == width_) return;
  width_ = value;
  changed_ = true;
}

void TSingleWidget::SetHeight(int32_t value) {
  if (value == height_) return;
  height_ = value;
  changed_ = true;
}

// Read as the base widget's "width" and "height" (GetWidth, GetHeight).
const TPropertyTable& TSingleWidget::Properties() {
  using S = TSingleWidget;
  static const TPropertyTable table(
      TVisualWidget::Properties(),
      {
          Prop("width", &S::width_, &S::SetWidth).Int().Coordinate().Always().WriteOnly(),
          Prop("height", &S::height_, &S::SetHeight).Int().Coordinate().Always().WriteOnly(),
      });
  return table;
}

// ---------------------------------------------------------------------------------------
// TSurfaceWidget

void TSurfaceWidget::SetSurface(const Variant& value) {
  changed_ = true;
  width_ = height_ = shiftTop_ = shiftLeft_ = 0;
  surface_ = nullptr;
  if (value.IsClear() || value.GetKind() != Variant::Kind::Interface) return;
  surface_ = Supports<ISurface>(value.RawInterface());
  if (!surface_) return;
  width_ = surface_->GetWidth();
  height_ = surface_->GetHeight();
}

void TSurfaceWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!surface_ || !surface) return;
  TRect src{shiftLeft_, shiftTop_, SaturateInt32(int64_t(shiftLeft_) + width_),
            SaturateInt32(int64_t(shiftTop_) + height_)};
  TRect dst{x, y, SaturateInt32(int64_t(x) + width_), SaturateInt32(int64_t(y) + height_)};
  if (drawMode_ == dmCopyRect)
    surface->Draw(surface_.get(), src, bmNormal, transparentLevel_, dst);
  else if (drawMode_ == dmFillColor)
    surface->DrawColored(fillColor_, surface_.get(), bmNormal, transparentLevel_, dst, src);
}

bool TSurfaceWidget::ContainsPoint(const TPoint& point, bool ignoreVisibility) {
  if (!TVisualWidget::ContainsPoint(point, ignoreVisibility)) return false;
  if (!surface_) return true;
  // The rectangle test includes the right and bottom edges: the checked read answers 0
  // (transparent) there instead of reading past the surface.
  int32_t x = SaturateInt32(int64_t(point.X) - TruncSat(anchorLeft_));
  int32_t y = SaturateInt32(int64_t(point.Y) - TruncSat(anchorTop_));
  return surface_->GetPixel(x, y) > 0x0AFFFFFFu;
}

void TSurfaceWidget::ReleaseOwner() {
  surface_ = nullptr;
  TVisualWidget::ReleaseOwner();
}

const TPropertyTable& TSurfaceWidget::Properties() {
  using W = TSurfaceWidget;
  static const TPropertyTable table(
      TVisualWidget::Properties(),
      {
          Prop<W>(
              "surface", [](W& w) { return Variant(Ref<IInterface>(w.surface_.get())); },
              &W::SetSurface),
          Prop("width", &W::width_).Coordinate().Invalidates().WriteOnly(),
          Prop("height", &W::height_).Coordinate().Invalidates().WriteOnly(),
          Prop("shifttop", &W::shiftTop_).Coordinate().Invalidates(),
          Prop("shiftleft", &W::shiftLeft_).Coordinate().Invalidates(),
          Prop("drawmode", &W::drawMode_)
              .Enum("copyrect/fillcolor", dmCopyRect)
              .SkipDefault()
              .Redraws(),
          Prop("fillcolor", &W::fillColor_).Hex().Always().Redraws(),
      });
  return table;
}
