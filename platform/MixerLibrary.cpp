// MixerLibrary: SDL_mixer's functions looked up in the library by its soname.
#include "platform/MixerLibrary.h"

#include <dlfcn.h>

#include <type_traits>

namespace {

constexpr const char* kSoname = "libSDL2_mixer-2.0.so.0";

}  // namespace

const MixerLibrary& Mixer() {
  static const MixerLibrary mixer = [] {
    MixerLibrary found;
    void* library = dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      found.failure = dlerror();
      return found;
    }
    const auto look = [&found, library](auto& function, const char* name) {
      function =
          reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
      if (!function && found.failure.empty())
        found.failure = std::string(kSoname) + " has no " + name;
    };
    look(found.OpenAudio, "Mix_OpenAudio");
    look(found.CloseAudio, "Mix_CloseAudio");
    look(found.LoadWAV_RW, "Mix_LoadWAV_RW");
    look(found.FreeChunk, "Mix_FreeChunk");
    look(found.PlayChannelTimed, "Mix_PlayChannelTimed");
    look(found.HaltChannel, "Mix_HaltChannel");
    return found;
  }();
  return mixer;
}
