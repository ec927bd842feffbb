// Sound: playback through SDL_mixer, with the device opened by a thread of its own at start-up.
#include "platform/Sound.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "platform/ContentFile.h"
#include "platform/MixerLibrary.h"
#include "platform/PlatformState.h"
#include "platform/ProgramOutput.h"
#include "platform/WaveFile.h"

namespace {

// Samples per buffer of the device: about 46 ms at 44.1 kHz, so that the device's thread
// wakes some twenty times a second while the game stands idle, and a sound starts within it.
constexpr int kBufferSamples = 2048;

using Audio = PlatformState::Sound::Device;

SoundHandler& Handler() { return ThePlatform().sound.handler; }

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA writes several lines to standard error when a machine has no sound card; SDL loads it
// at run time, so its error handler is set through the same library handle, quietly.
void SilenceAlsa() {
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
  if (!alsa) return;
  using SetHandler = int (*)(decltype(&IgnoreAlsaError));
  auto setHandler = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (setHandler) setHandler(IgnoreAlsaError);
  // The library stays loaded: SDL opens it again and keeps the handler.
}

// SDL's audio drivers log about themselves (the disk driver warns that it is one); the game
// says what matters in one line of its own, so audio messages go nowhere.
void FilterLog(void* data, int category, SDL_LogPriority priority, const char* message) {
  const PlatformState::Sound& sound = ThePlatform().sound;
  if (category == SDL_LOG_CATEGORY_AUDIO || !sound.defaultLog) return;
  sound.defaultLog(data, category, priority, message);
}

void QuietAudioMessages() {
  PlatformState::Sound& sound = ThePlatform().sound;
  if (sound.quieted) return;
  sound.quieted = true;
  SilenceAlsa();
  SDL_LogGetOutputFunction(&sound.defaultLog, &sound.defaultLogData);
  SDL_LogSetOutputFunction(FilterLog, sound.defaultLogData);
}

// Says once on standard error why the sound at `path` is not played.
void SayRefused(Audio& audio, const char* path, const std::string& reason) {
  const std::string line = std::string(path) + ": " + reason;
  if (audio.refusalsSaid.insert(line).second) WriteErrorLine("no sound: " + line);
}

// The open file of a WAV file that passed its header check, handed over to the decoder; null
// when that fails.
SDL_RWops* DecoderSource(WaveFile& wave) {
  FILE* stream = ::fdopen(wave.File().Descriptor(), "rb");
  if (!stream) return nullptr;
  wave.File().Release();
  SDL_RWops* source = SDL_RWFromFP(stream, SDL_TRUE);
  if (!source) std::fclose(stream);
  return source;
}

std::string DecodeFailure() { return std::string("it cannot be decoded: ") + SDL_GetError(); }

// The sound is a content file like any other: its path resolves the same way, and a FIFO or a
// device is refused before SDL_mixer could wait on it. Only a WAV file within the limit reaches
// the decoder; why any other, or one the decoder cannot read, is not played is said once.
Mix_Chunk* LoadChunk(Audio& audio, const char* path) {
  WaveFile wave(path);
  if (!wave.IsOpen()) return nullptr;
  if (!wave.Refusal().empty()) {
    SayRefused(audio, path, wave.Refusal());
    return nullptr;
  }
  SDL_RWops* source = DecoderSource(wave);
  if (!source) return nullptr;
  Mix_Chunk* chunk = Mixer().LoadWAV_RW(source, 1);
  if (!chunk) SayRefused(audio, path, DecodeFailure());
  return chunk;
}

// Opens the device once; a failure is said once and not tried again.
void OpenDevice(Audio& audio) {
  if (audio.tried) return;
  audio.tried = true;
  if (!Mixer().failure.empty()) {
    WriteErrorLine("no sound: " + Mixer().failure);
    return;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    WriteErrorLine(std::string("no sound: ") + SDL_GetError());
    return;
  }
  if (Mixer().OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, kBufferSamples) != 0) {
    WriteErrorLine(std::string("no sound: ") + Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  audio.open = true;
}

Mix_Chunk* Chunk(Audio& audio, const char* path) {
  auto found = audio.chunks.find(path);
  if (found != audio.chunks.end()) return found->second.get();
  ChunkPtr chunk(LoadChunk(audio, path));
  if (!chunk) return nullptr;
  return audio.chunks.emplace(path, std::move(chunk)).first->second.get();
}

// Waits for the opening thread, if one runs.
Audio& ReadyAudio() {
  Audio& audio = ThePlatform().sound.device;
  if (audio.opener) SDL_WaitThread(audio.opener, nullptr);
  audio.opener = nullptr;
  return audio;
}

}  // namespace

void OpenSound(const char* path) {
  if (Handler()) return;
  Audio& audio = ReadyAudio();
  if (audio.tried) return;
  QuietAudioMessages();
  audio.firstSound = path;
  audio.opener = SDL_CreateThread(
      [](void* data) {
        Audio& opened = *static_cast<Audio*>(data);
        OpenDevice(opened);
        if (opened.open) Chunk(opened, opened.firstSound.c_str());
        return 0;
      },
      "tarnwick-audio", &audio);
}

void PlaySoundFile(const char* path) {
  if (Handler()) {
    Handler()(path);
    return;
  }
  Audio& audio = ReadyAudio();
  QuietAudioMessages();
  OpenDevice(audio);
  if (!audio.open) return;
  if (Mix_Chunk* chunk = Chunk(audio, path)) Mixer().PlayChannelTimed(-1, chunk, 0, -1);
}

void ForgetSounds() {
  Audio& audio = ReadyAudio();
  if (audio.open) Mixer().HaltChannel(-1);
  audio.chunks.clear();
}

std::string SoundDecodeFailure(const char* path) {
  WaveFile wave(path);
  if (!wave.IsOpen() || !wave.Refusal().empty()) return "";
  SDL_RWops* source = DecoderSource(wave);
  if (!source) return "";
  SDL_AudioSpec spec;
  Uint8* samples = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV_RW(source, 1, &spec, &samples, &length)) return DecodeFailure();
  SDL_FreeWAV(samples);
  return "";
}

void SetSoundHandler(SoundHandler handler) { Handler() = std::move(handler); }

void ShutdownSound() {
  Audio& audio = ReadyAudio();
  if (audio.open) {
    Mixer().HaltChannel(-1);
    audio.chunks.clear();
    Mixer().CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  audio = Audio{};
}
