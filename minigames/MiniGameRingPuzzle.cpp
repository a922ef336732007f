#include "minigames/MiniGameRingPuzzle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

constexpr double kPi = std::numbers::pi;

double Wrap(double degrees) {
  if (degrees > 360) degrees -= 360;
  if (degrees < -360) degrees += 360;
  return degrees;
}

int32_t SignOf(double a) {
  return (a > 0) - (a < 0);
}

}  // namespace

const TPropertyTable& TRingPuzzleWidget::Properties() {
  using R = TRingPuzzleWidget;
  static const TPropertyTable table(TMiniGameWidget::Properties(),
                                    {
                                        Attr("infelicity", &R::infelicity_).Float(1.0),
                                        Attr("shuffle", &R::shuffle_).Bool(),
                                    });
  return table;
}

void TRingPuzzleWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  lastSign_ = 0;
  ReadRings(node);
  if (rings_.empty()) WarnAboutGame("no \"ring\" in \"rings\": only its skip ends the game");
  if (shuffle_) Scramble();
  grabbed_ = -1;
  playing_ = true;
  held_ = false;
}

void TRingPuzzleWidget::ReadRings(const Ref<IHierStorage>& node) {
  rings_.clear();
  Ref<IHierStorage> list = node->GetChild("rings", 0);
  int32_t count = list ? list->GetChildCount("ring") : 0;
  std::vector<std::string> weightTexts;
  for (int32_t i = 0; i < count; ++i) {
    Ref<IHierStorage> r = list->GetChild("ring", i);
    TRing ring;
    ring.id = ReadXmlInt(r, "id", i);
    ring.locked = ReadXmlBool(r, "locked");
    ring.turn = ReadXmlStr(r, "turn", "turn");
    ring.turnLeft = ReadXmlStr(r, "turn_left", ring.turn);
    ring.turnRight = ReadXmlStr(r, "turn_right", ring.turn);
    // The default tenth of a turn, exactly: a written default would be rounded.
    ring.step = ReadXmlStr(r, "step").empty() ? 2 * kPi / 10 : ReadXmlFloat(r, "step");
    ring.weight = ReadXmlFloat(r, "weight", 1);
    ring.widget = ReadXmlStr(r, "widget", "null_widget");
    Ref<IWidget> widget = FindWidget(ring.widget);
    ring.angle = ReadXmlFloat(r, "angle", widget ? widget->GetProperty("angle").ToDouble() : 0);
    ring.root.X = ReadXmlInt(r, "rootx", widget ? RoundHalfEven(widget->GetAnchorLeft()) : 0);
    ring.root.Y = ReadXmlInt(r, "rooty", widget ? RoundHalfEven(widget->GetAnchorTop()) : 0);
    std::string neighbours = ReadXmlStr(r, "neibours");
    if (!neighbours.empty())
      for (const std::string& id : Split(neighbours, ';')) {
        int32_t position = 0;
        if (!TryTextToInt(id, position) || position < 0 || position >= count) {
          if (!id.empty()) WarnAboutNode(r, "neighbour \"" + id + "\" is no ring: skipped");
          continue;
        }
        ring.neighbours.push_back(position);
      }
    weightTexts.push_back(ReadXmlStr(r, "weights"));
    rings_.push_back(std::move(ring));
  }
  // Weights name rings by id, so they are read once every ring is known.
  for (size_t i = 0; i < rings_.size(); ++i) {
    if (weightTexts[i].empty()) continue;
    for (const std::string& entry : Split(weightTexts[i], ';')) {
      std::vector<std::string> idAndRest = Split(entry, ':');
      std::vector<std::string> factorAndDirection =
          Split(idAndRest.size() > 1 ? idAndRest[1] : std::string(), '_');
      int32_t id = 0;
      TWeight weight;
      bool known = TryTextToInt(idAndRest[0], id);
      for (size_t r = 0; known && r < rings_.size(); ++r)
        if (rings_[r].id == id) weight.ring = int32_t(r);
      if (weight.ring < 0) {
        if (!entry.empty())
          WarnAboutNode(list->GetChild("ring", int32_t(i)),
                        "weight \"" + entry + "\" names no ring: skipped");
        continue;
      }
      TryTextToFloat(CommaToPoint(factorAndDirection[0]), weight.factor);
      if (factorAndDirection.size() > 1) TryTextToInt(factorAndDirection[1], weight.direction);
      rings_[i].weights.push_back(weight);
    }
  }
}

void TRingPuzzleWidget::Scramble() {
  for (size_t i = 0; i < rings_.size(); ++i) {
    double step = rings_[i].step;
    double turns = step != 0 ? std::round(2 * kPi / step) : 0;
    // A step of 0 (or one too fine to count) leaves the ring as laid out.
    if (!(turns >= 1 && turns <= 1e6)) continue;
    int32_t k = Random(int32_t(turns));
    TurnRing(int32_t(i), k * step);
  }
}

void TRingPuzzleWidget::SetLastSign(int32_t sign) {
  if (sign == lastSign_) return;
  lastSign_ = sign;
  if (!playing_) return;
  Ref<IParamCollection> params = NewParams();
  params->SetValue("sign", Variant::Integer(sign));
  MakeFeedback("turn", params);
}

void TRingPuzzleWidget::TurnAlong(TRing& ring, double degrees) {
  Ref<IWidget> widget = FindWidget(ring.widget);
  if (!widget) return;
  widget->SetProperty("angle", Variant(widget->GetProperty("angle").ToDouble() + degrees));
  ring.angle = Wrap(ring.angle + degrees);
}

void TRingPuzzleWidget::TurnRing(int32_t index, double a) {
  if (index < 0 || size_t(index) >= rings_.size()) return;
  TRing& ring = rings_[size_t(index)];
  if (ring.locked) return;
  int32_t sign = SignOf(a);
  SetLastSign(sign);
  Ref<IParamCollection> params = NewParams();
  params->SetValue("sign", Variant::Integer(sign));
  MakeFeedback("rotate", params);
  TurnAlong(ring, a * ring.weight * 180 / kPi);
  for (const TWeight& w : ring.weights) {
    if ((w.direction == 1 && a <= 0) || (w.direction == 2 && a >= 0)) continue;
    TurnAlong(rings_[size_t(w.ring)], a * w.factor * 180 / kPi);
  }
}

double TRingPuzzleWidget::PointerAngle(const TPoint& c, const TPoint& p) {
  double dx = double(c.X) - p.X, dy = double(c.Y) - p.Y;
  double length = std::hypot(dx, dy);
  if (length == 0) return 0;
  double angle = std::acos(std::clamp(dx / length, -1.0, 1.0));
  return dy < 0 ? -angle : angle;
}

bool TRingPuzzleWidget::IsSolved() const {
  for (const TRing& ring : rings_)
    for (int32_t n : ring.neighbours) {
      double delta = (ring.angle - rings_[size_t(n)].angle) * kPi / 180;
      double off = std::fabs(std::asin(std::sin(delta))) + std::fabs(std::acos(std::cos(delta)));
      if (off * 180 / kPi > infelicity_) return false;
    }
  return true;
}

bool TRingPuzzleWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (!playing_) return result;
  if (message == input::kLeftButtonDown && hovered_) {
    grabbed_ = -1;
    for (size_t i = 0; i < rings_.size(); ++i)
      if (rings_[i].widget == hovered_->GetName()) grabbed_ = int32_t(i);
    if (grabbed_ >= 0) last_ = mouse_;
    held_ = true;
  } else if (message == input::kLeftButtonUp) {
    grabbed_ = -1;
    held_ = false;
    SetLastSign(0);
  }
  return result;
}

bool TRingPuzzleWidget::HoversRing() const {
  if (!hovered_) return false;
  for (const TRing& ring : rings_)
    if (ring.widget == hovered_->GetName()) return true;
  return false;
}

void TRingPuzzleWidget::WinWhenSolved() {
  if (!IsSolved()) return;
  SetLastSign(0);
  Win();
}

void TRingPuzzleWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  char name[24];
  for (size_t i = 0; i < rings_.size(); ++i) {
    std::snprintf(name, sizeof name, "r%zu", i);
    if (Ref<IWidget> label = FindWidget(name)) label->SetProperty("text", Variant(rings_[i].angle));
  }
  if (!playing_ || grabbed_ < 0) return;
  const TRing& ring = rings_[size_t(grabbed_)];
  if (held_ && HoversRing()) {
    double a = PointerAngle(ring.root, last_) - PointerAngle(ring.root, mouse_);
    // Across the seam at +-180 degrees the pointer moved a little, not nearly a full turn.
    if (a > kPi) a -= 2 * kPi;
    if (a <= -kPi) a += 2 * kPi;
    if (a != 0) {
      TurnRing(grabbed_, a);
      last_ = mouse_;
    } else {
      SetLastSign(0);
    }
    WinWhenSolved();
    return;
  }
  // The pointer slipped off every ring: one step on, and the ring is let go.
  int32_t ringIndex = grabbed_;
  TurnRing(ringIndex, rings_[size_t(ringIndex)].step);
  grabbed_ = -1;
  WinWhenSolved();
}
