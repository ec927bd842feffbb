// Sound: playback through SDL_mixer, which opens the audio device on first use.
#include "platform/Sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <map>
#include <memory>

#include "platform/ContentFile.h"

namespace {

struct ChunkDeleter {
  void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

struct Audio {
  bool tried = false;
  bool open = false;
  // Loaded sounds by path; a path that failed to load is remembered as null.
  std::map<std::string, ChunkPtr> chunks;
};

Audio& TheAudio() {
  static Audio audio;
  return audio;
}

SoundHandler& Handler() {
  static SoundHandler handler;
  return handler;
}

bool OpenAudio(Audio& audio) {
  if (audio.tried) return audio.open;
  audio.tried = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  audio.open = true;
  return true;
}

// The sound is a content file like any other: its path resolves the same way, and a FIFO or a
// device is refused before SDL_mixer could wait on it.
Mix_Chunk* LoadChunk(const char* path) {
  ContentFile file(path);
  if (!file.IsOpen()) return nullptr;
  FILE* stream = ::fdopen(file.Descriptor(), "rb");
  if (!stream) return nullptr;
  file.Release();
  SDL_RWops* source = SDL_RWFromFP(stream, SDL_TRUE);
  if (!source) {
    std::fclose(stream);
    return nullptr;
  }
  return Mix_LoadWAV_RW(source, 1);
}

}  // namespace

void PlaySoundFile(const char* path) {
  if (Handler()) {
    Handler()(path);
    return;
  }
  Audio& audio = TheAudio();
  if (!OpenAudio(audio)) return;
  auto found = audio.chunks.find(path);
  if (found == audio.chunks.end()) {
    found = audio.chunks.emplace(path, ChunkPtr(LoadChunk(path))).first;
  }
  if (found->second) Mix_PlayChannel(-1, found->second.get(), 0);
}

void SetSoundHandler(SoundHandler handler) { Handler() = std::move(handler); }

void ShutdownSound() {
  Audio& audio = TheAudio();
  if (!audio.open) return;
  Mix_HaltChannel(-1);
  audio.chunks.clear();
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  audio = Audio{};
}
