#include "tools/assetgen/Canvas.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

static float Clamp01(float v) {
  return std::clamp(v, 0.0f, 1.0f);
}

Rgba Mix(Rgba a, Rgba b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Rgba Fade(Rgba c, float alphaFactor) {
  return {c.r, c.g, c.b, Clamp01(c.a * alphaFactor)};
}

Rgba Shade(Rgba c, float factor) {
  if (factor <= 1) return {c.r * factor, c.g * factor, c.b * factor, c.a};
  const float t = Clamp01(factor - 1);  // toward white
  return {c.r + (1 - c.r) * t, c.g + (1 - c.g) * t, c.b + (1 - c.b) * t, c.a};
}

uint8_t ToByte(float v) {
  return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f));
}

// ---- random and noise ----

uint64_t Rng::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Rng::Unit() {
  return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

double Rng::Range(double lo, double hi) {
  return lo + (hi - lo) * Unit();
}

int Rng::Below(int n) {
  return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n));
}

static float Lattice(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / 16777215.0f;
}

float ValueNoise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const float top =
      Lattice(ix, iy, seed) + (Lattice(ix + 1, iy, seed) - Lattice(ix, iy, seed)) * tx;
  const float bottom =
      Lattice(ix, iy + 1, seed) + (Lattice(ix + 1, iy + 1, seed) - Lattice(ix, iy + 1, seed)) * tx;
  return top + (bottom - top) * ty;
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amplitude = 0.5f, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u) * amplitude;
    total += amplitude;
    x *= 2.03f;
    y *= 2.03f;
    amplitude *= 0.5f;
  }
  return total > 0 ? sum / total : 0;
}

// ---- shapes ----

static float Length(float x, float y) {
  return std::sqrt(x * x + y * y);
}

Shape Circle(float cx, float cy, float r) {
  return {[=](float x, float y) { return Length(x - cx, y - cy) - r; },
          {cx - r, cy - r, cx + r, cy + r}};
}

Shape Ellipse(float cx, float cy, float rx, float ry) {
  // First-order distance (the implicit value over its gradient): close to the true
  // distance near the edge along both axes, so soft edges are as wide all round.
  return {[=](float x, float y) {
            const float k0 = Length((x - cx) / rx, (y - cy) / ry);
            const float k1 = Length((x - cx) / (rx * rx), (y - cy) / (ry * ry));
            if (k1 <= 0) return -std::min(rx, ry);
            return k0 * (k0 - 1) / k1;
          },
          {cx - rx, cy - ry, cx + rx, cy + ry}};
}

Shape RoundRect(float x0, float y0, float x1, float y1, float radius) {
  const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const float hx = (x1 - x0) / 2, hy = (y1 - y0) / 2;
  const float r = std::min({radius, hx, hy});
  return {[=](float x, float y) {
            const float qx = std::fabs(x - cx) - (hx - r), qy = std::fabs(y - cy) - (hy - r);
            return Length(std::max(qx, 0.0f), std::max(qy, 0.0f)) +
                   std::min(std::max(qx, qy), 0.0f) - r;
          },
          {x0, y0, x1, y1}};
}

Shape Capsule(float ax, float ay, float bx, float by, float r) {
  return {[=](float x, float y) {
            const float px = x - ax, py = y - ay, ex = bx - ax, ey = by - ay;
            const float ee = ex * ex + ey * ey;
            const float h = ee > 0 ? std::clamp((px * ex + py * ey) / ee, 0.0f, 1.0f) : 0.0f;
            return Length(px - ex * h, py - ey * h) - r;
          },
          {std::min(ax, bx) - r, std::min(ay, by) - r, std::max(ax, bx) + r, std::max(ay, by) + r}};
}

Shape Polygon(std::vector<float> xy) {
  Box box{1e9f, 1e9f, -1e9f, -1e9f};
  for (size_t i = 0; i + 1 < xy.size(); i += 2) {
    box.x0 = std::min(box.x0, xy[i]);
    box.x1 = std::max(box.x1, xy[i]);
    box.y0 = std::min(box.y0, xy[i + 1]);
    box.y1 = std::max(box.y1, xy[i + 1]);
  }
  const size_t n = xy.size() / 2;
  return {[pts = std::move(xy), n](float x, float y) {
            float best = 1e30f, sign = 1;
            for (size_t i = 0, j = n - 1; i < n; j = i++) {
              const float vix = pts[2 * i], viy = pts[2 * i + 1];
              const float ex = pts[2 * j] - vix, ey = pts[2 * j + 1] - viy;
              const float wx = x - vix, wy = y - viy;
              const float ee = ex * ex + ey * ey;
              const float h = ee > 0 ? std::clamp((wx * ex + wy * ey) / ee, 0.0f, 1.0f) : 0.0f;
              const float bx = wx - ex * h, by = wy - ey * h;
              best = std::min(best, bx * bx + by * by);
              const bool c1 = y >= viy, c2 = y<pts[2 * j + 1], c3 = ex * wy> ey * wx;
              if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) sign = -sign;
            }
            return sign * std::sqrt(best);
          },
          box};
}

Shape Star(float cx, float cy, float outer, float inner, int points, float turn) {
  std::vector<float> xy;
  const float pi = 3.14159265358979f;
  for (int i = 0; i < points * 2; ++i) {
    const float r = i % 2 ? inner : outer;
    const float angle = turn - pi / 2 + pi * static_cast<float>(i) / static_cast<float>(points);
    xy.push_back(cx + r * std::cos(angle));
    xy.push_back(cy + r * std::sin(angle));
  }
  return Polygon(std::move(xy));
}

static Box Join(Box a, Box b) {
  return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

Shape Union(Shape a, Shape b) {
  const Box box = Join(a.bounds, b.bounds);
  return {[a = std::move(a.distance), b = std::move(b.distance)](float x, float y) {
            return std::min(a(x, y), b(x, y));
          },
          box};
}

Shape Subtract(Shape a, Shape b) {
  const Box box = a.bounds;
  return {[a = std::move(a.distance), b = std::move(b.distance)](float x, float y) {
            return std::max(a(x, y), -b(x, y));
          },
          box};
}

Shape Intersect(Shape a, Shape b) {
  const Box box{std::max(a.bounds.x0, b.bounds.x0), std::max(a.bounds.y0, b.bounds.y0),
                std::min(a.bounds.x1, b.bounds.x1), std::min(a.bounds.y1, b.bounds.y1)};
  return {[a = std::move(a.distance), b = std::move(b.distance)](float x, float y) {
            return std::max(a(x, y), b(x, y));
          },
          box};
}

Shape Grow(Shape s, float by) {
  const Box box{s.bounds.x0 - by, s.bounds.y0 - by, s.bounds.x1 + by, s.bounds.y1 + by};
  return {[d = std::move(s.distance), by](float x, float y) { return d(x, y) - by; }, box};
}

Shape Offset(Shape s, float dx, float dy) {
  const Box box{s.bounds.x0 + dx, s.bounds.y0 + dy, s.bounds.x1 + dx, s.bounds.y1 + dy};
  return {[d = std::move(s.distance), dx, dy](float x, float y) { return d(x - dx, y - dy); }, box};
}

Shape BelowCurve(std::function<float(float x)> top, float x0, float x1, float y1) {
  float highest = y1;
  for (float x = x0; x <= x1; x += 1) highest = std::min(highest, top(x));
  return {[top = std::move(top), x0, x1, y1](float x, float y) {
            const float d = std::max({top(x) - y, x0 - x, x - x1});
            return std::max(d, y - y1);
          },
          {x0, highest, x1, y1}};
}

// ---- paints ----

Paint Solid(Rgba c) {
  return [c](float, float) { return c; };
}

Paint Linear(float x0, float y0, Rgba c0, float x1, float y1, Rgba c1) {
  const float ex = x1 - x0, ey = y1 - y0, ee = ex * ex + ey * ey;
  return [=](float x, float y) {
    const float t = ee > 0 ? Clamp01(((x - x0) * ex + (y - y0) * ey) / ee) : 0.0f;
    return Mix(c0, c1, t);
  };
}

Paint Radial(float cx, float cy, float r, Rgba inner, Rgba outer) {
  return [=](float x, float y) {
    return Mix(inner, outer, r > 0 ? Clamp01(Length(x - cx, y - cy) / r) : 1.0f);
  };
}

// ---- masks ----

float Mask::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return cover[static_cast<size_t>(y) * width + x];
}

Mask Dilate(const Mask& m, float radius) {
  Mask out = m;
  const int reach = static_cast<int>(std::ceil(radius + 0.5f));
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      float best = 0;
      for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
          const float weight =
              Clamp01(radius + 0.5f - Length(static_cast<float>(dx), static_cast<float>(dy)));
          if (weight > 0) best = std::max(best, m.At(x + dx, y + dy) * weight);
        }
      }
      out.cover[static_cast<size_t>(y) * m.width + x] = best;
    }
  }
  return out;
}

// ---- canvas ----

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height * 4, 0.0f) {}

void Canvas::Blend(int x, int y, Rgba c, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const float a = Clamp01(c.a) * Clamp01(coverage);
  if (a <= 0) return;
  float* p = &px_[(static_cast<size_t>(y) * width_ + x) * 4];
  const float keep = 1 - a;
  p[0] = Clamp01(c.r) * a + p[0] * keep;
  p[1] = Clamp01(c.g) * a + p[1] * keep;
  p[2] = Clamp01(c.b) * a + p[2] * keep;
  p[3] = a + p[3] * keep;
}

Rgba Canvas::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  const float* p = &px_[(static_cast<size_t>(y) * width_ + x) * 4];
  if (p[3] <= 0) return {};
  return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void Canvas::Fill(const Paint& paint) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) Blend(x, y, paint(x + 0.5f, y + 0.5f), 1);
}

void Canvas::FillShape(const Shape& shape, const Paint& paint, float feather) {
  feather = std::max(feather, 0.01f);
  const float margin = feather / 2 + 1;
  const int x0 = std::max(0, static_cast<int>(std::floor(shape.bounds.x0 - margin)));
  const int y0 = std::max(0, static_cast<int>(std::floor(shape.bounds.y0 - margin)));
  const int x1 = std::min(width_, static_cast<int>(std::ceil(shape.bounds.x1 + margin)));
  const int y1 = std::min(height_, static_cast<int>(std::ceil(shape.bounds.y1 + margin)));
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      const float coverage = Clamp01(0.5f - shape.distance(px, py) / feather);
      if (coverage > 0) Blend(x, y, paint(px, py), coverage);
    }
  }
}

void Canvas::FillMask(const Mask& mask, int x, int y, const Paint& paint, float opacity) {
  for (int my = 0; my < mask.height; ++my) {
    for (int mx = 0; mx < mask.width; ++mx) {
      const float c = mask.cover[static_cast<size_t>(my) * mask.width + mx] * opacity;
      if (c > 0) Blend(x + mx, y + my, paint(x + mx + 0.5f, y + my + 0.5f), c);
    }
  }
}

void Canvas::Draw(const Canvas& src, int x, int y) {
  for (int sy = 0; sy < src.height_; ++sy)
    for (int sx = 0; sx < src.width_; ++sx) Blend(x + sx, y + sy, src.Pixel(sx, sy), 1);
}

bool Canvas::Opaque() const {
  for (size_t i = 3; i < px_.size(); i += 4)
    if (ToByte(px_[i]) != 255) return false;
  return true;
}

std::vector<uint8_t> Canvas::ToRgba8() const {
  std::vector<uint8_t> out(static_cast<size_t>(width_) * height_ * 4);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const Rgba c = Pixel(x, y);
      uint8_t* o = &out[(static_cast<size_t>(y) * width_ + x) * 4];
      o[3] = ToByte(c.a);
      // A fully transparent pixel carries no colour; zero keeps files stable and small.
      o[0] = o[3] ? ToByte(c.r) : 0;
      o[1] = o[3] ? ToByte(c.g) : 0;
      o[2] = o[3] ? ToByte(c.b) : 0;
    }
  }
  return out;
}

std::vector<uint8_t> Canvas::ToRgb8Bled() const {
  const size_t n = static_cast<size_t>(width_) * height_;
  std::vector<Rgba> colour(n);
  std::vector<char> known(n);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const size_t i = static_cast<size_t>(y) * width_ + x;
      colour[i] = Pixel(x, y);
      known[i] = ToByte(colour[i].a) > 0;
    }
  }
  // Grow the known region a ring at a time; what is still unknown afterwards is far from
  // anything visible and stays black.
  for (int pass = 0; pass < 16; ++pass) {
    std::vector<char> next = known;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const size_t i = static_cast<size_t>(y) * width_ + x;
        if (known[i]) continue;
        Rgba sum{};
        int count = 0;
        const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
        for (int k = 0; k < 4; ++k) {
          if (nx[k] < 0 || ny[k] < 0 || nx[k] >= width_ || ny[k] >= height_) continue;
          const size_t j = static_cast<size_t>(ny[k]) * width_ + nx[k];
          if (!known[j]) continue;
          sum = {sum.r + colour[j].r, sum.g + colour[j].g, sum.b + colour[j].b, 0};
          ++count;
        }
        if (count == 0) continue;
        colour[i] = {sum.r / count, sum.g / count, sum.b / count, 0};
        next[i] = 1;
      }
    }
    known.swap(next);
  }
  std::vector<uint8_t> out(n * 3);
  for (size_t i = 0; i < n; ++i) {
    out[i * 3] = known[i] ? ToByte(colour[i].r) : 0;
    out[i * 3 + 1] = known[i] ? ToByte(colour[i].g) : 0;
    out[i * 3 + 2] = known[i] ? ToByte(colour[i].b) : 0;
  }
  return out;
}

std::vector<uint8_t> Canvas::ToAlpha8() const {
  std::vector<uint8_t> out(static_cast<size_t>(width_) * height_);
  for (size_t i = 0; i < out.size(); ++i) out[i] = ToByte(px_[i * 4 + 3]);
  return out;
}

}  // namespace assetgen
