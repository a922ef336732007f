#pragma once
// A floating-point RGBA picture and the few drawing operations the procedural art needs:
// shapes given by signed distance (negative inside), which gives anti-aliased or soft
// edges for free, painted with solid colours or gradients, plus coverage masks for text.
// Everything is deterministic: no clock, no global random state.

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/assetgen/AssetArgs.h"

namespace assetgen {

Rgba Mix(Rgba a, Rgba b, float t);
Rgba Fade(Rgba c, float alphaFactor);
Rgba Shade(Rgba c, float factor);  // factor < 1 darkens, > 1 lightens (clamped)

// A small fixed-sequence generator, so every asset is the same on every run.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  double Unit();                       // [0, 1)
  double Range(double lo, double hi);  // [lo, hi)
  int Below(int n);                    // 0..n-1, 0 for n <= 0

 private:
  uint64_t state_;
};

// Smooth value noise in 0..1 and its sum over octaves.
float ValueNoise(float x, float y, uint32_t seed);
float Fbm(float x, float y, uint32_t seed, int octaves);

struct Box {
  float x0, y0, x1, y1;
};

// A region: its signed distance in pixels and a box outside which it is certainly empty.
struct Shape {
  std::function<float(float x, float y)> distance;
  Box bounds;
};

Shape Circle(float cx, float cy, float r);
Shape Ellipse(float cx, float cy, float rx, float ry);
Shape RoundRect(float x0, float y0, float x1, float y1, float radius);
Shape Capsule(float ax, float ay, float bx, float by, float r);  // a thick line
Shape Polygon(std::vector<float> xy);                            // x0 y0 x1 y1 ...
Shape Star(float cx, float cy, float outer, float inner, int points, float turn);
Shape Union(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Grow(Shape s, float by);  // negative shrinks
Shape Offset(Shape s, float dx, float dy);
// Everything below the curve y = top(x) between x0 and x1 (down to y1).
Shape BelowCurve(std::function<float(float x)> top, float x0, float x1, float y1);

using Paint = std::function<Rgba(float x, float y)>;
Paint Solid(Rgba c);
Paint Linear(float x0, float y0, Rgba c0, float x1, float y1, Rgba c1);
Paint Radial(float cx, float cy, float r, Rgba inner, Rgba outer);

// Per-pixel coverage 0..1, e.g. rendered text.
struct Mask {
  int width = 0, height = 0;
  std::vector<float> cover;
  float At(int x, int y) const;  // 0 outside
};
// Coverage grown by `radius` pixels (the shape of an outline).
Mask Dilate(const Mask& m, float radius);

class Canvas {
 public:
  Canvas(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Paints every pixel over what is there.
  void Fill(const Paint& paint);
  // `feather` is the width of the edge ramp: 1 for a crisp anti-aliased edge, more for soft.
  void FillShape(const Shape& shape, const Paint& paint, float feather = 1.0f);
  // Paints through a mask whose top-left corner lands at (x, y).
  void FillMask(const Mask& mask, int x, int y, const Paint& paint, float opacity = 1.0f);
  void Draw(const Canvas& src, int x, int y);  // source over

  void Blend(int x, int y, Rgba c, float coverage);
  Rgba Pixel(int x, int y) const;  // straight alpha

  bool Opaque() const;  // every alpha is 1

  // 8-bit straight RGBA rows, top first.
  std::vector<uint8_t> ToRgba8() const;
  // 8-bit RGB rows without alpha. Transparent pixels take the colour of their visible
  // neighbours, so that a lossy colour image beside a separate alpha image (jpng) shows
  // no dark fringe along the alpha edge.
  std::vector<uint8_t> ToRgb8Bled() const;
  // The alpha channel alone, 8 bits a pixel.
  std::vector<uint8_t> ToAlpha8() const;

 private:
  int width_, height_;
  std::vector<float> px_;  // premultiplied r, g, b, a
};

uint8_t ToByte(float v);

}  // namespace assetgen
