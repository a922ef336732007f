#include "tests/platform/AudioTestData.h"

#include <cmath>
#include <cstring>

#ifdef HAVE_VORBISENC
#include <vorbis/vorbisenc.h>
#endif

namespace {

template <typename T>
int CountCrossings(const T* frames, size_t count, int channels, int channel) {
  int crossings = 0;
  int last = 0;
  for (size_t i = 0; i < count; ++i) {
    const auto v = frames[i * channels + channel];
    const int sign = v > 0 ? 1 : (v < 0 ? -1 : 0);
    if (sign == 0) continue;
    if (last != 0 && sign != last) ++crossings;
    last = sign;
  }
  return crossings;
}

}  // namespace

Bytes MakeSineOgg(int rate, int channels, double frequency, int ms) {
  Bytes out;
#ifdef HAVE_VORBISENC
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, 0.4f) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  ogg_page page;
  const auto putPage = [&out, &page] {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentHeader);
  ogg_stream_packetin(&stream, &codeHeader);
  while (ogg_stream_flush(&stream, &page) != 0) putPage();

  const int frames = rate * ms / 1000;
  float** buffer = vorbis_analysis_buffer(&dsp, frames);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      buffer[c][i] = static_cast<float>(0.5 * Sine(frequency, rate, static_cast<size_t>(i)));
  vorbis_analysis_wrote(&dsp, frames);
  vorbis_analysis_wrote(&dsp, 0);
  ogg_packet packet;
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, nullptr);
    vorbis_bitrate_addblock(&block);
    while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
      ogg_stream_packetin(&stream, &packet);
      while (ogg_stream_pageout(&stream, &page) != 0) putPage();
    }
  }
  while (ogg_stream_flush(&stream, &page) != 0) putPage();
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
#else
  (void)rate, (void)channels, (void)frequency, (void)ms;
#endif
  return out;
}

Bytes MakeSilentMp3(int frames) {
  // MPEG-1 layer III, 128 kbit/s, 44100 Hz, stereo, no CRC: 417 bytes a frame. Side
  // information and main data all zero decode to silence.
  constexpr size_t kFrameBytes = 144 * 128000 / 44100;
  Bytes out;
  for (int i = 0; i < frames; ++i) {
    const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x00};
    out.insert(out.end(), header, header + 4);
    out.resize(out.size() + kFrameBytes - 4, 0);
  }
  return out;
}

Bytes MakeTinyModule() {
  constexpr int kSampleWords = 16;
  Bytes out(1084, 0);
  std::memcpy(out.data(), "tiny", 4);
  // Sample 1: 32 bytes, volume 64, looping over all of it.
  uint8_t* sample = out.data() + 20;
  std::memcpy(sample, "square", 6);
  sample[22] = 0;
  sample[23] = kSampleWords;
  sample[25] = 64;
  sample[28] = 0;
  sample[29] = kSampleWords;
  out[950] = 1;    // one order
  out[951] = 127;  // no restart position
  out[952] = 0;    // order 0 plays pattern 0
  std::memcpy(out.data() + 1080, "M.K.", 4);
  Bytes pattern(64 * 4 * 4, 0);
  // Row 0, channel 0: sample 1 at period 428.
  pattern[0] = 0x01;
  pattern[1] = 0xAC;
  pattern[2] = 0x10;
  // Row 1, channel 0: pattern break, which ends the song after its last order.
  pattern[16 + 2] = 0x0D;
  out.insert(out.end(), pattern.begin(), pattern.end());
  for (int i = 0; i < 2 * kSampleWords; ++i) out.push_back(i < kSampleWords ? 100 : 156);
  return out;
}

int ZeroCrossings(const float* frames, size_t count, int channels, int channel) {
  return CountCrossings(frames, count, channels, channel);
}

int ZeroCrossings(const int16_t* frames, size_t count, int channels, int channel) {
  return CountCrossings(frames, count, channels, channel);
}
