// datatool eval: compiles and runs an expression program once with the expression
// function, over variables given on the command line.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/Warnings.h"
#include "functions/FunctionClasses.h"
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
  // One static cell per variable, in column 0 in the order given; the function binds them
  // as its variables and runs its lines once.
  Ref<TEvalFunction> function = TAbstractObject::Create<TEvalFunction>();
  for (size_t i = 0; i < variables.size(); ++i)
    function->GetParamSpace()->AddParamDef(variables[i].name, 0, static_cast<int32_t>(i), true, {},
                                           variables[i].value);
  function->SetExpression(text);
  // The command says the function's error itself, once, as its one line on stderr.
  TWarningHook quiet = SetWarningHook([](const std::string&) {});
  function->SetOwner(nullptr);
  if (function->IsCompiled()) function->Calculate();
  SetWarningHook(std::move(quiet));
  if (!function->IsCompiled()) {
    std::fprintf(stderr, "datatool eval: %s\n", function->GetLastError().c_str());
    return 1;
  }
  std::printf("result=%s\n", FloatText(function->GetLastValue()).c_str());
  for (const Variable& variable : variables)
    std::printf("%s=%s\n", variable.name.c_str(),
                FloatText(function->GetParamValue(variable.name)).c_str());
  return 0;
}

}  // namespace

extern const Command EvalCommand = {
    "eval", "TEXT [NAME=VALUE ...] | -f FILE [NAME=VALUE ...]",
    "compile and run an expression program once over the given variables; prints result= "
    "and every variable",
    RunEval};
