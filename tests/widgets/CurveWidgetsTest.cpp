// The antialiaser and the curve widget over the shared fixture.

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/EngineDeclarations.h"
#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#define COUNTING_ALLOCATOR_COUNTERS_ONLY
#include "tests/support/CountingAllocator.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/CurveWidgets.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// ---------------------------------------------------------------------------------------
// The antialiaser

struct TStamp {
  int32_t x, y;
  int32_t alpha;  // the weight as the pen gets it
  bool operator==(const TStamp&) const = default;
  bool operator<(const TStamp& o) const {
    return std::tie(x, y, alpha) < std::tie(o.x, o.y, o.alpha);
  }
};

void Record(void* context, int32_t x, int32_t y, ISurface*, double weight) {
  static_cast<std::vector<TStamp>*>(context)->push_back({x, y, int32_t(std::lround(weight * 255))});
}

std::vector<TStamp> Stamps(const std::vector<std::pair<double, double>>& points) {
  std::vector<TStamp> stamps;
  TAntialiaser a(1, 1, &Record, &stamps);
  for (auto [x, y] : points) a.AddPoint(x, y, nullptr);
  a.EvaluateKernel(nullptr);
  std::sort(stamps.begin(), stamps.end());
  return stamps;
}

// The pen's coverage as the grid stepped one cell per point: what points at most a pixel
// apart have always drawn.
std::vector<TStamp> OneCellStepStamps(const std::vector<std::pair<double, double>>& points) {
  const int n = 4, half = 1;
  const float empty = float(n * n);
  std::vector<float> g(n * n, empty);
  auto cell = [&](int i, int j) -> float& { return g[size_t(i * n + j)]; };
  int ox = 0, oy = 0;
  bool active = false;
  std::vector<TStamp> stamps;
  auto emit = [&](int i, int j) {
    double d = std::sqrt(double(cell(i, j)));
    double w = d < 0.5 ? 1 : d < 1.5 ? 1.5 - d : -1;
    if (w >= 0) stamps.push_back({i + ox, j + oy, int32_t(std::lround(w * 255))});
  };
  auto accumulate = [&](double x, double y) {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        float gx = float(x - ox + half) - float(i), gy = float(y - oy + half) - float(j);
        cell(i, j) = std::min(cell(i, j), gx * gx + gy * gy);
      }
  };
  for (auto [x, y] : points) {
    int a = int(std::trunc(x)), b = int(std::trunc(y));
    if (!active) {
      active = true;
      ox = a;
      oy = b;
      accumulate(x, y);
      continue;
    }
    if (a != ox) {
      int from = a > ox ? 0 : n - 1;
      for (int j = 0; j < n; ++j) emit(from, j);
      std::vector<float> moved(n * n, empty);
      for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
          int to = a > ox ? i - 1 : i + 1;
          if (to >= 0 && to < n) moved[size_t(to * n + j)] = cell(i, j);
        }
      g = moved;
      ox = a;
      accumulate(x, y);
    }
    if (b != oy) {
      int from = b > oy ? 0 : n - 1;
      for (int i = 0; i < n; ++i) emit(i, from);
      std::vector<float> moved(n * n, empty);
      for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
          int to = b > oy ? j - 1 : j + 1;
          if (to >= 0 && to < n) moved[size_t(i * n + to)] = cell(i, j);
        }
      g = moved;
      oy = b;
    }
    accumulate(x, y);
  }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) emit(i, j);
  std::sort(stamps.begin(), stamps.end());
  return stamps;
}

TEST(Antialiaser, CoverageByDistanceWithTheEmitOffset) {
  // One point on pixel (5, 7): the pixels around it, each emitted one place right of and
  // below the pixel the cell measured (the pen is stamped from its corner).
  std::vector<TStamp> stamps = Stamps({{5.0, 7.0}});
  const std::vector<TStamp> expected = {
      {5, 7, 22},  {5, 8, 128}, {5, 9, 22},   // diagonals at sqrt 2: 1.5 - 1.414
      {6, 7, 128}, {6, 8, 255}, {6, 9, 128},  // distance 1: half; distance 0: full
      {7, 7, 22},  {7, 8, 128}, {7, 9, 22},
  };
  EXPECT_EQ(stamps, expected);

  struct Case {
    double dx;
    int32_t alpha;  // of the pixel at distance dx from the point; -1 none
  };
  const Case cases[] = {{0.25, 255}, {0.5, 255}, {1.0, 128}, {1.25, 64}, {1.5, -1}, {1.75, -1}};
  for (const Case& c : cases) {
    // The point dx left of pixel (10, 3) (the point's own pixel is 9 or 8).
    std::vector<TStamp> s = Stamps({{10.0 - c.dx, 3.0}});
    auto at =
        std::find_if(s.begin(), s.end(), [](const TStamp& t) { return t.x == 11 && t.y == 4; });
    int32_t alpha = at == s.end() ? -1 : at->alpha;
    EXPECT_EQ(alpha, c.alpha) << c.dx;
  }
}

TEST(Antialiaser, PointsAtMostAPixelApartDrawAsTheyAlwaysDid) {
  std::vector<std::pair<double, double>> path;
  for (int i = 0; i <= 80; ++i) {
    double t = i / 80.0;
    path.push_back({20 + 12 * std::cos(t * 5), 20 + 9 * std::sin(t * 7)});
  }
  for (size_t i = 1; i < path.size(); ++i)
    ASSERT_LE(std::fabs(path[i].first - path[i - 1].first), 1.0);
  std::vector<TStamp> stamps = Stamps(path);
  EXPECT_FALSE(stamps.empty());
  EXPECT_EQ(stamps, OneCellStepStamps(path));
}

TEST(Antialiaser, JumpsLandCoverageUnderTheirPoints) {
  for (auto points : {std::vector<std::pair<double, double>>{{2, 2}, {6, 2}},
                      std::vector<std::pair<double, double>>{{9, 9}, {3, 4}},
                      std::vector<std::pair<double, double>>{{0, 0}, {40, -30}}}) {
    std::vector<TStamp> full;
    for (const TStamp& s : Stamps(points))
      if (s.alpha == 255) full.push_back({s.x, s.y, s.alpha});
    std::vector<TStamp> expected;
    for (auto [x, y] : points) expected.push_back({int32_t(x) + 1, int32_t(y) + 1, 255});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(full, expected);
  }
}

TEST(Antialiaser, ResetStartsAFreshLine) {
  std::vector<TStamp> stamps;
  TAntialiaser a(1, 1, &Record, &stamps);
  a.AddPoint(5, 5, nullptr);
  a.EvaluateKernel(nullptr);
  stamps.clear();
  a.Reset();
  a.AddPoint(20, 30, nullptr);
  a.EvaluateKernel(nullptr);
  std::sort(stamps.begin(), stamps.end());
  // Only the new point's pixels: nothing of the old line around the new start.
  EXPECT_EQ(stamps, Stamps({{20, 30}}));
}

// ---------------------------------------------------------------------------------------
// The curve widget

class CurveWidget : public WidgetFixture {
 protected:
  CurveWidget() {
    RegisterWidgetsClasses();
    RegisterFunctionsClasses();
    engine->options["ScreenWidth"] = Variant(200);
    engine->options["ScreenHeight"] = Variant(100);
    // A 1 x 1 white pen.
    engine->resources["dot"] = MakeImage(Ref<ISurface>(NewAlphaSurface(1, 1, 0xFFFFFFFF).get()));
  }

  // A curve along the segment (x1, y1)-(x2, y2) with a 1 x 1 pen; Attributes go on the
  // curve, PenAttributes on the pen.
  Ref<IWidget> ShowCurve(const std::string& attributes, float x1 = 10, float y1 = 20,
                         float x2 = 110, float y2 = 20, bool withPen = true) {
    auto cell = [](const char* name, int row, float value) {
      return std::string("<paramdef name=\"") + name + "\" col=\"2\" row=\"" + std::to_string(row) +
             "\" static=\"yes\" value=\"" + std::to_string(value) + "\"/>";
    };
    std::string pen = withPen
                          ? R"(<widgets><widget type="image_widget" name="pen" resourcename="dot"
                                     width="1" height="1"/></widgets>)"
                          : "";
    return Show(R"(<widget type="curve_widget" name="curve" visible="yes" mousestop="yes" )" +
                attributes + ">" + pen +
                R"(<function type="path_segment"><paramspace><paramdefs>
                     <paramdef name="x" col="0" row="0" static="yes"/>
                     <paramdef name="y" col="0" row="1" static="yes"/>
                     <paramdef name="s" col="1" row="0" static="yes"/>)" +
                cell("x1", 0, x1) + cell("y1", 1, y1) + cell("x2", 2, x2) + cell("y2", 3, y2) +
                R"(<paramdef name="TotalTime" col="2" row="4" static="yes"/>
                   <paramdef name="length" col="2" row="5" static="yes"/>
                   </paramdefs></paramspace></function></widget>)");
  }

  static TCurveWidget* Curve(const Ref<IWidget>& w) {
    auto* c = dynamic_cast<TCurveWidget*>(w.get());
    EXPECT_TRUE(c);
    return c;
  }

  // The columns of row Y of Frame (drawn on black) that are not black, as [first, last];
  // (-1, -1) when none.
  static std::pair<int32_t, int32_t> DrawnSpan(const TSurfacePtr& frame, int32_t y) {
    int32_t first = -1, last = -1;
    for (int32_t x = 0; x < frame->GetWidth(); ++x)
      if (frame->GetPixel(x, y) & 0xFFFFFF) {
        if (first < 0) first = x;
        last = x;
      }
    return {first, last};
  }

  TSurfacePtr RenderOnBlack() { return Render(200, 100, 0xFF000000); }
};

TEST_F(CurveWidget, DrawsTheWholePathAtOnceWithinItsBounds) {
  Ref<IWidget> w = ShowCurve(R"(smooth="no")");
  // The segment's bounds grown by the pen and one pixel.
  EXPECT_EQ(w->GetRect(), (TRect{8, 18, 112, 22}));
  TSurfacePtr frame = RenderOnBlack();
  EXPECT_EQ(DrawnSpan(frame, 20), std::make_pair(10, 110));
  EXPECT_EQ(frame->GetPixel(50, 20), 0xFFFFFFFFu);
  EXPECT_EQ(DrawnSpan(frame, 19), std::make_pair(-1, -1));
  EXPECT_EQ(Curve(w)->TotalSteps(), 100);
  // Hit only over drawn pixels.
  EXPECT_TRUE(w->ContainsPoint(TPoint{50, 20}, false));
  EXPECT_FALSE(w->ContainsPoint(TPoint{50, 21}, false));
}

// N = the path's length over the draw shift, half a step rounded to even.
TEST_F(CurveWidget, StepsAreTheLengthOverTheShiftRoundedHalfToEven) {
  struct Case {
    float length;
    const char* shift;
    int32_t steps;
  } cases[] = {{10, "4", 2}, {14, "4", 4}, {10, "3", 3}, {5, "2", 2}, {100, "1", 100}};
  for (const Case& c : cases) {
    Ref<IWidget> w = ShowCurve(std::string(R"(smooth="no" draw_shift=")") + c.shift + "\"", 10, 20,
                               10 + c.length, 20);
    RenderOnBlack();
    EXPECT_EQ(Curve(w)->TotalSteps(), c.steps) << c.length << " / " << c.shift;
  }
}

// A Bezier arch from (20, 80) to (180, 80) whose top is (100, 20): the surface covers the
// arch, so all of it is drawn, far from the top-left corner.
TEST_F(CurveWidget, BezierCurveIsDrawnWhereverItGoes) {
  Ref<IWidget> w = Show(R"(<widget type="curve_widget" name="curve" visible="yes" smooth="no">
      <widgets><widget type="image_widget" name="pen" resourcename="dot" width="1" height="1"/>
      </widgets><function type="path_bezier"><paramspace><paramdefs>
        <paramdef name="x" col="0" row="0" static="yes"/>
        <paramdef name="y" col="0" row="1" static="yes"/>
        <paramdef name="s" col="1" row="0" static="yes"/>
        <paramdef name="x1" col="2" row="0" static="yes" value="20"/>
        <paramdef name="y1" col="2" row="1" static="yes" value="80"/>
        <paramdef name="x2" col="2" row="2" static="yes" value="180"/>
        <paramdef name="y2" col="2" row="3" static="yes" value="80"/>
        <paramdef name="TotalTime" col="2" row="4" static="yes"/>
        <paramdef name="length" col="2" row="5" static="yes"/>
        <paramdef name="c1x" col="2" row="6" static="yes" value="20"/>
        <paramdef name="c1y" col="2" row="7" static="yes" value="0"/>
        <paramdef name="c2x" col="2" row="8" static="yes" value="180"/>
        <paramdef name="c2y" col="2" row="9" static="yes" value="0"/>
      </paramdefs></paramspace></function></widget>)");
  EXPECT_EQ(w->GetRect(), (TRect{18, 18, 182, 82}));
  TSurfacePtr frame = RenderOnBlack();
  auto [first, last] = DrawnSpan(frame, 20);
  EXPECT_TRUE(first > 80 && first <= 100 && last >= 100 && last < 120) << first << " " << last;
  EXPECT_EQ(DrawnSpan(frame, 80).first, 20);
  EXPECT_EQ(DrawnSpan(frame, 80).second, 180);
  EXPECT_EQ(DrawnSpan(frame, 19), std::make_pair(-1, -1));
}

TEST_F(CurveWidget, HitWhereDrawnWhereverTheAnchorIs) {
  Ref<IWidget> w = ShowCurve(R"(smooth="no" anchor_left="30" anchor_top="5")");
  TSurfacePtr frame = RenderOnBlack();
  // The path is in the owner's pixels: the anchor moves neither the drawing nor the hits.
  EXPECT_EQ(DrawnSpan(frame, 20), std::make_pair(10, 110));
  EXPECT_TRUE(w->ContainsPoint(TPoint{50, 20}, false));
  EXPECT_FALSE(w->ContainsPoint(TPoint{50, 25}, false));
}

TEST_F(CurveWidget, NonSmoothStampsAtTheWidgetsTransparencyInTheFillColour) {
  Ref<IWidget> w = ShowCurve(R"(smooth="no" transparentlevel="255" fillcolor="$FF00FF00")");
  TSurfacePtr frame = RenderOnBlack();
  EXPECT_EQ(frame->GetPixel(60, 20), 0xFF00FF00u);
  w->SetProperty("drawmode", Variant("copyrect"));  // the pen's own colour
  EXPECT_EQ(w->GetProperty("drawmode").ToInt(), 0);
  frame = RenderOnBlack();
  EXPECT_EQ(frame->GetPixel(60, 20), 0xFFFFFFFFu);
  w->SetProperty("fillcolor", Variant("not a colour"));
  EXPECT_EQ(uint32_t(w->GetProperty("fillcolor").ToInt()), 0xFFFFFFFFu);
  w->SetProperty("fillcolor", Variant("$80FF0000"));
  EXPECT_EQ(uint32_t(w->GetProperty("fillcolor").ToInt()), 0x80FF0000u);
}

TEST_F(CurveWidget, SmoothCurveCoversThePathWithASoftEdge) {
  Ref<IWidget> w = ShowCurve("", 10, 20, 110, 20);
  TSurfacePtr frame = RenderOnBlack();
  // The points lie on row 20; the coverage is emitted one pixel right of and below them,
  // so the half-covered row below (22) falls outside the curve's rectangle.
  EXPECT_EQ(w->GetRect(), (TRect{8, 18, 112, 22}));
  auto grey = [&](int32_t y) { return int32_t(frame->GetPixel(60, y) & 0xFF); };
  EXPECT_EQ(grey(21), 255);
  EXPECT_NEAR(grey(20), 128, 2);
  EXPECT_EQ(grey(19), 0);
  EXPECT_EQ(grey(22), 0);
}

TEST_F(CurveWidget, SteppingDrawsAQuarterPerQuarterOfTheDrawingTime) {
  Ref<IWidget> w = ShowCurve(R"(smooth="no" stepping="yes" drawtime="1000")");
  TCurveWidget* c = Curve(w);
  EXPECT_EQ(w->GetProperty("state").ToInt(), 0);
  for (int quarter = 1; quarter <= 4; ++quarter) {
    Frame(250);
    EXPECT_EQ(c->DrawnSteps(), 25 * quarter) << quarter;
    TSurfacePtr frame = RenderOnBlack();
    EXPECT_EQ(DrawnSpan(frame, 20), std::make_pair(10, 10 + 25 * quarter)) << quarter;
  }
  EXPECT_EQ(w->GetProperty("state").ToInt(), 0);
  Frame(250);  // past the end: judged before the step
  EXPECT_EQ(w->GetProperty("state").ToInt(), 0);
  Frame(250);
  EXPECT_EQ(w->GetProperty("state").ToInt(), 1);
  EXPECT_EQ(c->DrawnSteps(), 100);

  // Backwards: from the whole curve to nothing.
  w->SetProperty("stepping_direction", Variant(-1));
  Frame(250);
  EXPECT_EQ(c->DrawnSteps(), 75);
  Frame(500);
  EXPECT_EQ(c->DrawnSteps(), 25);
  Frame(500);
  EXPECT_EQ(c->DrawnSteps(), 0);
  EXPECT_EQ(DrawnSpan(RenderOnBlack(), 20), std::make_pair(10, 10));  // step 0 remains
  // Stopped, it holds; "currentT" moves it.
  w->SetProperty("stepping_direction", Variant(0));
  w->SetProperty("currentT", Variant(0.5));
  Frame(250);
  EXPECT_EQ(c->DrawnSteps(), 0);
}

TEST_F(CurveWidget, ProgressiveCurveLivesUntilItsDrawingHasRunOut) {
  Ref<IWidget> w = ShowCurve(R"(smooth="no" stepping="yes" drawtime="1000" curve_time="100")");
  for (int i = 0; i < 6; ++i) Frame(200);  // drawn to t = 1.2
  EXPECT_FALSE(w->IsDead());
  Frame(200);  // run out: the time to live has its way
  EXPECT_TRUE(w->IsDead());
}

TEST_F(CurveWidget, EndPointsAndColourFromTheGameThenReinit) {
  Ref<IWidget> w = ShowCurve(R"(smooth="no")", 0, 0, 0, 0);
  Ref<ICurveWidget> curve = Supports<ICurveWidget>(w);
  ASSERT_TRUE(curve);
  RenderOnBlack();
  w->SetProperty("x1", Variant(30));
  w->SetProperty("y1", Variant(40));
  w->SetProperty("x2", Variant(80));
  w->SetProperty("y2", Variant(40));
  w->SetProperty("fillcolor", Variant(int32_t(0xFFFF0000)));
  EXPECT_EQ(w->GetProperty("x2").ToDouble(), 80);
  curve->Reinit();
  Frame(16);
  TSurfacePtr frame = RenderOnBlack();
  EXPECT_EQ(DrawnSpan(frame, 40), std::make_pair(30, 80));
  EXPECT_EQ(frame->GetPixel(50, 40), 0xFFFF0000u);
  EXPECT_EQ(w->GetRect(), (TRect{28, 38, 82, 42}));

  // Another path handed over.
  curve->SetDrawShift(2);
  frame = RenderOnBlack();
  EXPECT_EQ(Curve(w)->TotalSteps(), 25);
  EXPECT_EQ(frame->GetPixel(32, 40), 0xFFFF0000u);
  EXPECT_EQ(frame->GetPixel(33, 40), 0xFF000000u);
}

TEST_F(CurveWidget, BoundsStayOnTheScreen) {
  Ref<IWidget> w = ShowCurve(R"(smooth="no")", -50, 50, 500, 50);
  EXPECT_EQ(w->GetRect(), (TRect{0, 48, 200, 52}));
  EXPECT_EQ(DrawnSpan(RenderOnBlack(), 50), std::make_pair(0, 199));
}

TEST_F(CurveWidget, ScreenOfTheDesignSizeWhenTheOptionsSayNothing) {
  engine->options.clear();
  Ref<IWidget> w = ShowCurve(R"(smooth="no")", -50, 50, 5000, 50);
  EXPECT_EQ(w->GetRect(), (TRect{0, 48, DesignWidth, 52}));
}

TEST_F(CurveWidget, NoPathNoPenOrNoShiftDrawsNothingAndIsNotHit) {
  struct Case {
    const char* what;
    std::string attributes;
    bool pen;
  };
  const Case cases[] = {
      {"no shift", R"(draw_shift="0" stepping="yes")", true},
      {"no pen", R"(stepping="yes")", false},
      {"no steps in the path", R"(draw_shift="1e30")", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ref<IWidget> w = ShowCurve(c.attributes, 10, 20, 110, 20, c.pen);
    for (int i = 0; i < 3; ++i) Frame(250);
    EXPECT_EQ(DrawnSpan(RenderOnBlack(), 20), std::make_pair(-1, -1));
    EXPECT_FALSE(w->ContainsPoint(TPoint{50, 20}, false));
  }
  // No path function: another kind of function is none.
  Ref<IWidget> w =
      Show(R"(<widget type="curve_widget" name="c" visible="yes" stepping="yes"><widgets>
      <widget type="image_widget" name="pen" resourcename="dot" width="1" height="1"/></widgets>
      <function type="function_eval"/></widget>)");
  for (int i = 0; i < 3; ++i) Frame(250);
  EXPECT_EQ(DrawnSpan(RenderOnBlack(), 20), std::make_pair(-1, -1));
  EXPECT_FALSE(w->ContainsPoint(TPoint{0, 0}, false));
  EXPECT_FALSE(Curve(w)->GetFunction());
  w->SetProperty("x1", Variant(5));  // nothing to set
  EXPECT_EQ(w->GetProperty("x1").ToDouble(), 0);
}

TEST_F(CurveWidget, TinyOrBrokenShiftsNeitherHangNorTrap) {
  Ref<IWidget> w = ShowCurve(R"(stepping="yes" drawtime="1")");
  Ref<ICurveWidget> curve = Supports<ICurveWidget>(w);
  curve->SetDrawShift(1e-30f);
  Frame(250);
  RenderOnBlack();
  EXPECT_EQ(Curve(w)->TotalSteps(), TCurveWidget::kMaxSteps);
  EXPECT_EQ(Curve(w)->DrawnSteps(), TCurveWidget::kMaxSteps);
  for (float shift : {std::nanf(""), -1.0f}) {
    curve->SetDrawShift(shift);
    Frame(250);
    EXPECT_EQ(DrawnSpan(RenderOnBlack(), 20), std::make_pair(-1, -1)) << shift;
  }
}

TEST_F(CurveWidget, SavesEveryKeyAndItsFunction) {
  Ref<IWidget> w = ShowCurve(R"(smooth="no" stepping="yes" drawtime="700" draw_shift="0.5")");
  Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
  SaveObject(Ref<IInterface>(w.get()), Ref<IHierStorage>(saved.get()));
  std::string xml = saved->GetXml().ToString();
  for (const char* key :
       {"curve_time=\"100000\"", "draw_shift=\"0.5\"", "smooth=\"no\"", "stepping=\"yes\"",
        "drawtime=\"700\"", "drawmode=\"fillcolor\"", "blendingmode=\"normal\"",
        "fillcolor=\"$FFFFFFFF\"", "<function", "path_segment"})
    EXPECT_NE(xml.find(key), std::string::npos) << key << " in " << xml;
}

TEST_F(CurveWidget, DrawingLittleByLittleAllocatesNothing) {
  Ref<IWidget> w = ShowCurve(R"(stepping="yes" drawtime="2000")");
  TSurfacePtr frame = NewSurface(200, 100);
  auto step = [&] {
    w->Process(16);
    DirtyPass();
    w->Draw(frame.get(), 0, 0);
  };
  for (int i = 0; i < 5; ++i) step();
  int64_t redraws = Curve(w)->RedrawCount();
  int made = engine->surfacesCreated;
  allocation_count::allocations = 0;
  allocation_count::counting = true;
  for (int i = 0; i < 60; ++i) step();
  allocation_count::counting = false;
  EXPECT_EQ(allocation_count::allocations, 0);
  EXPECT_EQ(engine->surfacesCreated, made);
  EXPECT_GT(Curve(w)->RedrawCount(), redraws + 40);
}

}  // namespace
