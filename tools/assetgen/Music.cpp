#include "tools/assetgen/Music.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Sounds.h"

namespace assetgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

double NoteFrequency(int midi) {
  return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// One period of a waveform built from harmonics, read with linear interpolation.
class WaveTable {
 public:
  explicit WaveTable(const std::vector<double>& harmonics) {
    double peak = 0;
    for (size_t i = 0; i < kSize; ++i) {
      double v = 0;
      for (size_t h = 0; h < harmonics.size(); ++h)
        v += harmonics[h] * std::sin(2 * kPi * static_cast<double>((h + 1) * i) / kSize);
      table_[i] = static_cast<float>(v);
      peak = std::max(peak, std::fabs(v));
    }
    for (float& v : table_) v = static_cast<float>(v / peak);
  }
  float At(double phase) const {  // phase in periods
    const double p = (phase - std::floor(phase)) * kSize;
    const size_t i = static_cast<size_t>(p) % kSize;
    const float t = static_cast<float>(p - std::floor(p));
    return table_[i] + (table_[(i + 1) % kSize] - table_[i]) * t;
  }

 private:
  static constexpr size_t kSize = 4096;
  std::array<float, kSize> table_{};
};

struct Voice {
  const WaveTable* wave;
  double attack, decay, sustain, release;  // seconds, seconds, level, seconds
  double gain, pan;                        // pan -1 left .. 1 right
};

void PlayNote(LoopMix& mix, const Voice& v, double start, double length, double frequency) {
  const int64_t first = std::llround(start * kSampleRate);
  const int64_t count = std::llround((length + v.release) * kSampleRate);
  const float left = static_cast<float>(v.gain * std::sqrt((1 - v.pan) / 2));
  const float right = static_cast<float>(v.gain * std::sqrt((1 + v.pan) / 2));
  for (int64_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    double env = t < v.attack ? t / v.attack
                              : v.sustain + (1 - v.sustain) * std::exp(-(t - v.attack) / v.decay);
    if (t > length) env *= std::max(0.0, 1 - (t - length) / v.release);
    const float s = static_cast<float>(env) * v.wave->At(frequency * t);
    mix.Add(first + i, s * left, s * right);
  }
}

struct Chord {
  int root;                  // MIDI note of the bass
  std::array<int, 3> notes;  // the pad's triad
};

// A minor: i VI III VII i VI iv VII, so the last bar leads back to the first.
const std::array<Chord, 8> kProgression = {{
    {45, {57, 60, 64}},  // Am
    {41, {57, 60, 65}},  // F
    {48, {55, 60, 64}},  // C
    {43, {55, 59, 62}},  // G
    {45, {57, 60, 64}},  // Am
    {41, {57, 60, 65}},  // F
    {38, {57, 62, 65}},  // Dm
    {43, {55, 59, 62}},  // G
}};

// The A minor scale over two octaves, for the melody.
const std::array<int, 15> kScale = {69, 71, 72, 74, 76, 77, 79, 81, 83, 84, 86, 88, 89, 91, 93};

struct MelodyNote {
  double beat, beats;  // start and length, in beats from the start of the bar
  int note;
};

int NearestChordTone(int note, const Chord& chord) {
  int best = note, bestDistance = 99;
  for (int n : chord.notes) {
    for (int octave = -12; octave <= 24; octave += 12) {
      const int candidate = n + octave;
      const int distance = std::abs(candidate - note);
      const bool inRange = candidate >= kScale.front() && candidate <= kScale.back();
      if (inRange && distance < bestDistance) best = candidate, bestDistance = distance;
    }
  }
  return best;
}

int ScaleIndex(int note) {
  for (size_t i = 0; i < kScale.size(); ++i)
    if (kScale[i] >= note) return static_cast<int>(i);
  return static_cast<int>(kScale.size()) - 1;
}

// One bar of melody: a random walk on the scale in quarters and eighths, landing on a
// chord tone at the strong beats.
std::vector<MelodyNote> MelodyBar(Rng& rng, const Chord& chord, int& previous) {
  std::vector<MelodyNote> bar;
  for (int beat = 0; beat < 4; ++beat) {
    const int rhythm = rng.Below(10);  // 0..4 a quarter, 5..8 two eighths, 9 a rest
    const int count = rhythm < 5 ? 1 : rhythm < 9 ? 2 : 0;
    for (int k = 0; k < count; ++k) {
      int index = ScaleIndex(previous) + rng.Below(5) - 2;
      index = std::clamp(index, 0, static_cast<int>(kScale.size()) - 1);
      int note = kScale[static_cast<size_t>(index)];
      if (k == 0 && beat % 2 == 0) note = NearestChordTone(note, chord);
      const double length = count == 1 ? 1.0 : 0.5;
      bar.push_back({beat + k * 0.5, length * 0.9, note});
      previous = note;
    }
  }
  return bar;
}

}  // namespace

LoopMix::LoopMix(int64_t frames)
    : frames_(std::max<int64_t>(frames, 1)), data_(static_cast<size_t>(frames_) * 2) {}

void LoopMix::Add(int64_t frame, float left, float right) {
  const size_t i = static_cast<size_t>(((frame % frames_) + frames_) % frames_) * 2;
  data_[i] += left;
  data_[i + 1] += right;
}

int64_t TuneFrames(int bars, double tempo) {
  return std::llround(bars * 4 * 60.0 / tempo * kSampleRate);
}

std::vector<float> ComposeTune(const AssetArgs& args) {
  const int bars = args.Int("bars", 16, 1, 128);
  const double tempo = args.Real("tempo", 96, 40, 240);
  const double volume = args.Real("volume", 0.8, 0.01, 1);
  Rng rng(static_cast<uint64_t>(args.Int("seed", 1, 0, 1 << 30)));
  const double beat = 60.0 / tempo;

  const WaveTable pluckWave({1.0, 0.35, 0.12, 0.05});
  const WaveTable padWave({1.0, 0.35, 0.2, 0.12, 0.07, 0.04});
  const WaveTable bassWave({1.0, 0.0, 0.11, 0.0, 0.04});
  const Voice melody{&pluckWave, 0.006, 0.35, 0.25, 0.12, 0.22, 0.25};
  const Voice padLeft{&padWave, 0.35, 1.2, 0.7, 0.6, 0.07, -0.6};
  const Voice padRight{&padWave, 0.35, 1.2, 0.7, 0.6, 0.07, 0.6};
  const Voice bass{&bassWave, 0.01, 0.25, 0.55, 0.08, 0.30, 0.0};

  const int64_t frames = TuneFrames(bars, tempo);
  LoopMix mix(frames);

  // Eight bars of melody, played twice per sixteen bars; the second time its last two
  // bars are new, so the piece has a phrase and an answer.
  std::vector<std::vector<MelodyNote>> phrase, answer;
  int previous = 76;
  for (int b = 0; b < 8; ++b) phrase.push_back(MelodyBar(rng, kProgression[b], previous));
  previous = phrase[5].empty() ? 76 : phrase[5].back().note;
  for (int b = 6; b < 8; ++b) answer.push_back(MelodyBar(rng, kProgression[b], previous));

  for (int bar = 0; bar < bars; ++bar) {
    const Chord& chord = kProgression[static_cast<size_t>(bar % 8)];
    const double start = bar * 4 * beat;
    for (int n : chord.notes) {
      PlayNote(mix, padLeft, start, 4 * beat, NoteFrequency(n) * 0.9985);
      PlayNote(mix, padRight, start, 4 * beat, NoteFrequency(n) * 1.0015);
    }
    const double bassBeats[] = {0, 1.5, 2, 3.5};
    for (double b : bassBeats)
      PlayNote(mix, bass, start + b * beat, (b == 0 || b == 2 ? 1.2 : 0.4) * beat,
               NoteFrequency(b == 3.5 ? chord.root + 12 : chord.root));
    const bool secondTime = (bar / 8) % 2 == 1;
    const std::vector<MelodyNote>& notes = secondTime && bar % 8 >= 6
                                               ? answer[static_cast<size_t>(bar % 8 - 6)]
                                               : phrase[static_cast<size_t>(bar % 8)];
    for (const MelodyNote& m : notes)
      PlayNote(mix, melody, start + m.beat * beat, m.beats * beat, NoteFrequency(m.note));
    for (int b = 0; b < 4; b += 2) {  // kick: a falling sine on beats 1 and 3
      const int64_t first = std::llround((start + b * beat) * kSampleRate);
      double phase = 0;
      for (int i = 0; i < kSampleRate / 5; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += (45 + 75 * std::exp(-t / 0.03)) / kSampleRate;
        const float s = static_cast<float>(0.35 * std::exp(-t / 0.09) * std::sin(2 * kPi * phase));
        mix.Add(first + i, s, s);
      }
    }
    for (int h = 0; h < 8; ++h) {  // hats on the eighths, louder off the beat
      const int64_t first = std::llround((start + h * 0.5 * beat) * kSampleRate);
      const double gain = h % 2 ? 0.06 : 0.03;
      float last = 0;
      for (int i = 0; i < kSampleRate / 20; ++i) {
        const float noise = static_cast<float>(rng.Unit() * 2 - 1);
        const float high = noise - last;
        last = noise;
        const float s =
            static_cast<float>(gain * std::exp(-static_cast<double>(i) / kSampleRate / 0.012)) *
            high;
        mix.Add(first + i, s * 0.8f, s * 0.6f);
      }
    }
  }

  std::vector<float>& out = mix.Samples();
  float peak = 0;
  for (float& s : out) {
    s = std::tanh(s);  // a gentle limiter for the few places voices pile up
    peak = std::max(peak, std::fabs(s));
  }
  if (peak > 0)
    for (float& s : out) s *= static_cast<float>(volume) / peak;
  return out;
}

std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& interleaved, int channels,
                                     float quality) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, kSampleRate, quality) != 0) {
    vorbis_info_clear(&vi);
    throw AssetError("the Vorbis encoder refuses these settings");
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 0x54563241);  // fixed serial: the same file every run

  std::vector<uint8_t> out;
  auto emit = [&out](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  while (ogg_stream_flush(&os, &page)) emit(page);

  const size_t frames = interleaved.size() / static_cast<size_t>(channels);
  const size_t chunk = 4096;
  for (size_t done = 0;;) {
    const size_t n = std::min(chunk, frames - done);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);  // end of stream
    } else {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
          buffer[c][i] =
              interleaved[(done + i) * static_cast<size_t>(channels) + static_cast<size_t>(c)];
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      done += n;
    }
    bool ended = false;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet)) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page)) {
          emit(page);
          if (ogg_page_eos(&page)) ended = true;
        }
      }
    }
    if (n == 0 || ended) break;
  }
  while (ogg_stream_flush(&os, &page)) emit(page);

  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

}  // namespace assetgen
