#include "minigames/MiniGameGear.h"

#include <cmath>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

double Distance(double x1, double y1, double x2, double y2) {
  return std::hypot(x2 - x1, y2 - y1);
}

}  // namespace

const TPropertyTable& TMiniGameGear::Properties() {
  using G = TMiniGameGear;
  static const TPropertyTable table(
      TMiniGameWidget::Properties(),
      {
          Prop("gear_name", &G::gearName_),
          Prop("gear_name_x", &G::gearX_),
          Prop("gear_name_y", &G::gearY_),
          Prop<G>("push_gear", nullptr, [](G& g, const Variant&) { g.PushGear(); }),
      });
  return table;
}

void TMiniGameGear::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  infelicity_ = ReadXmlInt(node, "infelicity", 0);
  ReadGears(node);
  ReadPins(node);
  gearName_ = "null_widget";
  gearX_ = gearY_ = 0;
  dragged_ = -1;
  dragging_ = false;
  PlaceGearsOnPins();
  // A layout that turns every pin that must turn is won already.
  playing_ = !won_;
}

void TMiniGameGear::ReadGears(const Ref<IHierStorage>& node) {
  gears_.clear();
  Ref<IHierStorage> section = node->GetChild("gears", 0);
  int count = section ? section->GetChildCount("gear") : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> gearNode = section->GetChild("gear", i);
    TGear gear;
    gear.name = ReadXmlStr(gearNode, "widget", "null_widget");
    gear.widget = FindWidget(gear.name);
    if (gear.widget) {
      gear.widget->SetProperty("time_rate", Variant(0.0));
      gear.widget->SetProperty("startangle", Variant(0.0));
      gear.widget->SetProperty("angle", gear.widget->GetProperty("startangle"));
    } else {
      // It still meshes on its pin, but nothing shows it and nobody can pick it up.
      WarnAboutNode(gearNode, "widget \"" + gear.name + "\" not found");
    }
    std::string radius = ReadXmlStr(gearNode, "radius");
    if (!TryTextToFloat(CommaToPoint(radius), gear.radius) || !std::isfinite(gear.radius)) {
      if (!radius.empty()) WarnAboutNode(gearNode, "radius \"" + radius + "\" is no number");
      Ref<IWidget> inner = FindWidget(gear.name + "/inner_widget");
      gear.radius = inner ? inner->GetWidth() / 2.0 : Random(50) + 20;
    }
    int32_t tooth = ReadXmlInt(gearNode, "tooth", 1);
    gear.toothAngle = tooth != 0 ? 360.0 / tooth : 0;
    gear.group = ReadXmlInt(gearNode, "group", 0);
    gears_.push_back(std::move(gear));
  }
}

void TMiniGameGear::ReadPins(const Ref<IHierStorage>& node) {
  pins_.clear();
  Ref<IHierStorage> section = node->GetChild("pins", 0);
  int count = section ? section->GetChildCount("pin") : 0;
  if (gears_.empty()) {
    if (count) WarnAboutNode(node, "pins without gears are not read");
    return;
  }
  std::vector<bool> pinned(gears_.size(), false);
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> pinNode = section->GetChild("pin", i);
    TPin pin;
    pin.gear = ReadXmlInt(pinNode, "gear", -1);
    if (pin.gear != -1 && (pin.gear < 0 || size_t(pin.gear) >= gears_.size())) {
      WarnAboutNode(pinNode, "gear " + std::to_string(pin.gear) + " is past the " +
                                 std::to_string(gears_.size()) + " gears; the pin holds none");
      pin.gear = -1;
    } else if (pin.gear >= 0 && pinned[size_t(pin.gear)]) {
      WarnAboutNode(pinNode, "gear " + std::to_string(pin.gear) +
                                 " is on an earlier pin already; this pin holds none");
      pin.gear = -1;
    }
    if (pin.gear >= 0) pinned[size_t(pin.gear)] = true;
    pin.x = ReadXmlInt(pinNode, "x", 0);
    pin.y = ReadXmlInt(pinNode, "y", 0);
    pin.lockImpulse = ReadXmlBool(pinNode, "lock_impulse", false);
    pin.lockGears = ReadXmlBool(pinNode, "lock_gears", false);
    pin.impulse = ReadXmlFloat(pinNode, "impulse", 1);
    if (!std::isfinite(pin.impulse)) pin.impulse = 0;
    pin.needImpulseNotNull = ReadXmlBool(pinNode, "need_impulse_not_null", false);
    pins_.push_back(std::move(pin));
  }
}

int32_t TMiniGameGear::PinOf(int32_t gear) const {
  if (gear < 0) return -1;
  for (size_t p = 0; p < pins_.size(); ++p)
    if (pins_[p].gear == gear) return int32_t(p);
  return -1;
}

// ---------------------------------------------------------------------------------------
// Meshing and impulses

void TMiniGameGear::PlaceGearsOnPins() {
  for (const TPin& pin : pins_) {
    if (pin.gear < 0) continue;
    if (const Ref<IWidget>& widget = gears_[size_t(pin.gear)].widget) {
      widget->SetAnchorLeft(pin.x);
      widget->SetAnchorTop(pin.y);
    }
  }
  RebuildMeshing();
}

bool TMiniGameGear::Mesh(int32_t a, int32_t b) const {
  // Both must lie on pins.
  int32_t pa = PinOf(a), pb = PinOf(b);
  if (pa < 0 || pb < 0) return false;
  double d =
      Distance(pins_[size_t(pa)].x, pins_[size_t(pa)].y, pins_[size_t(pb)].x, pins_[size_t(pb)].y);
  double m = gears_[size_t(a)].radius + gears_[size_t(b)].radius - d;
  return m >= 0 && m <= infelicity_;
}

void TMiniGameGear::RebuildMeshing() {
  for (TPin& pin : pins_) pin.meshing.clear();
  for (int32_t a = 0; a < int32_t(gears_.size()); ++a)
    for (int32_t b = a + 1; b < int32_t(gears_.size()); ++b) {
      if (!Mesh(a, b)) continue;
      int32_t pa = PinOf(a), pb = PinOf(b);
      pins_[size_t(pa)].meshing.push_back(pb);
      pins_[size_t(pb)].meshing.push_back(pa);
    }
  RecomputeImpulses();
}

void TMiniGameGear::RecomputeImpulses() {
  for (TPin& pin : pins_)
    if (!pin.lockImpulse) pin.impulse = 0;
  // Only the driving pins start a walk: the pins they reach are not walked again.
  for (int32_t p = 0; p < int32_t(pins_.size()); ++p)
    if (pins_[size_t(p)].lockImpulse && pins_[size_t(p)].impulse != 0) Propagate(p);
  for (int32_t g = 0; g < int32_t(gears_.size()); ++g) {
    int32_t pin = PinOf(g);
    if (const Ref<IWidget>& widget = gears_[size_t(g)].widget)
      widget->SetProperty("time_rate", Variant(pin < 0 ? 0.0 : pins_[size_t(pin)].impulse));
  }
  for (const TPin& pin : pins_)
    if (pin.needImpulseNotNull && pin.impulse == 0) return;
  Win();
}

bool TMiniGameGear::DriveFrom(int32_t p) {
  TPin& pin = pins_[size_t(p)];
  // A driver keeps its own rate.
  if (pin.gear < 0 || pin.lockImpulse) return false;
  for (int32_t c : pin.meshing) {
    const TPin& driver = pins_[size_t(c)];
    if (driver.impulse == 0) continue;
    double d = Distance(pin.x, pin.y, driver.x, driver.y);
    double rp = gears_[size_t(pin.gear)].radius, rc = gears_[size_t(driver.gear)].radius;
    double e = std::fabs(std::fabs(d - rc) - rp);  // the overlap of the rims
    double impulse = -(rc - e) * driver.impulse / (rp - e);
    // A gear with no rim left to turn (a zero divisor) takes no rate.
    if (rp - e == 0 || !std::isfinite(impulse)) return false;
    pin.impulse = impulse;
    PushImpulseWidget(p);
    return true;
  }
  return false;
}

void TMiniGameGear::Propagate(int32_t start) {
  walk_.clear();
  walk_.emplace_back(start, 0);
  while (!walk_.empty()) {
    auto& [p, next] = walk_.back();
    const std::vector<int32_t>& meshing = pins_[size_t(p)].meshing;
    if (next >= meshing.size() || pins_[size_t(p)].impulse == 0) {
      walk_.pop_back();
      continue;
    }
    int32_t q = meshing[next++];
    if (pins_[size_t(q)].impulse != 0) continue;
    DriveFrom(q);
    if (pins_[size_t(q)].impulse != 0) walk_.emplace_back(q, 0);
  }
}

void TMiniGameGear::PushImpulseWidget(int32_t p) {
  const TPin& pin = pins_[size_t(p)];
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  params->SetValue("pin_id", Variant::Integer(p));
  params->SetValue("gear_id", Variant::Integer(pin.gear));
  params->SetValue("gear_name", Variant(gears_[size_t(pin.gear)].name));
  params->SetValue("impulse", Variant(pin.impulse));
  Ref<IWidget> widget = CreateWidgetFromFactory("push_impulse", params);
  if (!widget) return;
  KillChild(widget->GetName());
  children_->Add(widget);
  widget->SetPaused(false);
}

// ---------------------------------------------------------------------------------------
// Drags

bool TMiniGameGear::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message == input::kLeftButtonDown && playing_ && hovered_)
    PressWidget(GetHoveredWidgetName());
  return result;
}

void TMiniGameGear::PressWidget(const std::string& name) {
  int32_t gear = -1;
  for (int32_t g = 0; g < int32_t(gears_.size()); ++g)
    if (gears_[size_t(g)].widget && gears_[size_t(g)].name == name) gear = g;
  // A press on anything but a gear neither starts nor ends a drag.
  if (gear < 0) return;
  if (dragging_ && gear == dragged_) {
    EndDrag();
    return;
  }
  int32_t pin = PinOf(gear);
  if (pin >= 0 && pins_[size_t(pin)].lockGears) {
    dragged_ = -1;
    dragging_ = false;
    return;
  }
  IWidget* widget = gears_[size_t(gear)].widget.get();
  dragOffset_ = {SaturateInt32(int64_t(RoundHalfEven(widget->GetAnchorLeft())) - mouse_.X),
                 SaturateInt32(int64_t(RoundHalfEven(widget->GetAnchorTop())) - mouse_.Y)};
  BeginDrag(gear);
}

void TMiniGameGear::GearFeedback(const char* factory, int32_t gear) {
  Ref<IParamCollection> params = NewParams();
  params->SetValue("name", Variant(gears_[size_t(gear)].name));
  MakeFeedback(factory, params);
}

void TMiniGameGear::BeginDrag(int32_t gear) {
  dragged_ = gear;
  dragging_ = true;
  gears_[size_t(gear)].widget->SetProperty("time_rate", Variant(0.0));
  int32_t pin = PinOf(gear);
  if (pin >= 0) pins_[size_t(pin)].gear = -1;
  RebuildMeshing();
  GearFeedback("pick_gear", gear);
}

void TMiniGameGear::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (!dragging_) return;
  if (IsOutsideBlock(mouse_)) {
    EndDrag();
    return;
  }
  IWidget* widget = gears_[size_t(dragged_)].widget.get();
  widget->SetAnchorLeft(double(mouse_.X) + dragOffset_.X);
  widget->SetAnchorTop(double(mouse_.Y) + dragOffset_.Y);
}

void TMiniGameGear::EndDrag() {
  dragging_ = false;
  int32_t gear = dragged_;
  OfferToPins(gear);
  KeepInsideBlock(gears_[size_t(gear)].widget.get());
  GearFeedback("unpick", gear);
  dragged_ = -1;
}

void TMiniGameGear::OfferToPins(int32_t gear) {
  IWidget* widget = gears_[size_t(gear)].widget.get();
  // A gear that holds a pin keeps it.
  if (!widget || PinOf(gear) >= 0) return;
  double x = widget->GetAnchorLeft(), y = widget->GetAnchorTop();
  for (TPin& pin : pins_) {
    if (pin.gear >= 0 || !(Distance(x, y, pin.x, pin.y) < infelicity_)) continue;
    pin.gear = gear;
    PlaceGearsOnPins();
    return;
  }
}

void TMiniGameGear::KeepInsideBlock(IWidget* widget) {
  double left = widget->GetAnchorLeft(), top = widget->GetAnchorTop();
  double right = double(blockLeft_) + blockWidth_, bottom = double(blockTop_) + blockHeight_;
  if (left + widget->GetWidth() > right) left = right - widget->GetWidth();
  if (left < blockLeft_) left = blockLeft_;
  if (top + widget->GetHeight() > bottom) top = bottom - widget->GetHeight();
  if (top < blockTop_) top = blockTop_;
  widget->SetAnchorLeft(left);
  widget->SetAnchorTop(top);
}

void TMiniGameGear::PushGear() {
  int32_t gear = -1;
  for (int32_t g = 0; g < int32_t(gears_.size()); ++g)
    if (gears_[size_t(g)].name == gearName_) gear = g;
  if (gear < 0 || !gears_[size_t(gear)].widget) return;
  IWidget* widget = gears_[size_t(gear)].widget.get();
  widget->SetAnchorLeft(gearX_ + 178);
  widget->SetAnchorTop(gearY_);
  OfferToPins(gear);
}
