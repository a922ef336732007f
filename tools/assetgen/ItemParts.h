#pragma once
// What the drawings of the hidden objects share: the box each is drawn in (the picture less a
// margin its outline needs), bodies lit from the upper left, gloss, flames and stitches.
// Every drawing is given in fractions of its box, so a doll drawn twice the size is the same doll.

#include <algorithm>
#include <cstdint>

#include "tools/assetgen/Canvas.h"

namespace assetgen::item {

Rgba Hex(uint32_t rgb, float alpha = 1);

struct Frame {
  float x0, y0, w, h;
  float X(float u) const { return x0 + u * w; }
  float Y(float v) const { return y0 + v * h; }
  float S(float f) const { return f * std::min(w, h); }  // a length that keeps its shape
};

Shape Rect(float x0, float y0, float x1, float y1);

// A solid body: lighter toward the upper left, darker toward the lower right and along its
// edge (over `edge` pixels), so that it reads round rather than cut out.
void Lit(Canvas& c, const Shape& s, Rgba colour, float edge = 3);
// A body turned on an upright axis (a tin, a candle): bright a third of the way across.
void Turned(Canvas& c, const Shape& s, Rgba colour, float x0, float x1);
// A soft white highlight where the light falls.
void Gloss(Canvas& c, float cx, float cy, float rx, float ry, float alpha = 0.55f);
// A candle's flame standing on (cx, base), its glow round it.
void Flame(Canvas& c, float cx, float base, float w, float h);
// A row of short stitches across the segment from (ax, ay) to (bx, by).
void Stitches(Canvas& c, float ax, float ay, float bx, float by, int count, float size,
              Rgba colour);

}  // namespace assetgen::item
