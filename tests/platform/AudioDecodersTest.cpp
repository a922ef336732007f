// Decoding sound data from memory: each format found from its bytes, converted to the device
// rate with its pitch and length kept, and hostile data turned away without harm.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "platform/audio/Decoders.h"
#include "tests/platform/AudioTestData.h"

namespace {

size_t ExpectedFrames(int ms) {
  return static_cast<size_t>(kAudioRate) * ms / 1000;
}

// Crossings of a tone of frequency over ms: two a period.
void ExpectTone(const Pcm& pcm, double frequency, int ms) {
  const int expected = static_cast<int>(std::lround(2 * frequency * ms / 1000));
  for (int c = 0; c < pcm.channels; ++c)
    EXPECT_NEAR(ZeroCrossings(pcm.samples.data(), pcm.Frames(), pcm.channels, c), expected, 3);
}

TEST(AudioDecoders, WavInEveryLayoutAndRate) {
  struct Case {
    int rate, channels, bits;
  };
  const Case cases[] = {{44100, 1, 16}, {22050, 2, 16}, {8000, 1, 8},
                        {48000, 2, 8},  {11025, 2, 16}, {96000, 1, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate * 100 + c.channels * 10 + c.bits / 8);
    const Bytes wav = MakeSineWav(c.rate, c.channels, c.bits, 440, 500);
    ASSERT_EQ(DetectAudioFormat(wav.data(), wav.size()), AudioFormat::Wav);
    Pcm pcm;
    ASSERT_TRUE(DecodeSound(wav.data(), wav.size(), pcm));
    EXPECT_EQ(pcm.channels, c.channels);
    EXPECT_NEAR(static_cast<double>(pcm.Frames()), ExpectedFrames(500), 2.0);
    ExpectTone(pcm, 440, 500);
  }
}

TEST(AudioDecoders, WavChunksAreWalkedSafely) {
  Bytes wav = MakeSineWav(44100, 1, 16, 440, 100);
  // An unknown chunk of odd length (padded) before "fmt " is skipped.
  Bytes padded(wav.begin(), wav.begin() + 12);
  const uint8_t extra[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 1, 2, 3, 0};
  padded.insert(padded.end(), std::begin(extra), std::end(extra));
  padded.insert(padded.end(), wav.begin() + 12, wav.end());
  Pcm pcm;
  ASSERT_TRUE(DecodeWav(padded.data(), padded.size(), pcm));
  EXPECT_EQ(pcm.Frames(), ExpectedFrames(100));
  // A data chunk claiming more than the file holds keeps what is there.
  Bytes cut(wav.begin(), wav.begin() + 44 + 2000);
  std::memset(cut.data() + 40, 0xFF, 4);
  ASSERT_TRUE(DecodeWav(cut.data(), cut.size(), pcm));
  EXPECT_EQ(pcm.Frames(), 1000u);
}

TEST(AudioDecoders, OggVorbisFromMemory) {
  const Bytes ogg = MakeSineOgg(44100, 2, 440, 500);
  if (ogg.empty()) GTEST_SKIP() << "no Vorbis encoder to make test data";
  ASSERT_EQ(DetectAudioFormat(ogg.data(), ogg.size()), AudioFormat::OggVorbis);
  Pcm pcm;
  ASSERT_TRUE(DecodeSound(ogg.data(), ogg.size(), pcm));
  EXPECT_EQ(pcm.channels, 2);
  EXPECT_NEAR(static_cast<double>(pcm.Frames()), ExpectedFrames(500), 2.0);
  ExpectTone(pcm, 440, 500);
  const Bytes lowRate = MakeSineOgg(22050, 1, 440, 300);
  ASSERT_TRUE(DecodeSound(lowRate.data(), lowRate.size(), pcm));
  EXPECT_NEAR(static_cast<double>(pcm.Frames()), ExpectedFrames(300), 3.0);
  ExpectTone(pcm, 440, 300);
}

TEST(AudioDecoders, Mp3ByFeeding) {
  const Bytes mp3 = MakeSilentMp3(20);
  ASSERT_EQ(DetectAudioFormat(mp3.data(), mp3.size()), AudioFormat::Mp3);
  Pcm pcm;
  ASSERT_TRUE(DecodeSound(mp3.data(), mp3.size(), pcm));
  EXPECT_EQ(pcm.channels, 2);
  EXPECT_NEAR(static_cast<double>(pcm.Frames()), 20 * 1152, 1152);
  EXPECT_TRUE(
      std::all_of(pcm.samples.begin(), pcm.samples.end(), [](int16_t s) { return s == 0; }));
}

TEST(AudioDecoders, GarbageIsRejected) {
  const Bytes wav = MakeSineWav(44100, 1, 16, 440, 10);
  const auto withField = [&wav](size_t at, std::initializer_list<uint8_t> bytes) {
    Bytes changed = wav;
    std::copy(bytes.begin(), bytes.end(), changed.begin() + at);
    return changed;
  };
  std::mt19937 random(7);
  Bytes noise(4096);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
  Bytes fakeOgg = noise, fakeId3 = noise, fakeFrame = noise;
  std::memcpy(fakeOgg.data(), "OggS", 4);
  std::memcpy(fakeId3.data(), "ID3\x03\x00\x00\x00\x00\x00\x10", 10);
  std::memcpy(fakeFrame.data(), "\xFF\xFB\x90\x00", 4);
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"riff only", Bytes(wav.begin(), wav.begin() + 12)},
      {"no data chunk", Bytes(wav.begin(), wav.begin() + 36)},
      {"three channels", withField(22, {3, 0})},
      {"24-bit", withField(34, {24, 0})},
      {"rate 0", withField(24, {0, 0, 0, 0})},
      {"float format", withField(20, {3, 0})},
      {"fmt longer than the file", withField(16, {0xFF, 0xFF, 0xFF, 0x7F})},
      {"noise", noise},
      {"ogg header on noise", fakeOgg},
      {"id3 tag on noise", fakeId3},
      {"mp3 frame header on noise", fakeFrame},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pcm pcm;
    pcm.channels = 2;
    pcm.samples.assign(10, 1);
    EXPECT_FALSE(DecodeSound(c.bytes.data(), c.bytes.size(), pcm));
    EXPECT_EQ(pcm.Frames(), 0u);
    EXPECT_EQ(ModuleStream::Open(c.bytes.data(), c.bytes.size()), nullptr);
  }
  EXPECT_EQ(DetectAudioFormat(nullptr, 0), AudioFormat::Unknown);
}

TEST(AudioDecoders, DecodedLengthIsCapped) {
  // 16 minutes at 4000 Hz, 8-bit mono: under 4 MB of file, longer than the longest kept.
  const int rate = 4000;
  const size_t frames = size_t{rate} * 60 * 16;
  Bytes wav = MakeSineWav(rate, 1, 8, 100, 10);
  wav.resize(44);
  const uint32_t bytes = static_cast<uint32_t>(frames);
  for (int i = 0; i < 4; ++i) wav[40 + i] = static_cast<uint8_t>(bytes >> (8 * i));
  wav.resize(44 + frames, 128);
  Pcm pcm;
  ASSERT_TRUE(DecodeWav(wav.data(), wav.size(), pcm));
  EXPECT_EQ(pcm.Frames(), kMaxDecodedFrames);
}

}  // namespace
