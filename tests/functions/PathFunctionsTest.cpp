#include <gtest/gtest.h>

#include <cmath>

#include "tests/functions/FunctionTestSupport.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Outputs x, y and the step as cells; the rest as given (column 2 and beyond).
Ref<IPathFunction> NewPath(const std::string& type, std::vector<TCellValue> cells,
                           bool loop = false) {
  cells.insert(cells.begin(), {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}});
  Ref<IPathFunction> path = Supports<IPathFunction>(NewFunctionWithCells(type, cells));
  if (auto* base = dynamic_cast<TAbstractPathFunction*>(path.get())) base->SetLoop(loop);
  path->SetOwner(nullptr);
  path->Execute();
  return path;
}

// Start (x1, y1), end (x2, y2), duration, length cell; then the class's cells.
std::vector<TCellValue> Ends(float x1, float y1, float x2, float y2, float duration,
                             std::vector<TCellValue> more = {}) {
  std::vector<TCellValue> cells = {{2, 0, x1}, {2, 1, y1},       {2, 2, x2},
                                   {2, 3, y2}, {2, 4, duration}, {2, 5, 0}};
  cells.insert(cells.end(), more.begin(), more.end());
  return cells;
}

std::vector<TCellValue> Arc(float x1, float y1, float x2, float y2, float direction) {
  return Ends(
      x1, y1, x2, y2, 100,
      {{2, 6, 0}, {2, 7, 0}, {3, 0, 0}, {3, 1, 0}, {3, 2, 0}, {3, 3, 0}, {4, 0, direction}});
}

std::vector<TCellValue> Bezier(float x1, float y1, float ax, float ay, float bx, float by, float x2,
                               float y2) {
  return Ends(x1, y1, x2, y2, 10, {{2, 6, ax}, {2, 7, ay}, {2, 8, bx}, {2, 9, by}});
}

TEST(PathFunctions, PointsAtSteps) {
  struct Case {
    const char* what;
    const char* type;
    std::vector<TCellValue> cells;
    bool loop;
    int32_t step;
    float x, y;
  };
  const float r = 10 * std::sqrt(0.5f);
  const Case cases[] = {
      {"segment", "path_segment", Ends(0, 0, 3, 4, 10), false, 5, 1.5f, 2},
      {"segment extrapolates", "path_segment", Ends(0, 0, 3, 4, 10), false, 20, 6, 8},
      {"segment loops", "path_segment", Ends(0, 0, 3, 4, 10), true, 20, 0, 0},
      {"segment loops back", "path_segment", Ends(0, 0, 3, 4, 10), true, -3, -0.9f, -1.2f},
      {"duration 0 is at the end", "path_segment", Ends(1, 2, 3, 4, 0), false, 7, 3, 4},
      {"duration 0 looping", "path_segment", Ends(1, 2, 3, 4, 0), true, 7, 3, 4},
      // d = s*s*a/2 + s*v over the length 100
      {"accelerated", "path_segment_accelerate", Ends(0, 0, 100, 0, 10, {{2, 6, 1}, {2, 7, 2}}),
       false, 5, 30, 0},
      // 50 s of milliseconds: s*s is past 32 bits
      {"accelerated, long", "path_segment_accelerate",
       Ends(0, 0, 0, 100, 10, {{2, 6, 0}, {2, 7, 0.00002f}}), false, 50000, 0, 25000},
      {"accelerated, no length", "path_segment_accelerate",
       Ends(5, 6, 5, 6, 10, {{2, 6, 1}, {2, 7, 1}}), false, 5, 5, 6},
      {"arc increasing", "path_arc", Arc(10, 0, 0, 10, 1), false, 50, r, r},
      {"arc decreasing", "path_arc", Arc(10, 0, 0, 10, 0), false, 50, -r, -r},
      {"arc as computed", "path_arc", Arc(0, 10, 10, 0, 7), false, 50, r, r},
      {"bezier", "path_bezier", Bezier(0, 0, 0, 10, 10, 10, 10, 0), false, 5, 5, 7.5f},
      {"bezier end", "path_bezier", Bezier(0, 0, 0, 10, 10, 10, 10, 0), false, 10, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ref<IPathFunction> path = NewPath(c.type, c.cells, c.loop);
    ASSERT_TRUE(path);
    path->SetStep(c.step);
    EXPECT_NEAR(path->GetX(), c.x, 1e-3);
    EXPECT_NEAR(path->GetY(), c.y, 1e-3);
  }
}

TEST(PathFunctions, LengthsAndBounds) {
  struct Case {
    const char* what;
    const char* type;
    std::vector<TCellValue> cells;
    float length;
    TRect bounds;
  };
  const Case cases[] = {
      {"segment", "path_segment", Ends(0, 0, 3, 4, 10), 5, {0, 0, 3, 4}},
      {"squared length rounded",
       "path_segment",
       Ends(0, 0, 1, 1.2f, 10),
       std::sqrt(2.0f),
       {0, 0, 1, 1}},
      {"segment backwards",
       "path_segment",
       Ends(3.6f, 4, -1.5f, 0.5f, 10),
       6.164414f,
       {-2, 0, 4, 4}},
      {"arc quarter", "path_arc", Arc(10, 0, 0, 10, 1), float(kPi / 2 * 10), {0, 0, 10, 10}},
      {"arc long way", "path_arc", Arc(10, 0, 0, 10, 0), float(1.5 * kPi * 10), {-10, -10, 10, 10}},
      {"half circle", "path_arc", Arc(10, 0, -10, 0, 1), float(kPi * 10), {-10, 0, 10, 10}},
      // A Bezier curve's bounds are where it goes, not the hull of its controls.
      {"bezier straight", "path_bezier", Bezier(0, 0, 10, 0, 20, 0, 30, 0), 30, {0, 0, 30, 0}},
      {"bezier arch", "path_bezier", Bezier(0, 0, 0, 100, 100, 100, 100, 0), 200, {0, 0, 100, 75}},
      {"bezier point", "path_bezier", Bezier(5, 5, 5, 5, 5, 5, 5, 5), 0, {5, 5, 5, 5}},
      {"bezier loop",
       "path_bezier",
       Bezier(0, 0, 100, 100, -100, 100, 0, 0),
       203.67f,
       {-29, 0, 29, 75}},
      {"bezier off the origin",
       "path_bezier",
       Bezier(600.5f, 400, 900, 100, 300, 100, 700, 420),
       0,
       {557, 177, 700, 420}},
      {"bezier NaN", "path_bezier", Bezier(0, 0, NAN, 1, 2, 2, 3, 3), 0, {0, 0, 3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ref<IPathFunction> path = NewPath(c.type, c.cells);
    // Curved pieces are measured by their chords: within a few units of the true length.
    bool curved = std::string(c.what).find("arch") != std::string::npos ||
                  std::string(c.what).find("loop") != std::string::npos;
    float tolerance = curved ? 2.0f : 1e-3f;
    if (std::string(c.what) == "bezier off the origin") {
      // Only its bounds are of interest.
    } else if (std::string(c.what) == "bezier NaN") {
      EXPECT_TRUE(std::isnan(path->GetStoredLength()) || path->GetStoredLength() >= 0);
    } else {
      EXPECT_NEAR(path->GetStoredLength(), c.length, tolerance);
    }
    TRect bounds;
    path->GetBounds(bounds);
    EXPECT_EQ(bounds, c.bounds) << bounds.Left << " " << bounds.Top << " " << bounds.Right << " "
                                << bounds.Bottom;
  }
}

// Two children of durations 10 and 20, the composite's own end point (99, 98).
Ref<TCompositePathFunction> NewComposite() {
  RegisterFunctionsClasses();
  Ref<TCompositePathFunction> composite = TAbstractObject::Create<TCompositePathFunction>();
  for (const TCellValue& cell : std::vector<TCellValue>{
           {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {2, 2, 99}, {2, 3, 98}, {2, 4, 0}, {2, 5, 0}})
    composite->GetParamSpace()->AddParamDef(
        "c" + std::to_string(cell.Col) + std::to_string(cell.Row), cell.Col, cell.Row, true, {},
        cell.Value);
  Ref<IFunction> first = NewFunctionWithCells("path_segment", {{0, 0, 0},
                                                               {0, 1, 0},
                                                               {1, 0, 0},
                                                               {2, 0, 0},
                                                               {2, 1, 0},
                                                               {2, 2, 10},
                                                               {2, 3, 0},
                                                               {2, 4, 10},
                                                               {2, 5, 0}});
  Ref<IFunction> second = NewFunctionWithCells("path_segment", {{0, 0, 0},
                                                                {0, 1, 0},
                                                                {1, 0, 0},
                                                                {2, 0, 10},
                                                                {2, 1, 0},
                                                                {2, 2, 10},
                                                                {2, 3, 40},
                                                                {2, 4, 20},
                                                                {2, 5, 0}});
  composite->Children().Add(first);
  composite->Children().Add(second);
  composite->SetOwner(nullptr);
  composite->Execute();
  return composite;
}

TEST(PathFunctions, CompositePlaysChildrenInTurn) {
  Ref<TCompositePathFunction> path = NewComposite();
  EXPECT_EQ(path->GetDuration(), 30);
  EXPECT_FLOAT_EQ(path->GetStoredLength(), 50);
  TRect bounds;
  path->GetBounds(bounds);
  EXPECT_EQ(bounds, (TRect{0, 0, 10, 40}));
  struct Step {
    int32_t step;
    float x, y;
  };
  // Stepping forward, past the end, then back to the first child (which extrapolates
  // before its start).
  const Step steps[] = {{5, 5, 0},    {10, 10, 0}, {20, 10, 20}, {25, 10, 30},
                        {30, 99, 98}, {5, 5, 0},   {-5, -5, 0},  {15, 10, 10}};
  for (const Step& s : steps) {
    path->SetStep(s.step);
    EXPECT_FLOAT_EQ(path->GetX(), s.x) << s.step;
    EXPECT_FLOAT_EQ(path->GetY(), s.y) << s.step;
  }
  // Looping over the total duration.
  path->SetLoop(true);
  path->SetStep(35);
  EXPECT_FLOAT_EQ(path->GetX(), 5);

  Ref<TCompositePathFunction> empty = TAbstractObject::Create<TCompositePathFunction>();
  for (int32_t row : {0, 1})
    empty->GetParamSpace()->AddParamDef("o" + std::to_string(row), 0, row, true, {}, 0);
  empty->GetParamSpace()->AddParamDef("s", 1, 0, true, {}, 0);
  empty->GetParamSpace()->AddParamDef("x2", 2, 2, true, {}, 7);
  empty->GetParamSpace()->AddParamDef("y2", 2, 3, true, {}, 8);
  empty->SetOwner(nullptr);
  empty->Execute();
  empty->SetStep(3);
  EXPECT_FLOAT_EQ(empty->GetX(), 7);
  EXPECT_FLOAT_EQ(empty->GetY(), 8);
}

// A path missing cells it needs computes nothing and reads nothing.
TEST(PathFunctions, MissingCellsLeaveThePoint) {
  for (const char* type :
       {"path_segment", "path_segment_accelerate", "path_arc", "path_bezier", "path_composite"}) {
    SCOPED_TRACE(type);
    Ref<IPathFunction> path = Supports<IPathFunction>(
        NewFunctionWithCells(type, {{0, 0, 5}, {0, 1, 6}, {1, 0, 0}, {2, 0, 1}}));
    path->GetParamSpace()->AddParamDef("lost", 2, 3, false, "nowhere", 0);
    path->SetOwner(nullptr);
    path->Execute();
    path->SetStep(3);
    EXPECT_FLOAT_EQ(path->GetX(), 5);
    EXPECT_FLOAT_EQ(path->GetY(), 6);
    TRect bounds;
    path->GetBounds(bounds);
    EXPECT_EQ(bounds, TRect{});
  }
}

}  // namespace
