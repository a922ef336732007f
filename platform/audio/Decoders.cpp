#include "platform/audio/Decoders.h"

#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

// Rates outside this range are not sound a player could want; refusing them also bounds the
// interpolation ratio.
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;

uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t ReadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool HasTag(const uint8_t* bytes, size_t size, size_t at, const char* tag) {
  return size >= at + 4 && std::memcmp(bytes + at, tag, 4) == 0;
}

// Source frames worth keeping at rate: those that make at most kMaxDecodedFrames once
// converted to the device rate.
size_t SourceFrameCap(int rate) {
  return static_cast<size_t>(static_cast<double>(kMaxDecodedFrames) * rate / kAudioRate) + 1;
}

bool LooksLikeMp3Frame(const uint8_t* b, size_t size) {
  if (size < 4 || b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return false;
  const int version = (b[1] >> 3) & 3;
  const int layer = (b[1] >> 1) & 3;
  const int bitrate = b[2] >> 4;
  const int rate = (b[2] >> 2) & 3;
  return version != 1 && layer != 0 && bitrate != 0 && bitrate != 15 && rate != 3;
}

bool IsModule(const void* data, size_t size) {
  int error = 0;
  const char* message = nullptr;
  const int result = openmpt_probe_file_header(
      OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data, size, size, openmpt_log_func_silent, nullptr,
      openmpt_error_func_ignore, nullptr, &error, &message);
  if (message != nullptr) openmpt_free_string(message);
  return result == OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS;
}

bool FinishDecode(const std::vector<int16_t>& frames, int channels, int rate, Pcm& out) {
  out = Pcm{};
  if (frames.empty()) return false;
  ResampleToDeviceRate(frames.data(), frames.size() / channels, channels, rate, out);
  if (out.samples.empty()) {
    out = Pcm{};
    return false;
  }
  return true;
}

// --- Ogg Vorbis read from memory through vorbisfile's callbacks.

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t position;
};

size_t MemoryRead(void* into, size_t itemSize, size_t count, void* source) {
  auto* reader = static_cast<MemoryReader*>(source);
  if (itemSize == 0) return 0;
  const size_t items = std::min(count, (reader->size - reader->position) / itemSize);
  std::memcpy(into, reader->data + reader->position, items * itemSize);
  reader->position += items * itemSize;
  return items;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence) {
  auto* reader = static_cast<MemoryReader*>(source);
  ogg_int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(reader->position);
  if (whence == SEEK_END) base = static_cast<ogg_int64_t>(reader->size);
  if (offset > static_cast<ogg_int64_t>(reader->size) ||
      offset < -static_cast<ogg_int64_t>(reader->size))
    return -1;
  const ogg_int64_t target = base + offset;
  if (target < 0 || target > static_cast<ogg_int64_t>(reader->size)) return -1;
  reader->position = static_cast<size_t>(target);
  return 0;
}

long MemoryTell(void* source) {
  return static_cast<long>(static_cast<MemoryReader*>(source)->position);
}

void EnsureMpg123() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

AudioFormat DetectAudioFormat(const void* data, size_t size) {
  if (data == nullptr || size == 0) return AudioFormat::Unknown;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (HasTag(bytes, size, 0, "RIFF") && HasTag(bytes, size, 8, "WAVE")) return AudioFormat::Wav;
  if (HasTag(bytes, size, 0, "OggS")) return AudioFormat::OggVorbis;
  if (IsModule(data, size)) return AudioFormat::Module;
  if (size >= 10 && std::memcmp(bytes, "ID3", 3) == 0) return AudioFormat::Mp3;
  if (LooksLikeMp3Frame(bytes, size)) return AudioFormat::Mp3;
  return AudioFormat::Unknown;
}

bool DecodeSound(const void* data, size_t size, Pcm& out) {
  switch (DetectAudioFormat(data, size)) {
    case AudioFormat::Wav:
      return DecodeWav(data, size, out);
    case AudioFormat::OggVorbis:
      return DecodeOggVorbis(data, size, out);
    case AudioFormat::Mp3:
      return DecodeMp3(data, size, out);
    default:
      out = Pcm{};
      return false;
  }
}

void ResampleToDeviceRate(const int16_t* frames, size_t count, int channels, int rate, Pcm& out) {
  out = Pcm{};
  if (channels < 1 || channels > 2 || rate < kMinRate || rate > kMaxRate || count == 0) return;
  out.channels = channels;
  if (rate == kAudioRate) {
    const size_t kept = std::min(count, kMaxDecodedFrames);
    out.samples.assign(frames, frames + kept * channels);
    return;
  }
  const double step = static_cast<double>(rate) / kAudioRate;
  const size_t outFrames = std::min(
      static_cast<size_t>(std::floor(static_cast<double>(count) / step)), kMaxDecodedFrames);
  out.samples.resize(outFrames * channels);
  for (size_t i = 0; i < outFrames; ++i) {
    const double position = static_cast<double>(i) * step;
    const size_t index = std::min(static_cast<size_t>(position), count - 1);
    const size_t next = std::min(index + 1, count - 1);
    const double fraction = position - static_cast<double>(index);
    for (int c = 0; c < channels; ++c) {
      const double a = frames[index * channels + c];
      const double b = frames[next * channels + c];
      out.samples[i * channels + c] = static_cast<int16_t>(std::lround(a + (b - a) * fraction));
    }
  }
}

bool DecodeWav(const void* data, size_t size, Pcm& out) {
  out = Pcm{};
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (data == nullptr || !HasTag(bytes, size, 0, "RIFF") || !HasTag(bytes, size, 8, "WAVE"))
    return false;
  int format = 0, channels = 0, rate = 0, bits = 0;
  const uint8_t* samples = nullptr;
  size_t sampleBytes = 0;
  size_t offset = 12;
  while (size - offset >= 8) {
    const uint8_t* chunk = bytes + offset;
    const size_t length = ReadLe32(chunk + 4);
    const size_t available = size - offset - 8;
    if (HasTag(chunk, 8, 0, "fmt ")) {
      if (length < 16 || length > available) return false;
      format = ReadLe16(chunk + 8);
      channels = ReadLe16(chunk + 10);
      rate = static_cast<int>(std::min<uint32_t>(ReadLe32(chunk + 12), 0x7FFFFFFF));
      bits = ReadLe16(chunk + 22);
      // The extensible form names its real format in the first bytes of its sub-format.
      if (format == 0xFFFE && length >= 40) format = ReadLe16(chunk + 32);
    } else if (HasTag(chunk, 8, 0, "data") && samples == nullptr) {
      samples = chunk + 8;
      sampleBytes = std::min(length, available);  // a cut file keeps what it has
    }
    const size_t advance = length + (length & 1);
    if (advance >= available) break;
    offset += 8 + advance;
  }
  if (format != 1 || samples == nullptr || (channels != 1 && channels != 2) ||
      (bits != 8 && bits != 16) || rate < kMinRate || rate > kMaxRate)
    return false;
  const size_t frameBytes = static_cast<size_t>(channels) * (bits / 8);
  const size_t frames = std::min(sampleBytes / frameBytes, SourceFrameCap(rate));
  std::vector<int16_t> decoded(frames * channels);
  for (size_t i = 0; i < decoded.size(); ++i) {
    decoded[i] = bits == 8 ? static_cast<int16_t>((samples[i] - 128) * 256)
                           : static_cast<int16_t>(ReadLe16(samples + 2 * i));
  }
  return FinishDecode(decoded, channels, rate, out);
}

bool DecodeOggVorbis(const void* data, size_t size, Pcm& out) {
  out = Pcm{};
  if (data == nullptr || size == 0) return false;
  MemoryReader reader{static_cast<const uint8_t*>(data), size, 0};
  const ov_callbacks callbacks{MemoryRead, MemorySeek, nullptr, MemoryTell};
  OggVorbis_File file;
  if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) return false;
  const vorbis_info* info = ov_info(&file, -1);
  const int channels = info != nullptr ? info->channels : 0;
  const long rate = info != nullptr ? info->rate : 0;
  std::vector<int16_t> decoded;
  if ((channels == 1 || channels == 2) && rate >= kMinRate && rate <= kMaxRate) {
    const size_t cap = SourceFrameCap(static_cast<int>(rate)) * channels;
    char buffer[8192];
    int stream = 0;
    int firstStream = -1;
    int holes = 0;
    while (decoded.size() < cap) {
      const long got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &stream);
      if (got == OV_HOLE && ++holes < 64) continue;  // a gap in the data; decoding goes on
      if (got <= 0) break;
      // A chained stream that changes its layout ends the sound.
      if (firstStream < 0) firstStream = stream;
      if (stream != firstStream) {
        const vorbis_info* now = ov_info(&file, stream);
        if (now == nullptr || now->channels != channels || now->rate != rate) break;
      }
      const size_t count = std::min(static_cast<size_t>(got) / 2, cap - decoded.size());
      const size_t at = decoded.size();
      decoded.resize(at + count);
      std::memcpy(decoded.data() + at, buffer, count * 2);
    }
  }
  ov_clear(&file);
  decoded.resize(decoded.size() - decoded.size() % std::max(channels, 1));
  return FinishDecode(decoded, channels, static_cast<int>(rate), out);
}

bool DecodeMp3(const void* data, size_t size, Pcm& out) {
  out = Pcm{};
  if (data == nullptr || size == 0) return false;
  EnsureMpg123();
  int error = 0;
  mpg123_handle* decoder = mpg123_new(nullptr, &error);
  if (decoder == nullptr) return false;
  mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  // Native rate and layout, always 16-bit; the rate is converted afterwards.
  mpg123_format_none(decoder);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i)
    mpg123_format(decoder, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

  std::vector<int16_t> decoded;
  long rate = 0;
  int channels = 0;
  size_t cap = 0;
  if (mpg123_open_feed(decoder) == MPG123_OK) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    constexpr size_t kFeed = 16384;
    size_t fed = 0;
    int idle = 0;
    unsigned char buffer[16384];
    for (;;) {
      size_t done = 0;
      const int result = mpg123_read(decoder, buffer, sizeof buffer, &done);
      if (result == MPG123_NEW_FORMAT) {
        long newRate = 0;
        int newChannels = 0, encoding = 0;
        mpg123_getformat(decoder, &newRate, &newChannels, &encoding);
        if (channels != 0 && (newRate != rate || newChannels != channels)) break;
        if (newRate < kMinRate || newRate > kMaxRate || (newChannels != 1 && newChannels != 2))
          break;
        rate = newRate;
        channels = newChannels;
        cap = SourceFrameCap(static_cast<int>(rate)) * channels;
        if (++idle > 1000) break;
        continue;
      }
      if (channels != 0 && done > 0) {
        const size_t count = std::min(done / 2, cap - decoded.size());
        const size_t at = decoded.size();
        decoded.resize(at + count);
        std::memcpy(decoded.data() + at, buffer, count * 2);
        if (decoded.size() >= cap) break;
      }
      if (result == MPG123_NEED_MORE) {
        if (fed >= size) break;
        const size_t chunk = std::min(kFeed, size - fed);
        if (mpg123_feed(decoder, bytes + fed, chunk) != MPG123_OK) break;
        fed += chunk;
        continue;
      }
      if (result != MPG123_OK) break;  // the end, or data it cannot decode
      // Guard against a decoder that reports success without progress.
      idle = done == 0 ? idle + 1 : 0;
      if (idle > 1000) break;
    }
  }
  mpg123_delete(decoder);
  if (channels == 0) return false;
  decoded.resize(decoded.size() - decoded.size() % channels);
  return FinishDecode(decoded, channels, static_cast<int>(rate), out);
}

// --- Modules.

std::unique_ptr<ModuleStream> ModuleStream::Open(const void* data, size_t size) {
  if (data == nullptr || size == 0) return nullptr;
  int error = 0;
  const char* message = nullptr;
  openmpt_module* module = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent,
                                                              nullptr, openmpt_error_func_ignore,
                                                              nullptr, &error, &message, nullptr);
  if (message != nullptr) openmpt_free_string(message);
  if (module == nullptr) return nullptr;
  // Music loops; libopenmpt's default volume ramping smooths the module's own volume steps.
  openmpt_module_set_repeat_count(module, -1);
  return std::unique_ptr<ModuleStream>(new ModuleStream(module));
}

ModuleStream::~ModuleStream() {
  openmpt_module_destroy(static_cast<openmpt_module*>(module_));
}

size_t ModuleStream::Render(float* stereo, size_t frames) {
  return openmpt_module_read_interleaved_float_stereo(static_cast<openmpt_module*>(module_),
                                                      kAudioRate, frames, stereo);
}

void ModuleStream::Rewind() {
  openmpt_module_set_position_seconds(static_cast<openmpt_module*>(module_), 0.0);
}

void ModuleStream::SetLoop(bool loop) {
  openmpt_module_set_repeat_count(static_cast<openmpt_module*>(module_), loop ? -1 : 0);
}
