#include "functions/ParseClass.h"

#include <algorithm>

std::string LowerCase(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return result;
}

TExprWord::TExprWord(std::string_view name, TExprFunc routine)
    : name_(LowerCase(name)), routine_(routine) {}

TStringConstant::TStringConstant(std::string_view token) : TExprWord(token) {
  // The token runs from one quote to the next, or to the end of the text.
  std::string_view inner = token.substr(1);
  if (!inner.empty() && inner.back() == '\'') inner.remove_suffix(1);
  value_ = std::string(inner);
}

TParserFunction::TParserFunction(std::string_view name, int argCount, TExprFunc routine,
                                 bool isOperator, int precedence, std::string description)
    : TExprWord(name, routine),
      argCount_(argCount),
      precedence_(precedence),
      isOperator_(isOperator),
      description_(std::move(description)) {
  if (argCount < 0 || argCount > MaxArg) throw EParserException("Too many arguments");
}

namespace {

void EvaluateStringFunction(TExprRec& rec) {
  rec.Res = static_cast<const TSimpleStringFunction*>(rec.Word)->Evaluate();
}

}  // namespace

TSimpleStringFunction::TSimpleStringFunction(std::string_view name, std::string description,
                                             TStringRoutine routine)
    : TExprWord(name, EvaluateStringFunction),
      routine_(routine),
      description_(std::move(description)) {}

std::unique_ptr<TSimpleStringFunction> TSimpleStringFunction::Bind(std::string first,
                                                                   std::string second,
                                                                   bool hasSecond) const {
  auto bound = std::make_unique<TSimpleStringFunction>(Name(), description_, routine_);
  bound->bound_ = true;
  bound->first_ = std::move(first);
  bound->second_ = std::move(second);
  bound->hasSecond_ = hasSecond;
  return bound;
}

std::unique_ptr<TSimpleStringFunction> TVaryingStringFunction::Bind(std::string first,
                                                                    std::string second,
                                                                    bool hasSecond) const {
  auto bound = std::make_unique<TVaryingStringFunction>(Name(), description_, routine_);
  bound->bound_ = true;
  bound->first_ = std::move(first);
  bound->second_ = std::move(second);
  bound->hasSecond_ = hasSecond;
  return bound;
}

namespace {

// True when text equals one of the comma-separated items of list.
bool IsListItem(const std::string& text, const std::string& list) {
  size_t start = 0;
  while (true) {
    size_t comma = list.find(',', start);
    std::string_view item(list.data() + start,
                          (comma == std::string::npos ? list.size() : comma) - start);
    if (item == text) return true;
    if (comma == std::string::npos) return false;
    start = comma + 1;
  }
}

}  // namespace

bool TLogicalStringOper::IsStringComparison(std::string_view op) {
  return op == "=" || op == ">" || op == "<" || op == ">=" || op == "<=" || op == "<>" ||
         op == "in";
}

TLogicalStringOper::TLogicalStringOper(std::string_view op, const std::string& left,
                                       const std::string& right)
    : TExprWord(std::string(op)) {
  // Ordinal comparison: bytes as unsigned values, as std::string compares them.
  int order = left.compare(right);
  bool result = false;
  if (op == "=")
    result = order == 0;
  else if (op == ">")
    result = order > 0;
  else if (op == "<")
    result = order < 0;
  else if (op == ">=")
    result = order >= 0;
  else if (op == "<=")
    result = order <= 0;
  else if (op == "<>")
    result = order != 0;
  else if (op == "in")
    result = IsListItem(left, right);
  value_ = result ? 1.0f : 0.0f;
}

size_t TExpressList::Search(std::string_view lowerName, bool& found) const {
  auto it = std::lower_bound(items_.begin(), items_.end(), lowerName,
                             [](const std::unique_ptr<TExprWord>& word, std::string_view name) {
                               return word->Name() < name;
                             });
  found = it != items_.end() && (*it)->Name() == lowerName;
  return static_cast<size_t>(it - items_.begin());
}

TExprWord* TExpressList::Find(std::string_view name) const {
  std::string lower = LowerCase(name);
  bool found = false;
  size_t index = Search(lower, found);
  return found ? items_[index].get() : nullptr;
}

bool TExpressList::Insert(std::unique_ptr<TExprWord> word) {
  bool found = false;
  size_t index = Search(word->Name(), found);
  if (found) return false;
  items_.insert(items_.begin() + static_cast<ptrdiff_t>(index), std::move(word));
  return true;
}

std::unique_ptr<TExprWord> TExpressList::Extract(TExprWord* word) {
  bool found = false;
  size_t index = Search(word->Name(), found);
  if (!found || items_[index].get() != word) return nullptr;
  std::unique_ptr<TExprWord> result = std::move(items_[index]);
  items_.erase(items_.begin() + static_cast<ptrdiff_t>(index));
  return result;
}
