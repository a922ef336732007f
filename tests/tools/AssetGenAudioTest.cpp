#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>

#include "tests/tools/AssetGenTestSupport.h"
#include "tools/assetgen/AssetArgs.h"
#include "tools/assetgen/Music.h"

namespace {

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
  return v;
}

TEST(AssetGenSound, WavHeaderAndLength) {
  struct Case {
    std::vector<std::string> words;
    size_t frames;
    double peak;
  };
  const Case cases[] = {
      {{"click.wav", "click"}, 2646, 0.8},  // 0.06 s
      {{"pickup.wav", "chime"}, 39690, 0.8},
      {{"wrong.wav", "buzz", "seconds=0.5", "volume=0.5"}, 22050, 0.5},
      {{"whoosh.wav", "whoosh", "pitch=1.5", "seed=9"}, 30870, 0.8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words[0]);
    ScratchDir dir;
    const std::vector<uint8_t> wav = ReadBytes(Generate("sound", dir.Path(), c.words).at(0));
    ASSERT_EQ(wav.size(), 44 + c.frames * 2);
    EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
    EXPECT_EQ(Le(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(Le(wav, 16, 4), 16u);
    EXPECT_EQ(Le(wav, 20, 2), 1u) << "PCM";
    EXPECT_EQ(Le(wav, 22, 2), 1u) << "mono";
    EXPECT_EQ(Le(wav, 24, 4), 44100u);
    EXPECT_EQ(Le(wav, 28, 4), 88200u);
    EXPECT_EQ(Le(wav, 32, 2), 2u);
    EXPECT_EQ(Le(wav, 34, 2), 16u);
    EXPECT_EQ(std::memcmp(wav.data() + 36, "data", 4), 0);
    EXPECT_EQ(Le(wav, 40, 4), c.frames * 2);
    int peak = 0;
    for (size_t i = 44; i < wav.size(); i += 2)
      peak = std::max(peak, std::abs(static_cast<int16_t>(Le(wav, i, 2))));
    EXPECT_NEAR(peak / 32767.0, c.peak, 0.001) << "normalised to the volume asked for";
  }
}

TEST(AssetGenSound, BadLinesAreRefused) {
  struct Case {
    const char* kind;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"sound", {"a.wav", "trumpet"}},
      {"sound", {"a.mp3", "click"}},
      {"sound", {"a.wav"}},
      {"sound", {"a.wav", "click", "seconds=0"}},
      {"sound", {"a.wav", "click", "volume=2"}},
      {"sound", {"a.wav", "click", "tempo=90"}},
      {"music", {"a.wav", "bars=4"}},
      {"music", {"a.ogg", "bars=0"}},
      {"music", {"a.ogg", "tempo=1000"}},
      {"music", {"a.ogg", "quality=2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words.back());
    ScratchDir dir;
    EXPECT_THROW(Generate(c.kind, dir.Path(), c.words), assetgen::AssetError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  }
}

struct Decoded {
  bool ok = false;
  int channels = 0;
  long rate = 0;
  int64_t frames = 0;
  double peak = 0;
};

Decoded DecodeOgg(const std::string& path) {
  Decoded d;
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) return d;
  const vorbis_info* info = ov_info(&vf, -1);
  d.channels = info->channels;
  d.rate = info->rate;
  float** pcm = nullptr;
  int section = 0;
  for (;;) {
    const long n = ov_read_float(&vf, &pcm, 4096, &section);
    if (n < 0) {
      ov_clear(&vf);
      return d;
    }
    if (n == 0) break;
    for (int c = 0; c < d.channels; ++c)
      for (long i = 0; i < n; ++i)
        d.peak = std::max(d.peak, static_cast<double>(std::fabs(pcm[c][i])));
    d.frames += n;
  }
  ov_clear(&vf);
  d.ok = true;
  return d;
}

TEST(AssetGenMusic, OggDecodesToExactlyItsBars) {
  ScratchDir dir;
  // Four bars at 120 beats a minute: 8 s.
  const auto written = Generate("music", dir.Path(), {"tune.ogg", "bars=4", "tempo=120", "seed=2"});
  ASSERT_EQ(written, std::vector<std::string>{dir.File("tune.ogg")});
  const Decoded d = DecodeOgg(written[0]);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.channels, 2);
  EXPECT_EQ(d.rate, 44100);
  EXPECT_EQ(d.frames, assetgen::TuneFrames(4, 120));
  EXPECT_EQ(d.frames, 8 * 44100);
  EXPECT_GT(d.peak, 0.3) << "not silence";
  EXPECT_LT(d.peak, 1.0);
}

TEST(AssetGenMusic, LoopHasNoSeam) {
  // What rings past the end sounds on at the start, so the piece loops without a seam.
  assetgen::LoopMix mix(10);
  mix.Add(3, 0.5f, 0.25f);
  mix.Add(12, 1, 2);  // two past the end: frame 2
  mix.Add(-1, 4, 8);  // before the start: the last frame
  mix.Add(23, 1, 1);  // three past: frame 3 again
  const std::vector<float> expected = {0, 0, 0, 0, 1, 2, 1.5f, 1.25f, 0, 0,
                                       0, 0, 0, 0, 0, 0, 0,    0,     4, 8};
  EXPECT_EQ(mix.Samples(), expected);

  const std::vector<float> tune =
      assetgen::ComposeTune(assetgen::AssetArgs({"bars=2", "tempo=120"}));
  ASSERT_EQ(tune.size(), static_cast<size_t>(assetgen::TuneFrames(2, 120)) * 2);
}

}  // namespace
