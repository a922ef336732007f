// Evaluation must allocate nothing. This file replaces the global allocation functions of
// the functions test binary to count every allocation made while counting is on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "functions/ParseExpr.h"

namespace {

bool counting = false;
long allocations = 0;

void* Allocate(size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) {
  return Allocate(size);
}
void* operator new[](size_t size) {
  return Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  if (counting) ++allocations;
  return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  if (counting) ++allocations;
  return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
  std::free(p);
}

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

}  // namespace
