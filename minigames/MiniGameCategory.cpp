#include "minigames/MiniGameCategory.h"

#include <algorithm>

#include "platform/InputConstants.h"

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

// The names between ";", without empty ones.
std::vector<std::string> Names(const std::string& text) {
  std::vector<std::string> names = TMiniGameWidget::Split(text, ';');
  std::erase(names, std::string());
  return names;
}

std::string OwnerName(IWidget* widget) {
  auto* owner = widget ? InterfaceCast<IWidget>(widget->GetOwner()) : nullptr;
  return owner ? owner->GetName() : std::string();
}

}  // namespace

const TPropertyTable& TMiniGameCategoryWidget::Properties() {
  using C = TMiniGameCategoryWidget;
  auto text = [](void (C::*set)(const std::string&)) {
    return [set](C& c, const Variant& v) { (c.*set)(v.ToString()); };
  };
  static const TPropertyTable table(
      TMiniGameWidget::Properties(),
      {
          Attr("diary_widget", &C::diaryWidget_).Str("../."),
          Attr("lock_widgets", &C::lockWidgets_).Str(),
          Prop<C>("control_categories", nullptr, text(&C::SetControlCategories)).WriteOnly(),
          Prop<C>("test_categories", nullptr, text(&C::AddCandidate)).WriteOnly(),
          Prop<C>("start_play", nullptr, [](C& c, const Variant&) { c.StartPlay(); }).WriteOnly(),
          Prop<C>("match_client", nullptr, text(&C::SetMatchClient)).WriteOnly(),
          Prop<C>("clear", nullptr, [](C& c, const Variant&) { c.Clear(); }).WriteOnly(),
      });
  return table;
}

void TMiniGameCategoryWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  // Play starts when the page says "start_play".
}

void TMiniGameCategoryWidget::SetControlCategories(const std::string& text) {
  candidates_.clear();
  control_ = Names(text);
}

void TMiniGameCategoryWidget::AddCandidate(const std::string& text) {
  size_t colon = text.find(':');
  TCategoryList candidate;
  candidate.name = text.substr(0, colon);
  if (colon != std::string::npos) candidate.categories = Names(text.substr(colon + 1));
  candidates_.push_back(std::move(candidate));
}

void TMiniGameCategoryWidget::StartPlay() {
  playing_ = true;
  Ref<IParamCollection> params = NewParams();
  params->SetValue("control_category", Variant(client_));
  for (size_t i = 0; i < candidates_.size(); ++i)
    params->SetValue("test_category_" + std::to_string(i + 1), Variant(candidates_[i].name));
  MakeFeedback("start_play", params);
}

void TMiniGameCategoryWidget::SetMatchClient(const std::string& name) {
  client_ = name;
  if (Ref<IWidget> hint = FindWidget("../show_minigame_hint_" + name)) hint->SetPaused(false);
}

void TMiniGameCategoryWidget::Clear() {
  // Kept as the data expects: a child stays when its name occurs anywhere within the
  // lock text, so a lock entry "card_10" also keeps "card_1".
  for (IWidget* child : children_->Widgets())
    if (lockWidgets_.find(child->GetName()) == std::string::npos) child->SetDead(true);
}

void TMiniGameCategoryWidget::RestartChild(IWidget* widget, const char* name) {
  if (Ref<IWidget> child = widget->GetChildren() ? widget->GetChildren()->GetByName(name) : nullptr)
    child->Restart();
}

bool TMiniGameCategoryWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message != input::kLeftButtonDown || !playing_ || !hovered_) return result;
  auto* cardOwner = InterfaceCast<IWidget>(hovered_->GetOwner());
  std::string card = OwnerName(cardOwner);
  if (card.empty()) return result;
  Ref<IWidget> category = hovered_;
  if (Contains(control_, category->GetName())) {
    MarkCategory(card, category.get());
  } else {
    RestartChild(category.get(), "wrong_click");
  }
  return result;
}

void TMiniGameCategoryWidget::MarkCategory(const std::string& card, IWidget* category) {
  auto candidate = std::find_if(candidates_.begin(), candidates_.end(),
                                [&](const TCategoryList& c) { return c.name == card; });
  if (candidate == candidates_.end()) {
    candidates_.push_back({{}, card});
    candidate = candidates_.end() - 1;
  }
  if (!Contains(candidate->categories, category->GetName()))
    candidate->categories.push_back(category->GetName());
  RestartChild(category, "succsess_click");
  TestMatch();
}

void TMiniGameCategoryWidget::TestMatch() {
  if (control_.empty()) return;
  for (const TCategoryList& candidate : candidates_) {
    if (candidate.categories.size() != control_.size()) continue;
    if (!std::all_of(candidate.categories.begin(), candidate.categories.end(),
                     [&](const std::string& c) { return Contains(control_, c); }))
      continue;
    // One ideal match: the first candidate that fits.
    idealMatch_ = candidate.name;
    Win();
    return;
  }
}

void TMiniGameCategoryWidget::Win(const Ref<IParamCollection>& params) {
  Ref<IParamCollection> p = params ? params : NewParams();
  p->SetValue("client_name", Variant(client_));
  p->SetValue("ideal_match_name", Variant(idealMatch_));
  // After a skip no candidate is the ideal match: -1.
  int32_t slot = -1;
  for (size_t i = 0; i < candidates_.size(); ++i)
    if (!idealMatch_.empty() && candidates_[i].name == idealMatch_) slot = int32_t(i);
  p->SetValue("split_slot", Variant::Integer(slot));
  int32_t n = 0;
  for (const TCategoryList& candidate : candidates_)
    if (candidate.name != idealMatch_)
      p->SetValue("candidate_" + std::to_string(++n), Variant(candidate.name));
  TMiniGameWidget::Win(p);
}

void TMiniGameCategoryWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (!won_ || HasChild("win")) return;
  if (Ref<IWidget> diary = FindWidget(diaryWidget_))
    diary->SetProperty("match_client", Variant(client_));
  won_ = false;
}
