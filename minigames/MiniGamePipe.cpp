#include "minigames/MiniGamePipe.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// The skip hands the owner the loaded orientation of up to 45 elements.
constexpr const char* kSkipTurns =
    "0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;";

// More elements than a board of 64 x 64 holds are refused.
constexpr int32_t kMaxElements = 64 * 64;

std::vector<int32_t> Numbers(const std::string& text, char separator) {
  std::vector<int32_t> numbers;
  if (text.empty()) return numbers;
  for (const std::string& piece : TMiniGameWidget::Split(text, separator)) {
    int32_t value = 0;
    if (TryTextToInt(piece, value)) numbers.push_back(value);
  }
  return numbers;
}

}  // namespace

const TPropertyTable& TPipeWidget::Properties() {
  using P = TPipeWidget;
  static const TPropertyTable table(
      TMiniGameWidget::Properties(),
      {
          Attr("dest_pref", &P::destSuffix_).Str(),
          Attr("element", &P::elementCount_).Int(),
          Attr("shuffle", &P::shuffle_).Bool(),
          Prop<P>(
              "turns", [](P& p) { return p.TurnsText(); },
              [](P& p, const Variant& v) { p.ApplyTurns(v.ToString()); }),
          // Each read runs the win test.
          Prop<P>("win", [](P& p) { return p.CheckWin(); }),
      });
  return table;
}

void TPipeWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  elements_.clear();
  int32_t count = std::min(std::max(elementCount_, 0), node->GetChildCount("element"));
  if (count > kMaxElements) {
    WarnAboutNode(node, std::to_string(count) + " pipe elements are more than " +
                            std::to_string(kMaxElements) + "; the game has none");
    count = 0;
  }
  for (int32_t i = 0; i < count; ++i) {
    Ref<IHierStorage> e = node->GetChild("element", i);
    TElement element;
    element.index = i;
    element.widget = ReadXmlStr(e, "widget", "none");
    element.neighbours = Numbers(ReadXmlStr(e, "neibours"), ',');
    std::string links = ReadXmlStr(e, "links");
    if (!links.empty())
      for (const std::string& passage : Split(links, ';'))
        element.links.push_back(Numbers(passage, ','));
    element.type = ReadXmlStr(e, "type", "common");
    element.passFactory = ReadXmlStr(e, "passfactory", "pass");
    for (size_t p = 0; p < element.links.size(); ++p)
      element.passNames.push_back("pass_" + std::to_string(i) + "_" + std::to_string(p));
    elements_.push_back(std::move(element));
  }
  // Neighbours that are no element are open sides; sides the element lacks are dropped.
  for (TElement& element : elements_) {
    for (int32_t& n : element.neighbours)
      if (n < 0 || n >= count) n = -1;
    int32_t sides = int32_t(element.neighbours.size());
    for (std::vector<int32_t>& passage : element.links)
      std::erase_if(passage, [&](int32_t side) { return side < 0 || side >= sides; });
  }
  played_.assign(elements_.size(), {});
  passlessFactories_.clear();
  SetElementLayers();
  if (shuffle_)
    for (int32_t i = 0; i < count; ++i) TurnElement(i, Random(10), "shuffle");
}

void TPipeWidget::SetOwner(IWidgetOwner* owner) {
  // Another owner's chain may hold the pass factories the old one lacked.
  passlessFactories_.clear();
  TMiniGameWidget::SetOwner(owner);
}

void TPipeWidget::SetElementLayers() {
  for (const TElement& element : elements_) {
    Ref<IWidget> container = FindWidget(element.widget + destSuffix_);
    Ref<IWidgetCollection> children = container ? container->GetChildren() : nullptr;
    for (size_t i = 0; i < element.links.size(); ++i) {
      std::string mask(element.neighbours.size(), '0');
      for (int32_t side : element.links[i]) mask[size_t(side)] = '1';
      Ref<IParamCollection> params = NewParams();
      params->SetValue("layer", Variant::Integer(int32_t(i)));
      Ref<IWidget> layer = CreateWidgetFromFactory("element_" + mask, params);
      if (layer && children) children->Add(layer);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Turns

void TPipeWidget::TurnElement(int32_t index, int32_t k, const std::string& factory) {
  if (index < 0 || index >= int32_t(elements_.size())) return;
  TElement& element = elements_[size_t(index)];
  int32_t sides = int32_t(element.neighbours.size());
  // An element without sides has nothing to turn.
  if (sides == 0) return;
  if (k == 0) k = SaturateInt32(-int64_t(element.turns));
  // |k| steps of one side each are one shift of k modulo the sides.
  int32_t shift = int32_t(((int64_t(k) % sides) + sides) % sides);
  for (std::vector<int32_t>& passage : element.links)
    for (int32_t& side : passage) side = (side + shift) % sides;
  element.turns = SaturateInt32(int64_t(element.turns) + k);
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  params->SetValue("angle", Variant::Integer(SaturateInt32(int64_t(element.turns) * 90)));
  params->SetValue("elem", Variant(element.widget));
  if (Ref<IWidget> widget = MakeChild(factory, params)) widget->SetPaused(false);
}

std::string TPipeWidget::TurnsText() const {
  std::string text;
  for (const TElement& element : elements_) text += std::to_string(element.turns) + ";";
  return text;
}

void TPipeWidget::ApplyTurns(const std::string& text) {
  std::vector<std::string> entries = Split(text, ';');
  // Entries past the elements, and those that are no number, are passed over.
  for (size_t j = 0; j < entries.size() && j < elements_.size(); ++j) {
    int32_t k = 0;
    if (TryTextToInt(entries[j], k)) TurnElement(int32_t(j), k, "shuffle");
  }
  CheckWin();
}

bool TPipeWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if ((message != input::kLeftButtonDown && message != input::kRightButtonDown) || !hovered_)
    return result;
  std::string clicked = "desk/" + hovered_->GetName();
  for (const TElement& element : elements_)
    if (element.widget == clicked) {
      TurnElement(element.index, message == input::kLeftButtonDown ? 1 : -1, "turn");
      break;
    }
  return result;
}

// ---------------------------------------------------------------------------------------
// The flow

int32_t TPipeWidget::SideTowards(const TElement& element, const std::vector<int32_t>& passage,
                                 int32_t from) const {
  for (int32_t side : passage)
    if (element.neighbours[size_t(side)] == from) return side;
  return -1;
}

bool TPipeWidget::CheckWin() {
  int32_t in = -1, out = -1;
  for (const TElement& element : elements_) {
    if (element.type == "in") in = element.index;
    if (element.type == "out") out = element.index;
  }
  if (in < 0 || out < 0 || TraceFlow(in, out) < 0) return false;
  for (std::vector<bool>& passages : played_) passages.clear();
  PlayFlow(in, -1, HasChild("win") ? "win" : "");
  return true;
}

int32_t TPipeWidget::TraceFlow(int32_t in, int32_t) {
  for (TElement& element : elements_) element.visits = 0;
  int32_t found = -1;
  const TElement& start = elements_[size_t(in)];
  for (const std::vector<int32_t>& passage : start.links)
    for (int32_t side : passage) {
      int32_t neighbour = start.neighbours[size_t(side)];
      if (neighbour >= 0 && IsConnected(neighbour, in)) found = neighbour;
    }
  return found;
}

bool TPipeWidget::IsConnected(int32_t index, int32_t from) {
  TElement& element = elements_[size_t(index)];
  for (const std::vector<int32_t>& passage : element.links) {
    int32_t entry = SideTowards(element, passage, from);
    if (entry < 0) continue;
    if (element.type == "out") return true;
    // Each element is passed at most once per passage it has: a loop ends.
    if (++element.visits > int32_t(element.links.size())) continue;
    for (int32_t side : passage) {
      int32_t neighbour = element.neighbours[size_t(side)];
      if (side != entry && neighbour >= 0 && IsConnected(neighbour, index)) return true;
    }
  }
  return false;
}

void TPipeWidget::PlayFlow(int32_t index, int32_t from, const std::string& tail) {
  TElement& element = elements_[size_t(index)];
  std::vector<bool>& played = played_[size_t(index)];
  played.resize(element.links.size());
  for (size_t i = 0; i < element.links.size(); ++i) {
    const std::vector<int32_t>& passage = element.links[i];
    int32_t entry = SideTowards(element, passage, from);
    if (entry < 0 || played[i]) continue;
    played[i] = true;
    // The passage's sides, turned so that the one it is entered by comes first.
    size_t first = size_t(std::find(passage.begin(), passage.end(), entry) - passage.begin());
    size_t count = passage.size();
    std::string made;
    const std::string& name = HasChild(element.passNames[i])
                                  ? element.passNames[i]
                                  : MakePass(element, i, first, tail, made);
    for (size_t s = 1; s < count; ++s) {
      int32_t neighbour = element.neighbours[size_t(passage[(first + s) % count])];
      if (neighbour >= 0) PlayFlow(neighbour, index, name);
    }
  }
}

const std::string& TPipeWidget::MakePass(const TElement& element, size_t i, size_t first,
                                         const std::string& tail, std::string& made) {
  if (std::ranges::find(passlessFactories_, element.passFactory) != passlessFactories_.end())
    return element.passNames[i];
  const std::vector<int32_t>& passage = element.links[i];
  std::string passcode;
  for (size_t s = 0; s < passage.size(); ++s) {
    if (s) passcode += '_';
    passcode += std::to_string(passage[(first + s) % passage.size()]);
  }
  if (!passParams_) passParams_ = NewParams();
  passParams_->SetValue("id", Variant::Integer(element.index));
  passParams_->SetValue("elem", Variant(element.widget));
  passParams_->SetValue("passcode", Variant(passcode));
  passParams_->SetValue("layer", Variant::Integer(int32_t(i)));
  Ref<IWidget> pass = MakeChild(element.passFactory, passParams_);
  if (!pass) {
    passlessFactories_.push_back(element.passFactory);
    return element.passNames[i];
  }
  made = pass->GetName();
  Ref<IWidget> before = tail.empty() ? nullptr : children_->GetByName(tail);
  if (before) {
    Variant next = before->GetProperty("next");
    std::string text = next.IsEmpty() || next.IsNull() ? std::string() : next.ToString();
    before->SetProperty("next", Variant(text + ";" + made));
  } else {
    pass->SetPaused(false);
  }
  return made;
}

// ---------------------------------------------------------------------------------------
// Results

void TPipeWidget::Win(const Ref<IParamCollection>& params) {
  Ref<IParamCollection> p = params ? params : NewParams();
  p->SetValue("turns", Variant(TurnsText()));
  TMiniGameWidget::Win(p);
}

void TPipeWidget::Skip() {
  // The owner may forward "turns" to a game through an alias.
  if (auto* owner = InterfaceCast<IWidget>(owner_))
    owner->SetProperty("turns", Variant(kSkipTurns));
  TMiniGameWidget::Skip();
}
