// Evaluation must allocate nothing. This file replaces the global allocation functions of
// the functions test binary to count every allocation made while counting is on.
#include <gtest/gtest.h>

#include "tests/support/CountingAllocator.h"

#include <cstdlib>
#include <new>

#include "functions/ParseExpr.h"
#include "tests/functions/FunctionTestSupport.h"

using allocation_count::allocations;
using allocation_count::counting;

namespace {

TEST(ExprAllocation, EvaluationAllocatesNothing) {
  float x = 0.5f, y = 0, speed = 3;
  TExpressionParser parser;
  parser.SetDecimalSeparator('.');
  parser.SetArgSeparator(',');
  parser.DefineVariable("x", &x);
  parser.DefineVariable("y", &y);
  parser.DefineVariable("speed", &speed);
  ASSERT_TRUE(
      parser.AddExpressions("t := x * speed + random * 0.1\n"
                            "y := if(t > 1, sin(t * pi / 180) * 2 ^ 3, max(t, 0.5) mod 3)\n"
                            "n := n + 1\n"
                            "y := y + pos('a', 'bca') + randg(0, 1) * 0 + 5! / 120 + x"));
  ASSERT_TRUE(parser.Compile("x"));  // a lone operand
  parser.EvaluateAll();

  counting = true;
  allocations = 0;
  float sum = 0;
  for (int i = 0; i < 1000; ++i) {
    x = static_cast<float>(i) * 0.01f;
    sum += parser.EvaluateAll() + parser.EvaluateChain();
  }
  counting = false;
  EXPECT_EQ(allocations, 0);
  EXPECT_GT(sum, 0);

  // The counter works: compiling allocates.
  counting = true;
  ASSERT_TRUE(parser.Compile("x + 1"));
  counting = false;
  EXPECT_GT(allocations, 0);
}

// A function tree and a composite path, as a widget runs them every frame.
const char* kFrameXml = R"(<function type="function_complex">
  <paramspace><paramdefs>
    <paramdef name="x" col="0" static="yes"/>
    <paramdef name="y" col="0" static="yes"/>
    <paramdef name="t" col="1" static="yes"/>
    <paramdef name="which" col="2" static="yes" value="1"/>
  </paramdefs></paramspace>
  <functions>
    <function type="function_sin"><paramspace><paramdefs>
      <paramdef name="o" col="0" outname="x"/>
      <paramdef name="a" col="1" static="yes" value="10"/>
      <paramdef name="t" col="1"/>
      <paramdef name="p" col="1" static="yes" value="100"/>
    </paramdefs></paramspace></function>
    <function type="function_arithmetic"><paramspace><paramdefs>
      <paramdef name="o" col="0" outname="y"/>
      <paramdef name="t" col="1"/>
      <paramdef name="b" col="1" static="yes" value="7"/>
      <paramdef name="op" col="2" static="yes" value="6"/>
    </paramdefs></paramspace></function>
    <function type="function_eval"><paramspace><paramdefs>
      <paramdef name="y" col="0"/><paramdef name="t" col="1"/>
    </paramdefs></paramspace><expression>y := y + t * 0.5</expression></function>
    <function type="function_selector_const"><paramspace><paramdefs>
      <paramdef name="x" col="0"/><paramdef name="t" col="1"/><paramdef name="which" col="2"/>
    </paramdefs></paramspace><functions>
      <function type="function_sum"/>
      <function type="function_piecewise"><paramspace><paramdefs>
        <paramdef name="x" col="0"/><paramdef name="t" col="1"/>
        <paramdef name="k0" col="2" static="yes"/><paramdef name="k1" col="2" static="yes" value="500"/>
        <paramdef name="v0" col="3" static="yes"/><paramdef name="v1" col="3" static="yes" value="1"/>
      </paramdefs></paramspace></function>
    </functions></function>
  </functions>
</function>)";

Ref<IFunction> Segment(float x1, float x2, float duration) {
  return NewFunctionWithCells("path_segment", {{0, 0, 0},
                                               {0, 1, 0},
                                               {1, 0, 0},
                                               {2, 0, x1},
                                               {2, 1, 0},
                                               {2, 2, x2},
                                               {2, 3, 5},
                                               {2, 4, duration},
                                               {2, 5, 0}});
}

TEST(ExprAllocation, FunctionsAndPathsPerFrameAllocateNothing) {
  Ref<IFunction> tree = LoadFunction(kFrameXml);
  ASSERT_TRUE(tree);
  tree->SetOwner(nullptr);
  tree->Execute();

  Ref<TCompositePathFunction> path = TAbstractObject::Create<TCompositePathFunction>();
  const TCellValue own[] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {2, 2, 1},
                            {2, 3, 2}, {2, 4, 0}, {2, 5, 0}};
  for (const TCellValue& cell : own)
    path->GetParamSpace()->AddParamDef("c" + std::to_string(cell.Col) + std::to_string(cell.Row),
                                       cell.Col, cell.Row, true, {}, cell.Value);
  path->Children().Add(Segment(0, 100, 300));
  path->Children().Add(NewFunctionWithCells("path_bezier", {{0, 0, 0},
                                                            {0, 1, 0},
                                                            {1, 0, 0},
                                                            {2, 0, 100},
                                                            {2, 1, 5},
                                                            {2, 2, 0},
                                                            {2, 3, 0},
                                                            {2, 4, 400},
                                                            {2, 5, 0},
                                                            {2, 6, 50},
                                                            {2, 7, 90},
                                                            {2, 8, 10},
                                                            {2, 9, -30}}));
  path->Children().Add(NewFunctionWithCells("path_arc", {{0, 0, 0},
                                                         {0, 1, 0},
                                                         {1, 0, 0},
                                                         {2, 0, 10},
                                                         {2, 1, 0},
                                                         {2, 2, 0},
                                                         {2, 3, 10},
                                                         {2, 4, 300},
                                                         {2, 5, 0},
                                                         {2, 6, 0},
                                                         {2, 7, 0},
                                                         {3, 0, 0},
                                                         {3, 1, 0},
                                                         {3, 2, 0},
                                                         {3, 3, 0},
                                                         {4, 0, 1}}));
  path->SetLoop(true);
  path->SetOwner(nullptr);
  path->Execute();
  path->SetStep(0);

  counting = true;
  allocations = 0;
  float sum = 0;
  for (int frame = 0; frame < 2000; ++frame) {
    tree->SetInput(0, static_cast<float>(frame));
    tree->Calculate();
    sum += tree->GetOutput(0) + tree->GetOutput(1);
    path->SetStep(frame * 7);
    sum += path->GetX() + path->GetY();
  }
  counting = false;
  EXPECT_EQ(allocations, 0);
  EXPECT_NE(sum, 0);
  // Every child ran: 1999 mod 7 + 1999 / 2, and the selected piecewise child's x.
  EXPECT_FLOAT_EQ(tree->GetOutput(1), 4 + 999.5f);
  EXPECT_FLOAT_EQ(tree->GetOutput(0), 1);
  EXPECT_EQ(path->GetDuration(), 1000);
}

}  // namespace
