#pragma once
// What the units of the expression parser share among themselves (ParseExprWords.cpp,
// ParseExprEval.cpp, ParseExprCompile.cpp, ParseExpr.cpp); nothing outside them uses it.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "foundation/CheckedMath.h"
#include "functions/ParseClass.h"

namespace parse_expr {

inline constexpr double Pi = 3.14159265358979323846;
// Comparisons of floats count values this close as equal.
inline constexpr double Tolerance = 1e-30;
inline const std::string ErrorPrefix = "Error in math expression: ";

// Routines of the standard words that the evaluator runs inline and the compiler and the
// parser refer to (ParseExprWords.cpp).
void CopyOperand(TExprRec& r);
void Negate(TExprRec& r);
void Add(TExprRec& r);
void Subtract(TExprRec& r);
void Multiply(TExprRec& r);
void Divide(TExprRec& r);
void Greater(TExprRec& r);
void Less(TExprRec& r);
void GreaterEqual(TExprRec& r);
void LessEqual(TExprRec& r);
void Equal(TExprRec& r);
void Assign(TExprRec& r);
void IntPowerOp(TExprRec& r);
double IntPower(double base, int64_t exponent);

// Squares and cubes are the common integer powers: the same products IntPower forms.
inline double SmallIntPower(double base, float exponent) {
  if (exponent == 2.0f) return base * base;
  if (exponent == 3.0f) return base * (base * base);
  return IntPower(base, RoundHalfEven64(exponent));
}

// Evaluation (ParseExprEval.cpp): PrepareRecords sets each record's inline code once the
// records are built; RunRecords runs them in order and raises EMathError for a result
// that is not finite.
void PrepareRecords(TExprRec* first, TExprRec* end);
void RunRecords(TExprRec* first, TExprRec* end);

// Control characters and spaces at both ends gone, as a line is trimmed
// (ParseExprCompile.cpp).
std::string Trim(std::string_view text);

}  // namespace parse_expr
