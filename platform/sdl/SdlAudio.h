#pragma once
// The sound device through SDL2: our mixer runs in SDL's audio callback, which holds the
// device lock; every call from the main thread takes the same lock.

#include <cstdint>

#include "platform/audio/MixerAudio.h"

class SdlAudio final : public MixerAudio {
 public:
  SdlAudio() = default;
  ~SdlAudio() override;

  bool Init() override;
  void Shutdown() override;
  void Start() override;
  void Pause() override;

 protected:
  void LockMixer() override;
  void UnlockMixer() override;

 private:
  static void Callback(void* self, uint8_t* stream, int bytes);

  uint32_t device_ = 0;
};
