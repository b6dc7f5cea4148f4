#include "platform/sdl_audio.h"

#include <SDL.h>

#include <cstdio>

namespace kb {
namespace {

// About 23 ms a pass: short enough that a buffer's "done" comes soon after
// it was heard.
constexpr Uint16 kDeviceFrames = 1024;

void PullMix(void* userdata, Uint8* stream, int len) {
  auto* mixer = static_cast<Mixer*>(userdata);
  mixer->Mix(reinterpret_cast<std::int16_t*>(stream),
             static_cast<std::size_t>(len) / (sizeof(std::int16_t) * kMixChannels));
}

}  // namespace

std::unique_ptr<SdlAudioOutput> SdlAudioOutput::Open() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
    return nullptr;
  }
  auto mixer = std::make_shared<Mixer>();
  SDL_AudioSpec want{};
  want.freq = kMixRate;
  want.format = AUDIO_S16SYS;
  want.channels = kMixChannels;
  want.samples = kDeviceFrames;
  want.callback = PullMix;
  want.userdata = mixer.get();
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  SDL_PauseAudioDevice(device, 0);
  return std::unique_ptr<SdlAudioOutput>(new SdlAudioOutput(device, std::move(mixer)));
}

SdlAudioOutput::~SdlAudioOutput() {
  SDL_CloseAudioDevice(device_);
  mixer_->Stop();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace kb
