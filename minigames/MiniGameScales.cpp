#include "minigames/MiniGameScales.h"

#include <cstdlib>

#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// The children of the first Section element, by name.
template <class F>
void ForEachChild(const Ref<IHierStorage>& node, const char* section, const char* item, F f) {
  Ref<IHierStorage> list = node->GetChild(section, 0);
  if (!list) return;
  int32_t count = list->GetChildCount(item);
  for (int32_t i = 0; i < count; ++i)
    if (Ref<IHierStorage> child = list->GetChild(item, i)) f(child, i);
}

std::string Text(int64_t value) {
  return std::to_string(value);
}

}  // namespace

void TScalesWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  cargos_.clear();
  plummets_.clear();
  patterns_.clear();
  bowls_[0] = TBowl{};
  bowls_[1] = TBowl{};
  bowls_[1].id = 1;
  balances_ = 0;
  ForEachChild(node, "cargos", "cargo", [&](const Ref<IHierStorage>& c, int32_t i) {
    cargos_.push_back({ReadXmlInt(c, "id", i), ReadXmlInt(c, "weight"), ReadXmlInt(c, "amount"),
                       ReadXmlStr(c, "name"), nullptr});
  });
  ForEachChild(node, "plummets", "plummet", [&](const Ref<IHierStorage>& p, int32_t i) {
    plummets_.push_back({ReadXmlInt(p, "id", i), ReadXmlInt(p, "weight"), ReadXmlStr(p, "name")});
  });
  // A bowl the data leaves out is an empty one without a widget.
  ForEachChild(node, "bowls", "bowl", [&](const Ref<IHierStorage>& b, int32_t i) {
    if (i > 1) return;
    TBowl& bowl = bowls_[ReadXmlBool(b, "is_for_plummets") ? 0 : 1];
    bowl.id = ReadXmlInt(b, "id", i);
    bowl.widget = ReadXmlStr(b, "name");
  });
  ForEachChild(node, "patterns", "pattern", [&](const Ref<IHierStorage>& p, int32_t i) {
    TPattern pattern;
    pattern.id = ReadXmlInt(p, "id", i);
    std::vector<std::string> parts = Split(ReadXmlStr(p, "weight"), ':');
    int32_t value = 0;
    if (TryTextToInt(parts[0], value)) pattern.weight = value;
    if (parts.size() > 1 && TryTextToInt(parts[1], value)) pattern.tolerance = value;
    patterns_.push_back(pattern);
  });
  playing_ = true;
}

bool TScalesWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message == input::kLeftButtonDown && playing_ && hovered_) ClickName(hovered_->GetName());
  return result;
}

void TScalesWidget::ClickName(const std::string& name) {
  if (!playing_ || name.empty()) return;
  auto lastMatch = [&](const auto& list) {
    for (size_t i = list.size(); i-- > 0;)
      if (list[i].widget == name) return int64_t(i);
    return int64_t(-1);
  };
  if (int64_t cargo = lastMatch(cargos_); cargo >= 0) {
    ClickCargo(size_t(cargo));
  } else if (int64_t plummet = lastMatch(plummets_); plummet >= 0) {
    TogglePlummet(plummets_[size_t(plummet)]);
  } else if (name == bowls_[0].widget) {
    EmptyPlummetBowl();
  } else if (name == bowls_[1].widget) {
    EmptyCargoBowl();
  } else {
    return;
  }
  MakeUpdate();
  TestBalance();
}

Ref<IParamCollection> TScalesWidget::IdParams() {
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant(Text(NextId())));
  return params;
}

Ref<IParamCollection> TScalesWidget::CargoParams(const TCargo& cargo) {
  Ref<IParamCollection> params = IdParams();
  params->SetValue("cargo_id", Variant(Text(cargo.id)));
  params->SetValue("amount", Variant(Text(bowls_[1].count)));
  params->SetValue("weight", Variant(Text(bowls_[1].weight)));
  params->SetValue("name", Variant(cargo.widget));
  return params;
}

void TScalesWidget::StartNow(const std::string& factory, const Ref<IParamCollection>& params) {
  if (Ref<IWidget> widget = MakeChild(factory, params)) widget->SetPaused(false);
}

void TScalesWidget::MakeUpdate() {
  Ref<IParamCollection> params = IdParams();
  params->SetValue("overweight", Variant(Text(bowls_[0].weight - bowls_[1].weight)));
  EnqueueWidget(MakeChild("update_animation", params));
}

void TScalesWidget::ClickCargo(size_t index) {
  TCargo& cargo = cargos_[index];
  TBowl& bowl = bowls_[1];
  if ((bowl.cargo >= 0 && size_t(bowl.cargo) != index) || cargo.amount <= 0) {
    Ref<IParamCollection> params = IdParams();
    params->SetValue("cargo_id", Variant(Text(cargo.id)));
    params->SetValue("name", Variant(cargo.widget));
    // Plays after the cargo's last widget without taking its place.
    Ref<IWidget> tail = cargo.chain;
    AppendNext(MakeChild("wrong_animation", params), tail);
    return;
  }
  bowl.cargo = int32_t(index);
  bowl.weight += cargo.weight;
  bowl.count += 1;
  cargo.amount -= 1;
  AppendNext(MakeChild("move_cargo_animation", CargoParams(cargo)), cargo.chain);
}

void TScalesWidget::TogglePlummet(TPlummet& plummet) {
  TBowl& bowl = bowls_[0];
  plummet.onBowl = !plummet.onBowl;
  bowl.weight += plummet.onBowl ? plummet.weight : -int64_t(plummet.weight);
  bowl.count += plummet.onBowl ? 1 : -1;
  Ref<IParamCollection> params = IdParams();
  params->SetValue("plummet_id", Variant(Text(plummet.id)));
  params->SetValue("name", Variant(plummet.widget));
  StartNow(plummet.onBowl ? "move_plummet_animation" : "remove_plummet_animation", params);
}

void TScalesWidget::EmptyCargoBowl() {
  TBowl& bowl = bowls_[1];
  if (bowl.cargo < 0) return;
  TCargo& cargo = cargos_[size_t(bowl.cargo)];
  // Counted by units, not by weight: units weighing nothing or less come off too.
  while (bowl.count > 0) {
    bowl.weight -= cargo.weight;
    bowl.count -= 1;
    cargo.amount += 1;
    AppendNext(MakeChild("remove_cargo_animation", CargoParams(cargo)), cargo.chain);
  }
  bowl.weight = 0;
  bowl.cargo = -1;
}

void TScalesWidget::EmptyPlummetBowl() {
  for (TPlummet& plummet : plummets_)
    if (plummet.onBowl) TogglePlummet(plummet);
  bowls_[0].weight = 0;
  bowls_[0].count = 0;
}

void TScalesWidget::TestBalance() {
  const TBowl& cargoBowl = bowls_[1];
  if (cargoBowl.cargo < 0) return;
  const TCargo& cargo = cargos_[size_t(cargoBowl.cargo)];
  TPattern* pattern = nullptr;
  // A pattern balanced once is done: the same cargo balanced again wins nothing more.
  for (TPattern& p : patterns_)
    if (p.id == cargo.id && !p.done) pattern = &p;
  if (!pattern) return;
  int64_t tolerance = pattern->tolerance;
  if (std::llabs(cargoBowl.weight - bowls_[0].weight) > tolerance ||
      std::llabs(pattern->weight - cargoBowl.weight) > tolerance)
    return;
  pattern->done = true;
  ++balances_;
  Ref<IParamCollection> params = IdParams();
  params->SetValue("cargo_id", Variant(Text(cargo.id)));
  params->SetValue("name", Variant(cargo.widget));
  params->SetValue("donecount", Variant::Integer(balances_));
  EnqueueWidget(MakeChild("done_animation", params));
  EmptyPlummetBowl();
  EmptyCargoBowl();
  MakeUpdate();
  if (size_t(balances_) == patterns_.size()) Win();
}
