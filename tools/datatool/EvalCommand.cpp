// datatool eval: compiles and runs an expression program once, as the expression function
// does, over variables given on the command line.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "functions/ParseExpr.h"
#include "tools/datatool/Commands.h"

namespace {

std::string FloatText(float value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

struct Variable {
  std::string name;
  float value;
};

bool ParseVariable(const std::string& arg, Variable& variable) {
  size_t equals = arg.find('=');
  if (equals == std::string::npos || equals == 0) return false;
  variable.name = arg.substr(0, equals);
  const char* begin = arg.data() + equals + 1;
  const char* end = arg.data() + arg.size();
  auto result = std::from_chars(begin, end, variable.value);
  return result.ec == std::errc() && result.ptr == end;
}

int Usage() {
  std::fprintf(stderr,
               "usage: datatool eval TEXT [NAME=VALUE ...] | eval -f FILE [NAME=VALUE ...]\n");
  return 2;
}

int RunEval(const Args& args) {
  if (args.empty()) return Usage();
  std::string text;
  size_t next = 1;
  if (args[0] == "-f") {
    if (args.size() < 2) return Usage();
    std::ifstream in(args[1], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "datatool eval: cannot read %s\n", args[1].c_str());
      return 1;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    next = 2;
  } else {
    text = args[0];
  }
  std::vector<Variable> variables;
  for (size_t i = next; i < args.size(); ++i) {
    Variable variable;
    if (!ParseVariable(args[i], variable)) {
      std::fprintf(stderr, "datatool eval: expected NAME=VALUE, got '%s'\n", args[i].c_str());
      return 2;
    }
    variables.push_back(variable);
  }
  // The cells: one 4-byte float each, at addresses that never move.
  std::unique_ptr<float[]> cells(new float[variables.size() + 1]);
  TExpressionParser parser;
  parser.SetDecimalSeparator('.');
  parser.SetArgSeparator(',');
  float result = 0;
  try {
    for (size_t i = 0; i < variables.size(); ++i) {
      cells[i] = variables[i].value;
      parser.DefineVariable(variables[i].name, &cells[i]);
    }
    parser.AddExpressions(text);
    result = parser.EvaluateAll();
  } catch (const Exception& e) {
    std::printf("%s\n", e.Message().c_str());
    return 1;
  }
  std::printf("result=%s\n", FloatText(result).c_str());
  for (size_t i = 0; i < variables.size(); ++i)
    std::printf("%s=%s\n", variables[i].name.c_str(), FloatText(cells[i]).c_str());
  return 0;
}

}  // namespace

extern const Command EvalCommand = {
    "eval", "TEXT [NAME=VALUE ...] | -f FILE [NAME=VALUE ...]",
    "compile and run an expression program once over the given variables; prints result= "
    "and every variable",
    RunEval};
