#pragma once
// A procedural music piece: a chord progression with bass, pad, a seeded melody and light
// percussion, rendered as a seamless loop (note tails wrap round to the start), and the
// Ogg Vorbis encoder the piece is written with.

#include <cstdint>
#include <vector>

#include "tools/assetgen/AssetArgs.h"

namespace assetgen {

// Stereo samples (left, right interleaved) in -1..1 at 44100 Hz. Parameters: "bars" (4/4
// bars, default 16), "tempo" (beats per minute, default 96), "seed", "volume" (peak, 0.8).
// The length is exactly bars * 4 beats.
std::vector<float> ComposeTune(const AssetArgs& args);

// The stereo buffer a piece is mixed into. Every write wraps round its end, so a note that
// rings past the last frame sounds on at the start and the piece loops without a seam.
class LoopMix {
 public:
  explicit LoopMix(int64_t frames);
  void Add(int64_t frame, float left, float right);
  std::vector<float>& Samples() { return data_; }  // left, right interleaved

 private:
  int64_t frames_;
  std::vector<float> data_;
};

// Frames of a tune with these settings.
int64_t TuneFrames(int bars, double tempo);

// Variable-bit-rate Ogg Vorbis at `quality` (-0.1..1) with a fixed stream serial number,
// so that the same samples always give the same file.
std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& interleaved, int channels,
                                     float quality);

}  // namespace assetgen
