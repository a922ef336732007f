// Compiles arbitrary text as an expression program over a few cells and evaluates it.
// The first byte picks the parser's settings; the rest is the program.
#include <cstddef>
#include <cstdint>
#include <string>

#include "functions/ParseExpr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint8_t settings = data[0];
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  float cells[4] = {1.5f, -2.0f, 0.0f, 1e30f};
  TExpressionParser parser;
  parser.SetDecimalSeparator(settings & 1 ? ',' : '.');
  parser.SetArgSeparator(settings & 2 ? ';' : ',');
  parser.SetFoldConstants(!(settings & 4));
  try {
    parser.DefineVariable("x", &cells[0]);
    parser.DefineVariable("y", &cells[1]);
    parser.DefineVariable("z", &cells[2]);
    parser.DefineVariable("big", &cells[3]);
    parser.DefineVariable("unbound", nullptr);
    parser.AddExpressions(text);
  } catch (const Exception&) {
    return 0;
  }
  for (int round = 0; round < 3; ++round) {
    try {
      parser.EvaluateAll();
    } catch (const EMathError&) {
    }
  }
  // Rebinding after compiling patches or keeps every compiled line.
  try {
    float other = 4;
    parser.DefineVariable("x", &other);
    parser.DefineVariable("t", nullptr);
    parser.EvaluateAll();
  } catch (const Exception&) {
  }
  return 0;
}
