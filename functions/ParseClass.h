#pragma once
// The building blocks of the expression parser: the words an expression is made of, the
// word list, and the evaluation record that a compiled expression is a chain of.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Exceptions.h"

// An evaluation record holds this many argument slots; a call with more is refused.
constexpr int MaxArg = 6;

class TExprWord;
struct TExprRec;
using TExprFunc = void (*)(TExprRec& rec);

// One operator or function of a compiled expression. Arguments point straight at operand
// storage (a cell, a constant) or at another record's result, so evaluation copies nothing.
// Records of one chain sit in one array in evaluation order: the array replaces the "next"
// link.
struct TExprRec {
  TExprFunc Oper = nullptr;
  float Res = 0;
  // Non-zero for the commonest routines, which evaluation runs in place of calling Oper;
  // always derived from Oper (TExprChain keeps the two in step).
  uint8_t Code = 0;
  TExprWord* Word = nullptr;
  float* Args[MaxArg] = {};
};

// Raised at evaluation (and while folding constants) when a floating-point operation
// fails: the texts are those players and authors know from the runtime.
class EMathError : public Exception {
 public:
  using Exception::Exception;
};

enum class TExprWordKind { Plain, Boolean, String, LeftBracket, RightBracket, Separator };

class TExprWord {
 public:
  explicit TExprWord(std::string_view name, TExprFunc routine = nullptr);
  virtual ~TExprWord() = default;
  TExprWord(const TExprWord&) = delete;
  TExprWord& operator=(const TExprWord&) = delete;

  const std::string& Name() const { return name_; }
  TExprFunc Routine() const { return routine_; }

  virtual bool IsOperator() const { return false; }
  virtual std::string GetAsString() const { return {}; }
  // A varying word is never folded into a constant.
  virtual bool IsVarying() const { return false; }
  virtual TExprWordKind GetKind() const { return TExprWordKind::Plain; }
  virtual int GetArgCount() const { return 0; }
  virtual std::string GetDescription() const { return {}; }
  // Address of an operand's 4-byte value; null for everything else (and for a variable
  // that is bound to nothing).
  virtual float* GetValuePtr() { return nullptr; }

  // Constants, variables and strings: they become record arguments, not records.
  virtual bool IsOperand() const { return false; }
  // Operators and functions: they become records.
  virtual bool IsFunction() const { return false; }
  virtual int GetPrecedence() const { return 0; }

 private:
  std::string name_;
  TExprFunc routine_;
};

// A numeric literal; its name is its text.
class TFloatTypeConstant : public TExprWord {
 public:
  TFloatTypeConstant(std::string_view text, float value) : TExprWord(text), value_(value) {}
  bool IsOperand() const override { return true; }
  float* GetValuePtr() override { return &value_; }

 private:
  float value_;
};

// A named constant ("pi").
class TConstant : public TExprWord {
 public:
  TConstant(std::string_view name, float value, std::string description)
      : TExprWord(name), value_(value), description_(std::move(description)) {}
  bool IsOperand() const override { return true; }
  float* GetValuePtr() override { return &value_; }
  std::string GetDescription() const override { return description_; }

 private:
  float value_;
  std::string description_;
};

// The value of a folded boolean sub-expression.
class TBooleanConstant : public TFloatTypeConstant {
 public:
  using TFloatTypeConstant::TFloatTypeConstant;
  TExprWordKind GetKind() const override { return TExprWordKind::Boolean; }
};

// A variable made for an unknown identifier: it holds its own value, which lives as long
// as the parser, so one line can leave a temporary for the next.
class TGeneratedVariable : public TExprWord {
 public:
  explicit TGeneratedVariable(std::string_view name) : TExprWord(name) {}
  bool IsOperand() const override { return true; }
  bool IsVarying() const override { return true; }
  float* GetValuePtr() override { return &value_; }

 private:
  float value_ = 0;
};

// A variable bound to a 4-byte float outside the parser (a cell). A null address is kept
// so that an expression reading it fails to compile instead of reading nothing.
class TFloatTypeVariable : public TExprWord {
 public:
  TFloatTypeVariable(std::string_view name, float* address) : TExprWord(name), address_(address) {}
  bool IsOperand() const override { return true; }
  bool IsVarying() const override { return true; }
  float* GetValuePtr() override { return address_; }

 private:
  float* address_;
};

// A quoted text; its name is the text with its quotes, its string the text between them.
class TStringConstant : public TExprWord {
 public:
  explicit TStringConstant(std::string_view token);
  bool IsOperand() const override { return true; }
  TExprWordKind GetKind() const override { return TExprWordKind::String; }
  std::string GetAsString() const override { return value_; }

 private:
  std::string value_;
};

class TLeftBracket : public TExprWord {
 public:
  TLeftBracket() : TExprWord("(") {}
  TExprWordKind GetKind() const override { return TExprWordKind::LeftBracket; }
};

class TRightBracket : public TExprWord {
 public:
  TRightBracket() : TExprWord(")") {}
  TExprWordKind GetKind() const override { return TExprWordKind::RightBracket; }
};

// The argument separator.
class TComma : public TExprWord {
 public:
  explicit TComma(char separator) : TExprWord(std::string_view(&separator, 1)) {}
  TExprWordKind GetKind() const override { return TExprWordKind::Separator; }
};

// A function or an operator. Precedence: a smaller number binds tighter.
class TParserFunction : public TExprWord {
 public:
  // More than MaxArg arguments raise "Too many arguments".
  TParserFunction(std::string_view name, int argCount, TExprFunc routine, bool isOperator = false,
                  int precedence = 0, std::string description = {});
  bool IsOperator() const override { return isOperator_; }
  bool IsFunction() const override { return true; }
  int GetArgCount() const override { return argCount_; }
  int GetPrecedence() const override { return precedence_; }
  std::string GetDescription() const override { return description_; }

 private:
  int argCount_;
  int precedence_;
  bool isOperator_;
  std::string description_;
};

// Never folded: its value changes from one evaluation to the next.
class TVaryingFunction : public TParserFunction {
 public:
  using TParserFunction::TParserFunction;
  bool IsVarying() const override { return true; }
};

// Comparisons and logic: the result is 1 or 0.
class TBooleanFunction : public TParserFunction {
 public:
  using TParserFunction::TParserFunction;
  TExprWordKind GetKind() const override { return TExprWordKind::Boolean; }
};

// A routine over one or two texts; the second is empty when the call gives only one.
using TStringRoutine = float (*)(const std::string& first, const std::string& second,
                                 bool hasSecond);

// A function over string operands. The registered word is a template; each call in an
// expression becomes a bound copy that holds its operands and evaluates without arguments.
class TSimpleStringFunction : public TExprWord {
 public:
  TSimpleStringFunction(std::string_view name, std::string description, TStringRoutine routine);
  TExprWordKind GetKind() const override { return TExprWordKind::String; }
  bool IsFunction() const override { return bound_; }
  std::string GetDescription() const override { return description_; }
  bool IsBound() const { return bound_; }
  // A bound copy of this function over the given operands.
  virtual std::unique_ptr<TSimpleStringFunction> Bind(std::string first, std::string second,
                                                      bool hasSecond) const;
  float Evaluate() const { return routine_(first_, second_, hasSecond_); }

 protected:
  TStringRoutine routine_;
  std::string description_;
  bool bound_ = false;
  bool hasSecond_ = false;
  std::string first_, second_;
};

class TVaryingStringFunction : public TSimpleStringFunction {
 public:
  using TSimpleStringFunction::TSimpleStringFunction;
  bool IsVarying() const override { return true; }
  std::unique_ptr<TSimpleStringFunction> Bind(std::string first, std::string second,
                                              bool hasSecond) const override;
};

// Comparison of two string operands; both are known at compile time, so the result is
// computed once and the word behaves as a boolean constant.
class TLogicalStringOper : public TExprWord {
 public:
  // Op is one of "=", ">", "<", ">=", "<=", "<>", "in"; IsStringComparison tells.
  TLogicalStringOper(std::string_view op, const std::string& left, const std::string& right);
  static bool IsStringComparison(std::string_view op);
  bool IsOperand() const override { return true; }
  TExprWordKind GetKind() const override { return TExprWordKind::Boolean; }
  float* GetValuePtr() override { return &value_; }

 private:
  float value_ = 0;
};

// A list of words that owns none of them; the token list of one expression is one.
using TNoOwnerCollection = std::vector<TExprWord*>;
using TExprCollection = TNoOwnerCollection;
// Words that a compiled expression owns: literals, strings, folded constants.
using TOCollection = std::vector<std::unique_ptr<TExprWord>>;

// The parser's words (an owning list sorted by name, without duplicates). Names are stored
// lower-cased and looked up without regard to case.
class TExpressList {
 public:
  TExprWord* Find(std::string_view name) const;
  // False (and the word is dropped) when a word of that name is already listed.
  bool Insert(std::unique_ptr<TExprWord> word);
  // Takes the word out of the list; null when it is not listed.
  std::unique_ptr<TExprWord> Extract(TExprWord* word);
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  size_t Search(std::string_view lowerName, bool& found) const;
  std::vector<std::unique_ptr<TExprWord>> items_;
};

// ASCII lower case, as every name of the parser is held.
std::string LowerCase(std::string_view text);
