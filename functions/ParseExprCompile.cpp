// Compilation of one expression line into a chain of evaluation records: tokens, syntax
// check and rewriting, tree, constant folding, then the records in evaluation order.
#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "foundation/Routines.h"
#include "functions/ParseExpr.h"
#include "functions/ParseExprPrivate.h"

using namespace parse_expr;

std::string parse_expr::Trim(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

namespace {

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

bool TCustomExpressionParser::Compile(const std::string& text) {
  std::string source = Trim(text);
  if (source.empty()) return false;
  auto chain = std::make_unique<TExprChain>();
  Compiler(*this, LowerCase(source), source, *chain).Run();
  chain_ = std::move(chain);
  current_ = chain_.get();
  return true;
}
