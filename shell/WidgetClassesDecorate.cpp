// Widgets that work on one other widget: decorating, behaviour, replicator and linked
// surface widgets.

#include "foundation/CheckedMath.h"
#include "shell/WidgetClasses.h"

// ---------------------------------------------------------------------------------------
// TDecorateWidget

TDecorateWidget::~TDecorateWidget() {
  // A child held elsewhere must not keep a link to this widget.
  if (child_) child_->ReleaseOwner();
}

void TDecorateWidget::SetOwner(IWidgetOwner* owner) {
  TOwnerWidget::SetOwner(owner);
  if (child_) child_->SetOwner(this);
}

void TDecorateWidget::ReleaseOwner() {
  if (child_) child_->ReleaseOwner();
  TOwnerWidget::ReleaseOwner();
}

void TDecorateWidget::Update(int32_t dt) {
  TOwnerWidget::Update(dt);
  if (Ref<IWidget> child = child_; child && !child->IsPaused()) child->Process(dt);
}

void TDecorateWidget::Invalidate() {
  if (child_) child_->Invalidate();
  TOwnerWidget::Invalidate();
}

void TDecorateWidget::Restart() {
  TOwnerWidget::Restart();
  if (Ref<IWidget> child = child_) child->Restart();
}

void TDecorateWidget::Resume() {
  TOwnerWidget::Resume();
  if (child_) child_->Resume();
}

void TDecorateWidget::Pause() {
  TOwnerWidget::Pause();
  if (child_) child_->Pause();
}

void TDecorateWidget::Reset() {
  SetChild(nullptr);
  TOwnerWidget::Reset();
}

void TDecorateWidget::SetChild(const Ref<IWidget>& child) {
  if (child_ == child) return;
  if (Ref<IWidget> old = child_) old->ReleaseOwner();
  child_ = child;
  if (child_) child_->SetOwner(this);
}

const TPropertyTable& TDecorateWidget::Properties() {
  using D = TDecorateWidget;
  static const TPropertyTable table(
      TOwnerWidget::Properties(),
      {
          Prop<D>(
              "widget", [](D& d) { return Variant(Ref<IInterface>(d.child_.get())); },
              &D::SetChildValue),
      });
  return table;
}

void TDecorateWidget::SetChildValue(const Variant& value) {
  if (value.IsClear()) return SetChild(nullptr);
  if (value.GetKind() != Variant::Kind::Interface) return;
  if (Ref<IWidget> widget = Supports<IWidget>(value.RawInterface()))
    SetChild(widget);
  else if (!value.RawInterface())
    SetChild(nullptr);
}

Ref<IWidget> TDecorateWidget::WidgetAtPos(const TPoint& point) {
  Ref<IWidget> self = TOwnerWidget::WidgetAtPos(point);
  if (!self || !child_ || !child_->IsMouseStop()) return self;
  TPoint p{SaturateInt32(int64_t(point.X) - RoundHalfEven(anchorLeft_)),
           SaturateInt32(int64_t(point.Y) - RoundHalfEven(anchorTop_))};
  if (Ref<IWidget> hit = child_->WidgetAtPos(p)) return hit;
  return self;
}

void TDecorateWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TOwnerWidget::LoadFromXml(node);
  SetChild(nullptr);
  if (!node || node->GetChildCount("widgets") == 0) return;
  Ref<IHierStorage> widgets = node->GetChild("widgets", 0);
  child_ = Supports<IWidget>(CreateObjectFromChild(widgets, "widget"));
}

void TDecorateWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TOwnerWidget::SaveToXml(node);
  if (!child_ || !node) return;
  if (Ref<IHierStorage> widgets = node->AddChild("widgets"))
    SaveObjectToChild(child_, widgets, "widget");
}

// ---------------------------------------------------------------------------------------
// TBehaviourWidget

double TBehaviourWidget::GetLeft() {
  return anchorLeft_ + (child_ ? child_->GetLeft() : 0);
}

double TBehaviourWidget::GetTop() {
  return anchorTop_ + (child_ ? child_->GetTop() : 0);
}

void TBehaviourWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (child_) DrawChildAt(child_.get(), surface, x, y);
}

void TBehaviourWidget::UpdateDirtyRects(bool forceOld, bool forceNew) {
  if (child_) {
    child_->UpdateDirtyRects(forceOld, forceNew);
    if (child_->IsInvalidated()) {
      SetNeedsRedraw(true);
      changed_ = true;
    }
  }
  TDecorateWidget::UpdateDirtyRects(forceOld, forceNew);
}

// ---------------------------------------------------------------------------------------
// TReplicatorWidget

int32_t TReplicatorWidget::GetWidth() {
  return child_ ? SaturateInt32(int64_t(child_->GetWidth()) * cols_) : 0;
}

int32_t TReplicatorWidget::GetHeight() {
  return child_ ? SaturateInt32(int64_t(child_->GetHeight()) * rows_) : 0;
}

namespace {

// The index of the first copy of Size pixels, laid from Origin on, that reaches past 0.
int64_t FirstShownCopy(int64_t origin, int64_t size) {
  return origin < 0 && size > 0 ? -origin / size : 0;
}

}  // namespace

void TReplicatorWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!child_) return;
  int64_t w = child_->GetWidth();
  int64_t h = child_->GetHeight();
  // Copies wholly before the target's near edge or past its far edge are not drawn, so a
  // huge grid from data, wherever it is placed, costs no more than one that fills the target.
  int64_t right = surface ? surface->GetWidth() : 0;
  int64_t bottom = surface ? surface->GetHeight() : 0;
  for (int64_t i = FirstShownCopy(x, w); i < cols_; ++i) {
    int64_t left = x + i * w;
    if (i > 0 && (w <= 0 || left >= right)) break;
    for (int64_t j = FirstShownCopy(y, h); j < rows_; ++j) {
      int64_t top = y + j * h;
      if (j > 0 && (h <= 0 || top >= bottom)) break;
      child_->Draw(surface, SaturateInt32(left), SaturateInt32(top));
    }
  }
}

const TPropertyTable& TReplicatorWidget::Properties() {
  using R = TReplicatorWidget;
  static const TPropertyTable table(TDecorateWidget::Properties(),
                                    {
                                        Prop("cols", &R::cols_).Int(1).Always(),
                                        Prop("rows", &R::rows_).Int(1).Always(),
                                    });
  return table;
}

// ---------------------------------------------------------------------------------------
// TLinkedSurfaceWidget

void TLinkedSurfaceWidget::Update(int32_t dt) {
  TSurfaceWidget::Update(dt);
  if (linkedPath_.empty()) return;
  if (Ref<IWidget> linked = FindWidget(linkedPath_))
    SetSurface(Variant(Ref<IInterface>(linked->GetImage().get())));
}

const TPropertyTable& TLinkedSurfaceWidget::Properties() {
  static const TPropertyTable table(
      TSurfaceWidget::Properties(),
      {
          Prop("linked_widget_name", &TLinkedSurfaceWidget::linkedPath_).Str(),
      });
  return table;
}
