// Cost of our mixer: 32 channels playing at once (mono and stereo, various volumes and pans,
// a quarter of them in a volume slide), mixed one device callback (1024 frames) at a time.
// "core_share" is the processor time spent per second of audio: 0.02 (20m) is 2% of a core.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "platform/audio/Decoders.h"
#include "platform/audio/Mixer.h"

namespace {

constexpr size_t kCallbackFrames = 1024;

Pcm Tone(int channels, double frequency, double seconds) {
  Pcm pcm;
  pcm.channels = channels;
  const size_t frames = static_cast<size_t>(seconds * kAudioRate);
  pcm.samples.resize(frames * channels);
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      pcm.samples[i * channels + c] = static_cast<int16_t>(
          8000 * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / kAudioRate));
  return pcm;
}

void SetUpChannels(Mixer& mixer, int count) {
  for (int i = 0; i < count; ++i) {
    const AudioHandle sample = mixer.AddSample(Tone(1 + i % 2, 220.0 + 20 * i, 3.0), 1, true);
    const AudioHandle channel = mixer.GetSampleChannel(sample);
    mixer.SetVolume(channel, 40 + i);
    mixer.SetPan(channel, (i * 13) % 201 - 100);
    mixer.Play(channel, true);
    if (i % 4 == 0) mixer.SlideVolume(channel, 100, 10 * 60 * 1000);  // slides all along
  }
}

void BM_MixChannels(benchmark::State& state) {
  Mixer mixer;
  SetUpChannels(mixer, static_cast<int>(state.range(0)));
  std::vector<float> out(2 * kCallbackFrames);
  for (auto _ : state) {
    mixer.Mix(out.data(), kCallbackFrames);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["core_share"] = benchmark::Counter(
      static_cast<double>(kCallbackFrames) / kAudioRate,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixChannels)->Arg(1)->Arg(32);

}  // namespace
