// The calculating classes: one result per column, per pair of columns, and Monte Carlo.
#include <cmath>
#include <exception>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "functions/FunctionClasses.h"
#include "functions/SurfaceHandles.h"

namespace {

constexpr double kPi = 3.1415926535897932385;
constexpr double kTwoPi = 6.283185307179586477;

}  // namespace

// --- One result per column ------------------------------------------------------------

void TColumnFunction::Calculate() {
  int32_t columns = ColCount();
  for (int32_t k = 1; k < columns; ++k) {
    float* out = Cell(0, k - 1);
    const std::vector<float*>& column = Column(k);
    if (!out || !AllBound(column)) continue;
    float result = 0;
    if (CalculateColumn(column, result)) *out = result;
  }
}

bool TSumFunction::CalculateColumn(const std::vector<float*>& column, float& result) {
  result = 0;
  for (float* cell : column) result += *cell;
  return true;
}

bool TMultiplyFunction::CalculateColumn(const std::vector<float*>& column, float& result) {
  result = 1;
  for (float* cell : column) result *= *cell;
  return true;
}

bool TSubstrFunction::CalculateColumn(const std::vector<float*>& column, float& result) {
  result = column.empty() ? 0.0f : *column[0];
  for (size_t i = 1; i < column.size(); ++i) result -= *column[i];
  return true;
}

bool TDivisionFunction::CalculateColumn(const std::vector<float*>& column, float& result) {
  result = column.empty() ? 0.0f : *column[0];
  for (size_t i = 1; i < column.size(); ++i)
    if (*column[i] != 0) result /= *column[i];
  return true;
}

bool TPolinom2Function::CalculateColumn(const std::vector<float*>& column, float& result) {
  if (column.size() < 4) return false;
  float x = *column[0], a = *column[1], b = *column[2], c = *column[3];
  result = x * x * a + x * b + c;
  return true;
}

bool TSinFunction::CalculateColumn(const std::vector<float*>& column, float& result) {
  if (column.size() < 3) return false;
  float amplitude = *column[0], t = *column[1], period = *column[2];
  if (period == 0) return false;
  float phase = column.size() >= 4 ? *column[3] : 0.0f;
  result = static_cast<float>(amplitude * std::sin(phase * kPi + t * kTwoPi / period));
  for (size_t i = 4; i < column.size(); ++i) result += *column[i];
  return true;
}

bool TLinearSegmentFunction::CalculateColumn(const std::vector<float*>& column, float& result) {
  if (column.size() < 4) return false;
  float from = *column[0], to = *column[1], t = *column[2], duration = *column[3];
  result = duration == 0 ? to : from + (to - from) * t / duration;
  return true;
}

bool TRandomFunction::CalculateColumn(const std::vector<float*>& column, float& result) {
  if (column.empty()) {
    result = 0;
    return true;
  }
  result = static_cast<float>(RandomFloat() * *column[0]);
  for (size_t i = 1; i < column.size(); ++i) result += *column[i];
  return true;
}

bool TIntRandomFunction::CalculateColumn(const std::vector<float*>& column, float& result) {
  if (column.empty()) {
    result = 0;
    return true;
  }
  // Random gives 0 for a range of 0 or less.
  result = static_cast<float>(Random(TruncSat(*column[0])));
  for (size_t i = 1; i < column.size(); ++i) result += *column[i];
  return true;
}

bool TSwitchFunction::CalculateColumn(const std::vector<float*>& column, float& result) {
  if (column.size() < 5) return false;
  float a = *column[0], b = *column[1];
  if (a < b)
    result = *column[2];
  else if (a == b)
    result = *column[3];
  else
    result = *column[4];
  return true;
}

// --- Pairs of columns -----------------------------------------------------------------

namespace {

// Joins v and w by an operation code; false leaves v as it is.
bool ApplyCode(int32_t code, float& v, float w) {
  switch (code) {
    case 0:
      v = v + w;
      return true;
    case 1:
      v = v - w;
      return true;
    case 2:
      v = v * w;
      return true;
    case 3:
      if (w == 0) return false;
      v = v / w;
      return true;
    case 4:
      v = std::fmax(w, v);
      return true;
    case 5:
      v = std::fmin(w, v);
      return true;
    case 6:
    case 7: {
      int64_t left = TruncSat64(v), right = TruncSat64(w);
      if (right == 0) return false;
      v = static_cast<float>(code == 6 ? ModSafe64(left, right) : DivSafe64(left, right));
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

void TArithmeticFunction::Calculate() {
  int32_t columns = ColCount();
  int32_t pairs = DivSafe(columns - 2, 2) + 1;
  for (int32_t i = 0; i < pairs; ++i) {
    float* out = Cell(0, i);
    const std::vector<float*>& operands = Column(2 * i + 1);
    const std::vector<float*>& codes = Column(2 * i + 2);
    // One code joins each operand after the first.
    if (!out || operands.empty() || !AllBound(operands) || !AllBound(codes) ||
        codes.size() + 1 < operands.size())
      continue;
    float v = *operands[0];
    for (size_t j = 1; j < operands.size(); ++j)
      ApplyCode(TruncSat(*codes[j - 1]), v, *operands[j]);
    *out = v;
  }
}

void TIntervalFunction::Calculate() {
  int32_t columns = ColCount();
  const std::vector<float*>& inputs = Column(1);
  for (size_t row = 0; row < inputs.size(); ++row) {
    int32_t i = static_cast<int32_t>(row);
    float* out = Cell(0, i);
    if (!out || !inputs[row]) continue;
    if (columns < 2 * i + 4) {
      *out = 0;
      continue;
    }
    const std::vector<float*>& thresholds = Column(2 * i + 2);
    const std::vector<float*>& values = Column(2 * i + 3);
    size_t m = thresholds.size();
    if (m == 0 || values.size() < m || !AllBound(thresholds) || !AllBound(values)) continue;
    float x = *inputs[row];
    float result = *values[m - 1];
    for (size_t k = 0; k + 1 < m; ++k) {
      if (x <= *thresholds[k]) {
        result = *values[k];
        break;
      }
    }
    *out = result;
  }
}

void TPiecewiseLinearInterpolationFunction::Calculate() {
  float* input = Cell(1, 0);
  if (!input) return;
  float x = *input;
  int32_t results = DivSafe(ColCount() - 2, 2);
  for (int32_t i = 0; i < results; ++i) {
    float* out = Cell(0, i);
    const std::vector<float*>& knots = Column(2 * i + 2);
    const std::vector<float*>& values = Column(2 * i + 3);
    size_t m = knots.size();
    if (!out || m == 0 || values.size() < m || !AllBound(knots) || !AllBound(values)) continue;
    float result = *values[m - 1];
    if (!(x >= *knots[m - 1])) {
      for (size_t j = m - 1; j-- > 0;) {
        if (x >= *knots[j]) {
          // Reached only when x < knot j + 1, so the knots differ here.
          float span = *knots[j + 1] - *knots[j];
          if (span != 0)
            result = *values[j] + (*values[j + 1] - *values[j]) * (x - *knots[j]) / span;
          break;
        }
      }
    }
    *out = result;
  }
}

// --- Monte Carlo ----------------------------------------------------------------------

void TMonteCarloFunction::Calculate() {
  const std::vector<float*>& outputs = Column(0);
  if (outputs.empty()) return;
  auto put = [&](size_t index, float value) {
    if (index < outputs.size() && outputs[index]) *outputs[index] = value;
  };
  put(0, 0);
  const std::vector<float*>& inputs = Column(1);
  if (ColCount() < 2 || inputs.empty() || !inputs[0]) return;
  ISurface* surface = SurfaceFromHandle(SurfaceHandleFromCell(*inputs[0]));
  if (!surface) return;
  float threshold = inputs.size() >= 2 ? (inputs[1] ? *inputs[1] : 0.0f) : 1.0f;
  int32_t tries = inputs.size() >= 3 ? (inputs[2] ? RoundHalfEven(*inputs[2]) : 0) : 1;
  if (tries > kMaxTries) tries = kMaxTries;
  try {
    int32_t width = surface->GetWidth(), height = surface->GetHeight();
    for (int32_t attempt = 0; attempt < tries; ++attempt) {
      int32_t x = Random(width), y = Random(height);
      uint32_t pixel = surface->GetPixel(x, y);
      if (static_cast<float>(pixel >> 24) < threshold) continue;
      put(0, 1);
      put(1, static_cast<float>(x));
      put(2, static_cast<float>(y));
      put(3, static_cast<float>((pixel >> 16) & 0xFF));
      put(4, static_cast<float>((pixel >> 8) & 0xFF));
      put(5, static_cast<float>(pixel & 0xFF));
      put(6, static_cast<float>(pixel >> 24));
      return;
    }
  } catch (const std::exception&) {
    put(0, 0);
  }
}
