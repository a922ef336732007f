#pragma once
// Synthesised sound effects, written as 16-bit PCM WAV files at 44100 Hz, mono.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/AssetArgs.h"

namespace assetgen {

constexpr int kSampleRate = 44100;

// The kinds of sound effects ("click", "chime", "buzz", "whoosh") and their default lengths.
const std::vector<std::string>& SoundKinds();

// Mono samples in -1..1, their peak scaled to "volume" (default 0.8). Parameters: "seconds"
// (length), "volume", "pitch" (a factor), "seed".
std::vector<float> MakeSound(const std::string& kind, const AssetArgs& args);

// A canonical 44-byte header ("RIFF", "WAVE", "fmt " of 16 bytes, "data") and the samples,
// interleaved when `channels` is 2, clipped and rounded to 16 bits.
std::vector<uint8_t> EncodeWav(const std::vector<float>& samples, int channels);

}  // namespace assetgen
