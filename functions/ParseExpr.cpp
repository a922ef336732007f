// The parser's entry points: its words (defining, replacing, the separators), the current
// chain, and the expression program of lines.
#include "functions/ParseExpr.h"

#include <clocale>
#include <limits>

#include "functions/ParseExprPrivate.h"

using namespace parse_expr;

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
