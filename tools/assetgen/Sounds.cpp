#include "tools/assetgen/Sounds.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/Canvas.h"

namespace assetgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct SoundKind {
  const char* name;
  double seconds;
  std::vector<float> (*make)(int frames, double pitch, Rng& rng);
};

double Time(int i) {
  return static_cast<double>(i) / kSampleRate;
}

// A short tick: a noise burst for the attack and two damped tones for the body.
std::vector<float> Click(int frames, double pitch, Rng& rng) {
  std::vector<float> out(frames);
  for (int i = 0; i < frames; ++i) {
    const double t = Time(i);
    const double noise = (rng.Unit() * 2 - 1) * std::exp(-t / 0.002);
    const double high = std::sin(2 * kPi * 2400 * pitch * t) * std::exp(-t / 0.006);
    const double body = std::sin(2 * kPi * 950 * pitch * t) * std::exp(-t / 0.012);
    out[i] = static_cast<float>(0.5 * noise + 0.6 * high + 0.5 * body);
  }
  return out;
}

// A rising arpeggio of three bell tones (inharmonic partials) with a faint shimmer.
std::vector<float> Chime(int frames, double pitch, Rng& rng) {
  std::vector<float> out(frames);
  const double notes[3] = {1318.51, 1661.22, 1975.53};  // E6, G#6, B6
  const double partials[3][2] = {{1.0, 1.0}, {2.76, 0.35}, {5.40, 0.12}};
  for (int n = 0; n < 3; ++n) {
    const int start = static_cast<int>(0.075 * n * kSampleRate);
    for (int i = start; i < frames; ++i) {
      const double t = Time(i - start);
      const double attack = std::min(1.0, t / 0.003);
      double v = 0;
      for (const auto& p : partials)
        v += p[1] * std::sin(2 * kPi * notes[n] * pitch * p[0] * t) *
             std::exp(-t * (2.5 + 3 * p[0]));
      out[i] += static_cast<float>(0.45 * attack * v);
    }
  }
  for (int i = 0; i < frames; ++i) {
    const double t = Time(i);
    out[i] += static_cast<float>(0.03 * (rng.Unit() * 2 - 1) * std::exp(-t / 0.15) *
                                 std::sin(2 * kPi * 7000 * pitch * t));
  }
  return out;
}

// Two detuned square waves, low-passed, falling slightly: an unmistakable "no".
std::vector<float> Buzz(int frames, double pitch, Rng&) {
  std::vector<float> out(frames);
  const double length = Time(frames);
  double phaseA = 0, phaseB = 0, filtered = 0;
  for (int i = 0; i < frames; ++i) {
    const double t = Time(i);
    const double bend = 1.0 - 0.12 * t / length;
    phaseA += 98.0 * pitch * bend / kSampleRate;
    phaseB += 103.8 * pitch * bend / kSampleRate;
    const double square =
        (std::fmod(phaseA, 1.0) < 0.5 ? 1 : -1) + (std::fmod(phaseB, 1.0) < 0.5 ? 1 : -1);
    filtered += (square * 0.5 - filtered) * 0.18;
    const double envelope = std::min(1.0, t / 0.005) * std::min(1.0, (length - t) / 0.06);
    out[i] = static_cast<float>(filtered * envelope);
  }
  return out;
}

// Noise through a resonant band-pass whose centre sweeps up and back down.
std::vector<float> Whoosh(int frames, double pitch, Rng& rng) {
  std::vector<float> out(frames);
  const double length = Time(frames);
  double low = 0, band = 0;
  for (int i = 0; i < frames; ++i) {
    const double t = Time(i);
    const double shape = std::sin(kPi * t / length);
    const double centre = (300 + 2600 * shape * shape) * pitch;
    const double f = 2 * std::sin(kPi * std::min(centre, 8000.0) / kSampleRate);
    const double q = 0.35;
    const double input = rng.Unit() * 2 - 1;
    low += f * band;
    const double high = input - low - q * band;
    band += f * high;
    out[i] = static_cast<float>(band * std::pow(shape, 1.5));
  }
  return out;
}

const std::vector<SoundKind>& Kinds() {
  static const std::vector<SoundKind> kinds = {
      {"click", 0.06, Click}, {"chime", 0.9, Chime}, {"buzz", 0.4, Buzz}, {"whoosh", 0.7, Whoosh}};
  return kinds;
}

void Normalise(std::vector<float>& samples, double peakWanted) {
  float peak = 0;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  if (peak <= 0) return;
  const float k = static_cast<float>(peakWanted) / peak;
  for (float& s : samples) s *= k;
}

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

const std::vector<std::string>& SoundKinds() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const SoundKind& k : Kinds()) n.push_back(k.name);
    return n;
  }();
  return names;
}

std::vector<float> MakeSound(const std::string& kind, const AssetArgs& args) {
  for (const SoundKind& k : Kinds()) {
    if (kind != k.name) continue;
    const double seconds = args.Real("seconds", k.seconds, 0.01, 30);
    const double volume = args.Real("volume", 0.8, 0.01, 1);
    const double pitch = args.Real("pitch", 1, 0.25, 4);
    Rng rng(static_cast<uint64_t>(args.Int("seed", 1, 0, 1 << 30)));
    const int frames = static_cast<int>(std::lround(seconds * kSampleRate));
    std::vector<float> samples = k.make(frames, pitch, rng);
    Normalise(samples, volume);
    return samples;
  }
  throw AssetError("unknown sound kind '" + kind + "'");
}

std::vector<uint8_t> EncodeWav(const std::vector<float>& samples, int channels) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLe(out, 36 + dataBytes, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, static_cast<uint32_t>(channels), 2);
  PutLe(out, kSampleRate, 4);
  PutLe(out, static_cast<uint32_t>(kSampleRate * channels * 2), 4);
  PutLe(out, static_cast<uint32_t>(channels * 2), 2);
  PutLe(out, 16, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLe(out, dataBytes, 4);
  for (float s : samples) {
    const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    PutLe(out, static_cast<uint32_t>(static_cast<int16_t>(v)) & 0xFFFF, 2);
  }
  return out;
}

}  // namespace assetgen
