#pragma once
// What the particle systems share: the pool their particle records come from, the clock of
// "delta_step", the private cells of particles made from a parameter space, the pictures
// of widgets kept between frames, and the limits that keep bad data from eating the
// machine.
//
// Every per-frame path here allocates nothing once the system has reached its largest
// number of live particles: records, their cells and the pictures are reused.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/CheckedMath.h"
#include "functions/FunctionInterfaces.h"
#include "functions/ParamSpaces.h"
#include "shell/GameInterfaces.h"

// A system keeps at most this many live particles (all levels of a multi system counted);
// emissions beyond it are dropped. Far above any effect, and what a frame can move and
// draw in a few milliseconds (bench/particle_bench: "*AtTheCap").
constexpr int32_t kMaxLiveParticles = 25000;
// A frame draws at most this many pictures of one system: the trails of a multi system
// are cut short beyond it, as they would multiply the draws of a full system.
constexpr int32_t kMaxDrawnCopies = 2 * kMaxLiveParticles;
// And at most this many private cells over all of them.
constexpr int64_t kMaxLiveCells = int64_t(1) << 22;
// "delta_step" runs at most this many steps in one update; a longer update (a stalled
// frame, a huge "time_rate") drops the steps beyond it instead of hanging.
constexpr int32_t kMaxStepsPerUpdate = 1000;

// Says once per system, naming the file it was read from, that it is held at its cap:
// what its data asks for beyond the cap is not made. Quiet after the first time, so a
// full system's frames build no text.
class TCapNotice {
 public:
  void SetFile(std::string file) { file_ = std::move(file); }
  void Held(const std::string& type, const std::string& name);

 private:
  std::string file_;
  bool said_ = false;
};

// ---------------------------------------------------------------------------------------
// Records reused: Take gives a record (fresh or given back earlier), Give takes it back.
// Records are never freed before the pool, so a system that runs at a steady number of
// particles allocates nothing.

template <class T>
class TRecordPool {
 public:
  T* Take() {
    if (free_.empty()) Grow();
    T* record = free_.back();
    free_.pop_back();
    ++live_;
    return record;
  }
  void Give(T* record) {
    free_.push_back(record);  // room reserved by Grow: never allocates
    --live_;
  }
  int32_t Live() const { return live_; }

 private:
  void Grow() {
    size_t count = blocks_.empty() ? 64 : std::min<size_t>(4096, blocks_.size() * 64);
    blocks_.push_back(std::make_unique<T[]>(count));
    free_.reserve(free_.size() + count + size_t(live_));
    T* block = blocks_.back().get();
    for (size_t i = count; i > 0; --i) free_.push_back(&block[i - 1]);
  }

  std::vector<std::unique_ptr<T[]>> blocks_;
  std::vector<T*> free_;
  int32_t live_ = 0;
};

// ---------------------------------------------------------------------------------------
// The clock of "delta_step". The widget's "currenttime" runs with the frames; this clock
// trails it by the remainder that has not made a whole step yet, so it advances in whole
// steps and a frame may hold none, one or several of them.

class TStepClock {
 public:
  // After the widget's clock has advanced by Dt to Now: calls OnStep(start, end) once per
  // whole step completed, with the step clock before and after it.
  template <class F>
  void Run(int32_t now, int32_t dt, int32_t step, F&& onStep) {
    remainder_ += dt;
    int64_t steps = remainder_ >= step ? remainder_ / step : 0;
    if (steps > kMaxStepsPerUpdate) {
      remainder_ -= (steps - kMaxStepsPerUpdate) * step;
      steps = kMaxStepsPerUpdate;
    }
    for (int64_t i = 0; i < steps; ++i) {
      remainder_ -= step;
      int64_t end = int64_t(now) - remainder_;
      onStep(end - step, end);
    }
  }
  // The step clock when the widget's clock reads Now.
  int64_t Time(int32_t now) const { return int64_t(now) - remainder_; }
  void Reset() { remainder_ = 0; }

 private:
  int64_t remainder_ = 0;
};

// ---------------------------------------------------------------------------------------
// The cells of particles made from one parameter space bound without owner: its static
// cells, private to every particle, and the others, which have no storage (read as 0,
// writes dropped). A particle keeps only its static cells, in slots; the layout maps
// (column, row) to slots once for all particles of the space.

class TCellLayout {
 public:
  // From the space's built matrix; an empty layout without a space.
  void Build(IParamSpace* space);
  void Clear();

  int32_t SlotCount() const { return int32_t(sources_.size()); }
  int32_t ColCount() const { return int32_t(colStart_.empty() ? 0 : colStart_.size() - 1); }
  int32_t RowCount(int32_t col) const {
    return col >= 0 && col < ColCount() ? colStart_[size_t(col) + 1] - colStart_[size_t(col)] : 0;
  }
  // The slot of (Col, Row), -1 when the cell is missing or has no storage.
  int32_t Slot(int32_t col, int32_t row) const {
    if (row < 0 || row >= RowCount(col)) return -1;
    return slots_[size_t(colStart_[size_t(col)] + row)];
  }
  // The slot of the space's definition named Name, -1 for none.
  int32_t SlotOf(IParamSpace* space, const std::string& name) const;
  // A new particle's cells: the space's own cells as they are now.
  void Fill(std::vector<float>& cells) const;

 private:
  std::vector<int32_t> colStart_;  // column c holds rows [colStart_[c], colStart_[c + 1])
  std::vector<int32_t> slots_;
  std::vector<const float*> sources_;  // per slot: the space's own cell
};

// A particle's cell through a layout: 0 for a missing cell; writes to it are dropped.
inline float CellValue(const TCellLayout& layout, const std::vector<float>& cells, int32_t col,
                       int32_t row) {
  int32_t slot = layout.Slot(col, row);
  return slot < 0 ? 0.0f : cells[size_t(slot)];
}
inline void SetCellValue(const TCellLayout& layout, std::vector<float>& cells, int32_t col,
                         int32_t row, float value) {
  int32_t slot = layout.Slot(col, row);
  if (slot >= 0) cells[size_t(slot)] = value;
}

// A colour channel or alpha from a cell: rounded, then held to 0..255.
uint8_t ClampChannel(double value);

// ---------------------------------------------------------------------------------------
// Pictures of widgets, one entry per widget in order (empty where a widget gives none, so
// indexes keep matching the widgets). Each picture is drawn into a surface kept between
// collections: collecting every frame redraws, it does not allocate.

class TParticleImages {
 public:
  // The picture of every widget, as GetImage draws it. With AlignToAnchor a widget whose
  // anchor lies right of and below its left and top is drawn with its anchor at the
  // centre of its picture; any other widget falls back to its plain picture.
  void Collect(const std::vector<IWidget*>& widgets, bool alignToAnchor = false);
  // Drops the entries; the kept surfaces stay for the next collection.
  void Release() { entries_.clear(); }

  int32_t Count() const { return int32_t(entries_.size()); }
  // The picture at Index; nothing outside the list or for a widget without one.
  ISurface* At(int32_t index) const {
    return index >= 0 && index < Count() ? entries_[size_t(index)] : nullptr;
  }

 private:
  ISurface* Picture(IWidget* widget, size_t index, bool alignToAnchor);

  std::vector<ISurface*> entries_;
  std::vector<Ref<ISurface>> kept_;
};

// Draws the picture of Widget (as GetImage would) into Kept, making Kept on first use;
// nothing without an engine above the widget.
ISurface* RedrawWidgetImage(IWidget* widget, Ref<ISurface>& kept);

// ---------------------------------------------------------------------------------------
// A particle function's children "Create" and "Update", and the cells the per-frame calls
// reach, found once when the function is bound rather than by name every frame.

class TParticleFunctions {
 public:
  // Function may be null (nothing is created, nothing updates).
  void Bind(IFunction* function, const TCellLayout& layout);
  void Unbind();

  IFunction* Create() const { return create_.get(); }
  IFunction* Update() const { return update_.get(); }
  // Create's "count" (particles a second), "index" and "total_index"; names Create lacks
  // read 0 and take no writes.
  float Count() const;
  void SetIndex(float value) const;
  void SetTotalIndex(float value) const;
  // Runs Create and starts column 1 of a new particle's cells from its outputs.
  void Start(const TCellLayout& layout, std::vector<float>& cells) const;
  // Ages the particle ((1, 0) += Dt) and runs Update, fed column 1, writing column 0.
  void Move(const TCellLayout& layout, std::vector<float>& cells, int32_t dt) const;

 private:
  Ref<IFunction> create_;
  Ref<IFunction> update_;
  float* count_ = nullptr;
  float* index_ = nullptr;
  float* totalIndex_ = nullptr;
  int32_t createOutputs_ = 0;  // Create's outputs that reach column 1
  int32_t updateInputs_ = 0;   // column 1 cells Update is fed
  int32_t updateOutputs_ = 0;  // Update's outputs that reach column 0
};

// Particles a batch of Dt ms makes at Rate a second; the fraction below one is carried in
// Fraction. Never more than the live particles a system may hold.
int32_t WholeParticles(float& fraction, double rate, int32_t dt);

// A picture handed to a particle function: held under a handle (functions/SurfaceHandles)
// that the function's cell "surface" carries, and given back when replaced or released.
class TSurfaceCell {
 public:
  ~TSurfaceCell() { Release(nullptr); }
  // The value's surface (none for anything else) replaces the one held.
  void Set(const Variant& value, IFunction* function);
  // Writes the handle into the cell again (a function bound anew made its cells afresh).
  void Store(IFunction* function) const;
  // Gives the surface back; the cell then reads 0.
  void Release(IFunction* function);

 private:
  uint32_t handle_ = 0;
};
