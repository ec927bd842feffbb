// MixerLibrary: SDL_mixer, loaded by the first sound that needs it rather than with the program.
// Its codecs and synthesisers bring some 25 libraries with them, which every start would load
// before the configuration dialog could show; the device is opened only after it.
#pragma once

#include <SDL_mixer.h>

#include <string>

struct MixerLibrary {
  decltype(&Mix_OpenAudio) OpenAudio = nullptr;
  decltype(&Mix_CloseAudio) CloseAudio = nullptr;
  decltype(&Mix_LoadWAV_RW) LoadWAV_RW = nullptr;
  decltype(&Mix_FreeChunk) FreeChunk = nullptr;
  decltype(&Mix_PlayChannelTimed) PlayChannelTimed = nullptr;
  decltype(&Mix_HaltChannel) HaltChannel = nullptr;
  // Why the library cannot be used; empty when every function above was found.
  std::string failure;
};

// The library, loaded at the first call from any thread, and kept for the life of the process.
const MixerLibrary& Mixer();
