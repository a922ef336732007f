#include "tests/support/SineWav.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>

double Sine(double frequency, int rate, size_t frame) {
  return std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(frame) / rate);
}

Bytes MakeSineWav(int rate, int channels, int bits, double frequency, int ms, double amplitude) {
  const size_t frames = static_cast<size_t>(rate) * ms / 1000;
  const int frameBytes = channels * bits / 8;
  const uint32_t dataBytes = static_cast<uint32_t>(frames * frameBytes);
  Bytes out(44);
  const auto put = [&out](size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  std::memcpy(out.data(), "RIFF", 4);
  put(4, 36 + dataBytes, 4);
  std::memcpy(out.data() + 8, "WAVEfmt ", 8);
  put(16, 16, 4);
  put(20, 1, 2);
  put(22, channels, 2);
  put(24, rate, 4);
  put(28, rate * frameBytes, 4);
  put(32, frameBytes, 2);
  put(34, bits, 2);
  std::memcpy(out.data() + 36, "data", 4);
  put(40, dataBytes, 4);
  out.reserve(44 + dataBytes);
  for (size_t i = 0; i < frames; ++i) {
    const double v = amplitude * Sine(frequency, rate, i);
    for (int c = 0; c < channels; ++c) {
      if (bits == 8) {
        out.push_back(static_cast<uint8_t>(std::lround(128 + 127 * v)));
      } else {
        const auto sample = static_cast<uint16_t>(static_cast<int16_t>(std::lround(32767 * v)));
        out.push_back(static_cast<uint8_t>(sample));
        out.push_back(static_cast<uint8_t>(sample >> 8));
      }
    }
  }
  return out;
}

std::vector<float> ReadFloats(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  std::vector<float> floats(bytes.size() / sizeof(float));
  std::memcpy(floats.data(), bytes.data(), floats.size() * sizeof(float));
  return floats;
}
