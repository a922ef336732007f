#pragma once
// Decoders for sound and music data held in memory. The format is told by the bytes alone
// (names and declared formats of the data files are not trusted). Every decoder treats its
// input as hostile: a malformed file gives a clean failure, never a crash, and the decoded
// length is capped so that a small file cannot claim a huge buffer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Audio.h"

enum class AudioFormat { Unknown, Wav, OggVorbis, Mp3, Module };

// Decoded sound at kAudioRate: interleaved 16-bit frames of one or two channels.
struct Pcm {
  int channels = 0;
  std::vector<int16_t> samples;

  size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Longest sound a decoder keeps (15 minutes); the rest of a longer one is dropped.
constexpr size_t kMaxDecodedFrames = size_t{kAudioRate} * 60 * 15;

// What the bytes look like. Module is answered only for data libopenmpt accepts.
AudioFormat DetectAudioFormat(const void* data, size_t size);

// WAV (PCM 8/16-bit, mono or stereo, any rate), Ogg Vorbis or MP3, converted to kAudioRate.
// False (and out empty) when the data is none of these, is malformed or decodes to nothing.
bool DecodeSound(const void* data, size_t size, Pcm& out);

// The single formats, for callers that know what they hold (and for the tests).
bool DecodeWav(const void* data, size_t size, Pcm& out);
bool DecodeOggVorbis(const void* data, size_t size, Pcm& out);
bool DecodeMp3(const void* data, size_t size, Pcm& out);

// Converts interleaved 16-bit frames from rate to kAudioRate by linear interpolation,
// keeping at most kMaxDecodedFrames frames.
void ResampleToDeviceRate(const int16_t* frames, size_t count, int channels, int rate, Pcm& out);

// A module played by libopenmpt, rendered block by block at kAudioRate.
class ModuleStream {
 public:
  // Nothing when libopenmpt does not accept the data.
  static std::unique_ptr<ModuleStream> Open(const void* data, size_t size);
  ~ModuleStream();
  ModuleStream(const ModuleStream&) = delete;
  ModuleStream& operator=(const ModuleStream&) = delete;

  // Renders up to frames stereo float frames; fewer (possibly 0) once a non-looping module
  // has reached its end.
  size_t Render(float* stereo, size_t frames);
  void Rewind();
  void SetLoop(bool loop);

 private:
  explicit ModuleStream(void* module) : module_(module) {}
  void* module_;  // openmpt_module, kept out of this header
};
