// The particle system frame, the stochastic and the Monte Carlo emitters.

#include "widgets/ParticleSystems.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "foundation/Random.h"
#include "foundation/XMLStorage.h"
#include "widgets/ResourceWidgets.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// Random(Hi - Lo) + Lo for data that may be anything: the span is taken in 64 bits.
int32_t RandomSpan(int32_t lo, int32_t hi) {
  int64_t span = int64_t(hi) - lo;
  return SaturateInt32(int64_t(lo) + Random(SaturateInt32(span)));
}

int32_t Channel(uint32_t color, int shift) {
  return int32_t((color >> shift) & 0xFF);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TParticleSystem

TParticleSystem::~TParticleSystem() = default;

const TPropertyTable& TParticleSystem::Properties() {
  using P = TParticleSystem;
  // The systems write no XML of their own: every row is read only from files.
  static const TPropertyTable table(
      TGroupWidget::Properties(), {
                                      Attr("width", &P::width_).Int().NotSaved(),
                                      Attr("height", &P::height_).Int().NotSaved(),
                                      Prop("emission_x", &P::emissionX_).Int().NotSaved(),
                                      Prop("emission_y", &P::emissionY_).Int().NotSaved(),
                                      Prop("emission_radius", &P::emissionRadius_).Int().NotSaved(),
                                      Prop("emission_count", &P::emissionCount_).Int().NotSaved(),
                                      Prop("delta_step", &P::deltaStep_).Int().NotSaved(),
                                      Prop("count", &P::ParticleCount),
                                  });
  return table;
}

TParticle* TParticleSystem::NewParticle() {
  TParticle* particle = pool_.Take();
  *particle = TParticle{};
  return particle;
}

void TParticleSystem::LoadFromXml(const Ref<IHierStorage>& node) {
  TGroupWidget::LoadFromXml(node);
  capNotice_.SetFile(StorageDataFile(node));
}

void TParticleSystem::FreeParticle(TParticle* particle) {
  pool_.Give(particle);
}

void TParticleSystem::FreeAll() {
  for (TParticle* particle : particles_) FreeParticle(particle);
  particles_.clear();
}

void TParticleSystem::SetOwner(IWidgetOwner* owner) {
  TGroupWidget::SetOwner(owner);
  for (IWidget* child : children_->Widgets()) child->SetVisible(false);
}

void TParticleSystem::Restart() {
  stepClock_.Reset();
  TGroupWidget::Restart();
}

void TParticleSystem::Reset() {
  FreeAll();
  stepClock_.Reset();
  TGroupWidget::Reset();
}

void TParticleSystem::Update(int32_t dt) {
  TGroupWidget::Update(dt);
  bool had = !particles_.empty();
  for (TParticle* particle : particles_) MoveParticle(particle, dt);
  RemoveDead();
  if (deltaStep_ < 1) {
    Emit(dt);
  } else {
    // Every whole step emits, also while "currenttime" is still negative: only the
    // function and multi systems hold back before 0.
    stepClock_.Run(currentTime_, dt, deltaStep_, [this](int64_t, int64_t) { Emit(deltaStep_); });
  }
  rect_ = TRect{-1, -1, -1, -1};
  changed_ = had || !particles_.empty();
}

void TParticleSystem::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!surface) return;
  BeginDraw();
  for (TParticle* particle : particles_) DrawParticle(surface, x, y, particle);
  EndDraw();
}

// ---------------------------------------------------------------------------------------
// TStochasticParticleSystem

const TPropertyTable& TStochasticParticleSystem::Properties() {
  using S = TStochasticParticleSystem;
  static const TPropertyTable table(
      TParticleSystem::Properties(),
      {
          Prop("direction", &S::direction_).Int().NotSaved(),
          Prop("spread", &S::spread_).Int(360).NotSaved(),
          Prop("speed_min", &S::speedMin_).Int(10).NotSaved(),
          Prop("speed_max", &S::speedMax_).Int(100).NotSaved(),
          Prop("lifetime_min", &S::lifetimeMin_).Int(1000).NotSaved(),
          Prop("lifetime_max", &S::lifetimeMax_).Int(5000).NotSaved(),
          Prop("gravity_min", &S::gravityMin_).Int().NotSaved(),
          Prop("gravity_max", &S::gravityMax_).Int().NotSaved(),
          Attr("color_start", &S::colorStart_).Hex(0xFFFFFFFFu).NotSaved(),
          Attr("color_end", &S::colorEnd_).Hex(0xFF000000u).NotSaved(),
          // After the colours: these always decide the alpha.
          Attr<S>(
              "alfa_start", [](S& s) { return s.alfaStart_; },
              [](S& s, int32_t v) { s.SetAlfaStart(v); })
              .Int(255)
              .NotSaved(),
          Attr<S>(
              "alfa_end", [](S& s) { return s.alfaEnd_; }, [](S& s, int32_t v) { s.SetAlfaEnd(v); })
              .Int(255)
              .NotSaved(),
          Attr("color_variation", &S::colorVariation_).Int().NotSaved(),
          Attr("alfa_variation", &S::alfaVariation_).Int().NotSaved(),
          Attr("blendingmode", &S::blendingMode_)
              .Enum(TImageWidget::kBlendingModes, bmNormal)
              .NotSaved(),
      });
  return table;
}

void TStochasticParticleSystem::ReleaseOwner() {
  keptImage_ = nullptr;
  TParticleSystem::ReleaseOwner();
}

void TStochasticParticleSystem::FreeParticle(TParticle* particle) {
  stochasticPool_.Give(static_cast<TStochasticParticle*>(particle));
}

TStochasticParticle* TStochasticParticleSystem::DrawRanges() {
  TStochasticParticle* p = stochasticPool_.Take();
  *p = TStochasticParticle{};
  p->lifetime = RandomSpan(lifetimeMin_, lifetimeMax_);
  p->speed = RandomSpan(speedMin_, speedMax_);
  int64_t angle = int64_t(Random(spread_)) + direction_ - DivSafe(spread_, 2);
  p->angle = SaturateInt32(angle);
  p->cosAngle = std::cos(double(p->angle) * kDegree);
  p->sinAngle = std::sin(double(p->angle) * kDegree);
  int64_t gravitySpan = std::abs(int64_t(gravityMax_) - gravityMin_);
  p->gravity = SaturateInt32(int64_t(std::min(gravityMin_, gravityMax_)) +
                             Random(SaturateInt32(gravitySpan)));
  // A random part of the way from color_start towards color_end; past 100 % it would
  // leave the channel's range.
  double v = Random(std::min(colorVariation_, 100)) / 100.0;
  uint32_t rgb = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int32_t from = Channel(colorStart_, shift), to = Channel(colorEnd_, shift);
    rgb |= uint32_t(ClampChannel(RoundHalfEven((to - from) * v) + double(from))) << shift;
  }
  p->startColor = rgb;
  return p;
}

TParticle* TStochasticParticleSystem::NewParticle() {
  int32_t a = Random(360);
  int32_t r = Random(emissionRadius_);
  double startX = RoundHalfEven(std::cos(a * kDegree) * r) + double(emissionX_);
  double startY = RoundHalfEven(std::sin(a * kDegree) * r) + double(emissionY_);
  TStochasticParticle* p = DrawRanges();
  p->startX = SaturateInt32(int64_t(startX));
  p->startY = SaturateInt32(int64_t(startY));
  p->x = p->startX;
  p->y = p->startY;
  double w = Random(std::min(alfaVariation_, 100)) / 100.0;
  uint8_t alpha = ClampChannel(RoundHalfEven((alfaEnd_ - alfaStart_) * w) + double(alfaStart_));
  p->startColor |= uint32_t(alpha) << 24;
  p->color = p->startColor;
  return p;
}

void TStochasticParticleSystem::MoveParticle(TParticle* particle, int32_t dt) {
  auto* p = static_cast<TStochasticParticle*>(particle);
  p->age = SaturateInt32(int64_t(p->age) + dt);
  double age = p->age;
  double d = p->speed * age / 1000.0;
  p->x = RoundHalfEven(p->cosAngle * d) + double(p->startX);
  p->y = RoundHalfEven(age * age * p->gravity / 1000000.0 / 2.0) +
         double(RoundHalfEven(p->sinAngle * d)) + double(p->startY);
  // A lifetime of 0 or less has run out at once: the end colour.
  double f = p->lifetime > 0 ? std::clamp(age / p->lifetime, 0.0, 1.0) : 1.0;
  uint32_t color = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int32_t from = Channel(p->startColor, shift), to = Channel(colorEnd_, shift);
    color |= uint32_t(ClampChannel(RoundHalfEven(f * (to - from)) + double(from))) << shift;
  }
  int32_t alpha = Channel(p->startColor, 24);
  color |= uint32_t(ClampChannel(RoundHalfEven(f * (alfaEnd_ - alpha)) + double(alpha))) << 24;
  p->color = color;
}

void TStochasticParticleSystem::RemoveDead() {
  // Order kept: the survivors move up, in one pass.
  auto dead = [this](TParticle* particle) {
    auto* p = static_cast<TStochasticParticle*>(particle);
    if (p->age <= p->lifetime) return false;
    FreeParticle(p);
    return true;
  };
  particles_.erase(std::remove_if(particles_.begin(), particles_.end(), dead), particles_.end());
}

void TStochasticParticleSystem::Emit(int32_t dt) {
  int32_t n = RoundHalfEven(double(dt) * emissionCount_ / 1000.0);
  if (n > kMaxLiveParticles - ParticleCount()) {
    n = kMaxLiveParticles - ParticleCount();
    capNotice_.Held(typeName_, name_);
  }
  for (int32_t i = 0; i < n; ++i)
    if (TParticle* particle = NewParticle()) particles_.push_back(particle);
}

void TStochasticParticleSystem::Update(int32_t dt) {
  TParticleSystem::Update(dt);
  IWidget* child = children_->WidgetAt(0);
  if (particles_.empty() || !child) return;
  int32_t w = child->GetWidth(), h = child->GetHeight();
  TRect r{};
  bool first = true;
  for (TParticle* p : particles_) {
    int32_t x = RoundHalfEven(p->x), y = RoundHalfEven(p->y);
    TRect one{x, y, SaturateInt32(int64_t(x) + w), SaturateInt32(int64_t(y) + h)};
    if (first)
      r = one;
    else
      UnionRects(r, one, r);
    first = false;
  }
  int64_t ax = RoundHalfEven(anchorLeft_), ay = RoundHalfEven(anchorTop_);
  rect_ = TRect{SaturateInt32(r.Left + ax), SaturateInt32(r.Top + ay), SaturateInt32(r.Right + ax),
                SaturateInt32(r.Bottom + ay)};
}

void TStochasticParticleSystem::BeginDraw() {
  if (!image_) image_ = RedrawWidgetImage(children_->WidgetAt(0), keptImage_);
}

void TStochasticParticleSystem::EndDraw() {
  image_ = nullptr;
}

void TStochasticParticleSystem::DrawParticle(ISurface* surface, int32_t x, int32_t y,
                                             TParticle* particle) {
  if (!image_) return;
  auto* p = static_cast<TStochasticParticle*>(particle);
  int32_t w = image_->GetWidth(), h = image_->GetHeight();
  int32_t left = SaturateInt32(int64_t(RoundHalfEven(p->x)) + x);
  int32_t top = SaturateInt32(int64_t(RoundHalfEven(p->y)) + y);
  TRect dst{left, top, SaturateInt32(int64_t(left) + w), SaturateInt32(int64_t(top) + h)};
  surface->DrawColored(p->color, image_, blendingMode_, transparentLevel_, dst, TRect{0, 0, w, h});
}

// ---------------------------------------------------------------------------------------
// TMonteCarloParticleSystem

const TPropertyTable& TMonteCarloParticleSystem::Properties() {
  using M = TMonteCarloParticleSystem;
  static const TPropertyTable table(TStochasticParticleSystem::Properties(),
                                    {
                                        Prop("widget", nullptr, &M::SetSourceWidget),
                                    });
  return table;
}

void TMonteCarloParticleSystem::SetSourceWidget(const Variant& value) {
  if (value.GetKind() != Variant::Kind::Interface) return;
  Ref<IWidget> widget = Supports<IWidget>(value.RawInterface());
  if (!widget) return;
  sourceRect_ = widget->GetRect();
  source_ = widget->GetImage();
}

void TMonteCarloParticleSystem::ReleaseOwner() {
  source_ = nullptr;
  TStochasticParticleSystem::ReleaseOwner();
}

TParticle* TMonteCarloParticleSystem::NewParticle() {
  if (!source_) return nullptr;
  int32_t w = SaturateInt32(int64_t(sourceRect_.Right) - sourceRect_.Left);
  int32_t h = SaturateInt32(int64_t(sourceRect_.Bottom) - sourceRect_.Top);
  int32_t x = 0, y = 0;
  uint32_t pixel = 0;
  bool found = false;
  for (int tries = 0; tries < 8 && !found; ++tries) {
    x = Random(w);
    y = Random(h);
    pixel = source_->GetPixel(x, y);
    found = (pixel >> 24) >= 20;
  }
  // Eight misses: this emission is lost.
  if (!found) return nullptr;
  int32_t startX = SaturateInt32(int64_t(x) + sourceRect_.Left);
  int32_t startY = SaturateInt32(int64_t(y) + sourceRect_.Top);
  TStochasticParticle* p = DrawRanges();
  p->startX = startX;
  p->startY = startY;
  p->x = startX;
  p->y = startY;
  int64_t alpha = int64_t(pixel >> 24) - Random(alfaVariation_);
  p->startColor |= uint32_t(std::clamp<int64_t>(alpha, 0, 255)) << 24;
  p->color = p->startColor;
  return p;
}
