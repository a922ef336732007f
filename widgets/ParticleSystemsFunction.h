#pragma once
// "function_particle_system": particles defined wholly by data. A parameter space says what
// numbers every particle carries; a function with the children "Create" and "Update"
// decides how many particles appear per second, what each starts with and how each
// evolves and looks. Cells of a particle, by (column, row):
//   (1, 0) age in ms, (1, k) further state from Create's outputs;
//   (0, 0) dead when > 0, (0, 1) (0, 2) centre x, y, (0, 3) picture index,
//   (0, 4..6) red, green, blue of the fill, (0, 7) alpha.
// Missing cells read 0 and take no writes. The children lend their pictures by index.

#include <cstdint>
#include <string>
#include <vector>

#include "functions/FunctionInterfaces.h"
#include "shell/WidgetClasses.h"
#include "widgets/ParticleSystemsCommon.h"

struct TCellParticle {
  std::vector<float> cells;  // by slot of the system's cell layout
};

class TFunctionParticleSystem : public TGroupWidget {
 public:
  void Init() override;
  ~TFunctionParticleSystem() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;
  void Reset() override;
  // Every name but "widget" and "surface" also reaches the function's cell of that name
  // when the value is a number.
  void SetProperty(const std::string& name, const Variant& value) override;
  bool ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                       const TPropertyRow*& writer) override;
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  void Invalidate() override;
  void Restart() override;
  void Update(int32_t dt) override;
  int32_t GetWidth() override { return width_; }
  int32_t GetHeight() override { return height_; }
  TRect GetRect() override { return bounds_; }
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  // 1: a particle from a parameter collection (the value); 2: every particle freed.
  void Notify(int32_t code, const Variant& param) override;

  int32_t ParticleCount() const { return int32_t(particles_.size()); }
  const std::vector<TCellParticle*>& Particles() const { return particles_; }
  const TCellLayout& Layout() const { return layout_; }
  const TParticleImages& Images() const { return images_; }
  const Ref<IFunction>& GetParticleFunction() const { return particleFunction_; }
  const Ref<IParamSpace>& GetParamSpace() const { return paramSpace_; }
  // Whatever the particle cells hold at (Col, Row); 0 when missing.
  float Cell(const TCellParticle& particle, int32_t col, int32_t row) const {
    return CellValue(layout_, particle.cells, col, row);
  }
  void SetStaticImages(bool value);

 protected:
  const TPropertyTable& Properties() override;

  TCellParticle* NewParticle();
  TCellParticle* CreateParticleFromParams(IParamCollection* params);
  void FreeParticle(TCellParticle* particle);
  void DrawParticle(ISurface* surface, int32_t x, TCellParticle* particle, int32_t y);
  void MoveParticle(TCellParticle* particle, int32_t dt);
  void RemoveDead();
  void CreateParticles(int32_t n);
  void Emit(int32_t dt);
  void BeginDraw();
  void EndDraw();

 private:
  void FreeAll();
  void CollectImages();
  void ReleaseImages() { images_.Release(); }
  // The picture "widget" gives, as "surface".
  void SetWidgetImage(const Variant& value);
  // Holds the surface under a handle in the function's cell "surface".
  void SetSurface(const Variant& value);
  // The time the function is fed: the step clock with "delta_step", else "currenttime".
  int64_t RunningTime() const;
  void SetTimeInput(int64_t time);
  int32_t Room() const;
  void ComputeBounds();

  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t initCreationCount_ = 0;
  bool staticImages_ = true;
  TParticleImages images_;
  std::vector<TCellParticle*> particles_;
  int32_t deltaStep_ = 0;
  TStepClock stepClock_;
  float countFraction_ = 0;
  TCapNotice capNotice_;
  Ref<IParamSpace> paramSpace_;
  Ref<IFunction> particleFunction_;
  uint8_t drawMode_ = 1;  // "fillcolor"
  uint8_t blendingMode_ = bmNormal;
  TRect bounds_{-1, -1, -1, -1};

  TCellLayout layout_;
  TRecordPool<TCellParticle> pool_;
  TParticleFunctions functions_;
  TSurfaceCell surface_;
};
