#pragma once
// Transform widgets: each wraps one child, renders it into a surface of its own and draws
// that surface changed in the child's place: placed between pixels ("smooth_move_widget"),
// scaled ("zoom_widget"), rotated ("rotate_widget", and by the clock
// "rotate_widget_timed"), cut by a mask image ("masked_widget"), outlined
// ("contour_widget"), seen through a viewport ("scrollarea_widget"), cut into a pie
// ("cutsector_widget") or shown through an editable mask ("mask_widget").
//
// The surface is rebuilt only when the child posts a change or the transformation changes;
// a still transform costs one blit per frame. Rebuilds draw into the surfaces kept from
// the last one and reuse the child's picture when only the transformation changed, so
// once the largest size has been seen nothing is allocated per frame.

#include <cstdint>
#include <string>
#include <vector>

#include "shell/WidgetClasses.h"

// A surface drawn into again and again: made once with the engine and kept. The part in
// use, W x H at the top left, may be smaller than the surface: a surface is grown when a
// larger size is asked and never shrunk, so a size that changes every frame (a breathing
// zoom) allocates nothing once its largest has been seen; the clip rectangle keeps every
// drawing inside the part in use. Fitted exactly, it is resized to each new size (pictures
// that are read whole).
class TWorkSurface {
 public:
  // False without an engine or a surface.
  bool Fit(IEngine* engine, int32_t width, int32_t height);
  bool FitExactly(IEngine* engine, int32_t width, int32_t height);
  void Release();
  // Every pixel of the part in use to 0.
  void Clear();

  ISurface* Get() const { return surface_.get(); }
  explicit operator bool() const { return bool(surface_); }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  TRect Rect() const { return TRect{0, 0, width_, height_}; }
  // The pixel in the part in use, 0 outside it.
  uint32_t Pixel(int32_t x, int32_t y) const;

 private:
  bool Make(IEngine* engine);
  void Resize(int32_t width, int32_t height, int32_t capacityWidth, int32_t capacityHeight);

  Ref<ISurface> surface_;
  int32_t width_ = 0, height_ = 0;
  // The size last asked of the surface (it may have cut a huge size down).
  int32_t askedWidth_ = -1, askedHeight_ = -1;
};

// Draws Widget's picture into Picture as its image would show it: Picture sized to the
// widget, the widget drawn at its anchor's place in its own rectangle. Empty for a widget
// of no size.
void DrawWidgetPicture(IWidget* widget, IEngine* engine, TWorkSurface& picture);

// ---------------------------------------------------------------------------------------
// The base

class TTransformWidget : public TDecorateWidget {
 public:
  static constexpr int32_t kReleaseSurfaces = 104;  // the notify code that drops them
  static constexpr const char* kBlendingModes =
      "normal/screen/overlay/linearlight/addition/maxopaque/bltfast";

  // Draws the child, changed, into the (cleared) surface.
  virtual void RebuildSurface() = 0;
  // Moves the drawing origin by the transformation's own offset.
  virtual void AdjustDrawOrigin(int32_t& x, int32_t& y);
  // Maps a point of the surface back into the child's coordinates.
  virtual void ToChildPoint(int32_t& x, int32_t& y);
  // Redraw, invalidated, and a rebuild before the next use.
  virtual void InvalidateSurface();

  // Makes, sizes and rebuilds the surface as needed.
  void EnsureSurface();

  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  // Only over pixels of the surface whose alpha is not 0.
  bool ContainsPoint(const TPoint& point, bool ignoreVisibility) override;
  TPoint ScreenToLocal(const TPoint& point) override;
  // A change of the child asks for a rebuild; its rectangle goes no further.
  void AddDirtyRect(const TRect& rect) override;
  void UpdateDirtyRects(bool forceOld, bool forceNew) override;
  void Invalidate() override;
  void Notify(int32_t code, const Variant& param) override;
  void ReleaseOwner() override;

  bool NeedsRepaint() const { return needsRepaint_; }
  // Rebuilds so far: tests and benchmarks see what a frame cost.
  int64_t RebuildCount() const { return rebuilds_; }

 protected:
  const TPropertyTable& Properties() override;
  void SetNeedsRepaint(bool value) { needsRepaint_ = value; }
  // The engine of the owner chain; nothing without one.
  IEngine* Engine() { return owner_ ? owner_->GetEngine() : nullptr; }
  // The child's picture, drawn again only after the child changed.
  ISurface* ChildPicture();
  int32_t ChildWidth() const { return child_ ? child_->GetWidth() : 0; }
  int32_t ChildHeight() const { return child_ ? child_->GetHeight() : 0; }
  // Where the child's image starts relative to its anchor, as (anchor - left) rounded.
  TPoint ChildOffset() const;
  // The size and the surfaces kept for it; Release drops them.
  virtual void ReleaseSurfaces();
  // Geometry and look changed.
  void TransformChanged();

  TWorkSurface surface_;
  bool needsRepaint_ = true;
  uint8_t blendingMode_ = bmNormal;

 private:
  TWorkSurface childPicture_;
  bool childPictureStale_ = true;
  int64_t rebuilds_ = 0;
};

// ---------------------------------------------------------------------------------------
// Placement between pixels, zoom and rotation

// "smooth_move_widget": the child drawn at the fractional part of the anchors, quantised
// by "sampling_step"; "caching" keeps one picture per fractional position.
class TSmoothMoveWidget : public TTransformWidget {
 public:
  // Whole part into the anchor, quantised fraction kept; a new fraction rebuilds.
  void SetAnchorLeft(double value) override;
  void SetAnchorTop(double value) override;
  void SetSamplingStep(double step);
  void SetCaching(bool value);
  double GetFractionX() const { return fractionX_; }
  double GetFractionY() const { return fractionY_; }
  // The grid side of the cache; 0 without one.
  int32_t CacheSize() const { return cacheSize_; }

  int32_t GetWidth() override;
  int32_t GetHeight() override;
  void RebuildSurface() override;
  void InvalidateSurface() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;
  void ReleaseSurfaces() override;
  // Fraction of Value past its floor, quantised; Index is its step count.
  void Split(double value, double& whole, double& fraction, int32_t& index) const;
  // Empties the cache and takes its side from the step (0: none).
  void RebuildCache();
  // Whether the whole grid, one picture of the surface's size per cell, stays within the
  // memory one widget's cache may take; makes the grid when it does, warns once when not.
  bool CacheFits();

  double fractionX_ = 0;
  double fractionY_ = 0;
  int32_t stepsX_ = 0;  // fraction x / step: the cache column
  int32_t stepsY_ = 0;
  double samplingStep_ = 0.25;
  bool caching_ = false;
  int32_t cacheSize_ = 0;
  bool cacheRefused_ = false;  // too large for its pictures; warned
  // Pictures per fractional position, row by row; kept when the cache is emptied.
  struct TCacheEntry {
    TWorkSurface picture;
    bool valid = false;
  };
  std::vector<TCacheEntry> cache_;
};

// "zoom_widget": the child scaled by "zoomx" and "zoomy" about "centerx", "centery" (in
// child pixels).
class TZoomWidget : public TSmoothMoveWidget {
 public:
  // Zooms of a magnitude below this take it, keeping their sign.
  static constexpr double kMinZoom = 0.001;

  void Init() override;
  virtual void SetZoomX(double value);
  virtual void SetZoomY(double value);
  virtual void SetCenterX(double value);
  virtual void SetCenterY(double value);
  virtual void ZoomChanged() {}
  double GetZoomX() const { return zoomX_; }
  double GetZoomY() const { return zoomY_; }

  double GetLeft() override;
  double GetTop() override;
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  void AdjustDrawOrigin(int32_t& x, int32_t& y) override;
  void ToChildPoint(int32_t& x, int32_t& y) override;
  void RebuildSurface() override;

 protected:
  const TPropertyTable& Properties() override;
  // True when the stored value changed.
  static bool SetZoomValue(double& stored, double value);
  void SetZoom(double value);
  void SetSmooth(bool value);
  void LoadZoom(const Ref<IHierStorage>& node);
  void SaveZoom(const Ref<IHierStorage>& node);

  double zoomX_ = 1;
  double zoomY_ = 1;
  double centerX_ = 0;
  double centerY_ = 0;
  bool smooth_ = true;
};

// "rotate_widget": the child turned by "angle" degrees about its centre moved by
// "centerx", "centery", in a square that holds it at every angle.
class TRotateWidget : public TZoomWidget {
 public:
  void SetAngle(double value);
  double GetAngle() const { return angle_; }
  void SetCenterX(double value) override;
  void SetCenterY(double value) override;
  void ZoomChanged() override;
  void InvalidateSurface() override;

  double GetLeft() override;
  double GetTop() override;
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  TRect GetRect() override;
  void AdjustDrawOrigin(int32_t& x, int32_t& y) override;
  void ToChildPoint(int32_t& x, int32_t& y) override;
  void RebuildSurface() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

  double angle_ = 0;
  double radius_ = 0;
  double centerOffsetX_ = 0;
  double centerOffsetY_ = 0;
  double childOriginX_ = 0;
  double childOriginY_ = 0;
};

// "rotate_widget_timed": with "rotate" on, one full turn in the negative direction per
// "rotationtime" from "startangle". A rotation time of 0 keeps the start angle.
class TTimedRotateWidget : public TRotateWidget {
 public:
  void Update(int32_t dt) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

  double startAngle_ = 0;
  int32_t rotationTime_ = 1000;
  bool rotate_ = false;
};

// "masked_widget": the child shown where the image resource "resourcename" is not
// transparent. The mask's corner sits on the child's anchor: keep the child at (0, 0).
class TMaskedSurfaceWidget : public TTransformWidget {
 public:
  int32_t GetWidth() override { return ChildWidth(); }
  int32_t GetHeight() override { return ChildHeight(); }
  void RebuildSurface() override;

 protected:
  const TPropertyTable& Properties() override;

  std::string maskName_;
};

// ---------------------------------------------------------------------------------------
// Outline, viewport, pie and mask (TransformWidgetsShapes.cpp)

// "contour_widget": the child with an outline of "contourcolor" and "contourthickness"
// around its pixels whose alpha is above "alphalimit"; hard or "smooth".
class TContourWidget : public TTransformWidget {
 public:
  // Thicker outlines are drawn this thick: the cost grows with the square of it.
  static constexpr int32_t kMaxThickness = 64;

  void SetThickness(int32_t value);
  int32_t GetThickness() const { return thickness_; }

  double GetLeft() override;
  double GetTop() override;
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  TRect GetRect() override;
  void AdjustDrawOrigin(int32_t& x, int32_t& y) override;
  void RebuildSurface() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;
  void ReleaseSurfaces() override;
  void SetShowContour(bool value);
  void SetAlphaLimit(int32_t value);
  void SetColor(uint32_t value);
  void Repaint();
  void HardContour(ISurface* target);
  void SmoothContour(ISurface* target);
  void BuildKernel();

  bool showContour_ = true;
  bool smooth_ = false;
  uint32_t color_ = 0;
  int32_t thickness_ = 1;
  int32_t alphaLimit_ = 0;
  struct TKernelEntry {
    int32_t dx, dy, weight;
  };
  std::vector<TKernelEntry> kernel_;
  int32_t kernelThickness_ = -1;  // the thickness the kernel was made for
  TWorkSurface scratch_;
};

// "scrollarea_widget": a "width" x "height" viewport of the child shifted by "shiftleft"
// and "shifttop".
class TScrollAreaWidget : public TTransformWidget {
 public:
  virtual void SetAreaWidth(int32_t value);
  virtual void SetAreaHeight(int32_t value);

  int32_t GetWidth() override { return areaWidth_; }
  int32_t GetHeight() override { return areaHeight_; }
  void ToChildPoint(int32_t& x, int32_t& y) override;
  void RebuildSurface() override;

 protected:
  const TPropertyTable& Properties() override;
  void SetShift(int32_t TScrollAreaWidget::*shift, int32_t value);

  int32_t areaWidth_ = 0;
  int32_t areaHeight_ = 0;
  int32_t shiftTop_ = 0;
  int32_t shiftLeft_ = 0;
};

// A child's picture with its own offset: the cut sector and the mask widget.
class TChildOffsetWidget : public TTransformWidget {
 public:
  int32_t GetWidth() override { return ChildWidth(); }
  int32_t GetHeight() override { return ChildHeight(); }
  double GetLeft() override;
  double GetTop() override;
  void AdjustDrawOrigin(int32_t& x, int32_t& y) override;
};

// "cutsector_widget": the child with the pie sector from "startangle" to "endangle"
// (degrees, rows growing downward) about ("centerx", "centery") erased.
class TCutSectorWidget : public TChildOffsetWidget {
 public:
  void RebuildSurface() override;

  // Whether the pixel (Col, Row) lies in the sector, by the angle of the pixel.
  static bool InSector(double col, double row, double centerX, double centerY, double start,
                       double end);
  // Erases the sector from the first Width x Height pixels of Target, row by row: the
  // edges of each row are found from where the sector's rays cross it, with the angle of
  // only a few pixels near them worked out.
  static void EraseSector(ISurface* target, int32_t width, int32_t height, double centerX,
                          double centerY, double start, double end);

 protected:
  const TPropertyTable& Properties() override;
  void SetValue(double TCutSectorWidget::*field, double value);

  double centerX_ = 0;
  double centerY_ = 0;
  double startAngle_ = 0;
  double endAngle_ = 0;
};

// "mask_widget": the child shown through a mask of its size, filled with one level or cut
// by the shapes of other widgets.
class TMaskWidget : public TChildOffsetWidget {
 public:
  void InvalidateSurface() override;
  void RebuildSurface() override;
  // Every mask pixel white with alpha Level.
  void FillMask(uint8_t level);
  // Clears the mask where Shape lies: over its pixels that are not transparent, or over
  // its whole rectangle.
  void SubtractFromMask(IWidget* shape, bool wholeRectangle);
  ISurface* GetMask() const { return mask_.Get(); }

 protected:
  const TPropertyTable& Properties() override;
  void ReleaseSurfaces() override;
  // Made at Width x Height and filled with 255 when there is none yet.
  bool EnsureMask(int32_t width, int32_t height);
  void SetAlphaLimit(int32_t value);
  void SubtractShape(const Variant& value, bool wholeRectangle);

  TWorkSurface mask_;
  int32_t alphaLimit_ = 0;
  // The level the whole mask holds, -1 once shapes were cut from it.
  int32_t uniformLevel_ = -1;
};
