#include "platform/sdl/SdlAudio.h"

#include <SDL.h>

namespace {
// About 23 ms per callback: short enough for prompt reaction, long enough not to starve.
constexpr Uint16 kCallbackFrames = 1024;
}  // namespace

SdlAudio::~SdlAudio() {
  Shutdown();
}

bool SdlAudio::Init() {
  if (ready_) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = kAudioRate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = kCallbackFrames;
  want.callback = &SdlAudio::Callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts whatever the hardware wants from our rate and format.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  ready_ = true;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlAudio::Shutdown() {
  if (!ready_) return;
  SDL_CloseAudioDevice(device_);  // waits for a running callback
  device_ = 0;
  mixer_.Clear();
  ready_ = false;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudio::Start() {
  if (ready_) SDL_PauseAudioDevice(device_, 0);
}

void SdlAudio::Pause() {
  if (ready_) SDL_PauseAudioDevice(device_, 1);
}

void SdlAudio::LockMixer() {
  SDL_LockAudioDevice(device_);
}

void SdlAudio::UnlockMixer() {
  SDL_UnlockAudioDevice(device_);
}

void SdlAudio::Callback(void* self, uint8_t* stream, int bytes) {
  auto* audio = static_cast<SdlAudio*>(self);
  const size_t frames = static_cast<size_t>(bytes) / (2 * sizeof(float));
  audio->mixer_.Mix(reinterpret_cast<float*>(stream), frames);
}
