#pragma once
// Sound data made in the tests: sine tones as WAV and Ogg Vorbis, silent MP3 frames, a tiny
// module, and measures of mixed output.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/support/SineWav.h"

// A sine tone (see MakeSineWav) in Ogg Vorbis; empty when the encoder library is not available.
Bytes MakeSineOgg(int rate, int channels, double frequency, int ms);
// frames MPEG-1 layer III frames of silence (1152 samples each, 44100 Hz stereo).
Bytes MakeSilentMp3(int frames);
// A four-channel module of one looping square-wave sample played for two rows, then ending.
Bytes MakeTinyModule();

// Sign changes of one channel of interleaved frames (silence counts as no sign).
int ZeroCrossings(const float* frames, size_t count, int channels, int channel);
int ZeroCrossings(const int16_t* frames, size_t count, int channels, int channel);
