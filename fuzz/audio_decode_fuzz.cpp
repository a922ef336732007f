// Feeds arbitrary bytes to every sound decoder and to the module reader, rendering a little of
// whatever module opens. None may crash, hang or claim a huge buffer.
#include <cstddef>
#include <cstdint>

#include "platform/audio/Decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DetectAudioFormat(data, size);
  Pcm pcm;
  DecodeSound(data, size, pcm);
  DecodeWav(data, size, pcm);
  DecodeOggVorbis(data, size, pcm);
  DecodeMp3(data, size, pcm);
  if (auto module = ModuleStream::Open(data, size)) {
    float block[2 * 1024];
    for (int i = 0; i < 8; ++i) module->Render(block, 1024);
    module->Rewind();
    module->SetLoop(false);
    module->Render(block, 1024);
  }
  return 0;
}
