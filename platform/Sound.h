// Sound: a wave file played in the background; the call returns at once and a file that is
// missing or cannot be played is not reported.
#pragma once

#include <functional>
#include <string>

void PlaySoundFile(const char* path);

// Tests record the sounds instead of playing them; an empty handler restores playback.
using SoundHandler = std::function<void(const std::string& path)>;
void SetSoundHandler(SoundHandler handler);

// Closes the audio device at the end of the program.
void ShutdownSound();
