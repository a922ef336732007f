// Pools, the step clock, particle cells and kept pictures of the particle systems.

#include "widgets/ParticleSystemsCommon.h"

#include <cmath>

#include "foundation/Warnings.h"
#include "functions/SurfaceHandles.h"
#include "shell/WidgetClasses.h"

// ---------------------------------------------------------------------------------------
// TCellLayout

void TCellLayout::Clear() {
  colStart_.clear();
  slots_.clear();
  sources_.clear();
}

void TCellLayout::Build(IParamSpace* space) {
  Clear();
  if (!space) return;
  const TFloatMatrix& matrix = space->GetMatrix();
  colStart_.push_back(0);
  for (const std::vector<float*>& column : matrix) {
    for (float* cell : column) {
      if (cell) {
        slots_.push_back(int32_t(sources_.size()));
        sources_.push_back(cell);
      } else {
        slots_.push_back(-1);
      }
    }
    colStart_.push_back(int32_t(slots_.size()));
  }
}

int32_t TCellLayout::SlotOf(IParamSpace* space, const std::string& name) const {
  if (!space || name.empty()) return -1;
  Ref<IParamDefCollection> defs = space->GetParamDefs();
  Ref<IParamDef> def = defs ? defs->GetByName(name) : nullptr;
  return def ? Slot(def->GetCol(), def->GetRow()) : -1;
}

void TCellLayout::Fill(std::vector<float>& cells) const {
  cells.resize(sources_.size());
  for (size_t i = 0; i < sources_.size(); ++i) cells[i] = *sources_[i];
}

uint8_t ClampChannel(double value) {
  int32_t v = RoundHalfEven(value);
  return uint8_t(std::clamp(v, 0, 255));
}

// ---------------------------------------------------------------------------------------
// Pictures

ISurface* RedrawWidgetImage(IWidget* widget, Ref<ISurface>& kept) {
  if (!widget) return nullptr;
  // Only visual widgets draw their picture themselves; any other kind answers GetImage
  // as it likes.
  if (!InterfaceCast<TVisualWidget>(widget)) {
    kept = widget->GetImage();
    return kept.get();
  }
  if (!kept) {
    IWidgetOwner* owner = widget->GetOwner();
    IEngine* engine = owner ? owner->GetEngine() : nullptr;
    if (!engine) return nullptr;
    kept = engine->CreateSurface();
    if (!kept) return nullptr;
    kept->SetHasAlpha(true);
  }
  int32_t w = widget->GetWidth(), h = widget->GetHeight();
  if (kept->GetWidth() != w || kept->GetHeight() != h)
    kept->SetSize(w, h);
  else
    kept->Clear();
  widget->Draw(kept.get(), RoundHalfEven(widget->GetAnchorLeft() - widget->GetLeft()),
               RoundHalfEven(widget->GetAnchorTop() - widget->GetTop()));
  return kept.get();
}

ISurface* TParticleImages::Picture(IWidget* widget, size_t index, bool alignToAnchor) {
  Ref<ISurface>& kept = kept_[index];
  if (!alignToAnchor || !widget) return RedrawWidgetImage(widget, kept);
  int32_t ax = RoundHalfEven(widget->GetAnchorLeft());
  int32_t ay = RoundHalfEven(widget->GetAnchorTop());
  int32_t dx = RoundHalfEven(ax - widget->GetLeft());
  int32_t dy = RoundHalfEven(ay - widget->GetTop());
  // An ordinary widget's left is its anchor: a surface of 2dx x 2dy would hold nothing.
  if (dx <= 0 || dy <= 0) return RedrawWidgetImage(widget, kept);
  IWidgetOwner* owner = widget->GetOwner();
  IEngine* engine = owner ? owner->GetEngine() : nullptr;
  if (!kept) {
    if (!engine) return nullptr;
    kept = engine->CreateSurface();
    if (!kept) return nullptr;
    kept->SetHasAlpha(true);
  }
  int32_t w = SaturateInt32(int64_t(dx) * 2), h = SaturateInt32(int64_t(dy) * 2);
  if (kept->GetWidth() != w || kept->GetHeight() != h)
    kept->SetSize(w, h);
  else
    kept->Clear();
  widget->Draw(kept.get(), dx, dy);
  return kept.get();
}

void TParticleImages::Collect(const std::vector<IWidget*>& widgets, bool alignToAnchor) {
  entries_.clear();
  if (kept_.size() < widgets.size()) kept_.resize(widgets.size());
  for (size_t i = 0; i < widgets.size(); ++i)
    entries_.push_back(Picture(widgets[i], i, alignToAnchor));
}

// ---------------------------------------------------------------------------------------
// Functions

namespace {

float* NamedCell(IFunction* function, const char* name) {
  Ref<IParamSpace> space = function ? function->GetParamSpace() : nullptr;
  return space ? space->GetCellPtrByName(name) : nullptr;
}

}  // namespace

void TParticleFunctions::Bind(IFunction* function, const TCellLayout& layout) {
  Unbind();
  Ref<IFunctionCollection> children = function ? function->GetFunctions() : nullptr;
  if (!children) return;
  create_ = children->GetByName("Create");
  update_ = children->GetByName("Update");
  if (create_) {
    count_ = NamedCell(create_.get(), "count");
    index_ = NamedCell(create_.get(), "index");
    totalIndex_ = NamedCell(create_.get(), "total_index");
    createOutputs_ = std::min(layout.RowCount(1), create_->GetOutputCount());
  }
  if (update_) {
    updateInputs_ = std::min(layout.RowCount(1), update_->GetInputCount());
    updateOutputs_ = std::min(layout.RowCount(0), update_->GetOutputCount());
  }
}

void TParticleFunctions::Unbind() {
  create_ = update_ = nullptr;
  count_ = index_ = totalIndex_ = nullptr;
  createOutputs_ = updateInputs_ = updateOutputs_ = 0;
}

// Through the cell found when bound; by name for a function without a space of its own.
float TParticleFunctions::Count() const {
  if (count_) return *count_;
  return create_ ? create_->GetParamValue("count") : 0.0f;
}

void TParticleFunctions::SetIndex(float value) const {
  if (index_)
    *index_ = value;
  else if (create_)
    create_->SetParamValue("index", value);
}

void TParticleFunctions::SetTotalIndex(float value) const {
  if (totalIndex_)
    *totalIndex_ = value;
  else if (create_)
    create_->SetParamValue("total_index", value);
}

void TParticleFunctions::Start(const TCellLayout& layout, std::vector<float>& cells) const {
  if (!create_) return;
  create_->Calculate();
  for (int32_t i = 0; i < createOutputs_; ++i)
    SetCellValue(layout, cells, 1, i, create_->GetOutput(i));
}

void TParticleFunctions::Move(const TCellLayout& layout, std::vector<float>& cells,
                              int32_t dt) const {
  int32_t age = layout.Slot(1, 0);
  if (age >= 0) cells[size_t(age)] += float(dt);
  if (!update_) return;
  IFunction* update = update_.get();
  for (int32_t i = 0; i < updateInputs_; ++i) update->SetInput(i, CellValue(layout, cells, 1, i));
  update->Execute();
  update->Calculate();
  for (int32_t i = 0; i < updateOutputs_; ++i)
    SetCellValue(layout, cells, 0, i, update->GetOutput(i));
}

void TCapNotice::Held(const std::string& type, const std::string& name) {
  if (said_) return;
  said_ = true;
  Warn(file_, type + " \"" + name + "\": held at its cap of " + std::to_string(kMaxLiveParticles) +
                  " live particles; what it asks for beyond that is not made");
}

int32_t WholeParticles(float& fraction, double rate, int32_t dt) {
  double c = double(fraction) + rate * dt / 1000.0;
  if (!std::isfinite(c)) c = 0;
  double whole = std::trunc(c);
  fraction = float(c - whole);
  return int32_t(std::clamp(whole, -1.0, double(kMaxLiveParticles)));
}

void TSurfaceCell::Set(const Variant& value, IFunction* function) {
  Ref<ISurface> surface;
  if (value.GetKind() == Variant::Kind::Interface)
    surface = Supports<ISurface>(value.RawInterface());
  Release(function);
  if (surface) handle_ = AcquireSurfaceHandle(surface);
  Store(function);
}

void TSurfaceCell::Store(IFunction* function) const {
  if (float* cell = NamedCell(function, "surface")) *cell = SurfaceHandleToCell(handle_);
}

void TSurfaceCell::Release(IFunction* function) {
  if (handle_ == 0) return;
  ReleaseSurfaceHandle(handle_);
  handle_ = 0;
  Store(function);
}
