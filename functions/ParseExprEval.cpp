// Evaluation of compiled chains: the records run in order, the common operations inline.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "functions/ParseExpr.h"
#include "functions/ParseExprPrivate.h"

using namespace parse_expr;

namespace {

// Floating-point failures. C++ raises nothing where the operations fail, so a result that
// is not finite stands for the failure; the message names what the runtime would have.

inline bool IsFinite(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return (bits & 0x7F800000u) != 0x7F800000u;
}

bool IsZeroDivision(const TExprRec& r) {
  const std::string& name = r.Word ? r.Word->Name() : std::string();
  if (name == "/") return *r.Args[1] == 0;
  if (name == "ln" || name == "log10") return *r.Args[0] == 0;
  if (name == "logn") return *r.Args[0] == 1 || *r.Args[1] == 0;
  if (name == "^" || name == "^@" || name == "power" || name == "pow" || name == "intpower")
    return *r.Args[0] == 0;
  return false;
}

[[noreturn, gnu::cold]] void RaiseFloatError(const TExprRec& r) {
  if (std::isnan(r.Res)) throw EMathError("Invalid floating point operation");
  if (IsZeroDivision(r)) throw EMathError("Floating point division by zero");
  throw EMathError("Floating point overflow");
}

// Routines that evaluation runs inline: a call per record costs more than the work.
enum FastCode : uint8_t {
  CallRoutine = 0,
  // Each arithmetic code is followed by its two variants that take the left or the right
  // operand from the record just before, kept in a register rather than read back.
  CodeAdd,
  CodeAddPrevLeft,
  CodeAddPrevRight,
  CodeSubtract,
  CodeSubtractPrevLeft,
  CodeSubtractPrevRight,
  CodeMultiply,
  CodeMultiplyPrevLeft,
  CodeMultiplyPrevRight,
  CodeDivide,
  CodeDividePrevLeft,
  CodeDividePrevRight,
  CodeNegate,
  CodeGreater,
  CodeLess,
  CodeGreaterEqual,
  CodeLessEqual,
  CodeEqual,
  CodeAssign,
  CodeIntPower,
};

uint8_t FastCodeOf(TExprFunc routine) {
  if (routine == Add) return CodeAdd;
  if (routine == Subtract) return CodeSubtract;
  if (routine == Multiply) return CodeMultiply;
  if (routine == Divide) return CodeDivide;
  if (routine == Negate) return CodeNegate;
  if (routine == Greater) return CodeGreater;
  if (routine == Less) return CodeLess;
  if (routine == GreaterEqual) return CodeGreaterEqual;
  if (routine == LessEqual) return CodeLessEqual;
  if (routine == Equal) return CodeEqual;
  if (routine == Assign) return CodeAssign;
  if (routine == IntPowerOp) return CodeIntPower;
  return CallRoutine;
}

bool IsArithmetic(uint8_t code) {
  return code == CodeAdd || code == CodeSubtract || code == CodeMultiply || code == CodeDivide;
}

}  // namespace

// Sets every record's code from its routine and marks operands that are the result of
// the record just before.
void parse_expr::PrepareRecords(TExprRec* first, TExprRec* end) {
  for (TExprRec* r = first; r != end; ++r) {
    r->Code = FastCodeOf(r->Oper);
    if (r == first || !IsArithmetic(r->Code)) continue;
    if (r->Args[0] == &r[-1].Res)
      r->Code += 1;
    else if (r->Args[1] == &r[-1].Res)
      r->Code += 2;
  }
}

#define ARITHMETIC_CASES(code, op) \
  case code:                       \
    v = *a[0] op * a[1];           \
    break;                         \
  case code##PrevLeft:             \
    v = previous op * a[1];        \
    break;                         \
  case code##PrevRight:            \
    v = *a[0] op previous;         \
    break;

// Runs records in order; a result that is not finite raises before the next record runs.
// The inline cases compute exactly what their routines compute.
void parse_expr::RunRecords(TExprRec* r, TExprRec* end) {
  float previous = 0;
  for (; r != end; ++r) {
    const float* const* a = r->Args;
    float v;
    switch (r->Code) {
      ARITHMETIC_CASES(CodeAdd, +)
      ARITHMETIC_CASES(CodeSubtract, -)
      ARITHMETIC_CASES(CodeMultiply, *)
      ARITHMETIC_CASES(CodeDivide, /)
      case CodeNegate:
        v = -*a[0];
        break;
      case CodeGreater:
        v = *a[0] > *a[1] ? 1.0f : 0.0f;
        break;
      case CodeLess:
        v = !(*a[0] >= *a[1]) ? 1.0f : 0.0f;
        break;
      case CodeGreaterEqual:
        v = double(*a[0]) + Tolerance >= *a[1] ? 1.0f : 0.0f;
        break;
      case CodeLessEqual:
        v = double(*a[1]) + Tolerance >= *a[0] ? 1.0f : 0.0f;
        break;
      case CodeEqual:
        v = std::fabs(double(*a[0]) - *a[1]) < Tolerance ? 1.0f : 0.0f;
        break;
      case CodeIntPower:
        v = static_cast<float>(SmallIntPower(*a[0], *a[1]));
        break;
      case CodeAssign:
        // An assignment only copies: an infinite value already in a cell may be moved.
        v = *a[1];
        *r->Args[0] = v;
        r->Res = v;
        previous = v;
        continue;
      default:
        r->Oper(*r);
        v = r->Res;
        break;
    }
    r->Res = v;
    previous = v;
    if (!IsFinite(v)) [[unlikely]]
      RaiseFloatError(*r);
  }
}

#undef ARITHMETIC_CASES

void TExprChain::Prepare() {
  PrepareRecords(records_.data(), records_.data() + records_.size());
}

float TExprChain::Evaluate() {
  TExprRec* first = records_.data();
  if (copyOnly_) {
    first->Res = *first->Args[0];
    return first->Res;
  }
  TExprRec* end = first + records_.size();
  RunRecords(first, end);
  return end[-1].Res;
}
