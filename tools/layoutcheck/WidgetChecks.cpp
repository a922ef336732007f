#include "tools/layoutcheck/WidgetChecks.h"

#include <algorithm>
#include <vector>

#include "foundation/EngineInterfaces.h"
#include "tools/layoutcheck/ImageChecks.h"
#include "tools/layoutcheck/TextChecks.h"
#include "widgets/CurveWidgets.h"
#include "widgets/MoveWidgets.h"
#include "widgets/TextWidget.h"
#include "widgets/TransformWidgets.h"

namespace {

struct Walk {
  const CheckContext& context;
  std::set<std::string> linked;  // widgets a scenario moves: meant to come in from outside
};

std::vector<Ref<IWidget>> ChildrenOf(IWidget& widget) {
  std::vector<Ref<IWidget>> children;
  if (auto* decorate = dynamic_cast<TDecorateWidget*>(&widget)) {
    if (decorate->GetChild()) children.push_back(decorate->GetChild());
    return children;
  }
  Ref<IWidgetCollection> items = widget.GetChildren();
  if (!items) return children;
  for (int i = 0; i < items->Count(); ++i)
    if (IWidget* child = items->ItemAt(i)) children.emplace_back(child);
  return children;
}

void CollectLinked(IWidget& widget, std::set<std::string>& linked) {
  std::string name = widget.GetPropertyDef("linked_widget_name", Variant("")).ToString();
  if (!name.empty()) linked.insert(name);
  for (const Ref<IWidget>& child : ChildrenOf(widget)) CollectLinked(*child, linked);
}

// Moved by its own clock: a function bound to it, a move or curve widget.
bool MovesByItself(IWidget& widget) {
  auto* base = dynamic_cast<TAbstractWidget*>(&widget);
  if (base && base->GetFunctionWidget()) return true;
  return dynamic_cast<TMoveWidget*>(&widget) || dynamic_cast<TCurveWidget*>(&widget);
}

// The widget's rectangle on the screen: its owners' offsets added.
TRect OnScreen(IWidget& widget, const TRect& local) {
  TPoint origin = widget.ScreenToLocalPoint(TPoint{});
  return platform::OffsetRect(local, -int64_t(origin.X), -int64_t(origin.Y));
}

// Where a transformed widget's pixels land at its angle and zoom of now: the box of what
// it draws, which at rest is far smaller than the square that holds every angle.
TRect DrawnRect(IWidget& widget) {
  Ref<ISurface> image = widget.GetImage();
  TRect box{};
  bool any = false;
  if (image)
    for (int32_t y = 0; y < image->GetHeight(); ++y) {
      const uint32_t* row = image->GetScanLine(y);
      for (int32_t x = 0; row && x < image->GetWidth(); ++x) {
        if ((row[x] >> 24) == 0) continue;
        if (!any) box = TRect{x, y, x + 1, y + 1};
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
        any = true;
      }
    }
  if (!any) return TRect{};
  TRect rect = widget.GetRect();
  return OnScreen(widget, platform::OffsetRect(box, rect.Left, rect.Top));
}

bool Inside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

bool Overlaps(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

std::string Describe(const TRect& r) {
  return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + " " +
         std::to_string(r.Width()) + "x" + std::to_string(r.Height()) + ")";
}

void CheckFrame(IWidget& widget, const TRect& rect, const CheckContext& context) {
  if (rect.Width() <= 0 || rect.Height() <= 0 || Inside(rect, context.frame)) return;
  const char* how = Overlaps(rect, context.frame) ? "partly" : "wholly";
  context.reports->Add(context.file, widget.GetPath(),
                       std::string("shown ") + how + " outside the frame at " + Describe(rect));
}

bool IsLinked(IWidget& widget, const std::set<std::string>& linked) {
  const std::string path = widget.GetPath();
  for (const std::string& name : linked) {
    if (name == widget.GetName()) return true;
    if (path.size() > name.size() &&
        path.compare(path.size() - name.size(), name.size(), name) == 0)
      return true;
  }
  return false;
}

void Visit(Walk& walk, IWidget& widget, bool shown, bool judgeFrame) {
  shown = shown && widget.IsVisible();
  const CheckContext& context = walk.context;
  if (auto* text = dynamic_cast<TTextWidget*>(&widget)) {
    CheckTextFits(*text, context);
    if (shown) CheckInternalName(*text, context);
  } else if (auto* image = dynamic_cast<TImageWidget*>(&widget)) {
    CheckImageSource(*image, context);
  }

  if (judgeFrame && (MovesByItself(widget) || IsLinked(widget, walk.linked))) judgeFrame = false;
  std::vector<Ref<IWidget>> children = ChildrenOf(widget);
  if (shown && judgeFrame && dynamic_cast<TTransformWidget*>(&widget)) {
    CheckFrame(widget, DrawnRect(widget), context);
    judgeFrame = false;
  } else if (shown && judgeFrame && children.empty()) {
    CheckFrame(widget, OnScreen(widget, widget.GetRect()), context);
  }
  for (const Ref<IWidget>& child : children) Visit(walk, *child, shown, judgeFrame);
}

}  // namespace

void CheckWidgetTree(const Ref<IWidget>& root, const CheckContext& context) {
  if (!root) return;
  Walk walk{context, {}};
  CollectLinked(*root, walk.linked);
  for (const Ref<IWidget>& child : ChildrenOf(*root)) Visit(walk, *child, true, true);
}
