// The standard words of the expression parser: the routine of each operator and
// function, and the table that registers them by name, precedence and argument count.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "functions/ParseExpr.h"
#include "functions/ParseExprPrivate.h"

namespace parse_expr {

// ---------------------------------------------------------------------------------------
// Routines of the standard words. Arguments are read as 4-byte floats, computed in double
// and stored back into the 4-byte result, as each intermediate result is a 4-byte float.

inline double Arg(const TExprRec& r, int i) {
  return *r.Args[i];
}
inline void Set(TExprRec& r, double value) {
  r.Res = static_cast<float>(value);
}
inline void SetBool(TExprRec& r, bool value) {
  r.Res = value ? 1.0f : 0.0f;
}
// Integer operations round their operands; NaN and out-of-range values never trap.
inline int64_t RoundArg(const TExprRec& r, int i) {
  return RoundHalfEven64(*r.Args[i]);
}

void CopyOperand(TExprRec& r) {
  r.Res = *r.Args[0];
}

void RandomValue(TExprRec& r) {
  // A draw just below 1 must not round up to 1 in four bytes.
  float value = static_cast<float>(RandomFloat());
  r.Res = value < 1.0f ? value : std::nextafter(1.0f, 0.0f);
}
void RandomIntValue(TExprRec& r) {
  Set(r, Random(TruncSat(Arg(r, 0))));
}

void RandomGauss(TExprRec& r) {
  // Box-Muller over the shared generator; 1 - u keeps the logarithm away from 0.
  double u1 = 1.0 - RandomFloat();
  double u2 = RandomFloat();
  double normal = std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * Pi * u2);
  Set(r, Arg(r, 0) + Arg(r, 1) * normal);
}

void Factorial(TExprRec& r) {
  // Iterative, and it stops as soon as the product leaves the 4-byte range (the result
  // is then infinite and reported as an overflow) so a huge argument cannot hang.
  int64_t n = RoundArg(r, 0);
  double product = 1.0;
  for (int64_t k = n; k > 1; --k) {
    product *= static_cast<double>(k);
    if (product > FLT_MAX) {
      product = HUGE_VAL;
      break;
    }
  }
  Set(r, product);
}

void Increment(TExprRec& r) {
  *r.Args[0] = static_cast<float>(Arg(r, 0) + 1.0);
  r.Res = *r.Args[0];
}
void Decrement(TExprRec& r) {
  *r.Args[0] = static_cast<float>(Arg(r, 0) - 1.0);
  r.Res = *r.Args[0];
}
void Percent(TExprRec& r) {
  Set(r, Arg(r, 0) * 0.01);
}
void Negate(TExprRec& r) {
  r.Res = -*r.Args[0];
}
void UnaryPlus(TExprRec& r) {
  r.Res = *r.Args[0];
}

double IntPower(double base, int64_t exponent) {
  uint64_t e = exponent < 0 ? 0 - static_cast<uint64_t>(exponent) : static_cast<uint64_t>(exponent);
  double result = 1.0;
  while (e != 0) {
    if (e & 1) result *= base;
    e >>= 1;
    if (e != 0) base *= base;
  }
  return exponent < 0 ? 1.0 / result : result;
}

double Power(double base, double exponent) {
  // The square root is the common real power; it equals pow wherever both are defined
  // (pow differs only for -0 and -inf).
  if (exponent == 0.5 && base > 0) return std::sqrt(base);
  return std::pow(base, exponent);
}

void PowerOp(TExprRec& r) {
  Set(r, Power(Arg(r, 0), Arg(r, 1)));
}
void IntPowerOp(TExprRec& r) {
  Set(r, SmallIntPower(Arg(r, 0), *r.Args[1]));
}
void Multiply(TExprRec& r) {
  Set(r, Arg(r, 0) * Arg(r, 1));
}
void Divide(TExprRec& r) {
  Set(r, Arg(r, 0) / Arg(r, 1));
}
void IntDiv(TExprRec& r) {
  Set(r, static_cast<double>(DivSafe64(RoundArg(r, 0), RoundArg(r, 1))));
}
void IntMod(TExprRec& r) {
  Set(r, static_cast<double>(ModSafe64(RoundArg(r, 0), RoundArg(r, 1))));
}
void Add(TExprRec& r) {
  Set(r, Arg(r, 0) + Arg(r, 1));
}
void Subtract(TExprRec& r) {
  Set(r, Arg(r, 0) - Arg(r, 1));
}

void Greater(TExprRec& r) {
  SetBool(r, Arg(r, 0) > Arg(r, 1));
}
void GreaterEqual(TExprRec& r) {
  SetBool(r, Arg(r, 0) + Tolerance >= Arg(r, 1));
}
void LessEqual(TExprRec& r) {
  SetBool(r, Arg(r, 1) + Tolerance >= Arg(r, 0));
}
void Less(TExprRec& r) {
  SetBool(r, !(Arg(r, 0) >= Arg(r, 1)));
}
void NotEqual(TExprRec& r) {
  SetBool(r, !(std::fabs(Arg(r, 0) - Arg(r, 1)) <= Tolerance));
}
void Equal(TExprRec& r) {
  SetBool(r, std::fabs(Arg(r, 0) - Arg(r, 1)) < Tolerance);
}
void LogicalNot(TExprRec& r) {
  Set(r, static_cast<double>((RoundArg(r, 0) & 0xFF) ^ 1));
}
void BitOr(TExprRec& r) {
  Set(r, static_cast<double>(RoundArg(r, 0) | RoundArg(r, 1)));
}
void BitAnd(TExprRec& r) {
  Set(r, static_cast<double>(RoundArg(r, 0) & RoundArg(r, 1)));
}
void BitXor(TExprRec& r) {
  Set(r, static_cast<double>(RoundArg(r, 0) ^ RoundArg(r, 1)));
}

void Assign(TExprRec& r) {
  float value = *r.Args[1];
  *r.Args[0] = value;
  r.Res = value;
}

void Exp(TExprRec& r) {
  Set(r, std::exp(Arg(r, 0)));
}
void If(TExprRec& r) {
  r.Res = (RoundArg(r, 0) & 0xFF) != 0 ? *r.Args[1] : *r.Args[2];
}
void Sqr(TExprRec& r) {
  Set(r, Arg(r, 0) * Arg(r, 0));
}
void Sqrt(TExprRec& r) {
  Set(r, std::sqrt(Arg(r, 0)));
}
void Abs(TExprRec& r) {
  r.Res = std::fabs(*r.Args[0]);
}
void Round(TExprRec& r) {
  Set(r, static_cast<double>(RoundArg(r, 0)));
}
void Trunc(TExprRec& r) {
  Set(r, static_cast<double>(TruncSat64(Arg(r, 0))));
}
void Ln(TExprRec& r) {
  Set(r, std::log(Arg(r, 0)));
}
void Log10(TExprRec& r) {
  Set(r, std::log10(Arg(r, 0)));
}
void LogN(TExprRec& r) {
  Set(r, std::log(Arg(r, 1)) / std::log(Arg(r, 0)));
}
void Max(TExprRec& r) {
  r.Res = Arg(r, 0) >= Arg(r, 1) ? *r.Args[0] : *r.Args[1];
}
void Min(TExprRec& r) {
  r.Res = Arg(r, 0) > Arg(r, 1) ? *r.Args[1] : *r.Args[0];
}
void Sin(TExprRec& r) {
  Set(r, std::sin(Arg(r, 0)));
}
void Cos(TExprRec& r) {
  Set(r, std::cos(Arg(r, 0)));
}
void Tan(TExprRec& r) {
  Set(r, std::tan(Arg(r, 0)));
}
void ArcSin(TExprRec& r) {
  Set(r, std::asin(Arg(r, 0)));
}
void ArcCos(TExprRec& r) {
  Set(r, std::acos(Arg(r, 0)));
}
void ArcTan(TExprRec& r) {
  Set(r, std::atan(Arg(r, 0)));
}
void ArcTan2(TExprRec& r) {
  Set(r, std::atan2(Arg(r, 0), Arg(r, 1)));
}
void Sinh(TExprRec& r) {
  Set(r, std::sinh(Arg(r, 0)));
}
void Cosh(TExprRec& r) {
  Set(r, std::cosh(Arg(r, 0)));
}
void Tanh(TExprRec& r) {
  Set(r, std::tanh(Arg(r, 0)));
}
void ArcSinh(TExprRec& r) {
  Set(r, std::asinh(Arg(r, 0)));
}
void ArcCosh(TExprRec& r) {
  Set(r, std::acosh(Arg(r, 0)));
}
void ArcTanh(TExprRec& r) {
  Set(r, std::atanh(Arg(r, 0)));
}
void DegToRad(TExprRec& r) {
  Set(r, Arg(r, 0) * (Pi / 180.0));
}
void RadToDeg(TExprRec& r) {
  Set(r, Arg(r, 0) * (180.0 / Pi));
}

float Pos(const std::string& first, const std::string& second, bool hasSecond) {
  if (!hasSecond || first.empty()) return 0;
  size_t at = second.find(first);
  return at == std::string::npos ? 0.0f : static_cast<float>(at + 1);
}

}  // namespace parse_expr

using namespace parse_expr;

void TCustomExpressionParser::RegisterStandardWords() {
  auto op = [&](const char* name, int args, int precedence, TExprFunc routine) {
    AddFunction(std::make_unique<TParserFunction>(name, args, routine, true, precedence));
  };
  auto boolOp = [&](const char* name, int args, int precedence, TExprFunc routine) {
    AddFunction(std::make_unique<TBooleanFunction>(name, args, routine, true, precedence));
  };
  auto fn = [&](const char* name, int args, TExprFunc routine, const char* description = "") {
    AddFunction(std::make_unique<TParserFunction>(name, args, routine, false, 0, description));
  };
  auto varying = [&](const char* name, int args, TExprFunc routine, const char* description) {
    AddFunction(std::make_unique<TVaryingFunction>(name, args, routine, false, 0, description));
  };

  words_.Insert(std::make_unique<TLeftBracket>());
  words_.Insert(std::make_unique<TRightBracket>());
  words_.Insert(std::make_unique<TComma>(argSeparator_));
  words_.Insert(
      std::make_unique<TConstant>("pi", static_cast<float>(Pi), "pi = 3.1415926535897932385"));
  varying("random", 0, RandomValue, "random number in [0, 1)");
  varying("random_int", 1, RandomIntValue, "random integer in [0, x)");
  op("!", 1, 10, Factorial);
  op("++", 1, 5, Increment);
  op("--", 1, 5, Decrement);
  op("%", 1, 10, Percent);
  op("-@", 1, 10, Negate);
  op("+@", 1, 10, UnaryPlus);
  op("^", 2, 20, PowerOp);
  op("^@", 2, 20, IntPowerOp);
  op("*", 2, 30, Multiply);
  op("/", 2, 30, Divide);
  op("div", 2, 30, IntDiv);
  op("mod", 2, 30, IntMod);
  op("+", 2, 40, Add);
  op("-", 2, 40, Subtract);
  boolOp(">", 2, 50, Greater);
  boolOp(">=", 2, 50, GreaterEqual);
  boolOp("<=", 2, 50, LessEqual);
  boolOp("<", 2, 50, Less);
  boolOp("<>", 2, 50, NotEqual);
  boolOp("=", 2, 50, Equal);
  boolOp("in", 2, 10, Equal);
  boolOp("not", 1, 60, LogicalNot);
  boolOp("or", 2, 70, BitOr);
  boolOp("and", 2, 70, BitAnd);
  boolOp("xor", 2, 70, BitXor);
  op(":=", 2, 200, Assign);
  fn("exp", 1, Exp, "e raised to x");
  fn("if", 3, If, "if x=True(or 1) then y else z");
  varying("randg", 2, RandomGauss, "draw from normal distrib. (mean=x, sd =y)");
  fn("sqr", 1, Sqr);
  fn("sqrt", 1, Sqrt);
  fn("abs", 1, Abs);
  fn("round", 1, Round);
  fn("trunc", 1, Trunc);
  fn("ln", 1, Ln);
  fn("log10", 1, Log10);
  fn("logN", 2, LogN, "logarithm base x of y");
  fn("power", 2, PowerOp);
  fn("pow", 2, PowerOp);
  fn("intpower", 2, IntPowerOp);
  fn("max", 2, Max);
  fn("min", 2, Min);
  fn("sin", 1, Sin);
  fn("cos", 1, Cos);
  fn("tan", 1, Tan);
  fn("arcsin", 1, ArcSin);
  fn("arccos", 1, ArcCos);
  fn("arctan", 1, ArcTan);
  fn("arctan2", 2, ArcTan2);
  fn("sinh", 1, Sinh);
  fn("cosh", 1, Cosh);
  fn("tanh", 1, Tanh);
  fn("arcsinh", 1, ArcSinh);
  fn("arccosh", 1, ArcCosh);
  fn("arctanh", 1, ArcTanh);
  fn("degtorad", 1, DegToRad);
  fn("radtodeg", 1, RadToDeg);
  AddStringFunction("pos", "position of the first text in the second", Pos);
}
