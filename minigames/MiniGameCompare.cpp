#include "minigames/MiniGameCompare.h"

#include <algorithm>

#include "foundation/Random.h"
#include "platform/InputConstants.h"

const TPropertyTable& TCompareWidget::Properties() {
  static const TPropertyTable table(TMiniGameWidget::Properties(), {
      Attr("elements", &TCompareWidget::elements_).Str(),
      Prop("hint_target", &TCompareWidget::HintTarget),
  });
  return table;
}

void TCompareWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  groups_.clear();
  for (const std::string& entry : Split(elements_, ';')) {
    // An empty group (a trailing ";") could never be resolved.
    if (entry.empty()) continue;
    groups_.push_back(Split(entry, ','));
  }
  playing_ = true;
}

bool TCompareWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (playing_ && message == input::kLeftButtonDown && hovered_) {
    PickElement(GetHoveredWidgetName());
    if (groups_.empty()) Win();
  }
  return result;
}

void TCompareWidget::PickElement(const std::string& name) {
  auto holds = [&](const std::vector<std::string>& g) {
    return std::find(g.begin(), g.end(), name) != g.end();
  };
  int32_t left = int32_t(groups_.size() - size_t(std::count_if(groups_.begin(), groups_.end(), holds)));
  if (left == int32_t(groups_.size())) return;
  // The resolved groups leave first, so a pick made during the loop sees the count after
  // the click.
  std::vector<std::vector<std::string>> resolved;
  for (auto it = groups_.begin(); it != groups_.end();) {
    if (holds(*it)) {
      resolved.push_back(std::move(*it));
      it = groups_.erase(it);
    } else {
      ++it;
    }
  }
  for (const std::vector<std::string>& group : resolved)
    for (const std::string& element : group) {
      if (!FindWidget(element)) continue;
      Ref<IParamCollection> params = NewParams();
      params->SetValue("id", Variant::Integer(NextId()));
      params->SetValue("elem", Variant(element));
      params->SetValue("counter", Variant::Integer(left));
      if (Ref<IWidget> pick = MakeChild("pick", params)) pick->SetPaused(false);
    }
}

std::string TCompareWidget::HintTarget() {
  if (groups_.empty()) return {};
  const std::vector<std::string>& group = groups_[size_t(Random(int32_t(groups_.size())))];
  return group[size_t(Random(int32_t(group.size())))];
}
