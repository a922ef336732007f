#pragma once
// A sine tone as WAV bytes, and what an audio device wrote back, for the audio tests of
// every subsystem.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Sample Frame of a sine of Frequency Hz at Rate frames per second, -1..1.
double Sine(double frequency, int rate, size_t frame);
// A sine tone of frequency Hz lasting ms, PCM 8- or 16-bit, mono or stereo (same in both).
Bytes MakeSineWav(int rate, int channels, int bits, double frequency, int ms,
                  double amplitude = 0.5);
// The 32-bit floats of a file, as a headless audio device writes what it mixed.
std::vector<float> ReadFloats(const std::string& path);
