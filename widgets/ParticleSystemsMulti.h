#pragma once
// "multi_particle_system": a tree of particle types. Each type ("particle_type") has its
// own parameter space (the cells each of its particles carries, laid out as in the
// function system, plus (0, 8) (0, 9) a trail offset and (0, 10) its density), its own
// function with the children "Create" and "Update", its own pictures and drawing style,
// and child types. A particle owns particles of the child types, which it emits while it
// lives and is not dying ((0, 0) not 0); it goes once (0, 0) > 0 and its children are
// gone. The system is one root type and one root particle whose children are the
// top-level particles; the root type is read from the system's own element.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/Params.h"
#include "functions/FunctionInterfaces.h"
#include "shell/WidgetClasses.h"
#include "widgets/ParticleSystemsCommon.h"

class IParticleSystem;
class IParticleType;

// A particle of any type. Children exist only when its type has child types.
struct TMultiParticle {
  std::vector<float> cells;  // by slot of its type's cell layout
  IParticleType* type = nullptr;
  std::vector<TMultiParticle*> children;
  bool hasChildren = false;
};

class IParticleTypeOwner : public virtual IInterface {
 public:
  virtual IParticleSystem* GetParticleSystem() = 0;
  // What the owned type's function binds to: the owning type's function; none for the
  // system.
  virtual IFunctionOwner* GetFunctionOwner() = 0;
};

class IParticleSystem : public virtual IWidget {
 public:
  // The owner the system was attached to.
  virtual IWidgetOwner* GetWidgetOwner() = 0;
  // The root type's pictures, which types without pictures of their own draw from.
  virtual TParticleImages* GetImages() = 0;
  // The time the types' functions are fed: the step clock with "delta_step", else the
  // widget's "currenttime".
  virtual int64_t GetRunningTime() = 0;
  // Whether Count more particles (of Cells cells each) may be made.
  virtual bool HasRoom(int32_t count, int32_t cells) = 0;
  virtual void ParticlesMade(int32_t count, int32_t cells) = 0;
  virtual void ParticlesFreed(int32_t count, int32_t cells) = 0;
  // The trail copies a particle drawn now may have: Wanted, fewer (but one) once the
  // frame's pictures run short (kMaxDrawnCopies).
  virtual int32_t TrailCopies(int32_t wanted) = 0;
};

class IParticleTypeCollection;

class IParticleType : public virtual INamedObject {
 public:
  virtual void SetOwner(IParticleTypeOwner* owner) = 0;
  virtual void ReleaseOwner() = 0;
  // Static pictures collected again, in every child type too.
  virtual void Prepare() = 0;
  virtual void AdvanceTime(int32_t dt) = 0;
  virtual Ref<IParamSpace> GetParamSpace() = 0;
  virtual bool GetUseLocalImages() = 0;
  virtual void SetUseLocalImages(bool value) = 0;
  virtual bool GetStaticImages() = 0;
  virtual void SetStaticImages(bool value) = 0;
  virtual TParticleImages* GetLocalImages() = 0;
  virtual Ref<IWidgetCollection> GetWidgets() = 0;
  virtual Ref<IFunction> GetFunction() = 0;
  virtual Ref<IParticleTypeCollection> GetChildTypes() = 0;
  // The rectangle of the particle and its children (false and empty for none).
  virtual bool GetParticleRect(TMultiParticle* particle, TRect& rect) = 0;
  virtual TMultiParticle* NewParticle() = 0;
  virtual TMultiParticle* NewParticleFromParams(IParamCollection* params) = 0;
  virtual void FreeParticle(TMultiParticle* particle) = 0;
  virtual bool IsDead(TMultiParticle* particle) = 0;
  virtual void MoveParticle(TMultiParticle* particle, int32_t dt) = 0;
  virtual void BeginDraw() = 0;
  virtual void EndDraw() = 0;
  virtual void DrawParticle(ISurface* surface, int32_t x, TMultiParticle* particle, int32_t y) = 0;
  virtual void EmitChildren(TMultiParticle* holder, IParamCollection* params) = 0;
  virtual void Emit(TMultiParticle* holder, int32_t dt) = 0;
  virtual int32_t CountParticles(TMultiParticle* holder) = 0;
  // A cell of a particle of this type; 0 when missing.
  virtual float Cell(const TMultiParticle& particle, int32_t col, int32_t row) = 0;
};

// "particle_types": the child types, keyed by name (without regard to case).
class IParticleTypeCollection : public virtual ICollection {
 public:
  // A name or a position; nothing when absent.
  virtual Ref<IParticleType> GetByKey(const Variant& key) = 0;
  // False when the name is taken.
  virtual bool Add(const Ref<IParticleType>& type) = 0;
};

// ---------------------------------------------------------------------------------------

class TParticleType : public TPropertyObject,
                      public virtual IParticleTypeOwner,
                      public virtual IParticleType {
 public:
  enum : uint8_t { psOrdinary = 0, psAfterglow = 1 };
  // Trail copies beyond this are not drawn: a runaway density would stall the frame.
  static constexpr int32_t kMaxAfterglowCopies = 1024;

  void Init() override;
  ~TParticleType() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  // IParticleTypeOwner
  IParticleSystem* GetParticleSystem() override { return system_; }
  IFunctionOwner* GetFunctionOwner() override;

  // IParticleType
  void SetOwner(IParticleTypeOwner* owner) override;
  void ReleaseOwner() override;
  void Prepare() override;
  void AdvanceTime(int32_t dt) override;
  Ref<IParamSpace> GetParamSpace() override { return paramSpace_; }
  bool GetUseLocalImages() override { return useLocalImages_; }
  void SetUseLocalImages(bool value) override { useLocalImages_ = value; }
  bool GetStaticImages() override { return staticImages_; }
  void SetStaticImages(bool value) override;
  TParticleImages* GetLocalImages() override { return &localImages_; }
  Ref<IWidgetCollection> GetWidgets() override;
  Ref<IFunction> GetFunction() override { return function_; }
  Ref<IParticleTypeCollection> GetChildTypes() override { return childTypes_; }
  bool GetParticleRect(TMultiParticle* particle, TRect& rect) override;
  TMultiParticle* NewParticle() override;
  TMultiParticle* NewParticleFromParams(IParamCollection* params) override;
  void FreeParticle(TMultiParticle* particle) override;
  bool IsDead(TMultiParticle* particle) override;
  void MoveParticle(TMultiParticle* particle, int32_t dt) override;
  void BeginDraw() override;
  void EndDraw() override;
  void DrawParticle(ISurface* surface, int32_t x, TMultiParticle* particle, int32_t y) override;
  void EmitChildren(TMultiParticle* holder, IParamCollection* params) override;
  void Emit(TMultiParticle* holder, int32_t dt) override;
  int32_t CountParticles(TMultiParticle* holder) override;
  float Cell(const TMultiParticle& particle, int32_t col, int32_t row) override {
    return CellValue(layout_, particle.cells, col, row);
  }

  const TCellLayout& Layout() const { return layout_; }
  uint8_t GetParticleStyle() const { return particleStyle_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  void CollectLocalImages();
  ISurface* ImageAt(int32_t index);
  ISurface* ImageOf(const TMultiParticle& particle);
  void DrawCopy(ISurface* surface, ISurface* image, int32_t left, int32_t top, uint8_t alpha,
                const TMultiParticle& particle);
  // Create's inputs fed from the holder's cells of the same names: slots in HolderType's
  // layout, found once per holder type.
  void MapHolderInputs(IParticleType* holderType);
  void BindFunctions();
  void UnbindFunctions();
  void RemoveDeadChildren(TMultiParticle* particle);

  IParticleTypeOwner* owner_ = nullptr;
  IParticleSystem* system_ = nullptr;
  Ref<IParticleTypeCollection> childTypes_;
  bool useLocalImages_ = false;
  bool staticImages_ = true;
  Ref<TWidgetCollection> widgets_;
  TParticleImages localImages_;
  uint8_t drawMode_ = 1;  // "fillcolor"
  uint8_t blendingMode_ = bmNormal;
  uint8_t transparentLevel_ = 255;
  uint8_t particleStyle_ = psOrdinary;
  bool alignToAnchor_ = false;
  float countFraction_ = 0;
  Ref<IParamSpace> paramSpace_;
  Ref<IFunction> function_;

  TCellLayout layout_;
  TRecordPool<TMultiParticle> pool_;
  std::vector<IParticleType*> childList_;  // the child types in order, for the frame
  TParticleFunctions functions_;
  IParticleType* mappedHolderType_ = nullptr;
  std::vector<int32_t> holderInputs_;  // per input of Create: the holder's slot, or -1
};

class TParticleTypeCollection : public TStaticCreationPersistItemCollection,
                                public virtual IParticleTypeCollection {
 public:
  void Init() override;
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  Ref<IParticleType> GetByKey(const Variant& key) override;
  bool Add(const Ref<IParticleType>& type) override;

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;

 private:
  std::string dataFile_;  // for warnings
};

class TMultiParticleSystem : public TVisualWidget,
                             public virtual IParticleSystem,
                             public virtual IParticleTypeOwner {
 public:
  void Init() override;
  ~TMultiParticleSystem() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;
  void Reset() override;
  void SetProperty(const std::string& name, const Variant& value) override;
  bool ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                       const TPropertyRow*& writer) override;
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  void Invalidate() override;
  void Restart() override;
  void Update(int32_t dt) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  // 1: particles on request (a parameter collection: "particle_type", "particles_count"
  // and cells for Create); 2: every particle freed.
  void Notify(int32_t code, const Variant& param) override;
  double GetLeft() override { return bounds_.Left; }
  double GetTop() override { return bounds_.Top; }
  int32_t GetWidth() override { return bounds_.Width(); }
  int32_t GetHeight() override { return bounds_.Height(); }
  TRect GetRect() override { return bounds_; }
  Ref<IWidgetCollection> GetChildren() override { return rootType_->GetWidgets(); }

  // IParticleSystem
  IWidgetOwner* GetWidgetOwner() override { return owner_; }
  TParticleImages* GetImages() override { return rootType_->GetLocalImages(); }
  int64_t GetRunningTime() override { return runningTime_; }
  bool HasRoom(int32_t count, int32_t cells) override;
  void ParticlesMade(int32_t count, int32_t cells) override;
  void ParticlesFreed(int32_t count, int32_t cells) override;
  int32_t TrailCopies(int32_t wanted) override;

  // IParticleTypeOwner
  IParticleSystem* GetParticleSystem() override { return this; }
  IFunctionOwner* GetFunctionOwner() override { return nullptr; }

  int32_t ParticleCount();
  TParticleType* RootType() const { return rootType_.get(); }
  TMultiParticle* RootParticle() const { return rootParticle_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  void NewRoot();
  void FreeRoot();
  void SetSurface(const Variant& value);
  void ReleaseSurface();
  void Step(int32_t dt);

  TMultiParticle* rootParticle_ = nullptr;
  Ref<TParticleType> rootType_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  TRect bounds_;
  int32_t deltaStep_ = 0;
  TStepClock stepClock_;
  int64_t runningTime_ = 0;
  TSurfaceCell surface_;
  int32_t liveParticles_ = 0;
  int64_t liveCells_ = 0;
  int32_t copiesLeft_ = 0;  // trail copies the frame being drawn may still have
  TCapNotice capNotice_;
};
