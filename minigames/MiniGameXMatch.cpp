#include "minigames/MiniGameXMatch.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// More cells than a 64 x 64 board holds are refused.
constexpr size_t kMaxCells = 64 * 64;
// Fills tried in one frame before the board waits for the next.
constexpr int kFillsPerFrame = 4;

}  // namespace

// ---------------------------------------------------------------------------------------
// Loading

void TXMatchWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  selected_ = second_ = -1;
  unsettled_ = false;
  ReadCells(node);
  ReadKinds(node);
  stamps_.assign(cells_.size(), 0);
  stamp_ = 0;
  lineStack_.clear();
  lineStack_.reserve(cells_.size());
  boardReady_ = !cells_.empty() && !kinds_.empty();
  state_ = kFillBoard;
  if (boardReady_) SetState(kFillBoard);
}

void TXMatchWidget::ReadCells(const Ref<IHierStorage>& node) {
  cells_.clear();
  Ref<IHierStorage> cells = node->GetChildByName("cells");
  int count = cells ? cells->GetChildCount("cell") : 0;
  if (size_t(count) > kMaxCells) {
    WarnAboutGame(std::to_string(count) +
                  " cells are more than a 64 x 64 board; there is no board");
    return;
  }
  cells_.resize(size_t(count));
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> c = cells->GetChild("cell", i);
    TCell& cell = cells_[size_t(i)];
    cell.id = ReadXmlInt(c, "id");
    cell.left = ClampCoordinate(ReadXmlFloat(c, "anchor_left"));
    cell.top = ClampCoordinate(ReadXmlFloat(c, "anchor_top"));
    cell.respawn = ReadXmlBool(c, "respawn");
    Ref<IHierStorage> links = c->GetChildByName("links");
    int linkCount = links ? links->GetChildCount("link") : 0;
    for (int k = 0; k < linkCount; ++k) {
      Ref<IHierStorage> l = links->GetChild("link", k);
      TLink link{ReadXmlInt(l, "cell"), ReadXmlFloat(l, "weight"), ReadXmlInt(l, "direction")};
      if (link.cell < 0 || link.cell >= count) {
        WarnAboutGame("cell " + std::to_string(i) + " links to cell " + std::to_string(link.cell) +
                      ", which is not there; the link is left out");
        continue;
      }
      cell.links.push_back(link);
    }
  }
}

void TXMatchWidget::ReadKinds(const Ref<IHierStorage>& node) {
  kinds_.clear();
  minLength_ = 3;
  Ref<IHierStorage> elements = node->GetChildByName("elements");
  if (!elements) return;
  minLength_ = ReadXmlInt(elements, "min_length", 3);
  int count = elements->GetChildCount("element");
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> e = elements->GetChild("element", i);
    TKind kind;
    kind.group = ReadXmlInt(e, "group");
    kind.blipFactory = ReadXmlStr(e, "blip_factory", "blip_factory");
    kind.scoreAnimation = ReadXmlStr(e, "score_animation", "score_animation");
    kind.need = ReadXmlInt(e, "score");
    kinds_.push_back(std::move(kind));
  }
}

// The board is data the game does not change: written back as it was read.
void TXMatchWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::SaveToXml(node);
  for (const char* name : {"cells", "elements"})
    while (Ref<IHierStorage> old = node->GetChildByName(name)) node->RemoveChild(old);
  Ref<IHierStorage> cells = node->AddChild("cells");
  for (const TCell& cell : cells_) {
    Ref<IHierStorage> c = cells->AddChild("cell");
    // Defaults are left out.
    WriteXmlInt(c, "id", cell.id, cell.id != 0);
    WriteXmlFloat(c, "anchor_left", cell.left, cell.left != 0);
    WriteXmlFloat(c, "anchor_top", cell.top, cell.top != 0);
    WriteXmlBool(c, "respawn", cell.respawn, cell.respawn);
    if (cell.links.empty()) continue;
    Ref<IHierStorage> links = c->AddChild("links");
    for (const TLink& link : cell.links) {
      Ref<IHierStorage> l = links->AddChild("link");
      WriteXmlInt(l, "cell", link.cell, link.cell != 0);
      WriteXmlFloat(l, "weight", link.weight, link.weight != 0);
      WriteXmlInt(l, "direction", link.direction, link.direction != 0);
    }
  }
  Ref<IHierStorage> elements = node->AddChild("elements");
  WriteXmlInt(elements, "min_length", minLength_, minLength_ != 3);
  for (const TKind& kind : kinds_) {
    Ref<IHierStorage> e = elements->AddChild("element");
    WriteXmlInt(e, "group", kind.group, kind.group != 0);
    WriteXmlStr(e, "blip_factory", kind.blipFactory, kind.blipFactory != "blip_factory");
    WriteXmlStr(e, "score_animation", kind.scoreAnimation,
                kind.scoreAnimation != "score_animation");
    WriteXmlInt(e, "score", kind.need, kind.need != 0);
  }
}

// ---------------------------------------------------------------------------------------
// Elements and moves

void TXMatchWidget::KillElement(TCell& cell) {
  if (Ref<IWidget> widget = FindWidget(cell.element)) widget->SetDead(true);
  cell.element = "null_widget";
  cell.group = -1;
}

void TXMatchWidget::NewElement(TCell& cell) {
  if (cell.group >= 0) KillElement(cell);
  const TKind& kind = kinds_[size_t(Random(int32_t(kinds_.size())))];
  cell.group = kind.group;
  cell.mark = 0;
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant(std::to_string(NextId())));
  params->SetValue("anchor_left", Variant(cell.left));
  params->SetValue("anchor_top", Variant(cell.top));
  Ref<IWidget> widget = MakeChild(kind.blipFactory, params);
  cell.element = widget ? widget->GetName() : std::string("null_widget");
}

void TXMatchWidget::PlayMove(int32_t a, int32_t b) {
  auto move = [&](TCell& from, const TCell& to) {
    if (from.element == "null_widget") return;
    Ref<IParamCollection> params = NewParams();
    params->SetValue("id", Variant::Integer(NextId()));
    params->SetValue("name", Variant(from.element));
    params->SetValue("anchor_left", Variant(to.left));
    params->SetValue("anchor_top", Variant(to.top));
    if (Ref<IWidget> widget = MakeChild("move_animation", params)) AppendNext(widget, from.anim);
  };
  TCell& ca = cells_[size_t(a)];
  TCell& cb = cells_[size_t(b)];
  move(ca, cb);
  if (a != b) move(cb, ca);
  std::swap(ca.group, cb.group);
  std::swap(ca.element, cb.element);
  std::swap(ca.anim, cb.anim);
}

void TXMatchWidget::ShuffleCells() {
  int32_t n = int32_t(cells_.size());
  for (int32_t k = 0; k < n; ++k) {
    int32_t b = Random(n);
    int32_t a = Random(n);
    PlayMove(a, b);
  }
}

int32_t TXMatchWidget::ChooseSourceLink(int32_t index) {
  const TCell& cell = cells_[size_t(index)];
  double best = 0;
  int32_t candidates = 0;
  for (const TLink& link : cell.links) {
    const TCell& source = cells_[size_t(link.cell)];
    if (source.group < 0 || IsAnimating(source) || link.weight <= 0) continue;
    if (link.weight > best) {
      best = link.weight;
      candidates = 0;
    }
    if (link.weight == best) ++candidates;
  }
  if (candidates == 0) return -1;
  int32_t pick = Random(candidates);
  for (const TLink& link : cell.links) {
    const TCell& source = cells_[size_t(link.cell)];
    if (source.group < 0 || IsAnimating(source) || link.weight != best) continue;
    if (pick-- == 0) return link.cell;
  }
  return -1;
}

void TXMatchWidget::Refill(int32_t index) {
  TCell& cell = cells_[size_t(index)];
  if (cell.respawn) {
    NewElement(cell);
    return;
  }
  int32_t source = ChooseSourceLink(index);
  if (source < 0 || source == index) return;
  PlayMove(index, source);
  std::swap(cell.mark, cells_[size_t(source)].mark);
}

// ---------------------------------------------------------------------------------------
// Lines

int32_t TXMatchWidget::CountLine(int32_t start, int32_t direction, int32_t enough) {
  int32_t group = cells_[size_t(start)].group;
  int32_t count = 1;
  stamps_[size_t(start)] = stamp_;
  lineStack_.clear();
  lineStack_.push_back(start);
  while (!lineStack_.empty() && count < enough) {
    const TCell& cell = cells_[size_t(lineStack_.back())];
    lineStack_.pop_back();
    for (const TLink& link : cell.links) {
      if (link.direction != direction) continue;
      const TCell& next = cells_[size_t(link.cell)];
      uint32_t& seen = stamps_[size_t(link.cell)];
      if (seen == stamp_ || next.respawn || next.group != group) continue;
      seen = stamp_;
      ++count;
      lineStack_.push_back(link.cell);
    }
  }
  return count;
}

bool TXMatchWidget::StartsLine(int32_t index) {
  const TCell& cell = cells_[size_t(index)];
  if (cell.group < 0 || cell.respawn) return false;
  // Cells counted along one direction are not entered along the next.
  ++stamp_;
  for (const TLink& link : cell.links)
    if (CountLine(index, link.direction, minLength_) >= minLength_) return true;
  return false;
}

bool TXMatchWidget::FindRuns() {
  for (TCell& cell : cells_)
    if (cell.group >= 0) cell.mark = 0;
  bool any = false;
  for (size_t i = 0; i < cells_.size(); ++i)
    if (StartsLine(int32_t(i))) {
      cells_[i].mark = -1;
      any = true;
    }
  return any;
}

bool TXMatchWidget::AnyLineOfGroups(int32_t a, int32_t b, bool anyGroup) {
  for (size_t i = 0; i < cells_.size(); ++i) {
    int32_t group = cells_[i].group;
    if ((anyGroup || group == a || group == b) && StartsLine(int32_t(i))) return true;
  }
  return false;
}

// Only the groups of the two swapped cells change, so on a board without lines only a
// line of one of those groups can be new, and a swap within one group changes nothing.
// With a line standing already every trial swap shows it.
int32_t TXMatchWidget::FindPossibleMove() {
  bool standing = AnyLineOfGroups(-1, -1, true);
  int32_t found = -1;
  for (size_t i = 0; i < cells_.size(); ++i) {
    TCell& cell = cells_[i];
    if (cell.respawn) continue;
    bool recorded = false;
    for (const TLink& link : cell.links) {
      TCell& other = cells_[size_t(link.cell)];
      if (other.respawn) continue;
      bool line = standing;
      if (!line && other.group != cell.group) {
        std::swap(cell.group, other.group);
        line = AnyLineOfGroups(cell.group, other.group, false);
        std::swap(cell.group, other.group);
      }
      if (line) {
        found = int32_t(i);
        recorded = true;
      }
    }
    if (recorded && Random(2) > 0) break;
  }
  return found;
}

// ---------------------------------------------------------------------------------------
// States

bool TXMatchWidget::IsQueueBusy() {
  for (const TCell& cell : cells_)
    if (IsAnimating(cell)) return true;
  return false;
}

void TXMatchWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (!boardReady_) return;
  if (state_ == kRefill)
    for (size_t i = 0; i < cells_.size(); ++i)
      if (cells_[i].group < 0) Refill(int32_t(i));
  if (!IsQueueBusy()) NextState();
}

bool TXMatchWidget::SettleFill() {
  for (int tries = 0; tries < kFillsPerFrame; ++tries) {
    bool noMove = FindPossibleMove() < 0;
    bool line = FindRuns();
    if (!noMove && !line) return true;
    for (TCell& cell : cells_)
      if (cell.mark == -1 && cell.group >= 0) NewElement(cell);
    if (FindPossibleMove() < 0) {
      int32_t last = Random(int32_t(cells_.size()));
      for (int32_t i = 0; i <= last; ++i) NewElement(cells_[size_t(i)]);
    }
  }
  return false;
}

void TXMatchWidget::SetState(uint8_t state) {
  state_ = state;
  switch (state) {
    case kFillBoard:
      selected_ = -1;
      for (TCell& cell : cells_) NewElement(cell);
      unsettled_ = !SettleFill();
      if (!unsettled_) SetState(kReady);
      break;
    case kInput:
      // A game skipped while its board settled takes no input.
      playing_ = !won_;
      break;
    case kSwap:
      PlayMove(selected_, second_);
      break;
    case kSwapBack:
      PlayMove(selected_, second_);
      Deselect();
      break;
    case kExplode:
      Explode();
      break;
    case kSettle:
      if (FindPossibleMove() < 0 || FindRuns()) {
        ShuffleCells();
        PlaySound("no_turn");
      }
      break;
    case kWon:
      Win();
      break;
    default:
      break;
  }
}

void TXMatchWidget::NextState() {
  switch (state_) {
    case kFillBoard:
      // A game skipped before its board settled needs no board any more.
      if (won_) break;
      unsettled_ = !SettleFill();
      if (!unsettled_) SetState(kReady);
      break;
    case kReady:
      SetState(kInput);
      break;
    case kSwap:
      SetState(FindRuns() ? kExplode : kSwapBack);
      break;
    case kSwapBack:
      SetState(kInput);
      break;
    case kExplode:
      for (TCell& cell : cells_)
        if (cell.mark == -1 && cell.element != "null_widget") KillElement(cell);
      SetState(kRefill);
      break;
    case kRefill:
      SetState(FindRuns() ? kExplode : kSettle);
      break;
    case kSettle: {
      bool won = true;
      for (size_t k = 0; k < kinds_.size(); ++k) {
        TKind& kind = kinds_[k];
        if (kind.changed) {
          Ref<IParamCollection> params = NewParams();
          params->SetValue("id", Variant::Integer(NextId()));
          params->SetValue("group", Variant::Integer(int32_t(k) + 1));
          params->SetValue("score", Variant::Integer(kind.score));
          params->SetValue("score_delta", Variant::Integer(kind.delta));
          params->SetValue(
              "score_reverce",
              Variant::Integer(std::max(SaturateInt32(int64_t(kind.need) - kind.score), 0)));
          if (Ref<IWidget> widget = MakeChild(kind.scoreAnimation, params))
            widget->SetPaused(false);
          kind.changed = false;
          kind.delta = 0;
        }
        won = won && kind.score >= kind.need;
      }
      if (won) {
        SetState(kWon);
      } else if (won_) {
        break;  // skipped: no board to make playable
      } else if (FindPossibleMove() < 0 || FindRuns()) {
        // Not playable yet: shuffle again once the shuffle shown has played.
        ShuffleCells();
        PlaySound("no_turn");
      } else {
        SetState(kInput);
      }
      break;
    }
    default:
      break;
  }
}

void TXMatchWidget::Explode() {
  for (TCell& cell : cells_) {
    if (cell.mark != -1 || cell.element == "null_widget") continue;
    Ref<IParamCollection> params = NewParams();
    params->SetValue("id", Variant::Integer(NextId()));
    params->SetValue("name", Variant(cell.element));
    Ref<IWidget> boom = MakeChild("boom_animation", params);
    int32_t g = cell.group;
    if (g >= 0 && size_t(g) < kinds_.size()) {
      TKind& kind = kinds_[size_t(g)];
      kind.score = SaturateInt32(int64_t(kind.score) + 1);
      kind.delta = SaturateInt32(int64_t(kind.delta) + 1);
      kind.changed = true;
    }
    // The boom takes the element widget away; without one the game kills it when the
    // explosion has played.
    if (!boom) continue;
    boom->SetPaused(false);
    cell.anim = boom;
    cell.element = "null_widget";
    cell.group = -1;
  }
  PlaySound("boom");
  selected_ = -1;
}

// ---------------------------------------------------------------------------------------
// The player

bool TXMatchWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message == input::kLeftButtonDown && hovered_ && state_ == kInput && playing_)
    ClickCell(hovered_->GetName());
  return result;
}

void TXMatchWidget::ClickCell(const std::string& elementName) {
  int32_t index = -1;
  for (size_t i = 0; i < cells_.size() && index < 0; ++i)
    if (cells_[i].element == elementName && elementName != "null_widget") index = int32_t(i);
  // Respawn cells take no part in swaps.
  if (index < 0 || cells_[size_t(index)].respawn) return;
  if (selected_ < 0) {
    Select(index);
    return;
  }
  const std::vector<TLink>& links = cells_[size_t(selected_)].links;
  bool linked =
      std::any_of(links.begin(), links.end(), [&](const TLink& l) { return l.cell == index; });
  if (linked && index != selected_) {
    second_ = index;
    SetState(kSwap);
  } else {
    Select(index);
  }
}

void TXMatchWidget::ElementAnimation(const char* factory, const TCell& cell) {
  Ref<IWidget> element = FindWidget(cell.element);
  if (!element) return;
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  params->SetValue("anchor_left", Variant(element->GetAnchorLeft()));
  params->SetValue("anchor_top", Variant(element->GetAnchorTop()));
  params->SetValue("name", Variant(cell.element));
  MakeChild(factory, params);
}

void TXMatchWidget::Select(int32_t index) {
  if (!FindWidget(cells_[size_t(index)].element)) return;
  selected_ = index;
  ElementAnimation("select_animation", cells_[size_t(index)]);
  PlaySound("select");
}

void TXMatchWidget::Deselect() {
  if (selected_ >= 0) ElementAnimation("deselect_animation", cells_[size_t(selected_)]);
  selected_ = -1;
  PlaySound("deselect");
}
