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
    TRect r = GetRect();
    TPoint origin = ScreenToLocalPoint(TPoint{});
    r.Left -= origin.X;
    r.Right -= origin.X;
    r.Top -= origin.Y;
    r.Bottom -= origin.Y;
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

void TVisualWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TAbstractWidget::LoadFromXml(node);
  visible_ = ReadXmlBool(node, "visible", false);
  z_ = ReadXmlInt(node, "z", 0);
  anchorLeft_ = ReadXmlFloat(node, "anchor_left", 0);
  anchorTop_ = ReadXmlFloat(node, "anchor_top", 0);
  transparentLevel_ = uint8_t(std::clamp(ReadXmlInt(node, "transparentlevel", 255), 0, 255));
  mouseStop_ = ReadXmlBool(node, "mousestop", false);
}

void TVisualWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TAbstractWidget::SaveToXml(node);
  WriteXmlBool(node, "visible", visible_, true);
  WriteXmlInt(node, "z", z_, z_ != 0);
  WriteXmlInt(node, "transparentlevel", transparentLevel_, transparentLevel_ != 255);
  bool anchored = anchorLeft_ != 0 || anchorTop_ != 0;
  WriteXmlFloat(node, "anchor_left", anchorLeft_, anchored);
  WriteXmlFloat(node, "anchor_top", anchorTop_, anchored);
  WriteXmlBool(node, "mousestop", mouseStop_, mouseStop_);
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

void TSingleWidget::SetProperty(const std::string& name, const Variant& value) {
  if (name == "width") {
    if (auto v = value.TryInt()) SetWidth(SaturateInt32(*v));
  } else if (name == "height") {
    if (auto v = value.TryInt()) SetHeight(SaturateInt32(*v));
  } else {
    TVisualWidget::SetProperty(name, value);
  }
}

void TSingleWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualWidget::LoadFromXml(node);
  width_ = ReadXmlInt(node, "width", 0);
  height_ = ReadXmlInt(node, "height", 0);
}

void TSingleWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TVisualWidget::SaveToXml(node);
  WriteXmlInt(node, "width", width_, true);
  WriteXmlInt(node, "height", height_, true);
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

Variant TSurfaceWidget::DoGetProperty(const std::string& name) {
  if (name == "surface") return Variant(Ref<IInterface>(surface_.get()));
  if (name == "fillcolor") return Variant(int32_t(fillColor_));
  if (name == "drawmode") return Variant(int32_t(drawMode_));
  if (name == "shifttop") return Variant(shiftTop_);
  if (name == "shiftleft") return Variant(shiftLeft_);
  return TVisualWidget::DoGetProperty(name);
}

void TSurfaceWidget::SetProperty(const std::string& name, const Variant& value) {
  auto setInt = [&](int32_t& field) {
    auto v = value.TryInt();
    if (!v || SaturateInt32(*v) == field) return;
    field = SaturateInt32(*v);
    changed_ = true;
  };
  if (name == "surface") {
    SetSurface(value);
  } else if (name == "width") {
    setInt(width_);
  } else if (name == "height") {
    setInt(height_);
  } else if (name == "shifttop") {
    setInt(shiftTop_);
  } else if (name == "shiftleft") {
    setInt(shiftLeft_);
  } else if (name == "fillcolor") {
    int32_t color = 0;
    if (value.IsString()) {
      if (!TryTextToInt(value.RawText(), color)) color = 0;
    } else {
      color = SaturateInt32(value.TryInt().value_or(0));
    }
    if (uint32_t(color) != fillColor_) {
      fillColor_ = uint32_t(color);
      SetNeedsRedraw(true);
    }
  } else if (name == "drawmode") {
    auto v = value.TryInt();
    if (v && uint8_t(*v) != drawMode_) {
      drawMode_ = uint8_t(*v);
      SetNeedsRedraw(true);
    }
  } else {
    TVisualWidget::SetProperty(name, value);
  }
}

void TSurfaceWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualWidget::LoadFromXml(node);
  drawMode_ = uint8_t(ReadXmlEnum(node, "drawmode", "copyrect/fillcolor", dmCopyRect));
  fillColor_ = ReadXmlHex(node, "fillcolor", 0);
}

void TSurfaceWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TVisualWidget::SaveToXml(node);
  if (drawMode_ == dmFillColor) WriteXmlEnum(node, "drawmode", "copyrect/fillcolor", true, dmFillColor);
  WriteXmlHex(node, "fillcolor", fillColor_, true);
}
