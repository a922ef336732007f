#pragma once
// Compiler and evaluator of small arithmetic and logical expressions over 4-byte floats.
// A text is compiled once into a chain of evaluation records that point at variable
// storage and at each other's results; evaluating the chain allocates nothing.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "functions/ParseClass.h"

// One compiled expression: its records in evaluation order and the constants they read.
class TExprChain {
 public:
  // Runs every record; a record whose result is not finite raises EMathError, so an
  // operation that failed never feeds the next one or an assignment.
  float Evaluate();
  // Derives every record's in-place code from its routine and operands; run after the
  // records were built or patched.
  void Prepare();
  // The word of the last record (the one whose result Evaluate returns).
  TExprWord* ResultWord() const { return records_.empty() ? nullptr : records_.back().Word; }

 private:
  friend class TCustomExpressionParser;
  // Which operand word each operand argument reads, so that a replaced word is followed
  // by its own arguments only (two variables may share one cell).
  struct OperandRef {
    int record;
    int slot;
    TExprWord* word;
  };
  std::vector<TExprRec> records_;  // sized once: records point at each other's results
  std::vector<OperandRef> operands_;
  TOCollection owned_;
  bool copyOnly_ = false;  // a lone operand: one record that copies its value
};

class TCustomExpressionParser {
 public:
  TCustomExpressionParser();
  virtual ~TCustomExpressionParser();
  TCustomExpressionParser(const TCustomExpressionParser&) = delete;
  TCustomExpressionParser& operator=(const TCustomExpressionParser&) = delete;

  // Compiles one expression and makes it the current chain. False for an empty text;
  // raises EParserException (or EMathError from folding) on errors, keeping nothing of it.
  bool Compile(const std::string& text);
  // Evaluates the current chain; a quiet NaN without one. Raises EMathError.
  float EvaluateChain();

  // Binds name to a 4-byte float outside the parser; a word of that name is replaced.
  void DefineVariable(const std::string& name, float* address);
  // Adds a word; a word of the same name is replaced, in every compiled chain too.
  void AddWord(std::unique_ptr<TExprWord> word);
  // Puts word in the place of old (which must be listed); their argument counts must match.
  void ReplaceWord(TExprWord* old, std::unique_ptr<TExprWord> word);
  void AddStringFunction(const std::string& name, const std::string& description,
                         TStringRoutine routine);

  void SetArgSeparator(char separator);
  void SetDecimalSeparator(char separator);
  char ArgSeparator() const { return argSeparator_; }
  char DecimalSeparator() const { return decimalSeparator_; }
  bool FoldConstants() const { return foldConstants_; }
  void SetFoldConstants(bool fold) { foldConstants_ = fold; }
  // True when the current chain's result is a comparison or logic result.
  bool IsBooleanResult() const;

 protected:
  // Every chain compiled and kept, so that replaced words are replaced in them too.
  virtual void ForEachChain(const std::function<void(TExprChain&)>& visit);
  // Hands the chain of the last successful Compile over to the caller.
  std::unique_ptr<TExprChain> TakeChain();
  void SetCurrentChain(TExprChain* chain) { current_ = chain; }
  TExprChain* CurrentChain() const { return current_; }

 private:
  class Compiler;
  void RegisterStandardWords();
  void AddFunction(std::unique_ptr<TExprWord> word);

  char hexPrefix_ = '$';
  char decimalSeparator_;
  char argSeparator_;
  bool foldConstants_ = true;
  TExpressList words_;
  // Words replaced while a chain still needed them in a form that cannot be patched.
  TOCollection retired_;
  std::unique_ptr<TExprChain> chain_;
  TExprChain* current_ = nullptr;
};

// The parser of the expression function: a program of lines, compiled one by one and
// evaluated in order. Generated variables are shared by all lines.
class TExpressionParser : public TCustomExpressionParser {
 public:
  // Compiles text as a new line; its index, or -1 for an empty text. Errors propagate.
  int AddExpression(const std::string& text);
  // Adds every line of text except blank lines and lines starting "//".
  bool AddExpressions(const std::string& text);
  // The value of line index; a quiet NaN for an index that names no line.
  float EvaluateAt(int index);
  // Evaluates every line in order; the last line's value, 0 without lines.
  float EvaluateAll();
  void ClearExpressions();
  int Count() const { return static_cast<int>(lines_.size()); }

 protected:
  void ForEachChain(const std::function<void(TExprChain&)>& visit) override;

 private:
  struct Line {
    std::string text;
    std::unique_ptr<TExprChain> chain;
  };
  std::vector<Line> lines_;
};
