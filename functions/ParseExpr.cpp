#include "functions/ParseExpr.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Tolerance = 1e-30;
const std::string ErrorPrefix = "Error in math expression: ";

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

// Squares and cubes are the common integer powers: the same products IntPower forms.
inline double SmallIntPower(double base, float exponent) {
  if (exponent == 2.0f) return base * base;
  if (exponent == 3.0f) return base * (base * base);
  return IntPower(base, RoundHalfEven64(exponent));
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

// ---------------------------------------------------------------------------------------
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

std::string Trim(std::string_view text) {
  // Control characters and spaces at both ends, as a line is trimmed.
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f');
}
bool IsIdentStart(char c) {
  return (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) {
  return IsIdentStart(c) || IsDigit(c);
}

// For a number text that a double cannot hold: true when it is too large (rather than
// too small), judged by the decimal exponent of its first significant digit.
bool IsHugeNumber(std::string_view text) {
  size_t e = text.find('e');
  double exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = text.substr(e + 1);
    bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    for (char c : digits) exponent = exponent * 10 + (c - '0');  // saturates to inf
    if (negative) exponent = -exponent;
  }
  std::string_view mantissa = text.substr(0, e);
  size_t point = mantissa.find('.');
  std::string_view whole = mantissa.substr(0, point);
  if (size_t first = whole.find_first_not_of('0'); first != std::string_view::npos)
    return static_cast<double>(whole.size() - first - 1) + exponent > 0;
  std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
  size_t first = fraction.find_first_not_of('0');
  return first != std::string_view::npos && exponent - static_cast<double>(first) - 1 > 0;
}

std::string FloatText(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

// ---------------------------------------------------------------------------------------

namespace {

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

// Sets every record's code from its routine and marks operands that are the result of
// the record just before.
void PrepareRecords(TExprRec* first, TExprRec* end) {
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
void RunRecords(TExprRec* r, TExprRec* end) {
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

}  // namespace

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

// ---------------------------------------------------------------------------------------
// Compilation of one line: tokens, syntax check and rewriting, tree, folding, chain.

class TCustomExpressionParser::Compiler {
 public:
  // Text is the line lower-cased; source the line as written, for messages.
  Compiler(TCustomExpressionParser& parser, std::string text, std::string source, TExprChain& chain)
      : parser_(parser), text_(std::move(text)), source_(std::move(source)), chain_(chain) {}

  void Run() {
    Tokenize();
    CheckBrackets();
    CheckSyntax();
    BindStrings();
    MatchBrackets();
    int root = Build(0, static_cast<int>(tokens_.size()), 0);
    CheckArguments();
    if (parser_.foldConstants_) Fold(root);
    Linearise(root);
  }

 private:
  // Deeper trees are refused: the tree is built, folded and linearised recursively.
  static constexpr int MaxDepth = 1000;

  struct Node {
    TExprWord* word;
    int argCount = 0;
    int args[MaxArg] = {};
    int height = 1;
  };

  [[noreturn]] void SyntaxError() const {
    throw EParserException(ErrorPrefix + "Syntax error in expression " + source_);
  }

  TExprWord* Own(std::unique_ptr<TExprWord> word) {
    chain_.owned_.push_back(std::move(word));
    return chain_.owned_.back().get();
  }

  TExprWord* Word(const char* name) const { return parser_.words_.Find(name); }

  // --- Tokens ---------------------------------------------------------------------------

  void Tokenize() {
    const std::string& s = text_;
    size_t i = 0, n = s.size();
    while (i < n) {
      char c = s[i];
      if (c == ' ') {
        ++i;
      } else if (c == parser_.hexPrefix_ && i + 1 < n && IsHexDigit(s[i + 1])) {
        i = ScanHex(i);
      } else if (IsDigit(c) || c == parser_.decimalSeparator_) {
        i = ScanNumber(i);
      } else if (c == '\'') {
        size_t close = s.find('\'', i + 1);
        size_t end = close == std::string::npos ? n : close + 1;
        tokens_.push_back(Own(std::make_unique<TStringConstant>(s.substr(i, end - i))));
        i = end;
      } else if (IsIdentStart(c) || c == parser_.hexPrefix_) {
        size_t end = i + 1;
        while (end < n && IsIdentChar(s[end])) ++end;
        AddWordToken(s.substr(i, end - i));
        i = end;
      } else {
        size_t length = IsTwoCharOperator(i) ? 2 : 1;
        AddWordToken(s.substr(i, length));
        i += length;
      }
    }
  }

  bool IsTwoCharOperator(size_t i) const {
    if (i + 1 >= text_.size()) return false;
    char a = text_[i], b = text_[i + 1];
    if ((a == ':' && b == '=') || (a == '!' && b == '=') || (a == '&' && b == '&') ||
        (a == '|' && b == '|') || (a == '+' && b == '+') || (a == '-' && b == '-'))
      return true;
    auto isCompare = [](char x) { return x == '<' || x == '=' || x == '>'; };
    return isCompare(a) && isCompare(b);
  }

  size_t ScanHex(size_t i) {
    size_t end = i + 1;
    double value = 0;
    while (end < text_.size() && IsHexDigit(text_[end])) {
      char c = text_[end++];
      value = value * 16 + (IsDigit(c) ? c - '0' : c - 'a' + 10);
    }
    AddNumber(FloatText(value), value);
    return end;
  }

  size_t ScanNumber(size_t i) {
    const std::string& s = text_;
    size_t n = s.size(), end = i;
    while (end < n && IsDigit(s[end])) ++end;
    if (end < n && s[end] == parser_.decimalSeparator_) {
      ++end;
      while (end < n && IsDigit(s[end])) ++end;
    }
    if (end < n && s[end] == 'e') {
      size_t k = end + 1;
      if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
      if (k < n && IsDigit(s[k])) {
        end = k;
        while (end < n && IsDigit(s[end])) ++end;
      }
    }
    std::string token = s.substr(i, end - i);
    std::string plain = token;
    for (char& c : plain)
      if (c == parser_.decimalSeparator_) c = '.';
    double value = 0;
    auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    bool complete = result.ptr == plain.data() + plain.size();
    if (result.ec == std::errc::result_out_of_range && complete) {
      if (IsHugeNumber(plain)) throw EMathError("Floating point overflow");
      value = 0;  // too small even for a double: 0 as a 4-byte float too
    } else if (result.ec != std::errc() || !complete) {
      SyntaxError();
    }
    AddNumber(token, value);
    return end;
  }

  void AddNumber(const std::string& text, double value) {
    if (std::fabs(value) > FLT_MAX) throw EMathError("Floating point overflow");
    tokens_.push_back(Own(std::make_unique<TFloatTypeConstant>(text, static_cast<float>(value))));
  }

  void AddWordToken(const std::string& name) {
    TExprWord* word = parser_.words_.Find(name);
    if (!word) {
      // An unknown name is a variable of the parser's own, seen by every later line.
      auto variable = std::make_unique<TGeneratedVariable>(name);
      word = variable.get();
      parser_.words_.Insert(std::move(variable));
    }
    tokens_.push_back(word);
  }

  // --- Syntax check and rewriting -------------------------------------------------------

  void CheckBrackets() const {
    // Counts alone would let ") + (1" through to the tree builder: check the nesting.
    int depth = 0;
    for (TExprWord* t : tokens_) {
      if (t->GetKind() == TExprWordKind::LeftBracket) ++depth;
      if (t->GetKind() == TExprWordKind::RightBracket && --depth < 0) break;
    }
    if (depth != 0) throw EParserException("Unequal brackets");
  }

  static bool IsKind(const TExprWord* w, TExprWordKind kind) { return w && w->GetKind() == kind; }
  static bool IsOperand(const TExprWord* w) { return w && w->IsOperand(); }
  static bool IsBinaryOperator(const TExprWord* w) {
    return w && w->IsOperator() && w->GetArgCount() == 2;
  }
  static bool IsSign(const TExprWord* w) { return w->Name() == "+" || w->Name() == "-"; }

  void CheckSyntax() {
    TExprWord* minus = Word("-@");
    TExprWord* plus = Word("+@");
    TExprWord* intPower = Word("^@");
    TExprCollection out;
    out.reserve(tokens_.size());
    size_t n = tokens_.size();
    for (size_t i = 0; i < n;) {
      TExprWord* t = tokens_[i];
      TExprWord* prev = out.empty() ? nullptr : out.back();
      TExprWord* next = i + 1 < n ? tokens_[i + 1] : nullptr;
      if (IsSign(t) && (!prev || IsKind(prev, TExprWordKind::Separator) ||
                        IsKind(prev, TExprWordKind::LeftBracket) || IsBinaryOperator(prev))) {
        int minusCount = 0;
        while (i < n && IsSign(tokens_[i])) minusCount += tokens_[i++]->Name() == "-";
        TExprWord* sign = minusCount % 2 ? minus : plus;
        if (!sign) SyntaxError();
        out.push_back(sign);
        continue;
      }
      if (t->Name() == "not" && t->IsOperator() &&
          (!prev || IsKind(prev, TExprWordKind::LeftBracket) || prev->IsOperator())) {
        size_t run = 0;
        while (i < n && tokens_[i] == t) ++run, ++i;
        if (run % 2) out.push_back(t);
        continue;
      }
      if (IsOperand(t) && IsOperand(next))
        throw EParserException(ErrorPrefix + t->Name() + " two space limited variables/constants");
      if (dynamic_cast<TGeneratedVariable*>(t) && IsKind(next, TExprWordKind::LeftBracket))
        throw EParserException(ErrorPrefix + t->Name() + " is an unknown function");
      if (IsKind(t, TExprWordKind::LeftBracket) &&
          (!next || IsKind(next, TExprWordKind::RightBracket)))
        throw EParserException(ErrorPrefix + "Empty brackets ()");
      if (IsKind(t, TExprWordKind::RightBracket) && IsKind(next, TExprWordKind::LeftBracket))
        throw EParserException(ErrorPrefix + "Missing operand between )(");
      if (IsKind(t, TExprWordKind::RightBracket) && IsOperand(next))
        throw EParserException(ErrorPrefix + "Missing operand between ) and constant/variable");
      if (IsKind(t, TExprWordKind::LeftBracket) && IsOperand(prev))
        throw EParserException(ErrorPrefix + "Missing operand between constant/variable and (");
      if (t->Name() == "^" && intPower && dynamic_cast<TFloatTypeConstant*>(next) &&
          next->Name().find(parser_.decimalSeparator_) == std::string::npos)
        t = intPower;
      out.push_back(t);
      ++i;
    }
    tokens_ = std::move(out);
  }

  // Binds string operands to the string function before them or to a comparison with
  // the string after them, right to left.
  void BindStrings() {
    for (int p = static_cast<int>(tokens_.size()) - 1; p >= 0; --p) {
      if (tokens_[p]->GetKind() != TExprWordKind::String || !tokens_[p]->IsOperand()) continue;
      int n = static_cast<int>(tokens_.size());
      auto* function = p >= 2 ? dynamic_cast<TSimpleStringFunction*>(tokens_[p - 2]) : nullptr;
      if (function && !function->IsBound() && IsKind(tokens_[p - 1], TExprWordKind::LeftBracket)) {
        std::string first = tokens_[p]->GetAsString();
        if (p + 1 < n && IsKind(tokens_[p + 1], TExprWordKind::RightBracket)) {
          tokens_[p - 2] = Own(function->Bind(first, {}, false));
          tokens_.erase(tokens_.begin() + (p - 1), tokens_.begin() + (p + 2));
        } else if (p + 3 < n && IsKind(tokens_[p + 1], TExprWordKind::Separator) &&
                   IsStringOperand(tokens_[p + 2]) &&
                   IsKind(tokens_[p + 3], TExprWordKind::RightBracket)) {
          tokens_[p - 2] = Own(function->Bind(first, tokens_[p + 2]->GetAsString(), true));
          tokens_.erase(tokens_.begin() + (p - 1), tokens_.begin() + (p + 4));
        } else {
          SyntaxError();
        }
        p -= 2;
        continue;
      }
      if (p + 2 < n && IsStringOperand(tokens_[p + 2])) {
        TExprWord* op = tokens_[p + 1];
        if (!TLogicalStringOper::IsStringComparison(op->Name()))
          throw EParserException(op->Name() + " is not a valid string operand");
        tokens_[p] = Own(std::make_unique<TLogicalStringOper>(op->Name(), tokens_[p]->GetAsString(),
                                                              tokens_[p + 2]->GetAsString()));
        tokens_.erase(tokens_.begin() + (p + 1), tokens_.begin() + (p + 3));
      }
    }
  }

  static bool IsStringOperand(const TExprWord* w) {
    return w->IsOperand() && w->GetKind() == TExprWordKind::String;
  }

  // --- Tree -----------------------------------------------------------------------------

  void MatchBrackets() {
    match_.assign(tokens_.size(), -1);
    std::vector<int> open;
    for (int i = 0; i < static_cast<int>(tokens_.size()); ++i) {
      if (IsKind(tokens_[i], TExprWordKind::LeftBracket)) open.push_back(i);
      if (IsKind(tokens_[i], TExprWordKind::RightBracket)) {
        if (open.empty()) throw EParserException("Unequal brackets");
        match_[open.back()] = i;
        match_[i] = open.back();
        open.pop_back();
      }
    }
    if (!open.empty()) throw EParserException("Unequal brackets");
  }

  int NewNode(TExprWord* word) {
    nodes_.push_back(Node{word});
    return static_cast<int>(nodes_.size()) - 1;
  }

  void AddArg(int node, int arg) {
    Node& n = nodes_[node];
    if (n.argCount == MaxArg) throw EParserException("Too many arguments");
    n.args[n.argCount++] = arg;
    n.height = std::max(n.height, nodes_[arg].height + 1);
    if (n.height > MaxDepth) TooDeep();
  }

  [[noreturn]] static void TooDeep() {
    throw EParserException(ErrorPrefix + "Expression is nested too deeply");
  }

  // Skips a bracketed group: the index after it.
  int Skip(int i) const {
    return IsKind(tokens_[i], TExprWordKind::LeftBracket) ? match_[i] + 1 : i + 1;
  }

  int Leaf(TExprWord* word) {
    if (word->IsOperand()) {
      if (word->GetKind() == TExprWordKind::String) SyntaxError();
      if (!word->GetValuePtr())
        throw EParserException(ErrorPrefix + word->Name() + " is an unbound variable");
    } else if (!word->IsFunction()) {
      SyntaxError();
    }
    return NewNode(word);
  }

  // The end of an operator's right operand: the next operator at depth 0 that binds no
  // tighter than it.
  int RunEnd(int from, int end, int precedence) const {
    int j = from;
    while (j < end) {
      TExprWord* w = tokens_[j];
      if (w->IsOperator() && w->GetPrecedence() >= precedence) break;
      j = Skip(j);
    }
    return j;
  }

  int Build(int begin, int end, int depth) {
    if (depth > MaxDepth) TooDeep();
    while (end - begin >= 2 && IsKind(tokens_[begin], TExprWordKind::LeftBracket) &&
           match_[begin] == end - 1) {
      ++begin;
      --end;
    }
    if (begin >= end) SyntaxError();
    if (end - begin == 1) return Leaf(tokens_[begin]);

    int i = begin;
    while (i < end && !tokens_[i]->IsFunction()) i = Skip(i);
    if (i >= end) SyntaxError();
    TExprWord* word = tokens_[i];
    if (!word->IsOperator()) {
      // Nothing may stand before a function: two operands in a row.
      if (i > begin) SyntaxError();
      int node = NewNode(word);
      int pos = i + 1;
      if (pos < end && IsKind(tokens_[pos], TExprWordKind::LeftBracket)) {
        BuildArguments(node, pos + 1, match_[pos], depth);
        pos = match_[pos] + 1;
      }
      return BuildRest(node, pos, end, depth);
    }
    int left = i > begin ? Build(begin, i, depth + 1) : -1;
    int node = NewNode(word);
    if (left >= 0) AddArg(node, left);
    int pos = BuildRightOperand(node, i + 1, end, depth);
    return BuildRest(node, pos, end, depth);
  }

  void BuildArguments(int node, int begin, int end, int depth) {
    int start = begin;
    for (int j = begin; j <= end;) {
      if (j == end || IsKind(tokens_[j], TExprWordKind::Separator)) {
        AddArg(node, Build(start, j, depth + 1));
        start = ++j;
        continue;
      }
      j = Skip(j);
    }
  }

  int BuildRightOperand(int node, int from, int end, int depth) {
    int runEnd = RunEnd(from, end, nodes_[node].word->GetPrecedence());
    if (runEnd > from) AddArg(node, Build(from, runEnd, depth + 1));
    return runEnd;
  }

  // Operators after a finished tree take it as their first argument, left to right.
  int BuildRest(int tree, int pos, int end, int depth) {
    while (pos < end) {
      TExprWord* word = tokens_[pos];
      if (!word->IsOperator()) SyntaxError();
      int node = NewNode(word);
      AddArg(node, tree);
      pos = BuildRightOperand(node, pos + 1, end, depth);
      tree = node;
    }
    return tree;
  }

  void CheckArguments() const {
    for (const Node& n : nodes_)
      if (n.argCount < n.word->GetArgCount())
        throw EParserException(ErrorPrefix +
                               "Syntax error: function or operand has too few arguments");
  }

  // --- Folding and the chain ------------------------------------------------------------

  bool IsVarying(int node) const {
    const Node& n = nodes_[node];
    if (n.word->IsVarying()) return true;
    for (int k = 0; k < n.argCount; ++k)
      if (IsVarying(n.args[k])) return true;
    return false;
  }

  void Fold(int node) {
    Node& n = nodes_[node];
    if (n.word->IsOperand()) return;
    if (IsVarying(node)) {
      for (int k = 0; k < n.argCount; ++k) Fold(nodes_[node].args[k]);
      return;
    }
    // Evaluate the sub-tree once; a failing operation fails the compilation.
    std::vector<TExprRec> records;
    records.reserve(static_cast<size_t>(CountRecords(node)));
    Append(node, records, nullptr);
    PrepareRecords(records.data(), records.data() + records.size());
    RunRecords(records.data(), records.data() + records.size());
    float value = records.back().Res;
    std::string text = FloatText(value);
    TExprWord* constant = n.word->GetKind() == TExprWordKind::Boolean
                              ? Own(std::make_unique<TBooleanConstant>(text, value))
                              : Own(std::make_unique<TFloatTypeConstant>(text, value));
    nodes_[node] = Node{constant};
  }

  int CountRecords(int node) const {
    const Node& n = nodes_[node];
    if (n.word->IsOperand()) return 0;
    int count = 1;
    for (int k = 0; k < n.argCount; ++k) count += CountRecords(n.args[k]);
    return count;
  }

  // Appends the records of a sub-tree in post-order; the address of its value.
  // Operand arguments are noted in operands when it is given.
  float* Append(int node, std::vector<TExprRec>& records,
                std::vector<TExprChain::OperandRef>* operands) {
    const Node& n = nodes_[node];
    if (n.word->IsOperand()) return n.word->GetValuePtr();
    TExprRec rec;
    rec.Oper = n.word->Routine();
    rec.Word = n.word;
    for (int k = 0; k < n.argCount; ++k) rec.Args[k] = Append(n.args[k], records, operands);
    int index = static_cast<int>(records.size());
    for (int k = 0; operands && k < n.argCount; ++k) {
      TExprWord* arg = nodes_[n.args[k]].word;
      if (arg->IsOperand()) operands->push_back({index, k, arg});
    }
    records.push_back(rec);
    return &records.back().Res;
  }

  void Linearise(int root) {
    std::vector<TExprRec>& records = chain_.records_;
    const Node& n = nodes_[root];
    if (n.word->IsOperand()) {
      TExprRec rec;
      rec.Oper = CopyOperand;
      rec.Word = n.word;
      rec.Args[0] = n.word->GetValuePtr();
      records.push_back(rec);
      chain_.operands_.push_back({0, 0, n.word});
      chain_.copyOnly_ = true;
    } else {
      records.reserve(static_cast<size_t>(CountRecords(root)));
      Append(root, records, &chain_.operands_);
    }
    chain_.Prepare();
  }

  TCustomExpressionParser& parser_;
  std::string text_;
  std::string source_;
  TExprChain& chain_;
  TExprCollection tokens_;
  std::vector<int> match_;
  std::vector<Node> nodes_;
};

// ---------------------------------------------------------------------------------------

TCustomExpressionParser::TCustomExpressionParser() {
  // The system's number settings: the C locale unless the program chose another.
  const char* point = std::localeconv()->decimal_point;
  decimalSeparator_ = point && point[0] ? point[0] : '.';
  argSeparator_ = decimalSeparator_ == ',' ? ';' : ',';
  RegisterStandardWords();
}

TCustomExpressionParser::~TCustomExpressionParser() = default;

void TCustomExpressionParser::AddFunction(std::unique_ptr<TExprWord> word) {
  words_.Insert(std::move(word));
}

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

bool TCustomExpressionParser::Compile(const std::string& text) {
  std::string source = Trim(text);
  if (source.empty()) return false;
  auto chain = std::make_unique<TExprChain>();
  Compiler(*this, LowerCase(source), source, *chain).Run();
  chain_ = std::move(chain);
  current_ = chain_.get();
  return true;
}

float TCustomExpressionParser::EvaluateChain() {
  if (!current_) return std::numeric_limits<float>::quiet_NaN();
  return current_->Evaluate();
}

std::unique_ptr<TExprChain> TCustomExpressionParser::TakeChain() {
  return std::move(chain_);
}

bool TCustomExpressionParser::IsBooleanResult() const {
  TExprWord* word = current_ ? current_->ResultWord() : nullptr;
  return word && word->GetKind() == TExprWordKind::Boolean;
}

void TCustomExpressionParser::ForEachChain(const std::function<void(TExprChain&)>& visit) {
  if (chain_) visit(*chain_);
}

void TCustomExpressionParser::DefineVariable(const std::string& name, float* address) {
  AddWord(std::make_unique<TFloatTypeVariable>(name, address));
}

void TCustomExpressionParser::AddWord(std::unique_ptr<TExprWord> word) {
  if (TExprWord* old = words_.Find(word->Name())) {
    ReplaceWord(old, std::move(word));
    return;
  }
  words_.Insert(std::move(word));
}

void TCustomExpressionParser::ReplaceWord(TExprWord* old, std::unique_ptr<TExprWord> word) {
  if (old->GetArgCount() != word->GetArgCount())
    throw EParserException(ErrorPrefix +
                           "Cannot replace variable/function NFuntionArg doesn't match");
  if (words_.Find(old->Name()) != old || (word->Name() != old->Name() && words_.Find(word->Name())))
    throw EParserException(ErrorPrefix + "Cannot replace variable/function " + old->Name());
  std::unique_ptr<TExprWord> removed = words_.Extract(old);
  TExprWord* fresh = word.get();
  words_.Insert(std::move(word));

  // Compiled chains follow the new word: operands by their value's address, functions by
  // their routine. A change between the two kinds (or to a variable bound to nothing)
  // cannot be patched into a chain; the chains then keep the old word alive.
  float* newValue = fresh->GetValuePtr();
  bool patchable =
      old->IsOperand() ? (fresh->IsOperand() && newValue) : (!fresh->IsOperand() || newValue);
  bool used = false;
  ForEachChain([&](TExprChain& chain) {
    for (const TExprChain::OperandRef& ref : chain.operands_) used |= ref.word == old;
    for (const TExprRec& r : chain.records_) used |= r.Word == old;
  });
  if (used && !patchable) {
    retired_.push_back(std::move(removed));
    return;
  }
  ForEachChain([&](TExprChain& chain) {
    for (TExprChain::OperandRef& ref : chain.operands_) {
      if (ref.word != old) continue;
      ref.word = fresh;
      chain.records_[static_cast<size_t>(ref.record)].Args[ref.slot] = newValue;
    }
    for (size_t i = 0; i < chain.records_.size(); ++i) {
      TExprRec& r = chain.records_[i];
      if (r.Word != old) continue;
      r.Word = fresh;
      if (old->IsOperand()) continue;  // a lone operand's copy: its argument is done above
      if (fresh->IsOperand()) {
        // A function without arguments gives way to a variable: the record copies it.
        r.Oper = CopyOperand;
        r.Args[0] = newValue;
        chain.operands_.push_back({static_cast<int>(i), 0, fresh});
      } else {
        r.Oper = fresh->Routine();
      }
    }
    chain.Prepare();
  });
}

void TCustomExpressionParser::AddStringFunction(const std::string& name,
                                                const std::string& description,
                                                TStringRoutine routine) {
  AddWord(std::make_unique<TSimpleStringFunction>(name, description, routine));
}

void TCustomExpressionParser::SetArgSeparator(char separator) {
  TExprWord* old = nullptr;
  std::string oldName(1, argSeparator_);
  if (TExprWord* w = words_.Find(oldName); w && w->GetKind() == TExprWordKind::Separator) old = w;
  if (separator != argSeparator_ || !old) {
    AddWord(std::make_unique<TComma>(separator));
    if (old) words_.Extract(old);
  }
  argSeparator_ = separator;
  if (decimalSeparator_ == separator) decimalSeparator_ = separator == ',' ? '.' : ',';
}

void TCustomExpressionParser::SetDecimalSeparator(char separator) {
  decimalSeparator_ = separator;
  if (argSeparator_ == separator) SetArgSeparator(separator == ',' ? ';' : ',');
}

// ---------------------------------------------------------------------------------------

int TExpressionParser::AddExpression(const std::string& text) {
  if (!Compile(text)) return -1;
  lines_.push_back(Line{text, TakeChain()});
  return static_cast<int>(lines_.size()) - 1;
}

bool TExpressionParser::AddExpressions(const std::string& text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.starts_with("//")) continue;
    if (AddExpression(line) < 0) {
      ClearExpressions();
      return false;
    }
  }
  return true;
}

float TExpressionParser::EvaluateAt(int index) {
  if (index < 0 || index >= Count()) return std::numeric_limits<float>::quiet_NaN();
  return lines_[static_cast<size_t>(index)].chain->Evaluate();
}

float TExpressionParser::EvaluateAll() {
  float result = 0;
  for (Line& line : lines_) result = line.chain->Evaluate();
  return result;
}

void TExpressionParser::ClearExpressions() {
  for (const Line& line : lines_)
    if (line.chain.get() == CurrentChain()) SetCurrentChain(nullptr);
  lines_.clear();
}

void TExpressionParser::ForEachChain(const std::function<void(TExprChain&)>& visit) {
  TCustomExpressionParser::ForEachChain(visit);
  for (Line& line : lines_) visit(*line.chain);
}
