// Fuzz target of the warning sound: any bytes, written to a real file, looked at by the header
// check and, when the check lets them through, decoded by SDL's decoder, as the player and the
// game check do. What the check lets through must decode, once converted for playback, to no
// more than the bound the check promises.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/ScratchFile.h"
#include "platform/Sound.h"
#include "platform/WaveFile.h"

namespace {

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

// The playback format the bound is stated in: 16-bit stereo at 44.1 kHz.
constexpr uint64_t kPlaybackRate = 44100;
constexpr uint64_t kPlaybackFrameBytes = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile scratch;
  const char* path = scratch.Write(data, size);

  const WaveFile wave(path);
  Check(wave.IsOpen());
  const std::string failure = SoundDecodeFailure(path);
  if (!wave.Refusal().empty()) {
    Check(failure.empty());
    return 0;
  }

  SDL_AudioSpec spec;
  Uint8* samples = nullptr;
  Uint32 length = 0;
  const bool decoded = SDL_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1, &spec, &samples, &length);
  Check(decoded == failure.empty());
  if (!decoded) return 0;
  const uint64_t frameBytes =
      static_cast<uint64_t>(SDL_AUDIO_BITSIZE(spec.format)) / 8 * spec.channels;
  Check(frameBytes > 0 && spec.freq > 0);
  const uint64_t frames = length / frameBytes;
  Check(frames * kPlaybackRate / static_cast<uint64_t>(spec.freq) * kPlaybackFrameBytes <=
        WaveFile::kMostDecodedBytes);
  SDL_FreeWAV(samples);
  return 0;
}
