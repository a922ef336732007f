#include <gtest/gtest.h>

#include <cmath>

#include "engine/EngineSurface.h"
#include "foundation/Random.h"
#include "functions/SurfaceHandles.h"
#include "tests/functions/FunctionTestSupport.h"

namespace {

constexpr float U = 99;  // an output the calculation must leave unchanged

// Column 0 starts with the outputs' previous values; one Calculate; the outputs then.
TEST(FunctionClasses, ColumnAndPairFunctions) {
  struct Case {
    const char* type;
    std::vector<std::vector<float>> columns;
    std::vector<float> outputs;
  };
  const float justAbove1 = std::nextafter(1.0f, 2.0f);
  const Case cases[] = {
      {"function_sum", {{U, U, U}, {1, 2, 3}, {}, {-1.5f}}, {6, 0, -1.5f}},
      {"function_multiply", {{U, U}, {2, 3, 4}, {-0.5f}}, {24, -0.5f}},
      {"function_substr", {{U, U}, {10, 1, 2}, {4}}, {7, 4}},
      {"function_division", {{U, U}, {12, 0, 3}, {5, 0}}, {4, 5}},
      {"function_polinom2", {{U, U}, {2, 3, 4, 5}, {1, 2, 3}}, {25, U}},
      // amplitude, t, period, phase, offsets
      {"function_sin",
       {{U, U, U, U}, {2, 1, 4, 0, 1}, {2, 1, 0}, {2, 1, 4}, {2, 1, 4, 0.5f}},
       {3, U, 2, 0}},
      {"function_sin", {{U}, {2, 1}}, {U}},
      // from, to, t, duration
      {"function_linear_segment",
       {{U, U, U}, {10, 20, 5, 10}, {10, 20, 5, 0}, {10, 20, 5}},
       {15, 20, U}},
      // a, b, less, equal, greater
      {"function_switch",
       {{U, U, U, U, U},
        {1, 2, 10, 20, 30},
        {2, 2, 10, 20, 30},
        {3, 2, 10, 20, 30},
        {1, justAbove1, 10, 20, 30},
        {1, 2, 10, 20}},
       {10, 20, 30, 10, U}},
      // Operands joined left to right, no precedence; a second pair in columns 3 and 4.
      {"function_arithmetic", {{U, U}, {2, 3, 4}, {2, 0}, {-7, 2}, {6}}, {10, -1}},
      // 3, 6, 7 by zero leave the value; 9 is no operation; max, min, div.
      {"function_arithmetic", {{U, U}, {6, 0, 5, 1}, {3, 4, 5}, {7, 0, 2}, {7, 7}}, {1, 3}},
      {"function_arithmetic", {{U}, {5, 3}, {9}}, {5}},
      {"function_arithmetic", {{U}, {5, 3}}, {U}},  // no code for the second operand
      {"function_arithmetic", {{U}}, {U}},
      // thresholds, values; the last threshold is never consulted
      {"function_interval", {{U}, {0.5f}, {1, 2, 3}, {10, 20, 30}}, {10}},
      {"function_interval", {{U}, {1.5f}, {1, 2, 3}, {10, 20, 30}}, {20}},
      {"function_interval", {{U}, {2.5f}, {1, 2, 3}, {10, 20, 30}}, {30}},
      {"function_interval", {{U}, {100}, {1, 2, 3}, {10, 20, 30}}, {30}},
      {"function_interval", {{U, U}, {0.5f, 7}, {1, 2, 3}, {10, 20, 30}}, {10, 0}},
      {"function_interval", {{U}, {0.5f}, {1, 2, 3}, {10, 20}}, {U}},  // values missing
      // knots, values; below the first knot gives the last value
      {"function_piecewise", {{U}, {5}, {0, 10}, {0, 100}}, {50}},
      {"function_piecewise", {{U}, {10}, {0, 10}, {0, 100}}, {100}},
      {"function_piecewise", {{U}, {-1}, {0, 10}, {0, 100}}, {100}},
      {"function_piecewise", {{U, U}, {2.5f}, {0, 5, 10}, {0, 10, 0}, {0, 5}, {1, 3}}, {5, 2}},
      {"function_piecewise", {{U}, {NAN}, {0, 10}, {0, 100}}, {100}},
      // Draws with no range give the offsets alone.
      {"function_random", {{U, U}, {0, 5, 1}, {}}, {6, U}},
      {"function_int_random", {{U, U}, {0.9f, 3}, {-4, 1}}, {3, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Ref<IFunction> f = NewFunction(c.type, c.columns);
    ASSERT_TRUE(f);
    f->SetOwner(nullptr);
    f->Calculate();
    ASSERT_EQ(f->GetOutputCount(), int32_t(c.outputs.size()));
    for (size_t i = 0; i < c.outputs.size(); ++i)
      EXPECT_NEAR(f->GetOutput(int32_t(i)), c.outputs[i], 1e-5) << "output " << i;
  }
}

TEST(FunctionClasses, RandomDrawsStayInTheirRange) {
  SetRandomSeed(7);
  Ref<IFunction> real = NewFunction("function_random", {{0}, {10, 5}});
  Ref<IFunction> whole = NewFunction("function_int_random", {{0}, {3.7f, 1}});
  real->SetOwner(nullptr);
  whole->SetOwner(nullptr);
  bool seen[3] = {};
  for (int i = 0; i < 200; ++i) {
    real->Calculate();
    whole->Calculate();
    EXPECT_GE(real->GetOutput(0), 5);
    EXPECT_LT(real->GetOutput(0), 15);
    float n = whole->GetOutput(0);
    ASSERT_TRUE(n == 1 || n == 2 || n == 3) << n;
    seen[int(n) - 1] = true;
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

// Cells that are not bound are never read: the output stays as it was.
TEST(FunctionClasses, UnboundCellsLeaveTheOutput) {
  for (const char* type : {"function_sum", "function_switch", "function_arithmetic",
                           "function_interval", "function_piecewise", "function_polinom2"}) {
    SCOPED_TRACE(type);
    Ref<IFunction> f = NewFunction(type, {{U}, {1, 2, 3, 4, 5}, {1, 2}, {1, 2}});
    // A cell bound to a name the (absent) owner does not have.
    f->GetParamSpace()->AddParamDef("lost", 1, 5, false, "nowhere", 0);
    f->GetParamSpace()->AddParamDef("lost2", 2, 2, false, "nowhere", 0);
    f->GetParamSpace()->AddParamDef("lost3", 3, 2, false, "nowhere", 0);
    f->SetOwner(nullptr);
    f->Calculate();
    EXPECT_EQ(f->GetOutput(0), U);
  }
  // An unbound output is not written either.
  Ref<IFunction> f = NewFunction("function_sum", {{}, {1, 2}});
  f->GetParamSpace()->AddParamDef("out", 0, 0, false, "nowhere", 0);
  f->SetOwner(nullptr);
  EXPECT_NO_FATAL_FAILURE(f->Calculate());
  EXPECT_EQ(f->GetOutput(0), 0);
  // Before binding there is no matrix at all.
  Ref<IFunction> unbound = NewFunction("function_sum", {{U}, {1}});
  unbound->Calculate();
  EXPECT_EQ(unbound->GetOutputCount(), 0);
}

const char* kSelectorXml = R"(<function type="%TYPE%">
  <paramspace><paramdefs>
    <paramdef name="out" col="0" static="yes" value="99"/>
    <paramdef name="index" col="2" static="yes" value="1.9"/>
  </paramdefs></paramspace>
  <functions>
    <function type="function_sum" name="first"><paramspace><paramdefs>
      <paramdef name="pick" col="0" static="yes"/>
      <paramdef name="v" col="1" static="yes" value="1"/>
    </paramdefs></paramspace></function>
    <function type="function_sum"><paramspace><paramdefs>
      <paramdef name="r" col="0" outname="out"/>
      <paramdef name="v" col="1" static="yes" value="2"/>
    </paramdefs></paramspace></function>
  </functions>
</function>)";

Ref<IFunction> LoadSelector(const std::string& type) {
  std::string xml = kSelectorXml;
  xml.replace(xml.find("%TYPE%"), 6, type);
  return LoadFunction(xml);
}

TEST(FunctionClasses, Selectors) {
  // Constant index: Trunc(1.9) = 1 calculates the second child only.
  Ref<IFunction> f = LoadSelector("function_selector_const");
  ASSERT_TRUE(f);
  f->SetOwner(nullptr);
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 2);
  for (float index : {-1.0f, 2.0f, 1e30f, NAN}) {
    f->SetOwner(nullptr);
    f->SetParamValue("index", index);
    f->Calculate();
    EXPECT_FLOAT_EQ(f->GetOutput(0), 99) << index;
  }

  // Function index: child 0 computes 1 into its own out(0), so child 1 runs.
  for (const char* type : {"function_selector", "function_selector_func"}) {
    Ref<IFunction> g = LoadSelector(type);
    ASSERT_TRUE(g);
    g->SetOwner(nullptr);
    g->Calculate();
    EXPECT_FLOAT_EQ(g->GetOutput(0), 2) << type;
    Ref<IFunction> first = g->GetFunctions()->GetByName("first");
    first->GetParamSpace()->GetParamDefs()->GetByName("v")->SetValue(5);
    g->SetOwner(nullptr);
    g->SetOutput(0, 99);
    g->Calculate();  // index 5: nothing
    EXPECT_FLOAT_EQ(g->GetOutput(0), 99) << type;
  }
}

// A 4 x 4 surface, transparent but for one pixel.
Ref<TSurface> OnePixelSurface() {
  Ref<TSurface> surface = TAbstractObject::Create<TSurface>();
  surface->SetSize(4, 4);
  surface->SetHasAlpha(true);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) surface->SetPixel(x, y, 0x00FFFFFF);
  surface->SetPixel(2, 3, 0x80112233);
  return surface;
}

TEST(FunctionClasses, MonteCarloFindsOpaquePixels) {
  uint32_t handle = AcquireSurfaceHandle(Ref<ISurface>(OnePixelSurface().get()));
  ASSERT_NE(handle, 0u);
  struct Case {
    float threshold, tries;
    std::vector<float> outputs;
  };
  const Case cases[] = {
      {100, 400, {1, 2, 3, 0x11, 0x22, 0x33, 0x80}},
      {200, 400, {0, U, U, U, U, U, U}},    // nothing reaches the threshold
      {1, 0, {0, U, U, U, U, U, U}},        // no tries
      {200, 1e12f, {0, U, U, U, U, U, U}},  // a stray count does not stall
  };
  for (const Case& c : cases) {
    SetRandomSeed(12345);
    Ref<IFunction> f =
        NewFunction("function_montecarlo", {{U, U, U, U, U, U, U}, {0, c.threshold, c.tries}});
    f->SetOwner(nullptr);
    f->SetInput(0, SurfaceHandleToCell(handle));
    f->Calculate();
    for (size_t i = 0; i < c.outputs.size(); ++i)
      EXPECT_FLOAT_EQ(f->GetOutput(int32_t(i)), c.outputs[i]) << c.threshold << " output " << i;
  }

  // Fewer outputs: only those are written. No surface, a stale handle: not found.
  Ref<IFunction> f = NewFunction("function_montecarlo", {{U, U}, {0, 100, 400}});
  f->SetOwner(nullptr);
  f->SetInput(0, SurfaceHandleToCell(handle));
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 1);
  EXPECT_FLOAT_EQ(f->GetOutput(1), 2);
  ReleaseSurfaceHandle(handle);
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 0);
  uint32_t other = AcquireSurfaceHandle(Ref<ISurface>(OnePixelSurface().get()));
  EXPECT_NE(other, handle);  // the slot comes back under another generation
  EXPECT_EQ(SurfaceFromHandle(handle), nullptr);
  f->SetInput(0, 0);
  f->SetOutput(0, U);
  f->Calculate();
  EXPECT_FLOAT_EQ(f->GetOutput(0), 0);
  ReleaseSurfaceHandle(other);
  EXPECT_EQ(SurfaceHandleCount(), 0);
}

TEST(SurfaceHandles, CellsCarryHandlesBitForBit) {
  Ref<TSurface> surface = OnePixelSurface();
  std::vector<uint32_t> handles;
  for (int i = 0; i < 100; ++i)
    handles.push_back(AcquireSurfaceHandle(Ref<ISurface>(surface.get())));
  for (uint32_t handle : handles) {
    float cell = SurfaceHandleToCell(handle);
    EXPECT_FALSE(std::isnan(cell));
    // Through a double and back, as a property value travels.
    float copy = static_cast<float>(static_cast<double>(cell));
    EXPECT_EQ(SurfaceFromHandle(SurfaceHandleFromCell(copy)), surface.get());
  }
  EXPECT_EQ(AcquireSurfaceHandle(nullptr), 0u);
  for (uint32_t handle : handles) ReleaseSurfaceHandle(handle);
  ReleaseSurfaceHandle(handles[0]);  // twice: nothing
  EXPECT_EQ(SurfaceHandleCount(), 0);
  EXPECT_EQ(surface->RefCount(), 1);
}

}  // namespace
