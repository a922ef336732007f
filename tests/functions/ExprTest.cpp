#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "foundation/Random.h"
#include "functions/ParseExpr.h"

namespace {

// A parser set up as the expression function sets it, with three cells.
class ExprTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parser.SetDecimalSeparator('.');
    parser.SetArgSeparator(',');
    parser.DefineVariable("x", &x);
    parser.DefineVariable("y", &y);
    parser.DefineVariable("r", &r);
  }

  float Eval(const std::string& text) {
    parser.ClearExpressions();
    EXPECT_TRUE(parser.AddExpressions(text)) << text;
    return parser.EvaluateAll();
  }

  std::string CompileError(const std::string& text) {
    parser.ClearExpressions();
    try {
      parser.AddExpressions(text);
    } catch (const Exception& e) {
      return e.Message();
    }
    return "(compiled)";
  }

  TExpressionParser parser;
  float x = 2, y = 0, r = 10;
};

TEST_F(ExprTest, ValuesFollowPrecedenceAndTheWordTable) {
  struct Case {
    const char* text;
    float expected;
  };
  const Case cases[] = {
      // Precedence and grouping.
      {"2 + 3 * 4", 14},
      {"(2 + 3) * 4", 20},
      {"2 * 3 + 4", 10},
      {"2 ^ 3 ^ 2", 64},
      {"10 - 4 - 3", 3},
      {"24 / 4 / 3", 2},
      {"((((7))))", 7},
      {"x * (1 + (2 * (3 + 1)))", 18},
      // Unary runs and the increment words.
      {"-2 ^ 2", 4},
      {"2 * -3", -6},
      {"- -5", 5},
      {"- - - 5", -5},
      {"+ - + 5", -5},
      {"--5", 4},
      {"++5", 6},
      {"-x + 1", -1},
      {"2 ^ -1", 0.5f},
      // Postfix operators.
      {"5!", 120},
      {"2 * 3!", 12},
      {"3! * 2", 12},
      {"0!", 1},
      {"1.4!", 1},
      {"50%", 0.5f},
      // Integer power from an integer literal, real power otherwise.
      {"2 ^ 3", 8},
      {"2 ^ 10", 1024},
      {"(-2) ^ 3", -8},
      {"2 ^ 0.5", 1.4142135f},
      {"intpower(3, 2.6)", 27},
      {"power(2, 3)", 8},
      {"pow(4, 0.5)", 2},
      // Integer operations round first.
      {"10 div 4", 2},
      {"-7 mod 3", -1},
      {"7.6 div 2", 4},
      {"6 or 1", 7},
      {"6 and 3", 2},
      {"6 xor 3", 5},
      // Comparisons: 1 or 0 with the tolerance 1e-30.
      {"1 = 1.0000001", 0},
      {"1 = 1", 1},
      {"1 <> 1", 0},
      {"1 <> 2", 1},
      {"2 >= 2", 1},
      {"2 <= 2", 1},
      {"1 < 2", 1},
      {"2 < 2", 0},
      {"3 > 2", 1},
      {"1 in 1", 1},
      {"x > 1 and x < 3", 1},
      // not works on the low byte.
      {"not 0", 1},
      {"not 1", 0},
      {"not not 1", 1},
      {"not not not 0", 1},
      {"not 2", 3},
      {"1 and not 0", 1},
      // Functions.
      {"if(x > 0, 1, 2)", 1},
      {"if(x < 0, 1, 2)", 2},
      {"if(256, 1, 2)", 2},
      {"max(1, 2)", 2},
      {"min(1, 2)", 1},
      {"sqr(3)", 9},
      {"sqrt(16)", 4},
      {"abs(-3)", 3},
      {"round(2.5)", 2},
      {"round(3.5)", 4},
      {"trunc(-2.7)", -2},
      {"exp(0)", 1},
      {"ln(1)", 0},
      {"log10(1000)", 3},
      {"logn(2, 8)", 3},
      {"sin(0)", 0},
      {"cos(0)", 1},
      {"arctan2(1, 1)", 0.7853982f},
      {"radtodeg(pi)", 180},
      {"degtorad(180)", 3.1415927f},
      {"tanh(0) + sinh(0) + cosh(0)", 1},
      {"pi", 3.1415927f},
      {"PI * 2", 6.2831855f},
      {"$ff", 255},
      {".5 + 1.", 1.5f},
      {"1e3", 1000},
      {"2.5e-1", 0.25f},
      {"1e-400 + 1", 1},
      {"100e-500", 0},
      // String operands.
      {"pos('b', 'abc')", 2},
      {"pos('z', 'abc')", 0},
      {"'abc' = 'abc'", 1},
      {"'abc' < 'abd'", 1},
      {"'b' in 'a,b,c'", 1},
      {"'d' in 'a,b,c'", 0},
      // Variables are read through their cells.
      {"x * r", 20},
      {"Y + X", 2},
  };
  for (const Case& c : cases) {
    float value = Eval(c.text);
    EXPECT_FLOAT_EQ(value, c.expected) << c.text;
  }
}

TEST_F(ExprTest, CompileErrorsCarryTheirExactTexts) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"x y", "Error in math expression: x two space limited variables/constants"},
      {"2 3", "Error in math expression: 2 two space limited variables/constants"},
      {"foo(1)", "Error in math expression: foo is an unknown function"},
      {"()", "Error in math expression: Empty brackets ()"},
      {"random()", "Error in math expression: Empty brackets ()"},
      {"x * (", "Unequal brackets"},
      {"(1))", "Unequal brackets"},
      {") + (1", "Unequal brackets"},
      {")(", "Unequal brackets"},
      {"(1)(2)", "Error in math expression: Missing operand between )("},
      {"(1) 2", "Error in math expression: Missing operand between ) and constant/variable"},
      {"x (2)", "Error in math expression: Missing operand between constant/variable and ("},
      {"max(1)",
       "Error in math expression: Syntax error: function or operand has too few arguments"},
      {"1 +", "Error in math expression: Syntax error: function or operand has too few arguments"},
      {"if(1, 2)",
       "Error in math expression: Syntax error: function or operand has too few arguments"},
      {"max(1, 2, 3, 4, 5, 6, 7)", "Too many arguments"},
      {"x == 1", "Error in math expression: x two space limited variables/constants"},
      {"'a' + 'b'", "+ is not a valid string operand"},
      {"sin x", "Error in math expression: Syntax error in expression sin x"},
      {"2 Sin(x)", "Error in math expression: Syntax error in expression 2 Sin(x)"},
      {"max(1,,2)", "Error in math expression: Syntax error in expression max(1,,2)"},
      {"1 / 0", "Floating point division by zero"},
      {"ln(0)", "Floating point division by zero"},
      {"1e30 * 1e30", "Floating point overflow"},
      {"sqrt(-1)", "Invalid floating point operation"},
      {"1e40", "Floating point overflow"},
      {"1e400", "Floating point overflow"},
      {"0.001e999", "Floating point overflow"},
  };
  for (const Case& c : cases) EXPECT_EQ(CompileError(c.text), c.message) << c.text;
}

TEST_F(ExprTest, ProgramKeepsTemporariesAcrossLinesAndEvaluations) {
  const char* program =
      "// a comment line\n"
      "t := x * 2\n"
      "\n"
      "   // an indented comment\r\n"
      "y := t + 1\r\n"
      "counter := counter + 1\n";
  ASSERT_TRUE(parser.AddExpressions(program));
  EXPECT_EQ(parser.Count(), 3);
  EXPECT_FLOAT_EQ(parser.EvaluateAll(), 1);
  EXPECT_FLOAT_EQ(y, 5);
  x = 10;
  EXPECT_FLOAT_EQ(parser.EvaluateAll(), 2);  // the temporary counter lives on
  EXPECT_FLOAT_EQ(y, 21);
  EXPECT_FLOAT_EQ(parser.EvaluateAt(0), 20);
  EXPECT_TRUE(std::isnan(parser.EvaluateAt(-1)));
  EXPECT_TRUE(std::isnan(parser.EvaluateAt(3)));

  // Cleared lines leave the words: a new program still sees the temporary.
  parser.ClearExpressions();
  EXPECT_EQ(parser.Count(), 0);
  EXPECT_FLOAT_EQ(parser.EvaluateAll(), 0);
  ASSERT_TRUE(parser.AddExpressions("counter * 10"));
  EXPECT_FLOAT_EQ(parser.EvaluateAll(), 20);
  EXPECT_EQ(parser.AddExpression("   "), -1);
}

TEST_F(ExprTest, IncrementWritesIntoItsOperand) {
  ASSERT_TRUE(parser.AddExpressions("x++\ny := x"));
  parser.EvaluateAll();
  parser.EvaluateAll();
  EXPECT_FLOAT_EQ(x, 4);
  EXPECT_FLOAT_EQ(y, 4);
}

TEST_F(ExprTest, FoldingNeverFoldsRandom) {
  SetRandomSeed(1);
  ASSERT_TRUE(parser.AddExpressions("y := 1 + random * 0 + random"));
  parser.EvaluateAll();
  float first = y;
  bool changed = false;
  for (int i = 0; i < 10 && !changed; ++i) {
    parser.EvaluateAll();
    changed = y != first;
    EXPECT_GE(y, 1.0f);
    EXPECT_LT(y, 2.0f);
  }
  EXPECT_TRUE(changed);

  ASSERT_TRUE(parser.Compile("random_int(1000) + randg(0, 1) * 0"));
  float a = parser.EvaluateChain();
  bool intChanged = false;
  for (int i = 0; i < 10 && !intChanged; ++i) intChanged = parser.EvaluateChain() != a;
  EXPECT_TRUE(intChanged);
}

TEST_F(ExprTest, FoldingTurnsFailuresIntoCompileErrors) {
  // Folded: the failure shows at compile time. Unfolded, it waits for evaluation.
  EXPECT_THROW(parser.Compile("x + 1 / 0"), EMathError);
  parser.SetFoldConstants(false);
  ASSERT_TRUE(parser.Compile("x + 1 / 0"));
  EXPECT_THROW(parser.EvaluateChain(), EMathError);
  // A folded comparison still reports a boolean result.
  parser.SetFoldConstants(true);
  ASSERT_TRUE(parser.Compile("1 > 0"));
  EXPECT_TRUE(parser.IsBooleanResult());
  EXPECT_FLOAT_EQ(parser.EvaluateChain(), 1);
  ASSERT_TRUE(parser.Compile("x + 1"));
  EXPECT_FALSE(parser.IsBooleanResult());
}

TEST_F(ExprTest, RunTimeFailuresStopBeforeTheAssignment) {
  ASSERT_TRUE(parser.AddExpressions("y := 1 / x\nr := ln(x)\nr := 7"));
  x = 4;
  parser.EvaluateAll();
  EXPECT_FLOAT_EQ(y, 0.25f);
  x = 0;
  y = 5;
  r = 1;
  EXPECT_THROW(parser.EvaluateAll(), EMathError);
  EXPECT_FLOAT_EQ(y, 5);  // unchanged
  EXPECT_FLOAT_EQ(r, 1);
  x = 1e30f;
  EXPECT_NO_THROW(parser.EvaluateAt(0));  // 1e-30 is still a 4-byte float
  x = 1e-39f;
  EXPECT_THROW(parser.EvaluateAt(0), EMathError);  // 1e39 is not
}

TEST_F(ExprTest, IntegerOperationsNeverTrap) {
  // NaN, infinities, huge values and zero divisors go through the checked helpers.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    const char* text;
    float xValue;
    float expected;
  };
  const Case cases[] = {
      {"x div 0", 7, 0},
      {"x mod 0", 7, 0},
      {"x div 2", nan, 0},
      {"x mod 3", inf, 1},  // saturates to the largest 64-bit integer, 2^63 - 1
      {"x div -1", -inf, 9.223372e18f},
      {"x and 1", nan, 0},
      {"x or 1", inf, 9.223372e18f},
      {"x xor 1", -1e30f, -9.223372e18f},
      {"not x", nan, 1},
      {"if(x, 1, 2)", nan, 2},
      {"if(x, 1, 2)", inf, 1},
      {"intpower(x, 0)", 5, 1},
      {"intpower(2, x)", nan, 1},
      {"intpower(1, x)", 1e30f, 1},
      {"round(x) + trunc(x)", -inf, -1.8446744e19f},
  };
  for (const Case& c : cases) {
    x = c.xValue;
    EXPECT_FLOAT_EQ(Eval(c.text), c.expected) << c.text;
  }
  // A result that leaves the range is reported, not a wrapped integer.
  x = 100;
  ASSERT_TRUE(parser.Compile("intpower(10, x)"));
  EXPECT_THROW(parser.EvaluateChain(), EMathError);
  ASSERT_TRUE(parser.Compile("intpower(0, -x)"));
  EXPECT_THROW(parser.EvaluateChain(), EMathError);
}

TEST_F(ExprTest, FactorialIsIterativeAndBounded) {
  x = 34;
  EXPECT_NEAR(Eval("x!"), 2.9523279e38f, 1e32f);
  // One step per unit would hang (or overflow the stack) on these.
  for (float big : {35.0f, 1e9f, 1e30f}) {
    x = big;
    ASSERT_TRUE(parser.Compile("x!"));
    EXPECT_THROW(parser.EvaluateChain(), EMathError) << big;
  }
  x = -1e30f;
  EXPECT_FLOAT_EQ(Eval("x!"), 1);
}

TEST_F(ExprTest, UnboundCellsAreNeverRead) {
  parser.DefineVariable("loose", nullptr);
  EXPECT_EQ(CompileError("loose + 1"), "Error in math expression: loose is an unbound variable");
  EXPECT_EQ(CompileError("loose := 1"), "Error in math expression: loose is an unbound variable");
  // Defined but unused: the rest of the program compiles.
  EXPECT_FLOAT_EQ(Eval("y := x + 1"), 3);

  // Rebinding a variable that a compiled line reads to nothing keeps the line on its
  // old storage rather than a null one.
  ASSERT_TRUE(parser.AddExpressions("tmp := 5\ny := tmp"));
  parser.DefineVariable("tmp", nullptr);
  parser.EvaluateAll();
  EXPECT_FLOAT_EQ(y, 5);
}

TEST_F(ExprTest, DefiningAVariableReplacesTheWord) {
  float cell = 2;
  parser.DefineVariable("pi", &cell);
  EXPECT_FLOAT_EQ(Eval("pi * 10"), 20);

  float other = 1;
  for (const char* name : {"max", "sin", "+"}) {
    try {
      parser.DefineVariable(name, &other);
      ADD_FAILURE() << name;
    } catch (const EParserException& e) {
      EXPECT_STREQ(e.what(),
                   "Error in math expression: Cannot replace variable/function NFuntionArg "
                   "doesn't match");
    }
  }
  EXPECT_FLOAT_EQ(Eval("max(1, 2)"), 2);

  // A compiled line follows a variable that is bound again, and only that variable,
  // even where another variable shares its cell.
  float shared = 2;
  parser.DefineVariable("a", &shared);
  parser.DefineVariable("b", &shared);
  ASSERT_TRUE(parser.AddExpressions("y := a * 3 + b\nb"));
  float moved = 5;
  parser.DefineVariable("A", &moved);
  EXPECT_FLOAT_EQ(parser.EvaluateAll(), 2);
  EXPECT_FLOAT_EQ(y, 17);
  float movedAgain = 7;
  parser.DefineVariable("b", &movedAgain);
  EXPECT_FLOAT_EQ(parser.EvaluateAll(), 7);
  EXPECT_FLOAT_EQ(y, 22);
  // A function without arguments may give way to a variable in compiled lines.
  parser.ClearExpressions();
  ASSERT_TRUE(parser.AddExpressions("y := random + 1"));
  float fixed = 0.25f;
  parser.DefineVariable("random", &fixed);
  parser.EvaluateAll();
  EXPECT_FLOAT_EQ(y, 1.25f);
}

TEST_F(ExprTest, SeparatorsSwapWhenTheyCollide) {
  TExpressionParser local;
  local.SetDecimalSeparator(',');
  EXPECT_EQ(local.DecimalSeparator(), ',');
  EXPECT_EQ(local.ArgSeparator(), ';');
  ASSERT_TRUE(local.AddExpressions("max(1,5; 2)"));
  EXPECT_FLOAT_EQ(local.EvaluateAll(), 2);
  local.SetArgSeparator(',');
  EXPECT_EQ(local.DecimalSeparator(), '.');
  local.ClearExpressions();
  ASSERT_TRUE(local.AddExpressions("max(1.5, 2.5)"));
  EXPECT_FLOAT_EQ(local.EvaluateAll(), 2.5f);
}

TEST_F(ExprTest, DeepInputIsRefusedNotOverflowed) {
  std::string nested = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_FLOAT_EQ(Eval(nested), 1);
  std::string negations;
  for (int i = 0; i < 5000; ++i) negations += "-(";
  negations += "1" + std::string(5000, ')');
  EXPECT_EQ(CompileError(negations), "Error in math expression: Expression is nested too deeply");
  std::string sum = "1";
  for (int i = 0; i < 5000; ++i) sum += "+1";
  EXPECT_EQ(CompileError(sum), "Error in math expression: Expression is nested too deeply");
  std::string shortSum = "x";
  for (int i = 0; i < 200; ++i) shortSum += "+1";
  EXPECT_FLOAT_EQ(Eval(shortSum), 202);
}

}  // namespace

namespace {

// Random expressions over constants and one cell, from a small grammar.
std::string RandomExpression(std::mt19937& rng, int depth) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  if (depth == 0 || pick(4) == 0) {
    const char* leaves[] = {"x", "2", "0.5", "3", "pi", "10", "0", "1e3", "$1f", "x"};
    return leaves[pick(10)];
  }
  std::string a = RandomExpression(rng, depth - 1);
  std::string b = RandomExpression(rng, depth - 1);
  const char* binary[] = {"+",  "-",   "*", "/", "^",  "div", "mod", "and",
                          "or", "xor", ">", "<", ">=", "<=",  "=",   "<>"};
  const char* unary[] = {"sin", "cos", "abs", "sqrt", "ln", "exp", "round", "trunc", "sqr"};
  switch (pick(5)) {
    case 0:
      return "-(" + a + ")";
    case 1:
      return std::string(unary[pick(9)]) + "(" + a + ")";
    case 2:
      return "max(" + a + ", " + b + ")";
    case 3:
      return "if(" + a + ", " + b + ", " + a + ")";
    default:
      return "(" + a + " " + binary[pick(16)] + " " + b + ")";
  }
}

// The bits of the value of text, or "failed". Which failure is reported may differ:
// folding meets the constant parts first.
std::string Outcome(TExpressionParser& parser, const std::string& text) {
  try {
    parser.ClearExpressions();
    parser.AddExpressions(text);
    float value = parser.EvaluateAll();
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return std::to_string(bits);
  } catch (const Exception&) {
    return "failed";
  }
}

TEST(ExprFolding, FoldedAndUnfoldedProgramsAgree) {
  float x = 1.75f;
  TExpressionParser folded, plain;
  for (TExpressionParser* p : {&folded, &plain}) {
    p->SetDecimalSeparator('.');
    p->SetArgSeparator(',');
    p->DefineVariable("x", &x);
  }
  plain.SetFoldConstants(false);
  std::mt19937 rng(12345);
  int agreed = 0, computed = 0;
  for (int i = 0; i < 2000; ++i) {
    std::string text = RandomExpression(rng, 4);
    std::string a = Outcome(folded, text), b = Outcome(plain, text);
    EXPECT_EQ(a, b) << text;
    agreed += a == b;
    computed += a != "failed";
  }
  EXPECT_EQ(agreed, 2000);
  EXPECT_GT(computed, 1000);  // most programs compute a value: the comparison has teeth
}

}  // namespace
