#pragma once
// Particle systems: groups that own light particle records (not widgets), make new ones
// at a rate, move them every update, remove the dead ones and draw each with one picture.
// The whole system posts one rectangle. The child widgets are never drawn; they only lend
// their pictures to the particles.
//
// This header: the frame that runs the per-frame calls, the stochastic emitter (direction,
// speed, lifetime, gravity and colour drawn from ranges) and the Monte Carlo emitter
// (particles born on the opaque pixels of another widget's picture). The function-driven
// and the multi-type systems are in ParticleSystemsFunction.h and ParticleSystemsMulti.h.

#include <cstdint>
#include <string>
#include <vector>

#include "shell/WidgetClasses.h"
#include "widgets/ParticleSystemsCommon.h"

// A particle's drawing position, relative to the system's anchor.
struct TParticle {
  double x = 0, y = 0;
};

// The frame of the stochastic and Monte Carlo systems: emission point, radius and rate,
// the optional fixed step, the particle list and the order of the per-frame calls; the
// hooks below are what each emitter fills in.
class TParticleSystem : public TGroupWidget {
 public:
  ~TParticleSystem() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;

  // Moves, removes the dead, emits (per frame, or in whole "delta_step" steps while the
  // step clock is not negative), then marks the system changed while it has particles.
  void Update(int32_t dt) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  // Children only lend their pictures: they are hidden.
  void SetOwner(IWidgetOwner* owner) override;
  void Restart() override;
  void Reset() override;

  int32_t GetWidth() override { return width_; }
  int32_t GetHeight() override { return height_; }
  TRect GetRect() override { return rect_; }

  int32_t ParticleCount() const { return int32_t(particles_.size()); }
  const std::vector<TParticle*>& Particles() const { return particles_; }

 protected:
  const TPropertyTable& Properties() override;

  // The hooks, called in this order by Update and Draw.
  virtual TParticle* NewParticle();
  virtual void DrawParticle(ISurface*, int32_t, int32_t, TParticle*) {}
  virtual void MoveParticle(TParticle*, int32_t) {}
  virtual void RemoveDead() {}
  virtual void Emit(int32_t) {}
  virtual void BeginDraw() {}
  virtual void EndDraw() {}
  // Gives a record made by NewParticle back to its pool.
  virtual void FreeParticle(TParticle* particle);

  void FreeAll();
  // Room for one more particle.
  bool HasRoom() const { return ParticleCount() < kMaxLiveParticles; }

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<TParticle*> particles_;
  int32_t emissionX_ = 0;
  int32_t emissionY_ = 0;
  int32_t emissionRadius_ = 0;
  int32_t emissionCount_ = 0;  // particles per second
  int32_t deltaStep_ = 0;      // ms; below 1: emission with every update
  TStepClock stepClock_;
  TRect rect_{-1, -1, -1, -1};
  TCapNotice capNotice_;

 private:
  TRecordPool<TParticle> pool_;
};

// A particle of the stochastic emitter. Angles are degrees; colours are $AARRGGBB.
struct TStochasticParticle : TParticle {
  int32_t startX = 0, startY = 0;
  int32_t lifetime = 0;  // ms
  int32_t age = 0;       // ms
  int32_t speed = 0;     // pixels per second
  int32_t angle = 0;
  uint32_t startColor = 0;
  uint32_t color = 0;
  int32_t gravity = 0;
  double cosAngle = 1, sinAngle = 0;  // of angle, taken once at birth
};

// "stochastic_particle_system": each particle's direction, speed, lifetime, gravity,
// colour and alpha drawn from the configured ranges; drawn as the first child's picture
// tinted with the particle's colour.
class TStochasticParticleSystem : public TParticleSystem {
 public:
  void Update(int32_t dt) override;
  void ReleaseOwner() override;

 protected:
  const TPropertyTable& Properties() override;

  TParticle* NewParticle() override;
  void DrawParticle(ISurface* surface, int32_t x, int32_t y, TParticle* particle) override;
  void MoveParticle(TParticle* particle, int32_t dt) override;
  void RemoveDead() override;
  void Emit(int32_t dt) override;
  // The first child's picture, redrawn into a kept surface for each draw.
  void BeginDraw() override;
  void EndDraw() override;
  void FreeParticle(TParticle* particle) override;

  // A new record with lifetime, speed, angle, gravity and the red, green and blue start
  // channels drawn; position and alpha are the emitter's.
  TStochasticParticle* DrawRanges();
  void SetAlfaStart(int32_t value) { alfaStart_ = std::clamp(value, 0, 255); }
  void SetAlfaEnd(int32_t value) { alfaEnd_ = std::clamp(value, 0, 255); }

  uint8_t blendingMode_ = bmNormal;
  int32_t direction_ = 0;
  int32_t spread_ = 360;
  int32_t speedMin_ = 10;
  int32_t speedMax_ = 100;
  int32_t lifetimeMin_ = 1000;
  int32_t lifetimeMax_ = 5000;
  uint32_t colorStart_ = 0xFFFFFFFF;
  uint32_t colorEnd_ = 0xFF000000;
  int32_t alfaStart_ = 255;
  int32_t alfaEnd_ = 255;
  int32_t colorVariation_ = 0;  // percent
  int32_t alfaVariation_ = 0;   // percent (Monte Carlo: alpha units)
  int32_t gravityMin_ = 0;
  int32_t gravityMax_ = 0;

 private:
  ISurface* image_ = nullptr;  // during one draw
  Ref<ISurface> keptImage_;
  TRecordPool<TStochasticParticle> stochasticPool_;
};

// "montecarlo_particle_system": stochastic particles born at random opaque pixels (alpha
// 20 or more) of another widget's picture, set through the property "widget".
class TMonteCarloParticleSystem : public TStochasticParticleSystem {
 public:
  void ReleaseOwner() override;

  // A widget value: its rectangle and a picture of it become the source; anything else is
  // ignored.
  void SetSourceWidget(const Variant& value);
  const Ref<ISurface>& GetSource() const { return source_; }
  const TRect& GetSourceRect() const { return sourceRect_; }

 protected:
  const TPropertyTable& Properties() override;
  TParticle* NewParticle() override;

 private:
  Ref<ISurface> source_;
  TRect sourceRect_;
};
