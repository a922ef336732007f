#pragma once
// "curve_widget": the path of a path function drawn with a pen (the first child's picture)
// stamped at every step of the path, all at once or little by little ("stepping" over
// "drawtime"), forwards or backwards. "smooth" passes the stamps through the antialiaser:
// a round pen with a soft edge, stamped once per covered pixel.
//
// The curve is drawn again in full whenever the drawn step count, the function or the
// draw shift changes, into a surface kept from the last time; the pen's picture is kept
// too, so drawing little by little allocates nothing per frame.

#include <cstdint>
#include <vector>

#include "shell/WidgetClasses.h"
#include "widgets/TransformWidgets.h"

// The curve widget as the game's line widgets are driven: the game's code sets the ends
// "x1", "y1", "x2", "y2" and the colour "fillcolor", then refreshes. Interface identifier
// {6BD206E7-825C-4FB9-88BA-922CE3294F3E}.
class ICurveWidget : public virtual IWidget {
 public:
  virtual Ref<IPathFunction> GetFunction() = 0;
  // Stores it, prepares it (Execute) and draws again.
  virtual void SetFunction(const Ref<IPathFunction>& function) = 0;
  // Prepares the function again (after its cells changed) and draws again.
  virtual void Reinit() = 0;
  virtual void SetDrawShift(float value) = 0;
};

// Turns sampled points of a path into pixel coverage of a round pen of Size pixels with an
// edge fading over Softness pixels. A grid of (Size + 3)^2 cells around the last point
// keeps, per pixel, the smallest squared distance to any point; cells leaving the grid as
// it follows the points, and all cells at the end, are handed to the callback with a
// weight from 0 to 1.
class TAntialiaser {
 public:
  using TEmit = void (*)(void* context, int32_t x, int32_t y, ISurface* target, double weight);

  TAntialiaser(int32_t size, double softness, TEmit emit, void* context);

  // Forgets the points: the next one starts a new line.
  void Reset();
  void AddPoint(double x, double y, ISurface* target);
  // Emits every cell.
  void EvaluateKernel(ISurface* target);

  int32_t Size() const { return size_; }
  int32_t OriginX() const { return originX_; }
  int32_t OriginY() const { return originY_; }

 private:
  float& Cell(int32_t i, int32_t j) { return grid_[size_t(i) * size_t(n_) + size_t(j)]; }
  void Accumulate(double x, double y);
  void Emit(int32_t i, int32_t j, ISurface* target);
  // Moves the grid Steps cells along x (positive: the points went right), emitting the
  // cells that leave it and emptying those that come in.
  void ShiftX(int64_t steps, ISurface* target);
  void ShiftY(int64_t steps, ISurface* target);

  bool active_ = false;
  int32_t size_;
  int32_t n_;
  int32_t half_;
  float empty_;
  double softness_;
  int32_t originX_ = 0;
  int32_t originY_ = 0;
  std::vector<float> grid_;  // n x n, cell (i, j) at i * n + j
  TEmit emit_;
  void* context_;
};

class TCurveWidget : public TGroupWidget, public virtual ICurveWidget {
 public:
  // Progressive drawings longer than this many steps are drawn with this many: a huge path
  // or a tiny shift from data must not hang a frame.
  static constexpr int32_t kMaxSteps = 1 << 17;

  void Init() override;
  ~TCurveWidget() override;

  Ref<IPathFunction> GetFunction() override { return function_; }
  void SetFunction(const Ref<IPathFunction>& function) override;
  void Reinit() override;
  void SetDrawShift(float value) override;

  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  // The path's bounds grown by the pen, within the screen; kept until the next redraw.
  TRect GetRect() override;
  double GetLeft() override { return GetRect().Left; }
  double GetTop() override { return GetRect().Top; }
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  // Only over drawn pixels.
  bool ContainsPoint(const TPoint& point, bool ignoreVisibility) override;
  void Update(int32_t dt) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  // Tests and benchmarks: the state of the progressive drawing and the redraws so far.
  int32_t DrawnSteps() const { return drawnSteps_; }
  int32_t TotalSteps() const { return totalSteps_; }
  int64_t RedrawCount() const { return redraws_; }
  ISurface* CurveSurface() const { return curve_.Get(); }

 protected:
  const TPropertyTable& Properties() override;

 private:
  // Whether there is something to draw: a path, a pen and a shift.
  bool CanDraw() const;
  void ReadScreenSize();
  // The steps the whole path takes at the draw shift, within the limit.
  int32_t StepsOfPath();
  void EnsureCurve();
  void DrawPen(ISurface* target, int32_t alpha, int32_t x, int32_t y);
  static void StampPen(void* context, int32_t x, int32_t y, ISurface* target, double weight);
  void SetDrawnSteps(int32_t steps);
  void AskRedraw();
  // The ends of the path: cells (2, 0..3) of the function.
  float GetEnd(int32_t row);
  void SetEnd(int32_t row, float value);
  void SetFillColor(const Variant& value);
  void SetDrawModeText(const Variant& value);
  void SetSteppingDirection(int32_t direction);
  void SetCurrentT(double value) { currentT_ = value; }
  void LoadFunction(const Ref<IHierStorage>& node);
  void SaveFunction(const Ref<IHierStorage>& node);

  TWorkSurface curve_;
  TWorkSurface penImage_;
  bool needsRedraw_ = true;
  Ref<IPathFunction> function_;
  Ref<IWidget> pen_;
  float drawShift_ = 1;
  uint32_t fillColor_ = 0xFFFFFFFF;
  TAntialiaser antialiaser_{1, 1.0, &TCurveWidget::StampPen, this};
  TRect bounds_{};
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool smooth_ = true;
  bool stepping_ = false;
  int32_t drawTime_ = 1000;
  uint8_t state_ = 1;
  int32_t drawnSteps_ = 0;
  int32_t totalSteps_ = 0;
  double currentT_ = 0;
  int32_t direction_ = 1;
  uint8_t drawMode_ = TSurfaceWidget::dmFillColor;
  uint8_t blendingMode_ = bmNormal;
  int32_t screenWidth_ = 0;
  int32_t screenHeight_ = 0;
  int64_t redraws_ = 0;
};
