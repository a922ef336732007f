#include "minigames/MiniGameTwainPick.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

bool HasValue(const Variant& v) { return !v.IsEmpty() && !v.IsNull(); }

struct TAnimationNames {
  const char* templateName;
  const char* valuePrefix;
  const char* alternative;
  const char* widgetPrefix;
};

constexpr TAnimationNames kAnimations[] = {
    {"pick_animation", "pickval", "altpick", "pick_"},
    {"unpick_animation", "unpickval", "altunpick", "unpick_"},
    {"remove_animation", "removeval", "altremove", "remove_"},
};

}  // namespace

const TPropertyTable& TTwainPickWidget::Properties() {
  using T = TTwainPickWidget;
  static const TPropertyTable table(TMiniGameWidget::Properties(), {
      Attr("shuffle", &T::shuffle_).Bool().NotSaved(),
      Prop<T>("list", [](T& t) { return t.GetListText(); }),
  });
  return table;
}

void TTwainPickWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  groups_.clear();
  picked_.clear();
  std::string list = ReadXmlStr(node, "list");
  if (!list.empty())
    for (const std::string& entry : Split(list, ';')) groups_.push_back(Split(entry, '-'));
  if (shuffle_) Shuffle();
  CheckWin();
  introMade_ = false;
  started_ = false;
  // A list without a pair is won at once and stays so.
  playing_ = !won_;
}

void TTwainPickWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::SaveToXml(node);
  WriteXmlStr(node, "list", GetListText(), true);
}

std::string TTwainPickWidget::GetListText() const {
  std::string text;
  for (size_t g = 0; g < groups_.size(); ++g) {
    if (g) text += ';';
    for (size_t i = 0; i < groups_[g].size(); ++i) {
      if (i) text += '-';
      text += groups_[g][i];
    }
  }
  return text;
}

void TTwainPickWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (HasChild("begin_game")) return;
  // Input opens once the intro has gone.
  if (introMade_) {
    started_ = true;
  } else {
    introMade_ = true;
    MakeChild("begin_game", NewParams());
  }
}

bool TTwainPickWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (started_ && playing_ && message == input::kLeftButtonDown && hovered_)
    ClickElement(GetHoveredWidgetName());
  return result;
}

bool TTwainPickWidget::IsListed(const std::string& name) const {
  for (const TTwain& group : groups_)
    if (std::find(group.begin(), group.end(), name) != group.end()) return true;
  return false;
}

bool TTwainPickWidget::SameGroup(const std::string& a, const std::string& b) const {
  for (const TTwain& group : groups_)
    if (std::find(group.begin(), group.end(), a) != group.end() &&
        std::find(group.begin(), group.end(), b) != group.end())
      return true;
  return false;
}

void TTwainPickWidget::AppendToNext(IWidget* widget, const std::string& names) {
  Variant next = widget->GetProperty("next");
  widget->SetProperty("next", Variant((HasValue(next) ? next.ToString() : std::string()) + names));
}

Ref<IWidget> TTwainPickWidget::ElementAnimation(const std::string& element,
                                                const std::string& animation) {
  const TAnimationNames* names = &kAnimations[0];
  for (const TAnimationNames& a : kAnimations)
    if (animation == a.templateName) names = &a;
  KillChild(names->widgetPrefix + element);
  Ref<IWidget> widget = FindWidget(element);
  Ref<IParamCollection> params = NewParams();
  params->SetValue("name", Variant(element));
  if (widget) {
    params->SetValue("x", Variant(widget->GetAnchorLeft()));
    params->SetValue("y", Variant(widget->GetAnchorTop()));
  }
  CopyNumbered(params, widget.get(), names->valuePrefix);
  std::string factory = names->templateName;
  if (widget) {
    Variant alternative = widget->GetProperty(names->alternative);
    if (HasValue(alternative)) factory = alternative.ToString();
  }
  return MakeChild(factory, params);
}

static void Start(const Ref<IWidget>& widget) {
  if (widget) widget->SetPaused(false);
}

void TTwainPickWidget::ClickElement(const std::string& name) {
  if (!IsListed(name)) return;
  if (name != picked_ && !HasChild("pick_" + name)) {
    KillChild("unpick_" + name);
    Start(ElementAnimation(name, "pick_animation"));
  }
  if (picked_.empty()) {
    picked_ = name;
    return;
  }
  if (name == picked_) {
    if (!HasChild("unpick_" + name)) {
      Ref<IWidget> unpick = ElementAnimation(name, "unpick_animation");
      if (Ref<IWidget> pick = children_->GetByName("pick_" + name))
        pick->SetProperty("next", Variant("unpick_" + name));
      else
        Start(unpick);
    }
    picked_.clear();
    return;
  }
  if (SameGroup(name, picked_)) {
    RemoveGroup(name);
    picked_.clear();
    return;
  }
  // A wrong pair: both go back, then "wrong".
  Ref<IWidget> pick = children_->GetByName("pick_" + name);
  Ref<IWidget> first = ElementAnimation(name, "unpick_animation");
  if (!pick) Start(first);
  Ref<IWidget> second = ElementAnimation(picked_, "unpick_animation");
  if (pick)
    AppendToNext(pick.get(), ";unpick_" + picked_ + ";unpick_" + name);
  else
    Start(second);
  MakeFeedback("wrong");
  picked_.clear();
}

void TTwainPickWidget::RemoveGroup(const std::string& name) {
  std::string picked = picked_;
  for (TTwain& group : groups_)
    std::erase_if(group, [&](const std::string& n) { return n == name || n == picked; });
  Ref<IWidget> pick = children_->GetByName("pick_" + name);
  Ref<IWidget> first = ElementAnimation(picked, "remove_animation");
  if (!pick) Start(first);
  Ref<IWidget> second = ElementAnimation(name, "remove_animation");
  if (pick)
    AppendToNext(pick.get(), ";remove_" + picked + ";remove_" + name);
  else
    Start(second);
  CheckWin();
}

void TTwainPickWidget::CheckWin() {
  std::erase_if(groups_, [](const TTwain& g) { return g.empty(); });
  for (const TTwain& group : groups_)
    if (group.size() > 1) return;
  // Ends as Win does, but its "win" widget bypasses the feedback queue.
  EndGame();
  if (!HasChild("win")) MakeChild("win", NewParams());
}

void TTwainPickWidget::Shuffle() {
  struct TPlace {
    Ref<IWidget> widget;
    int32_t x, y, z;
  };
  std::vector<TPlace> places;
  for (const TTwain& group : groups_)
    for (const std::string& name : group)
      if (Ref<IWidget> w = FindWidget(name))
        places.push_back(
            {w, RoundHalfEven(w->GetAnchorLeft()), RoundHalfEven(w->GetAnchorTop()), w->GetZ()});
  int32_t n = int32_t(places.size());
  std::vector<TPlace> spots = places;
  for (int32_t c = 0; c < n; ++c) std::swap(spots[size_t(c)], spots[size_t(Random(n))]);
  for (int32_t i = 0; i < n; ++i) {
    places[size_t(i)].widget->SetAnchorLeft(spots[size_t(i)].x);
    places[size_t(i)].widget->SetAnchorTop(spots[size_t(i)].y);
    places[size_t(i)].widget->SetZ(spots[size_t(i)].z);
  }
}
